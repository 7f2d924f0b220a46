// The path grid: loading and storing, tile lookups, links, cost rules and footprints.
#include "core/world/PathData.h"

#include "core/persist/QFArchive.h"
#include "core/world/Map2DLinked.h"
#include "core/world/Sprite.h"
#include "core/world/TileVisitor.h"
#include "core/world/WorldContext.h"

#include <algorithm>
#include <cstdint>
#include <new>
#include <utility>

QF_IMPLEMENT_SERIAL(CPathData, 1)

// ---- cost rules ----

uint8_t VehicleBaseFor(uint8_t cost, bool subdivided)
{
    return cost < (subdivided ? 40 : 160) ? cost : 255;
}

void CPathTile::ApplyFootRule(uint8_t cost)
{
    uint8_t& foot = m_abyCosts[kFootBase];
    if (foot >= cost)
        return;
    int candidate = cost == 255 ? 255 : static_cast<int>(cost / (1.0 + 3.0 * cost / 256.0) + 0.5);
    if (candidate > foot)
        foot = static_cast<uint8_t>(candidate);
}

uint8_t FootBaseFor(uint8_t cost)
{
    CPathTile tile;
    tile.ApplyFootRule(cost);
    return tile.m_abyCosts[kFootBase];
}

int CPathTile::FeatureIndex(int slot) const
{
    const CFeatureNode* node = m_apFeatures[slot];
    return node && node->m_pSprite ? node->m_pSprite->m_Placement.Id : 0;
}

namespace {
struct Additions {
    int foot = 0;
    int vehicle = 0;
};

Additions FeatureAdditions(const CPathTile& tile)
{
    bool sub = tile.IsSubTile();
    auto pick = [sub](int whole, int quarter) { return sub ? quarter : whole; };
    Additions a;
    int fire = tile.FeatureIndex(0);
    int object = tile.FeatureIndex(1);
    int chemical = tile.FeatureIndex(2);
    if (fire == 5)
        a.foot = pick(240, 60);
    else if (fire == 6)
        a.foot = pick(64, 16);
    else if (fire == 7)
        a.foot = pick(128, 32);
    bool chem = chemical == 11 || chemical == 129 || chemical == 130;
    if (chem)
        a.foot += pick(240, 60);
    if (object == 2 || object == 12)
        a.foot += pick(96, 24);
    else if (object == 8 || object == 9 || object == 10 || object == 128)
        a.foot += pick(224, 56);
    else if (object == 13 || object == 131)
        a.foot += pick(32, 8);

    if (fire == 5 || fire == 7)
        a.vehicle = pick(128, 32);
    if (chem)
        a.vehicle += pick(224, 56);
    if (object == 8 || object == 9 || object == 10 || object == 128)
        a.vehicle += pick(32, 8);
    return a;
}

uint8_t Effective(uint8_t base, int addition)
{
    return base == 255 ? 255 : static_cast<uint8_t>(std::min(base + addition, 254));
}
} // namespace

void CPathTile::UpdateCosts(bool copyToCell)
{
    Additions a = FeatureAdditions(*this);
    int object = FeatureIndex(1);
    m_abyCosts[kFootCost] = Effective(m_abyCosts[kFootBase], a.foot);
    if (m_abyCosts[kVehicleBase] == 255 || object == 2 || object == 12)
        m_abyCosts[kVehicleCost] = 255;
    else
        m_abyCosts[kVehicleCost] = Effective(m_abyCosts[kVehicleBase], a.vehicle);
    if (!copyToCell || !IsSubTile() || m_pCellHead != this)
        return;
    for (int r = 0; r < 4; ++r) {
        for (int c = 0; c < 4; ++c) {
            CPathTile* t = CPathData::SubTile(this, r, c);
            if (!t)
                continue;
            t->m_abyCosts[kFootCost] = Effective(t->m_abyCosts[kFootBase], a.foot);
            t->m_abyCosts[kVehicleCost] = Effective(t->m_abyCosts[kVehicleBase], a.vehicle);
        }
    }
}

int CPathTile::GetFeatureScore() const
{
    if (m_abyCosts[kFootBase] == 255)
        return 999;
    int fire = FeatureIndex(0);
    int score = fire == 5 ? 8 : fire == 6 ? 2 : fire == 7 ? 4 : 0;
    int chemical = FeatureIndex(2);
    if (chemical == 11 || chemical == 129 || chemical == 130)
        score += 10;
    return score;
}

// ---- grid ----

CPathData::CPathData() = default;

CPathData::~CPathData()
{
    DeleteAllTiles();
}

CPathTile* CPathData::GetCell(int row, int column) const
{
    if (row < 0 || column < 0 || row >= m_nRows || column >= m_nColumns)
        return nullptr;
    size_t at = static_cast<size_t>(row) * static_cast<size_t>(m_nColumns) + static_cast<size_t>(column);
    return at < m_vCells.size() ? m_vCells[at] : nullptr;
}

CPathTile* CPathData::SubTile(CPathTile* head, int subRow, int subColumn)
{
    if (!head || !head->IsSubTile())
        return head;
    CPathTile* t = head;
    for (int i = 0; i < subColumn && t; ++i)
        t = t->m_apLinks[1][0];
    for (int i = 0; i < subRow && t; ++i)
        t = t->m_apLinks[2][0];
    return t;
}

CPathTile* CPathData::NewTile()
{
    if (m_nBlockUsed == kTilesPerBlock) {
        std::unique_ptr<CPathTile[]> block(new (std::nothrow) CPathTile[kTilesPerBlock]);
        if (!block)
            return nullptr;
        m_vTileBlocks.push_back(std::move(block));
        m_nBlockUsed = 0;
    }
    return &m_vTileBlocks.back()[m_nBlockUsed++];
}

void CPathData::DeleteAllTiles()
{
    m_vCells.clear();
    m_vTileBlocks.clear();
    m_nBlockUsed = kTilesPerBlock;
    m_pFirstTile = nullptr;
    m_nColumns = 0;
    m_nRows = 0;
}

namespace {
// The tiles of a cell along one side (0 top, 1 right, 2 bottom, 3 left), in link order; 1 or 4 of them.
int EdgeTiles(CPathTile* head, int side, CPathTile* out[4])
{
    if (!head->IsSubTile()) {
        out[0] = head;
        return 1;
    }
    for (int k = 0; k < 4; ++k) {
        int r = side == 0 ? 0 : side == 2 ? 3 : k;
        int c = side == 3 ? 0 : side == 1 ? 3 : k;
        out[k] = CPathData::SubTile(head, r, c);
        if (!out[k])
            return 0;
    }
    return 4;
}
} // namespace

void CPathData::LinkTiles(CPathTile* a, CPathTile* b, int axis)
{
    if (!a || !b || (axis != 0 && axis != 1))
        return;
    int forward = axis == 0 ? 2 : 1; // from a toward b
    int back = axis == 0 ? 0 : 3;
    CPathTile* aSide[4] = {};
    CPathTile* bSide[4] = {};
    int na = EdgeTiles(a, axis == 0 ? 2 : 1, aSide);
    int nb = EdgeTiles(b, axis == 0 ? 0 : 3, bSide);
    if (na == 0 || nb == 0)
        return;
    if (na == nb) {
        for (int k = 0; k < na; ++k) {
            aSide[k]->m_apLinks[forward][0] = bSide[k];
            bSide[k]->m_apLinks[back][0] = aSide[k];
        }
    } else if (na == 1) {
        for (int k = 0; k < 4; ++k) {
            a->m_apLinks[forward][k] = bSide[k];
            bSide[k]->m_apLinks[back][0] = a;
        }
    } else {
        for (int k = 0; k < 4; ++k) {
            b->m_apLinks[back][k] = aSide[k];
            aSide[k]->m_apLinks[forward][0] = b;
        }
    }
}

CPathTile* CPathData::GetTileAt(int x, int y) const
{
    if (m_vCells.empty())
        return nullptr;
    // Points left of or above the map resolve into the first column or row.
    int column = x < 0 ? 0 : x >> 5;
    int row = y < 0 ? 0 : y >> 5;
    CPathTile* head = GetCell(row, column);
    if (!head || !head->IsSubTile())
        return head;
    int dx = x - head->m_nX;
    int dy = y - head->m_nY;
    int subColumn = dx > 7 ? std::min(dx >> 3, 3) : 0;
    int subRow = dy > 7 ? std::min(dy >> 3, 3) : 0;
    return SubTile(head, subRow, subColumn);
}

CPathTile* CPathData::GetCellAt(int x, int y) const
{
    CPathTile* tile = GetTileAt(x, y);
    return tile ? tile->m_pCellHead : nullptr;
}

CPathTile* CPathData::GetNeighbour(CPathTile* tile, int direction) const
{
    if (!tile || (tile->m_nX % 32) != 0 || (tile->m_nY % 32) != 0 || direction < 0)
        return nullptr;
    if (direction > 3)
        return tile;
    CPathTile* t = tile->m_apLinks[direction][0];
    if (!t)
        return nullptr;
    if (direction == 0 || direction == 3) {
        if (t->IsSubTile()) {
            for (int i = 0; i < 3 && t; ++i)
                t = t->m_apLinks[direction][0];
        }
    } else if (tile->IsSubTile()) {
        for (int i = 0; i < 3 && t; ++i)
            t = t->m_apLinks[direction][0];
    }
    return t;
}

int CPathData::VisitTilesAround(int tag, CPathTile* tile, int radius, CTileVisitor* visitor) const
{
    if (!visitor)
        return 0;
    visitor->m_nWalkKind = tag;
    visitor->m_fHitCount = 0.0f;
    int visits = 0;
    CPathTile* centre = tile ? tile->m_pCellHead : nullptr;
    if (centre && radius <= 0) {
        visitor->Visit(centre);
        visits = 1;
    } else if (centre) {
        bool stop = false;
        for (int d = 0; d < 4 && !stop; ++d) {
            CPathTile* middle = centre;
            for (int i = 0; i < radius && middle; ++i)
                middle = GetNeighbour(middle, d);
            if (!middle)
                continue;
            ++visits;
            stop = visitor->Visit(middle);
            int before = d == 0 ? 3 : d - 1;
            int after = d == 3 ? 0 : d + 1;
            CPathTile* t = middle;
            for (int i = 0; i < radius - 1 && !stop; ++i) {
                t = GetNeighbour(t, before);
                if (!t)
                    break;
                ++visits;
                stop = visitor->Visit(t);
            }
            t = middle;
            for (int i = 0; i < radius && !stop; ++i) {
                t = GetNeighbour(t, after);
                if (!t)
                    break;
                ++visits;
                stop = visitor->Visit(t);
            }
        }
    }
    for (float& p : visitor->m_afParams)
        p = 0.0f;
    return visits;
}

// ---- footprints ----

void CPathData::ApplyFootprint(const CSprite* sprite, bool blocked)
{
    if (!sprite)
        return;
    ApplyFootprint(sprite->m_Placement.WorldX, sprite->m_Placement.WorldY, sprite->m_anFrameWidth[0],
                   sprite->m_anFrameHeight[0], blocked);
}

void CPathData::ApplyFootprint(int x, int y, int width, int height, bool blocked)
{
    int64_t left = static_cast<int64_t>(x) - width / 2;
    int64_t top = static_cast<int64_t>(y) - height / 2;
    CPathTile* last = nullptr;
    for (int dx = 0; dx < width; dx += 8) {
        for (int dy = 0; dy < height; dy += 8) {
            int64_t px = left + dx;
            int64_t py = top + dy;
            // Parts of the rectangle off the map are left alone.
            if (px < 0 || py < 0 || px > INT32_MAX || py > INT32_MAX)
                continue;
            CPathTile* t = GetTileAt(static_cast<int>(px), static_cast<int>(py));
            if (!t || t == last)
                continue;
            last = t;
            if (blocked) {
                t->m_abyCosts[kVehicleBase] = 255;
                if (t->m_abyCosts[kFootBase] < 160)
                    t->m_abyCosts[kFootBase] = 56;
            } else {
                t->m_abyCosts[kVehicleBase] = VehicleBaseFor(t->m_abyCosts[kCost], t->IsSubTile());
                t->ApplyFootRule(t->m_abyCosts[kCost]);
            }
            t->UpdateCosts(true);
        }
    }
}

// ---- stored form ----

CPathTile* CPathData::ReadCell(QFArchive* archive, int row, int column, int tileType, bool* ok)
{
    CPathTile* tiles[4][4] = {};
    CPathTile* head = nullptr;
    // The tiles made so far stay in the grid's blocks, which the failed load frees.
    auto fail = [&]() -> CPathTile* {
        *ok = false;
        return nullptr;
    };
    for (int sr = 0; sr < 4; ++sr) {
        for (int sc = 0; sc < 4; ++sc) {
            char storedCost = 0;
            int16_t los = 0;
            QFSerializeValue(archive, &storedCost, "cost");
            QFSerializeValue(archive, &los, "pCurrent->m_LOSCost");
            if (archive->Failed())
                return fail();
            CPathTile* tile = NewTile();
            if (!tile)
                return fail();
            tiles[sr][sc] = tile;
            if (!head)
                head = tile;
            auto cost = static_cast<uint8_t>(storedCost);
            bool marked = (los & 0x400) != 0;
            tile->m_LOSCost = los;
            tile->m_abyCosts[kCost] = cost;
            tile->m_abyCosts[kVehicleBase] = VehicleBaseFor(cost, marked);
            tile->ApplyFootRule(cost);
            tile->m_nX = (column * 4 + sc) * 8;
            tile->m_nY = (row * 4 + sr) * 8;
            tile->m_byTileType = static_cast<uint8_t>(tileType);
            if (tileType == 162)
                tile->m_abyCosts[kVehicleBase] = 255;
            tile->m_pCellHead = head;
            tile->UpdateCosts(false);
            if (!marked && tile == head)
                return head; // one whole tile
            tile->m_LOSCost = static_cast<int16_t>(tile->m_LOSCost & 0x3FF);
            tile->m_nFlags |= 1;
            if (sr > 0) {
                tiles[sr - 1][sc]->m_apLinks[2][0] = tile;
                tile->m_apLinks[0][0] = tiles[sr - 1][sc];
            }
            if (sc > 0) {
                tiles[sr][sc - 1]->m_apLinks[1][0] = tile;
                tile->m_apLinks[3][0] = tiles[sr][sc - 1];
            }
        }
    }
    return head;
}

bool CPathData::LoadCells(QFArchive* archive)
{
    int32_t tileCount = 0;
    QFSerializeValue(archive, &tileCount, "dataTileCount");
    DeleteAllTiles();
    CMap2DLinked* map = GetCurrentMap();
    if (!map) {
        archive->SetFailed("path grid read with no current tile map");
        return false;
    }
    m_pMap = map;
    int columns = map->GetColumns();
    int rows = map->GetRows();
    bool ok = !archive->Failed();
    if (ok)
        m_vCells.reserve(static_cast<size_t>(columns) * static_cast<size_t>(rows));
    for (int row = 0; row < rows && ok; ++row) {
        for (int column = 0; column < columns && ok; ++column) {
            CPathTile* head = ReadCell(archive, row, column, map->GetTileIndex(row, column), &ok);
            if (!ok)
                break;
            m_vCells.push_back(head);
            m_nColumns = std::max(m_nColumns, column + 1);
            m_nRows = row + 1;
            LinkTiles(GetCell(row - 1, column), head, 0);
            LinkTiles(GetCell(row, column - 1), head, 1);
        }
    }
    if (!ok) {
        DeleteAllTiles();
        return false;
    }
    m_nColumns = columns;
    m_nRows = rows;
    m_pFirstTile = m_vCells.empty() ? nullptr : m_vCells.front();
    return true;
}

void CPathData::StoreCells(QFArchive* archive)
{
    int32_t tileCount = 0;
    for (CPathTile* head : m_vCells)
        tileCount += head->IsSubTile() ? 16 : 1;
    QFSerializeValue(archive, &tileCount, "dataTileCount");
    for (CPathTile* head : m_vCells) {
        bool sub = head->IsSubTile();
        for (int i = 0; i < (sub ? 16 : 1); ++i) {
            CPathTile* t = SubTile(head, i / 4, i % 4);
            auto cost = static_cast<char>(t ? t->m_abyCosts[kCost] : 0);
            int16_t los = t ? t->m_LOSCost : 0;
            // The marker bit tells the reader how many pairs follow: set on sub-tiles, never on a whole tile.
            los = static_cast<int16_t>(sub ? ((los & 0x3FF) | 0x400) : (los & ~0x400));
            QFSerializeValue(archive, &cost, "cost");
            QFSerializeValue(archive, &los, "pCurrent->m_LOSCost");
        }
    }
}

bool CPathData::Serialize(QFArchive* archive)
{
    QFBeginSection(archive, "BaseClass");
    QFSerializeBase::Serialize(archive);
    QFEndSection(archive, "BaseClass");
    QFSerializeVersion(archive, s_version);
    QFBeginSection(archive, "Members");
    bool ok = true;
    if (archive->IsStoring())
        StoreCells(archive);
    else
        ok = LoadCells(archive);
    if (!ok && !archive->Failed())
        archive->SetFailed("path grid could not be built");
    QFEndSection(archive, "Members");
    return ok;
}
