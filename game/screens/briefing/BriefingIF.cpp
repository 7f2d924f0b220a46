// Minimal briefing: its panel art; a left click leaves it, F4 marks it done.
#include "game/screens/briefing/BriefingIF.h"

bool BriefingIF::LoadArt(CDisplay* display, const std::string& base, uint32_t* modeFlags)
{
    m_pModeFlags = modeFlags;
    return m_art.Load(display, base, "Briefing_Art.csv", 14);
}

void BriefingIF::Init(CBriefingText* text)
{
    m_pText = text;
    m_bShown = true;
}

void BriefingIF::OnMouseMove(int, int, uint32_t) {}

bool BriefingIF::OnClick(int, int, uint32_t buttons)
{
    if (m_bDone || (buttons & 1)) {
        m_bDone = false;
        return true;
    }
    return false;
}

void BriefingIF::OnKey(uint32_t code)
{
    if (code == 0x73)
        m_bDone = true;
}

void BriefingIF::Draw(CSurface* target)
{
    m_art.DrawPanel(target);
}
