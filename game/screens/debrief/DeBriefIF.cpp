// Minimal de-briefing: its panel art; a left click leaves it.
#include "game/screens/debrief/DeBriefIF.h"

bool DeBriefIF::LoadArt(CDisplay* display, const std::string& base, uint32_t* modeFlags)
{
    m_pModeFlags = modeFlags;
    return m_art.Load(display, base, "DeBrief_Art.csv", 63);
}

void DeBriefIF::Init(CDeBriefText* text)
{
    m_pText = text;
}

void DeBriefIF::OnMouseMove(int, int, uint32_t) {}

void DeBriefIF::OnMouseUp(int, int, uint32_t) {}

bool DeBriefIF::OnClick(int, int, uint32_t buttons)
{
    return m_bShown && (buttons & 1) != 0;
}

void DeBriefIF::OnKey(uint32_t) {}

void DeBriefIF::OnChar(uint32_t) {}

void DeBriefIF::Draw(CSurface* target)
{
    m_art.DrawPanel(target);
}
