// Nearest palette entries by cells of colour space: each cell keeps the entries whose nearest point of the cell is
// no farther than the best of all entries' farthest points, which holds every entry that can win inside it.
#include "imagelib/RasterNearest.h"

#include <algorithm>
#include <cstdlib>
#include <iterator>

CRasterNearest::CRasterNearest(const RGBQUAD* palette, uint32_t count) : m_count(palette ? std::min(count, 256u) : 0)
{
    for (uint32_t i = 0; i < m_count; ++i) {
        m_blue[i] = palette[i].rgbBlue;
        m_green[i] = palette[i].rgbGreen;
        m_red[i] = palette[i].rgbRed;
    }
    std::fill(std::begin(m_cellStart), std::end(m_cellStart), kUnbuilt);
}

void CRasterNearest::BuildCell(uint32_t cell)
{
    constexpr int kSpan = (1 << kCellShift) - 1;
    constexpr uint32_t kMask = (1u << (8 - kCellShift)) - 1;
    const int lo[3] = {static_cast<int>(cell & kMask) << kCellShift,
                       static_cast<int>((cell >> (8 - kCellShift)) & kMask) << kCellShift,
                       static_cast<int>(cell >> (2 * (8 - kCellShift))) << kCellShift};
    int nearest[256];
    int bound = 1 << 30;
    for (uint32_t i = 0; i < m_count; ++i) {
        const int v[3] = {m_blue[i], m_green[i], m_red[i]};
        int nearSum = 0, farSum = 0;
        for (int c = 0; c < 3; ++c) {
            const int below = lo[c] - v[c], above = v[c] - (lo[c] + kSpan);
            const int d = below > 0 ? below : above > 0 ? above : 0;
            const int f = std::max(std::abs(v[c] - lo[c]), std::abs(v[c] - lo[c] - kSpan));
            nearSum += d * d;
            farSum += f * f;
        }
        nearest[i] = nearSum;
        bound = std::min(bound, farSum);
    }
    m_cellStart[cell] = static_cast<uint32_t>(m_candidates.size());
    for (uint32_t i = 0; i < m_count; ++i)
        if (nearest[i] <= bound)
            m_candidates.push_back(static_cast<uint8_t>(i));
    m_cellSize[cell] = static_cast<uint16_t>(m_candidates.size() - m_cellStart[cell]);
}

uint8_t CRasterNearest::Search(uint8_t blue, uint8_t green, uint8_t red)
{
    if (m_count == 0)
        return 0;
    const uint32_t cell = (blue >> kCellShift) | (green >> kCellShift) << (8 - kCellShift) |
                          (red >> kCellShift) << (2 * (8 - kCellShift));
    if (m_cellStart[cell] == kUnbuilt)
        BuildCell(cell);
    const uint8_t* c = m_candidates.data() + m_cellStart[cell];
    const uint32_t n = m_cellSize[cell];
    int best = 1 << 30;
    uint8_t bestIndex = 0;
    for (uint32_t k = 0; k < n; ++k) {
        const uint8_t i = c[k];
        const int db = m_blue[i] - blue, dg = m_green[i] - green, dr = m_red[i] - red;
        const int d = db * db + dg * dg + dr * dr;
        if (d < best) {
            best = d;
            bestIndex = i;
        }
    }
    return bestIndex;
}
