// The IAP phase screen (minimal: draws its panel when open; keeps the penalty total).
#pragma once

#include "game/screens/art/ArtList.h"

#include <cstdint>
#include <string>

class CDisplay;
class CSurface;
class CEOCUnitData;

class IAP_PhaseIF {
public:
    IAP_PhaseIF() = default;
    bool LoadArt(CDisplay* display, const std::string& base);
    void Init(CEOCUnitData* data) { m_pData = data; }
    void Open(uint32_t) { m_bShown = true; }
    void Close() { m_bShown = false; }
    // While shown the screen takes the pointer (true); hovered section and row stay -1 until it is built.
    bool OnMouseMove(int, int, uint32_t) { return m_bShown; }
    bool OnClick(int, int, uint32_t) { return m_bShown; }
    void Draw(CSurface* target);

    bool m_bShown = false;
    int32_t m_nPenaltyTotal = 0;
    int m_nHoverSection = -1;
    int m_nHoverRow = -1;

private:
    CArtList m_art;
    CEOCUnitData* m_pData = nullptr;
};
