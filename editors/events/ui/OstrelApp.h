// Ostrel's application object: the document over the start folder, the unit tables, the condition hooks and the
// main dialog run modally.
#pragma once

#include "editors/common/ui/EditorApp.h"

#include <memory>
#include <string>
#include <vector>

class COstrelDocument;
class COstrelDlg;

class COstrelApp : public CEditorApp {
public:
    COstrelApp();
    ~COstrelApp() override;

    // Builds the document, reads the unit tables (one box names every missing data file), installs the
    // conditions' lookups and runs the main dialog; returns false, so no event loop follows.
    bool InitInstance() override;
    int ExitInstance() override;

    // Start-up without the modal run (tests open the dialog themselves).
    void Start();
    COstrelDocument* GetDocument() const { return m_pDocument.get(); }
    COstrelDlg* GetDialog() const { return m_pDialog.get(); }

private:
    std::unique_ptr<COstrelDocument> m_pDocument;
    std::unique_ptr<COstrelDlg> m_pDialog;
};

// The data files Ostrel reads at start that `folder` lacks (full paths, unit tables first).
std::vector<std::string> MissingStartFiles(const std::string& folder);
