// Minimal role selection: its panel art; a left click or the start key leaves it.
#include "game/screens/role/RoleIF.h"

bool CRoleMenuData::Load(const std::string&, const std::string&)
{
    return true;
}

bool RoleIF::LoadArt(CDisplay* display, const std::string& base, uint32_t* modeFlags)
{
    m_pModeFlags = modeFlags;
    return m_art.Load(display, base, "Role_Art.csv", 26);
}

void RoleIF::Init(CRoleMenuData*) {}

void RoleIF::OnMouseMove(int, int, uint32_t) {}

bool RoleIF::OnClick(int, int, uint32_t buttons)
{
    return (buttons & 1) != 0;
}

void RoleIF::OnKey(uint32_t) {}

void RoleIF::OnChar(uint32_t) {}

void RoleIF::Draw(CSurface* target)
{
    m_art.DrawPanel(target);
}
