// Vellisk's application object: the document's owner (through the model's application) and the main frame.
#pragma once

#include "editors/common/ui/EditorApp.h"

#include <memory>

class CMainFrame;

namespace vellisk {
class CVelliskApp;
}

class CVelliskApplication : public CEditorApp {
public:
    CVelliskApplication();
    ~CVelliskApplication() override;

    // Registers the editor's classes, creates the document and the frame, shows it maximised and sets up the view.
    bool InitInstance() override;
    // The frame, then the document.
    int ExitInstance() override;

    vellisk::CVelliskApp* App() const { return m_pApp.get(); }
    CMainFrame* Frame() const { return m_pFrame.get(); }

private:
    std::unique_ptr<vellisk::CVelliskApp> m_pApp;
    std::unique_ptr<CMainFrame> m_pFrame;
};
