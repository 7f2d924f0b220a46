// Minimal IAP phase screen: its panel art while open.
#include "game/screens/iap/IAP_PhaseIF.h"

bool IAP_PhaseIF::LoadArt(CDisplay* display, const std::string& base)
{
    return m_art.Load(display, base, "IAP_Art.csv", 43);
}

void IAP_PhaseIF::Draw(CSurface* target)
{
    if (m_bShown)
        m_art.DrawPanel(target);
}
