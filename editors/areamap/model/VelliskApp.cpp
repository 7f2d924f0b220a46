// Vellisk's file commands over the document: open, save, save as with the bitmap beside it, new from a bitmap.
#include "editors/areamap/model/VelliskApp.h"

#include "editors/areamap/model/AreaMapNames.h"
#include "editors/common/model/SaveFailure.h"

#include "platform/system/Paths.h"
#include "platform/system/SafeWrite.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <unistd.h>

namespace fs = std::filesystem;

namespace vellisk {

CVelliskApp::CVelliskApp(const std::string& dataFolder)
    : m_strDataFolder(dataFolder), m_pAreaMap(std::make_unique<CAreaMapData>())
{
    m_pAreaMap->SetDataFolder(dataFolder);
}

CVelliskApp::~CVelliskApp() = default;

void CVelliskApp::SetView(CAreaMapViewModel* view)
{
    m_pMapView = view;
    if (view)
        view->SetDocument(m_pAreaMap.get());
}

bool CVelliskApp::AskSaveBeforeNew(IVelliskPrompts& prompts)
{
    if (!IsModified())
        return true;
    switch (prompts.Ask(
        {"Data has not been saved. Do you want to save now?", "Starting New Area Map", platform::MessageIcon::Warning},
        true)) {
    case IVelliskPrompts::Answer::Yes:
        Save(prompts);
        return !IsModified();
    case IVelliskPrompts::Answer::No:
        return true;
    default:
        return false;
    }
}

bool CVelliskApp::Open(const std::string& path, IVelliskPrompts& prompts)
{
    std::string why;
    CDisplay* display = m_pMapView ? m_pMapView->Display() : nullptr;
    std::unique_ptr<CAreaMapData> read = LoadAreaMap(path, m_strDataFolder, display, &why);
    if (!read) {
        // The document in use was never touched; the world context goes back to it.
        UseWorldContext(m_strDataFolder, display);
        prompts.Message({"Failed to open file:\n" + why, "Failed to open file", platform::MessageIcon::Warning});
        return false;
    }
    if (m_pMapView)
        m_pMapView->ResetEditState();
    m_pAreaMap = std::move(read);
    if (m_pMapView) {
        m_pMapView->SetDocument(m_pAreaMap.get());
        m_pMapView->Render();
    }
    m_strPathName = path;
    m_strFileTitle = vellisk::FileTitle(path);
    TellOversize(platform::JoinPath(platform::JoinPath(m_strDataFolder, "Maps"), m_pAreaMap->m_szMapBitmap), prompts);
    return true;
}

void CVelliskApp::TellOversize(const std::string& picture, IVelliskPrompts& prompts) const
{
    CUserMessage note;
    if (OversizeNote(*m_pAreaMap, picture, &note))
        prompts.Message(note);
}

void CVelliskApp::ReportSaveFailure(const std::string& path, IVelliskPrompts& prompts) const
{
    const int error = errno;
    char fixed[600];
    std::snprintf(fixed, sizeof(fixed), " Couldn't save %s.\nIs the file read only?", path.c_str());
    const std::string text = WithSaveFailureReason(fixed, path, error);
    platform::DebugOutput(text);
    prompts.Message({text, "Save As Failed", platform::MessageIcon::Warning});
}

bool CVelliskApp::CopyBitmapForSave(const std::string& from, const std::string& to, std::string* temp) const
{
    // Copied beside its final name first, synced; it takes that name only once the area map is written.
    std::string error;
    if (platform::PrepareFileCopy(from, to, temp, &error))
        return true;
    temp->clear();
    platform::DebugOutput("Couldn't copy " + from + " to " + to + ": " + error);
    return false;
}

bool CVelliskApp::SaveAs(const std::string& path, IVelliskPrompts& prompts)
{
    if (!m_pAreaMap || path.empty())
        return false;
    if (m_pMapView)
        m_pMapView->CommitEditState();
    const std::string oldName = m_pAreaMap->m_szMapBitmap;
    const size_t cut = path.find_last_of("/\\");
    std::string newName;
    if (!MakeBitmapName(cut == std::string::npos ? path : path.substr(cut + 1), &newName)) {
        ReportSaveFailure(path, prompts);
        return false;
    }
    const std::string maps = platform::JoinPath(m_strDataFolder, "Maps");
    const std::string from = platform::ResolvePathCase(platform::JoinPath(maps, oldName));
    const std::string to = platform::JoinPath(maps, newName);
    // Onto its own bitmap (the same file, whatever the letter case) there is nothing to copy.
    std::string temp;
    std::error_code ec;
    const std::string there = platform::ResolvePathCase(to);
    const bool same = !oldName.empty() && fs::equivalent(from, there, ec);
    // A picture already there under the new name may be another map's: it is replaced only when the user says so.
    if (!same && !oldName.empty() && fs::exists(there, ec) && !fs::is_directory(there, ec) &&
        prompts.Ask({"The map picture " + to + " already exists and may belong to another area map.\n" +
                         "Do you want to replace it?",
                     "Save As", platform::MessageIcon::Warning},
                    false) != IVelliskPrompts::Answer::Yes)
        return false;
    if (!same && !oldName.empty() && !CopyBitmapForSave(from, to, &temp)) {
        ReportSaveFailure(path, prompts);
        return false;
    }
    CopyName(m_pAreaMap->m_szMapBitmap, ::CAreaMapData::kPathSize, newName.c_str());
    std::string why;
    if (!SaveAreaMap(*m_pAreaMap, path, &why)) {
        CopyName(m_pAreaMap->m_szMapBitmap, ::CAreaMapData::kPathSize, oldName.c_str());
        if (!temp.empty())
            std::remove(temp.c_str());
        ReportSaveFailure(path, prompts);
        return false;
    }
    std::string installError;
    if (!temp.empty() && !platform::InstallTemporary(temp, to, &installError)) {
        std::remove(temp.c_str());
        prompts.Message({"Couldn't copy " + from + " to " + to + ": " + installError, "Save As Failed",
                         platform::MessageIcon::Warning});
    }
    m_strPathName = path;
    m_strFileTitle = vellisk::FileTitle(path);
    return true;
}

bool CVelliskApp::Save(IVelliskPrompts& prompts)
{
    if (m_strFileTitle.empty()) {
        std::string path = prompts.SaveAreaMapName();
        return !path.empty() && SaveAs(path, prompts);
    }
    if (m_pMapView)
        m_pMapView->CommitEditState();
    std::string why;
    if (!m_pAreaMap || !SaveAreaMap(*m_pAreaMap, m_strPathName, &why)) {
        ReportSaveFailure(m_strPathName, prompts);
        return false;
    }
    return true;
}

bool CVelliskApp::NewFromBitmap(const std::string& bitmapPath, IVelliskPrompts& prompts)
{
    if (!m_pMapView || bitmapPath.empty())
        return false; // a cancelled flow changes nothing
    // The area map names its picture by a bare name in Maps: a picture elsewhere could not be found again.
    std::string bitmapName;
    if (!MapsPictureName(bitmapPath, m_strDataFolder, &bitmapName)) {
        prompts.Message(OutsideMapsMessage(bitmapPath, m_strDataFolder, "Failed to open file"));
        return false;
    }
    CUserMessage failure;
    if (!m_pMapView->OpenAreaMapBitmap(bitmapPath, &failure)) {
        if (!failure.text.empty())
            prompts.Message(failure);
        return false;
    }
    // A new map: its picture is the one just loaded, and it has no file of its own until it is written.
    CopyName(m_pAreaMap->m_szMapBitmap, ::CAreaMapData::kPathSize, bitmapName.c_str());
    m_strPathName.clear();
    m_strFileTitle.clear();
    TellOversize(bitmapPath, prompts);
    CAreaMapNames names;
    if (!NamesFromBitmap(bitmapPath, m_strDataFolder, &names))
        return true; // a name that is not "<name>.bmp" gives no area-map name: Save asks for one
    std::error_code ec;
    if (fs::exists(platform::ResolvePathCase(names.pathName), ec) &&
        prompts.Ask({names.pathName + " already exists.\nDo you want to replace it?", "Save Area Map",
                     platform::MessageIcon::Warning},
                    false) != IVelliskPrompts::Answer::Yes)
        return true;
    std::string why;
    if (!SaveAreaMap(*m_pAreaMap, names.pathName, &why)) {
        ReportSaveFailure(names.pathName, prompts);
        return true;
    }
    m_strPathName = names.pathName;
    m_strFileTitle = names.fileTitle;
    return true;
}

bool CVelliskApp::CanClose(IVelliskPrompts& prompts)
{
    if (!IsModified())
        return true;
    switch (prompts.Ask({"The data has been modified. Would you like to save before exiting?", "Save Before Closing?",
                         platform::MessageIcon::Warning},
                        true)) {
    case IVelliskPrompts::Answer::Yes:
        Save(prompts);
        return !IsModified();
    case IVelliskPrompts::Answer::No:
        return true;
    default:
        return false;
    }
}

} // namespace vellisk
