// Vellisk's start-up and exit.
#include "editors/areamap/ui/VelliskApplication.h"

#include "editors/areamap/model/VelliskApp.h"
#include "editors/areamap/ui/MainFrame.h"

CVelliskApplication::CVelliskApplication() : CEditorApp("Vellisk") {}

CVelliskApplication::~CVelliskApplication()
{
    m_pFrame.reset();
    m_pApp.reset();
}

bool CVelliskApplication::InitInstance()
{
    vellisk::RegisterVelliskClasses();
    m_pApp = std::make_unique<vellisk::CVelliskApp>(GetStartFolder());
    m_pFrame = std::make_unique<CMainFrame>(*m_pApp);
    m_pMainWnd = m_pFrame.get();
    m_pFrame->resize(1024, 720);
    m_pFrame->showMaximized();
    m_pFrame->InitialUpdate();
    return true;
}

int CVelliskApplication::ExitInstance()
{
    m_pMainWnd = nullptr;
    m_pFrame.reset();
    m_pApp.reset();
    return 0;
}
