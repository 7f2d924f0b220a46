// Vellisk's file commands over the document: open, save, save as with the bitmap beside it, new from a bitmap.
#include "editors/areamap/model/VelliskApp.h"

#include "editors/areamap/model/AreaMapNames.h"
#include "editors/common/model/SaveFailure.h"

#include "platform/system/Paths.h"
#include "platform/system/SafeWrite.h"

#include <cerrno>
#include <cstdio>
#include <filesystem>

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

void CVelliskApp::ReportSaveFailure(const std::string& path, const std::string& failed, int error,
                                    IVelliskPrompts& prompts) const
{
    // The fixed guess only when the reason is not known: "Is the file read only?" above "The disk is full."
    // contradicted itself.
    const std::string text =
        " Couldn't save " + path + ".\n" + SaveFailureReasonOr("Is the file read only?", failed, error);
    platform::DebugOutput(text);
    prompts.Message({text, "Save As Failed", platform::MessageIcon::Warning});
}

bool CVelliskApp::SaveAs(const std::string& path, IVelliskPrompts& prompts)
{
    if (!m_pAreaMap || path.empty())
        return false;
    if (m_pMapView)
        m_pMapView->CommitEditState();
    SaveAsFiles files;
    files.oldName = m_pAreaMap->m_szMapBitmap;
    const size_t cut = path.find_last_of("/\\");
    if (!MakeBitmapName(cut == std::string::npos ? path : path.substr(cut + 1), &files.newName)) {
        ReportSaveFailure(path, path, 0, prompts);
        return false;
    }
    files.maps = platform::JoinPath(m_strDataFolder, "Maps");
    files.from = platform::ResolvePathCase(platform::JoinPath(files.maps, files.oldName));
    files.to = platform::JoinPath(files.maps, files.newName);
    // Onto its own bitmap (the same file, whatever the letter case) there is nothing to copy.
    std::error_code ec;
    const std::string there = platform::ResolvePathCase(files.to);
    files.copy = !files.oldName.empty() && !fs::equivalent(files.from, there, ec);
    files.pictureThere = fs::exists(there, ec);
    // A picture already there under the new name may be another map's: it is replaced only when the user says so.
    if (files.copy && files.pictureThere && !fs::is_directory(there, ec) &&
        prompts.Ask({"The map picture " + files.to + " already exists and may belong to another area map.\n" +
                         "Do you want to replace it?",
                     "Save As", platform::MessageIcon::Warning},
                    false) != IVelliskPrompts::Answer::Yes)
        return false;
    if (!WriteSaveAs(path, files, prompts))
        return false;
    m_pAreaMap->m_bModified = false;
    m_strPathName = path;
    m_strFileTitle = vellisk::FileTitle(path);
    return true;
}

bool CVelliskApp::WriteSaveAs(const std::string& path, const SaveAsFiles& files, IVelliskPrompts& prompts)
{
    // Both files are written whole into temporaries beside their names first. The bitmap then takes its name
    // before the area map that names it: a crash between the two leaves the old area map whole, never one whose
    // picture is missing.
    std::string bitmapTemp, mapTemp, why;
    bool bitmapInstalled = false;
    auto fail = [&](const std::string& failed) {
        const int error = errno;
        CopyName(m_pAreaMap->m_szMapBitmap, ::CAreaMapData::kPathSize, files.oldName.c_str());
        for (const std::string* temp : {&bitmapTemp, &mapTemp})
            if (!temp->empty())
                std::remove(temp->c_str());
        // A picture new under its name goes again with the area map that would have named it.
        if (bitmapInstalled && !files.pictureThere && std::remove(platform::ResolvePathCase(files.to).c_str()) == 0)
            platform::SyncFolder(files.maps);
        if (!why.empty())
            platform::DebugOutput(why);
        ReportSaveFailure(path, failed, error, prompts);
        return false;
    };
    if (files.copy && !platform::PrepareFileCopy(files.from, files.to, &bitmapTemp, &why))
        return fail(files.to);
    CopyName(m_pAreaMap->m_szMapBitmap, ::CAreaMapData::kPathSize, files.newName.c_str());
    if (!StageAreaMap(*m_pAreaMap, path, &mapTemp, &why))
        return fail(path);
    if (!bitmapTemp.empty()) {
        if (!platform::InstallTemporary(bitmapTemp, files.to, &why))
            return fail(files.to);
        bitmapTemp.clear();
        bitmapInstalled = true;
    }
    return platform::InstallTemporary(mapTemp, path, &why) || fail(path);
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
    errno = 0;
    if (!m_pAreaMap || !SaveAreaMap(*m_pAreaMap, m_strPathName, &why)) {
        ReportSaveFailure(m_strPathName, m_strPathName, errno, prompts);
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
    errno = 0;
    if (!SaveAreaMap(*m_pAreaMap, names.pathName, &why)) {
        ReportSaveFailure(names.pathName, names.pathName, errno, prompts);
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
