// Vellisk's main window: the menus and file commands, the tool bar, the status bar, and the splitter holding the
// station list, the editor controls and the area-map view.
#pragma once

#include "editors/areamap/ui/UserMessages.h"
#include "editors/common/ui/Frame.h"

#include <memory>
#include <string>

class CBSplit;
class CFormViewAreaMapBitmap;
class CFormViewEditorControls;
class CFormviewSpriteList;
class CStatusPanes;
class QAction;

namespace vellisk {
class CVelliskApp;
}

class CMainFrame : public CEditorFrame {
public:
    explicit CMainFrame(vellisk::CVelliskApp& app, QWidget* parent = nullptr);
    ~CMainFrame() override;

    // The views' set-up (once the frame exists): "GameInfo.txt", the sprite lists, the incident site.
    bool InitialUpdate();

    void OnFileNew();
    void OnFileOpen();
    void OnFileSave();
    void OnFileSaveAs();

    CFormViewAreaMapBitmap* MapView() const { return m_pMapView; }
    CFormviewSpriteList* SpriteList() const { return m_pSpriteList; }
    CFormViewEditorControls* Controls() const { return m_pControls; }
    CStatusPanes& StatusPanes() const { return *m_pStatus; }
    QAction* Command(const std::string& name) const;

protected:
    bool OnClose() override;

private:
    void CreateMenus();
    void CreateClient();
    // F6 and Shift+F6: the keyboard focus to the next or previous pane that can hold it.
    void CreatePaneKeys();
    void ActivateNextPane(bool previous);
    // The map bitmap the locator and the map-bitmap dialog made (empty when none was saved).
    std::string NewBitmapFlow();
    // An existing map bitmap chosen in Maps ("*.bmp"); empty when cancelled.
    std::string PickMapBitmap();
    // Caption, panes and list after a new or opened area map.
    void ShowFileLoaded();
    void UpdateCaption();

    vellisk::CVelliskApp& m_app;
    CVelliskPrompts m_prompts;
    QSplitter* m_pSplitter = nullptr;
    CBSplit* m_pLeft = nullptr;
    CFormviewSpriteList* m_pSpriteList = nullptr;
    CFormViewEditorControls* m_pControls = nullptr;
    CFormViewAreaMapBitmap* m_pMapView = nullptr;
    std::unique_ptr<CStatusPanes> m_pStatus;
};
