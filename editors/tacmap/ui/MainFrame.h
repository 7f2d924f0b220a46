// Tarnwick's main frame: menus, the hidden tool bar, the status panes, the splitters holding the tile display,
// palette and controls beside the map view, and the File and Edit commands with their prompts.
#pragma once

#include "editors/common/ui/Frame.h"

#include <memory>
#include <string>

class CBSplit;
class CFormViewSim;
class CStatusPanes;
class CTarnwickApp;
class QMenu;
class QToolBar;

class CMainFrame : public CEditorFrame {
public:
    explicit CMainFrame(CTarnwickApp& app);
    ~CMainFrame() override;

    // The File menu's commands.
    void OnFileOpen();
    void OnFileSave();
    void OnFileSaveAs() { SaveScenarioAs(false); }
    void SaveScenarioAs(bool asXml);
    void OnImportEvents();
    void OnExportEventsAsText();
    void OnExportEvents();
    void OnRemoveAllEvents();
    // The Edit menu's commands.
    void OnScenarioDetails();
    void OnScoringDetails();
    void OnCostDetails();

    // The caption: the scenario file's title and the program's name.
    void UpdateCaption();
    CStatusPanes& StatusPanes() { return *m_pStatusPanes; }
    QMenu* FileMenu() const { return m_pFileMenu; }
    QMenu* EditMenu() const { return m_pEditMenu; }
    QToolBar* ToolBar() const { return m_pToolBar; }
    CFormViewSim* MapPane() const { return m_pMapPane; }
    CBSplit* LeftColumn() const { return m_pLeft; }

protected:
    bool OnClose() override;
    void focusInEvent(QFocusEvent* event) override;

private:
    void CreateMenus();
    // The keys of the accelerator table that have no menu item.
    void CreateAccelerators();
    void CreateClient();
    // While the scenario is modified asks "Do you wish to save?": true to go on (No, or Yes and it saved).
    bool SaveModified();
    // The scenario's full path chosen in a file dialog of that kind, empty when cancelled.
    std::string ChooseFile(bool save, const char* ext, const char* filter);

    CTarnwickApp& m_app;
    QToolBar* m_pToolBar = nullptr;
    std::unique_ptr<CStatusPanes> m_pStatusPanes;
    QMenu* m_pFileMenu = nullptr;
    QMenu* m_pEditMenu = nullptr;
    CBSplit* m_pLeft = nullptr;
    CFormViewSim* m_pMapPane = nullptr;
};
