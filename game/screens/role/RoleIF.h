// The role-selection screen and its menu table (minimal: draws its panel; a left click leaves it).
#pragma once

#include "game/screens/art/ArtList.h"

#include <cstdint>
#include <string>

class CDisplay;
class CSurface;

class CRoleMenuData {
public:
    bool Load(const std::string& base, const std::string& file);
};

class RoleIF {
public:
    RoleIF() = default;
    bool LoadArt(CDisplay* display, const std::string& base, uint32_t* modeFlags);
    void Init(CRoleMenuData* layout);
    void Open(bool shown) { m_bShown = shown; }
    void OnMouseMove(int x, int y, uint32_t buttons);
    // True when the player leaves role selection for the scenario.
    bool OnClick(int x, int y, uint32_t buttons);
    void OnKey(uint32_t code);
    void OnChar(uint32_t character);
    void Draw(CSurface* target);
    void RefreshPlayers() {}

    bool m_bShown = false;

private:
    CArtList m_art;
    uint32_t* m_pModeFlags = nullptr;
};
