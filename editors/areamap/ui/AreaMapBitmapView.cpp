// The area-map view's widget over the view model.
#include "editors/areamap/ui/AreaMapBitmapView.h"

#include "editors/areamap/model/VelliskApp.h"
#include "editors/areamap/ui/Panes.h"
#include "editors/areamap/ui/StationDialog.h"

#include "core/display/CDisplay.h"

#include <QResizeEvent>

using vellisk::CAreaMapViewModel;

CFormViewAreaMapBitmap::CFormViewAreaMapBitmap(vellisk::CVelliskApp& app, QWidget* parent)
    : CPresenterView(CAreaMapViewModel::kViewWidth, CAreaMapViewModel::kViewHeight, parent), m_app(app), m_model(*this)
{
    setMinimumSize(CAreaMapViewModel::kViewWidth, CAreaMapViewModel::kViewHeight);
}

CFormViewAreaMapBitmap::~CFormViewAreaMapBitmap()
{
    if (m_app.View() == &m_model)
        m_app.SetView(nullptr);
}

bool CFormViewAreaMapBitmap::InitialUpdate(vellisk::CUserMessage* failure)
{
    if (m_bInitialised)
        return true;
    m_bInitialised = true;
    m_pDisplay = std::make_unique<CDisplay>(this, CAreaMapViewModel::kViewWidth, CAreaMapViewModel::kViewHeight, 16,
                                            0xFF8264, true);
    m_model.SetDisplay(m_pDisplay.get());
    m_model.SetClientSize(width(), height());
    m_app.SetView(&m_model);
    const bool ok = m_model.SetUp(failure);
    m_pDisplay->UpdateBounds(this, 0, 0);
    m_model.Render();
    return ok;
}

int CFormViewAreaMapBitmap::SelectedStationTemplate() const
{
    return m_pSpriteList ? m_pSpriteList->SelectedStation() : -1;
}

void CFormViewAreaMapBitmap::ClearStationSelection()
{
    if (m_pSpriteList)
        m_pSpriteList->ClearSelection();
}

void CFormViewAreaMapBitmap::SetStatusText(const std::string& text)
{
    if (m_onStatus)
        m_onStatus(text);
}

void CFormViewAreaMapBitmap::CursorChanged()
{
    switch (m_model.Cursor()) {
    case CAreaMapViewModel::kCursorHidden:
        SetViewCursor(EViewCursor::Hidden);
        break;
    case CAreaMapViewModel::kCursorPath:
        SetViewCursor(EViewCursor::Cross);
        break;
    default:
        SetViewCursor(EViewCursor::Arrow);
        break;
    }
}

void CFormViewAreaMapBitmap::EditStation(CSprite* station)
{
    CDialogStationResources dialog(m_model, station, this);
    dialog.DoModal();
}

void CFormViewAreaMapBitmap::OnDraw()
{
    m_model.Render();
}

void CFormViewAreaMapBitmap::OnMouseMove(uint32_t flags, int x, int y)
{
    m_model.OnMouseMove(flags, x, y);
    CursorChanged();
}

void CFormViewAreaMapBitmap::OnLButtonDown(uint32_t flags, int x, int y)
{
    setFocus(Qt::MouseFocusReason);
    m_model.OnLButtonDown(flags, x, y);
    CursorChanged();
}

void CFormViewAreaMapBitmap::OnLButtonUp(uint32_t flags, int x, int y)
{
    m_model.OnLButtonUp(flags, x, y);
    CursorChanged();
}

void CFormViewAreaMapBitmap::OnLButtonDblClk(uint32_t flags, int x, int y)
{
    m_model.OnLButtonDblClk(flags, x, y);
    CursorChanged();
}

void CFormViewAreaMapBitmap::OnRButtonDown(uint32_t flags, int x, int y)
{
    m_model.OnRButtonDown(flags, x, y);
    CursorChanged();
}

void CFormViewAreaMapBitmap::OnKeyDown(uint32_t vk, uint32_t)
{
    m_model.OnKeyDown(vk);
    CursorChanged();
}

void CFormViewAreaMapBitmap::resizeEvent(QResizeEvent* event)
{
    CPresenterView::resizeEvent(event);
    m_model.SetClientSize(width(), height());
    if (m_pDisplay)
        m_pDisplay->UpdateBounds(this, 0, 0);
}

void CFormViewAreaMapBitmap::leaveEvent(QEvent* event)
{
    CPresenterView::leaveEvent(event);
    SetStatusText(m_model.StatusLine(-1, -1));
}
