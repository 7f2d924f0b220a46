// Minimal HUD: its panel art and the control band.
#include "game/screens/hud/HUD.h"

#include "platform/gdi/Font.h"

HUD::HUD() : m_pMessageFont(platform::gdi::Font::Create({14, platform::gdi::FW_NORMAL, false, "Arial", true})) {}

HUD::~HUD() = default;

int HUD::MeasureMessageText(const std::string& text)
{
    if (!m_pMessageFont)
        return static_cast<int>(text.size()) * 7;
    int width = 0;
    for (unsigned char ch : text)
        width += m_pMessageFont->Advance(ch);
    return width;
}

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
