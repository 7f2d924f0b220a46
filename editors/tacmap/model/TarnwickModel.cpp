// The application state: file commands against the world, with the messages the frame shows.
#include "editors/tacmap/model/TarnwickModel.h"

#include "core/world/ScenarioData.h"
#include "editors/common/model/SaveFailure.h"
#include "platform/system/MessageBox.h"

#include <cerrno>
#include <filesystem>

namespace fs = std::filesystem;

namespace tacmap {

const char* const kAppName = "Tarnwick";

namespace {
std::string TitleOf(const std::string& path)
{
    return fs::path(path).stem().string();
}
} // namespace

CTarnwickModel::CTarnwickModel(IMapViewHost& host) : m_pWorld(std::make_unique<CEditorWorld>())
{
    m_pView = std::make_unique<CTacticalMapView>(*m_pWorld, m_palette, host);
}

CTarnwickModel::CTarnwickModel(const std::string& dataFolder, IMapViewHost& host)
    : m_pWorld(std::make_unique<CEditorWorld>(dataFolder))
{
    m_pView = std::make_unique<CTacticalMapView>(*m_pWorld, m_palette, host);
}

CTarnwickModel::~CTarnwickModel()
{
    m_pView.reset();
    m_pWorld.reset();
}

std::string CTarnwickModel::Caption() const
{
    return m_strFileTitle.empty() ? "Untitled" : m_strFileTitle;
}

std::string CTarnwickModel::NameInDataFolder(const std::string& path) const
{
    std::error_code ec;
    const fs::path folder = fs::weakly_canonical(m_pWorld->GetDataFolder(), ec);
    const fs::path file = fs::weakly_canonical(path, ec);
    const fs::path relative = file.lexically_relative(folder);
    const std::string name = relative.generic_string();
    if (path.empty() || ec || relative.empty() || name == "." || name.rfind("..", 0) == 0) {
        // The core reads a scenario's lists from beside it in the data folder.
        platform::ShowMessageBox("Scenarios are kept in the data folder:\n" + m_pWorld->GetDataFolder() +
                                     "\n\nChoose a file there, not\n" + path,
                                 kAppName, platform::MessageIcon::Warning);
        return std::string();
    }
    return name;
}

bool CTarnwickModel::Open(const std::string& path)
{
    const std::string name = NameInDataFolder(path);
    if (name.empty())
        return false;
    if (!m_pView->OpenScenarioFile(name))
        return false; // the world showed the message; title, path and caption stay
    m_strPathName = path;
    m_strFileTitle = TitleOf(path);
    return true;
}

bool CTarnwickModel::Write(const std::string& path, const std::string& name, bool asXml)
{
    std::string error;
    errno = 0;
    m_bLastSaveOK = !name.empty() && m_pWorld->SaveScenarioAs(name, asXml, &error);
    if (!m_bLastSaveOK) {
        if (error.empty())
            error = " Couldn't save " + path;
        error = WithSaveFailureReason(error, path, errno);
        platform::ShowMessageBox(error, "Save As Failed", platform::MessageIcon::Warning);
        platform::DebugOutput(error);
        return false;
    }
    m_strPathName = path;
    m_strFileTitle = TitleOf(path);
    m_pView->SetModified(false);
    return true;
}

bool CTarnwickModel::SaveAs(const std::string& path, bool asXml)
{
    m_pView->EndPreview();
    const std::string name = NameInDataFolder(path);
    if (name.empty()) {
        m_bLastSaveOK = false;
        return false;
    }
    return Write(path, name, asXml);
}

CTarnwickModel::SaveResult CTarnwickModel::Save()
{
    m_pView->EndPreview();
    if (m_strFileTitle.empty())
        return SaveResult::NeedsName;
    const std::string name = NameInDataFolder(m_strPathName);
    if (name.empty()) {
        m_bLastSaveOK = false;
        return SaveResult::Failed;
    }
    return Write(m_strPathName, name, false) ? SaveResult::Saved : SaveResult::Failed;
}

bool CTarnwickModel::ImportEvents(const std::string& path)
{
    CScenarioData* scenario = m_pWorld->GetScenario();
    if (!scenario || !scenario->ImportEvents(path)) {
        platform::ShowMessageBox("Could not import " + path, "Import Failed", platform::MessageIcon::Warning);
        return false;
    }
    m_pView->SetModified(true);
    platform::ShowMessageBox("Import OK", kAppName);
    return true;
}

bool CTarnwickModel::ExportEventsAsText(const std::string& path)
{
    std::string error;
    errno = 0;
    if (m_pWorld->ExportScenarioXml(path, &error))
        return true;
    error = WithSaveFailureReason(error, path, errno);
    platform::ShowMessageBox(error, "Export Failed", platform::MessageIcon::Warning);
    platform::DebugOutput(error);
    return false;
}

bool CTarnwickModel::ExportEvents(const std::string& path)
{
    std::string error;
    errno = 0;
    if (m_pWorld->ExportEvents(path, &error))
        return true;
    error = WithSaveFailureReason(error, path, errno);
    platform::ShowMessageBox(error, "Export Failed", platform::MessageIcon::Warning);
    platform::DebugOutput(error);
    return false;
}

void CTarnwickModel::RemoveAllEvents()
{
    CScenarioData* scenario = m_pWorld->GetScenario();
    if (!scenario)
        return;
    scenario->ResetEventsData();
    m_pView->SetModified(true);
    platform::ShowMessageBox("Events were successfully removed.", kAppName);
}

bool CTarnwickModel::HasScenario(bool report) const
{
    if (m_pWorld->GetScenario())
        return true;
    if (report)
        platform::ShowMessageBox("Scenario detail data is not available", "Data Error", platform::MessageIcon::Warning);
    return false;
}

} // namespace tacmap
