// Minimal HUD: its panel art and the control band.
#include "game/screens/hud/HUD.h"

bool HUD::LoadArt(CDisplay* display, const std::string& base, uint32_t* modeFlags)
{
    m_pModeFlags = modeFlags;
    return m_art.Load(display, base, "HUD_Art.csv", 67);
}

void HUD::Draw(CSurface* target)
{
    m_art.DrawPanel(target);
}

int HUD::OnMouseMove(int, int y, uint32_t)
{
    return y >= 448 ? 1 : 0;
}
