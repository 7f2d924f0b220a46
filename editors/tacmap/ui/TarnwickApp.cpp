// Tarnwick's application object: the model, the frame, and the map view's requests passed to the windows.
#include "editors/tacmap/ui/TarnwickApp.h"

#include "editors/common/ui/Frame.h"
#include "editors/tacmap/ui/Dialogs.h"
#include "editors/tacmap/ui/FormViewSim.h"
#include "editors/tacmap/ui/MainFrame.h"
#include "editors/tacmap/ui/Panes.h"

#include <QRect>

CTarnwickApp::CTarnwickApp() : CTarnwickApp(std::string()) {}

CTarnwickApp::CTarnwickApp(const std::string& dataFolder) : CEditorApp(tacmap::kAppName)
{
    // The world comes first: the windows are made over it.
    tacmap::RegisterTarnwickClasses();
    m_pModel = std::make_unique<tacmap::CTarnwickModel>(dataFolder.empty() ? GetStartFolder() : dataFolder, *this);
}

CTarnwickApp::~CTarnwickApp()
{
    m_pModel->Palette().onChanged = nullptr;
    m_pFrame.reset();
    m_pModel.reset();
}

CTarnwickApp* CTarnwickApp::GetTarnwickApp()
{
    return dynamic_cast<CTarnwickApp*>(GetApp());
}

CMainFrame* CTarnwickApp::CreateMainFrame()
{
    if (m_pFrame)
        return m_pFrame.get();
    m_pFrame = std::make_unique<CMainFrame>(*this);
    m_pMainWnd = m_pFrame.get();
    Palette().onChanged = [this] {
        if (m_pSpritesPane)
            m_pSpritesPane->Sync();
        else if (m_pTileDisplay)
            m_pTileDisplay->ShowTile();
    };
    // The map view's first update: the display presents into it, then a new scenario.
    World().SetWindowedDefaults();
    World().CreateDisplay(m_pSimView);
    View().FirstUpdate();
    if (m_pSpritesPane)
        m_pSpritesPane->Sync();
    View().SetSelectedSprite(nullptr);
    return m_pFrame.get();
}

bool CTarnwickApp::InitInstance()
{
    CMainFrame* frame = CreateMainFrame();
    frame->showMaximized();
    if (m_pSimView)
        m_pSimView->setFocus();
    return true;
}

int CTarnwickApp::GetSelectedTile() const
{
    return m_pModel->Palette().GetSelectedTile();
}

int CTarnwickApp::GetSelectedSquadTemplate() const
{
    return m_pModel->Palette().GetSelectedSquadTemplate();
}

int CTarnwickApp::GetSelectedVehicleTemplate() const
{
    return m_pModel->Palette().GetSelectedVehicleTemplate();
}

int CTarnwickApp::GetSelectedFeatureTemplate() const
{
    return m_pModel->Palette().GetSelectedFeatureTemplate();
}

void CTarnwickApp::SetStatusTexts(const std::string& sprites, const std::string& position)
{
    if (!m_pFrame)
        return;
    m_pFrame->StatusPanes().SetPaneText(1, sprites);
    m_pFrame->StatusPanes().SetPaneText(2, position);
}

void CTarnwickApp::Redraw(const RECT& area)
{
    if (m_pSimView)
        m_pSimView->update(QRect(QPoint(area.left, area.top), QPoint(area.right, area.bottom)).normalized());
}

void CTarnwickApp::UpdateCursor()
{
    if (m_pSimView)
        m_pSimView->RefreshCursor();
}

void CTarnwickApp::Beep()
{
    MessageBeep();
}

void CTarnwickApp::SetZoomRadios(bool zoomedOut)
{
    if (m_pControlsPane)
        m_pControlsPane->SetZoomRadios(zoomedOut);
}

bool CTarnwickApp::IsShowChecked() const
{
    return m_pControlsPane ? m_pControlsPane->IsShowChecked() : true;
}

bool CTarnwickApp::ChooseSpritesToDelete(const std::vector<CSprite*>& sprites, std::vector<CSprite*>* chosen)
{
    CDialogDeleteSprites dialog(m_pSimView);
    dialog.m_vSprites = sprites;
    if (dialog.DoModal() != IDOK)
        return false;
    *chosen = dialog.m_vChosen;
    return true;
}

void CTarnwickApp::TakeFocus()
{
    if (m_pSimView)
        m_pSimView->setFocus();
}
