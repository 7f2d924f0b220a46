// The briefing screen and its text pages (minimal: draws its panel; a left click or F4 then a click is "Next").
#pragma once

#include "game/screens/art/ArtList.h"

#include <cstdint>
#include <string>

class CDisplay;
class CSurface;

class CBriefingText {
public:
    int m_nLineCount = 0;
};

class BriefingIF {
public:
    BriefingIF() = default;
    bool LoadArt(CDisplay* display, const std::string& base, uint32_t* modeFlags);
    void Init(CBriefingText* text);
    void OnMouseMove(int x, int y, uint32_t buttons);
    // True when the player leaves the briefing.
    bool OnClick(int x, int y, uint32_t buttons);
    void OnKey(uint32_t code);
    void Draw(CSurface* target);

    bool m_bShown = false;
    bool m_bDone = false;

private:
    CArtList m_art;
    uint32_t* m_pModeFlags = nullptr;
    CBriefingText* m_pText = nullptr;
};
