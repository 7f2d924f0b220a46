// Minimal info box and the message box with its OK and Cancel buttons.
#include "game/screens/boxes/Boxes.h"

CInfoBox::CInfoBox(const std::string&, CDisplay*) {}

CInfoBox::~CInfoBox() = default;

bool CInfoBox::OnMouse(int kind, int, int, uint32_t)
{
    if (!m_bShown)
        return false;
    if (kind == 1)
        m_bShown = false;
    return true;
}

void CInfoBox::Draw(CSurface*) {}

CMessageBox::CMessageBox(const std::string&, CDisplay*) {}

CMessageBox::~CMessageBox() = default;

void CMessageBox::ShowMessage(const std::string& text)
{
    m_strText = text;
    m_bShown = true;
}

bool CMessageBox::OnMouse(int x, int y, uint32_t buttons, int& result)
{
    result = 0;
    if (!m_bShown)
        return false;
    auto inside = [&](int bx) {
        int left = kPanelX + bx, top = kPanelY + 160;
        return x >= left && x < left + kButtonWidth && y >= top && y < top + kButtonHeight;
    };
    int hit = inside(235) ? 1 : inside(310) ? 2 : 0;
    m_nHover = hit;
    if ((buttons & 1) && hit) {
        result = hit;
        m_bShown = false;
    }
    return true;
}

void CMessageBox::Draw(CSurface*) {}

void ConfirmExit(CMessageBox* box)
{
    if (box)
        box->ShowMessage("Do you want to exit?");
}
