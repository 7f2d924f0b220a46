// Line of sight over the path grid: a straight-line tile walk that spends a budget of sight costs.
#include "core/world/PathData.h"

#include <algorithm>
#include <cmath>
#include <utility>

namespace {
// The tile next to `tile` in a direction; from a whole tile into a subdivided cell, the edge sub-tile that
// holds `offset` (pixels along the shared edge, inside the 32-pixel cell).
CPathTile* Step(CPathTile* tile, int direction, int offset)
{
    if (!tile)
        return nullptr;
    if (!tile->IsSubTile() && tile->m_apLinks[direction][1])
        return tile->m_apLinks[direction][std::clamp(offset / 8, 0, 3)];
    return tile->m_apLinks[direction][0];
}

int Mod(int value, int size)
{
    return value % size;
}

struct Walk {
    CPathTile* tile;
    int budget;
    // Charges a tile entered; false once the budget is spent.
    bool Enter(CPathTile* next)
    {
        if (next == tile)
            return true;
        tile = next;
        budget -= tile->m_LOSCost;
        return budget > 0;
    }
};
} // namespace

bool CPathData::HasLineOfSight(int x1, int y1, int x2, int y2, int budget) const
{
    // Both ends must lie on the grid.
    if (x1 < 0 || y1 < 0 || x2 < 0 || y2 < 0 || !GetTileAt(x1, y1) || !GetTileAt(x2, y2))
        return false;

    if (x1 == x2) {
        if (y1 > y2)
            std::swap(y1, y2);
        Walk walk{GetTileAt(x1, y1), budget - GetTileAt(x1, y1)->m_LOSCost};
        if (walk.budget <= 0)
            return false;
        for (int y = y1; y < y2;) {
            int ny = y + std::min(y2 - y, 8);
            int size = walk.tile->Size();
            if (Mod(ny, size) <= Mod(y, size)) {
                CPathTile* next = Step(walk.tile, 2, Mod(x1, 32));
                if (!next)
                    break;
                if (!walk.Enter(next))
                    return false;
            }
            y = ny;
        }
        return walk.budget > 0;
    }

    float slope = static_cast<float>(y2 - y1) / static_cast<float>(x2 - x1);
    bool shallow = std::fabs(slope) <= 1.0f;
    if (shallow ? x1 > x2 : y1 > y2) {
        std::swap(x1, x2);
        std::swap(y1, y2);
    }
    float intercept = static_cast<float>(y1) - slope * static_cast<float>(x1);
    Walk walk{GetTileAt(x1, y1), budget - GetTileAt(x1, y1)->m_LOSCost};
    if (walk.budget <= 0)
        return false;

    int x = x1;
    int y = y1;
    if (shallow) {
        int lastRowY = y1;
        while (x < x2) {
            int nx = x + std::min(x2 - x, 7);
            int ny = static_cast<int>(intercept + slope * static_cast<float>(nx));
            CPathTile* next = walk.tile;
            int size = next->Size();
            if (Mod(nx, size) < Mod(x, size))
                next = Step(next, 1, Mod(y, 32));
            if (!next)
                break;
            int rowSize = next->Size();
            bool rowChange = ny != lastRowY && ((slope > 0 && Mod(ny, rowSize) < Mod(y, rowSize)) ||
                                                (slope < 0 && Mod(ny, rowSize) > Mod(y, rowSize)));
            if (rowChange) {
                next = Step(next, slope > 0 ? 2 : 0, Mod(nx, 32));
                lastRowY = ny;
                if (!next)
                    break;
            }
            if (!walk.Enter(next))
                return false;
            x = nx;
            y = ny;
        }
    } else {
        int lastColumnX = x1;
        while (y < y2) {
            int ny = y + std::min(y2 - y, 7);
            int nx = static_cast<int>((static_cast<float>(ny) - intercept) / slope);
            CPathTile* next = walk.tile;
            int size = next->Size();
            if (Mod(ny, size) < Mod(y, size))
                next = Step(next, 2, Mod(x, 32));
            if (!next)
                break;
            int columnSize = next->Size();
            bool columnChange = nx != lastColumnX && ((slope > 0 && Mod(nx, columnSize) < Mod(x, columnSize)) ||
                                                      (slope < 0 && Mod(nx, columnSize) > Mod(x, columnSize)));
            if (columnChange) {
                next = Step(next, slope > 0 ? 1 : 3, Mod(ny, 32));
                lastColumnX = nx;
                if (!next)
                    break;
            }
            if (!walk.Enter(next))
                return false;
            x = nx;
            y = ny;
        }
    }
    return walk.budget > 0;
}
