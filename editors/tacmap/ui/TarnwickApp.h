// Tarnwick's application object: it owns the scenario editor's model (the world first), builds the main frame,
// holds the panes' and the map view's pointers, and answers the map view's requests to its windows.
#pragma once

#include "editors/common/ui/EditorApp.h"
#include "editors/tacmap/model/TarnwickModel.h"

#include <memory>
#include <string>

class CMainFrame;
class CFormViewSim;
class CFormViewSprites;
class CFormViewEditorControls;
class CFormViewTileDisplay;

class CTarnwickApp : public CEditorApp, public tacmap::IMapViewHost {
public:
    // The data folder is the folder the program started in, or the one given.
    CTarnwickApp();
    explicit CTarnwickApp(const std::string& dataFolder);
    ~CTarnwickApp() override;

    // Builds the main frame, shows it maximised and gives the map view the focus.
    bool InitInstance() override;
    // Builds the main frame (with the first new scenario) without showing it; the frame stays the app's.
    CMainFrame* CreateMainFrame();
    CMainFrame* GetMainFrame() const { return m_pFrame.get(); }

    static CTarnwickApp* GetTarnwickApp();
    tacmap::CTarnwickModel& Model() { return *m_pModel; }
    tacmap::CEditorWorld& World() { return m_pModel->World(); }
    tacmap::CTacticalMapView& View() { return m_pModel->View(); }
    tacmap::CSpritePalette& Palette() { return m_pModel->Palette(); }

    // The palette's four selections (-1: none of that kind).
    int GetSelectedTile() const;
    int GetSelectedSquadTemplate() const;
    int GetSelectedVehicleTemplate() const;
    int GetSelectedFeatureTemplate() const;

    // The map view's requests.
    void SetStatusTexts(const std::string& sprites, const std::string& position) override;
    void Redraw(const RECT& area) override;
    void UpdateCursor() override;
    void Beep() override;
    void SetZoomRadios(bool zoomedOut) override;
    bool IsShowChecked() const override;
    bool ChooseSpritesToDelete(const std::vector<CSprite*>& sprites, std::vector<CSprite*>* chosen) override;
    void TakeFocus() override;

    // Set by the windows as they are made (null until then and after they go).
    CFormViewSprites* m_pSpritesPane = nullptr;
    CFormViewEditorControls* m_pControlsPane = nullptr;
    CFormViewSim* m_pSimView = nullptr;
    CFormViewTileDisplay* m_pTileDisplay = nullptr;

private:
    std::unique_ptr<tacmap::CTarnwickModel> m_pModel;
    std::unique_ptr<CMainFrame> m_pFrame;
};
