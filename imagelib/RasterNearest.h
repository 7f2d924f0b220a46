// The nearest palette entry of a colour for many pixels at once: the entry GetNearestIndex finds (least squared
// distance over blue, green and red, the first of equal distances), found among the few entries that can be nearest
// anywhere in the colour's cell of colour space, with a cache of recent colours.
#pragma once

#include "imagelib/RasterTypes.h"

#include <cstdint>
#include <vector>

class CRasterNearest {
public:
    // Entries 0 .. count - 1 of the palette; the palette may change or go once this is made. Large: make it on the
    // heap.
    CRasterNearest(const RGBQUAD* palette, uint32_t count);
    uint8_t Nearest(uint8_t blue, uint8_t green, uint8_t red)
    {
        const uint32_t key = blue | green << 8 | red << 16 | kValid;
        const uint32_t slot = (key * 2654435761u) >> (32 - kCacheBits);
        if (m_cacheKey[slot] == key)
            return m_cacheIndex[slot];
        const uint8_t index = Search(blue, green, red);
        m_cacheKey[slot] = key;
        m_cacheIndex[slot] = index;
        return index;
    }

private:
    static constexpr uint32_t kValid = 1u << 24;
    static constexpr int kCacheBits = 14;
    static constexpr int kCellShift = 4; // cells of 16 x 16 x 16 colours
    static constexpr uint32_t kCells = 1u << (3 * (8 - kCellShift));
    static constexpr uint32_t kUnbuilt = 0xFFFFFFFFu;

    uint8_t Search(uint8_t blue, uint8_t green, uint8_t red);
    // The entries that can be nearest to some colour of the cell, in palette order.
    void BuildCell(uint32_t cell);

    uint32_t m_count;
    uint8_t m_blue[256], m_green[256], m_red[256];
    uint32_t m_cellStart[kCells];
    uint16_t m_cellSize[kCells];
    std::vector<uint8_t> m_candidates;
    uint32_t m_cacheKey[1u << kCacheBits] = {};
    uint8_t m_cacheIndex[1u << kCacheBits] = {};
};
