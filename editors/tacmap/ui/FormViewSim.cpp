// The tactical map view's window: drawing through the world's display, input to the view's logic.
#include "editors/tacmap/ui/FormViewSim.h"

#include "editors/tacmap/ui/TarnwickApp.h"

using tacmap::MapCursor;

CFormViewSim::CFormViewSim(CTarnwickApp& app, QWidget* parent)
    : CPresenterView(800, 600, parent), m_app(app)
{
    setFixedSize(800, 600);
    m_app.m_pSimView = this;
}

CFormViewSim::~CFormViewSim()
{
    if (m_app.m_pSimView == this)
        m_app.m_pSimView = nullptr;
}

void CFormViewSim::RefreshCursor()
{
    switch (m_app.View().Cursor()) {
    case MapCursor::Fragment:
        SetViewCursor(EViewCursor::Cross);
        break;
    case MapCursor::Hidden:
        SetViewCursor(EViewCursor::Hidden);
        break;
    case MapCursor::ZoomIn:
        SetViewCursor(EViewCursor::ZoomIn);
        break;
    case MapCursor::Normal:
        SetViewCursor(EViewCursor::Arrow);
        break;
    }
}

void CFormViewSim::OnDraw()
{
    m_app.View().Draw();
}

void CFormViewSim::OnMouseMove(uint32_t flags, int x, int y)
{
    m_app.View().OnMouseMove(flags, x, y);
}

void CFormViewSim::OnLButtonDown(uint32_t flags, int x, int y)
{
    setFocus();
    m_app.View().OnLButtonDown(flags, x, y);
}

void CFormViewSim::OnLButtonUp(uint32_t flags, int x, int y)
{
    m_app.View().OnLButtonUp(flags, x, y);
}

void CFormViewSim::OnLButtonDblClk(uint32_t flags, int x, int y)
{
    // The map takes no double clicks: the second press is a press of its own.
    OnLButtonDown(flags, x, y);
}

void CFormViewSim::OnRButtonDown(uint32_t flags, int x, int y)
{
    setFocus();
    m_app.View().OnRButtonDown(flags, x, y);
}

void CFormViewSim::OnMouseWheel(uint32_t, int delta, int, int)
{
    m_app.View().OnMouseWheel(delta);
}

void CFormViewSim::OnKeyDown(uint32_t vk, uint32_t flags)
{
    m_app.View().OnKeyDown(vk, flags);
}

void CFormViewSim::OnKeyUp(uint32_t vk, uint32_t)
{
    m_app.View().OnKeyUp(vk);
}
