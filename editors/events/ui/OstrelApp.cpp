// Ostrel's application object.
#include "editors/events/ui/OstrelApp.h"

#include "editors/events/model/EventsDocument.h"
#include "editors/events/ui/OstrelDlg.h"
#include "platform/system/Paths.h"

#include <filesystem>

std::vector<std::string> MissingStartFiles(const std::string& folder)
{
    std::vector<std::string> names(kUnitTableFiles.begin(), kUnitTableFiles.end());
    for (const char* list : {kUnitTaskList, kFeatureList, kStationList, kVehicleTaskList, kDefaultAgencyList})
        names.push_back(list);
    std::vector<std::string> missing;
    for (const std::string& name : names) {
        std::error_code ec;
        const std::string path = platform::JoinPath(folder, name);
        if (!std::filesystem::is_regular_file(path, ec))
            missing.push_back(path);
    }
    return missing;
}

COstrelApp::COstrelApp() : CEditorApp("Ostrel")
{
}

COstrelApp::~COstrelApp() = default;

void COstrelApp::Start()
{
    m_pDocument = std::make_unique<COstrelDocument>(GetStartFolder());
    m_pDocument->LoadUnitTables();
    // One box for all that is missing, not one per file.
    const std::vector<std::string> missing = MissingStartFiles(GetStartFolder());
    if (!missing.empty()) {
        std::string text = "The data folder " + GetStartFolder() + " lacks these files:";
        for (const std::string& path : missing)
            text += "\n" + path;
        Prompts().MessageBox(text, "ICS Unit Data Failed to open file", EPromptButtons::Ok, EPromptIcon::Error);
    }
    m_pDocument->InstallConditionHooks();
    m_pDialog = std::make_unique<COstrelDlg>(*m_pDocument);
    m_pMainWnd = m_pDialog.get();
}

bool COstrelApp::InitInstance()
{
    Start();
    m_pDialog->DoModal();
    return false;
}

int COstrelApp::ExitInstance()
{
    m_pMainWnd = nullptr;
    m_pDialog.reset();
    m_pDocument.reset();
    return 0;
}
