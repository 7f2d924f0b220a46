// Small value types the world model shares: rectangles and points (the display's) and the game's view-mode record.
#pragma once

#include "platform/display/Geometry.h"

#include <cstdint>

// The part of the game object's mode record that the map and the sprites read (owned by the game).
struct CModeRecord {
    int32_t m_nModeFlags = 0;     // 0x200000 shows every visibility class, 0x8000000 passes every agency
    int32_t m_nZoom = 0;          // 0: 32-pixel tiles, 1: 8-pixel tiles
    int32_t m_nViewMode = 0;      // 1: the view stays at the map origin
    int32_t m_nFilterOptions = 0; // option word of the draw filter
    uint8_t m_bFilterSwitch = 0;  // option switch
    int32_t m_nClassOptions = 0;  // 0x1, 0x2, 0x4: visibility classes -3, -2, -4
    uint8_t m_bClassSwitch = 0;   // class switch
};
