// The de-briefing screen and its text pages (minimal: draws its panel; a left click leaves it).
#pragma once

#include "game/screens/art/ArtList.h"

#include <cstdint>
#include <string>

class CDisplay;
class CSurface;

class CDeBriefText {
public:
    int m_nLineCount = 0;
};

class DeBriefIF {
public:
    DeBriefIF() = default;
    bool LoadArt(CDisplay* display, const std::string& base, uint32_t* modeFlags);
    void Init(CDeBriefText* text);
    void OnMouseMove(int x, int y, uint32_t buttons);
    void OnMouseUp(int x, int y, uint32_t buttons);
    // True when the player leaves the de-briefing.
    bool OnClick(int x, int y, uint32_t buttons);
    void OnKey(uint32_t code);
    void OnChar(uint32_t character);
    void Draw(CSurface* target);
    void Activate(bool shown) { m_bShown = shown; }
    void CollectResults() {}

    bool m_bShown = false;

private:
    CArtList m_art;
    uint32_t* m_pModeFlags = nullptr;
    CDeBriefText* m_pText = nullptr;
};
