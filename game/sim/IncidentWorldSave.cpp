// The incident world's block of a saved game: fires, spills, objects, zone groups, re-skins and obstructions.
#include "game/sim/IncidentWorld.h"

#include "core/world/Sprite.h"
#include "core/world/SpriteManager.h"
#include "core/util/ByteStream.h"

#include <algorithm>
#include <cmath>

namespace {

struct FireRecord {
    float fIntensity;
    uint8_t byStage;
    int16_t nCounter;
    int32_t nX, nY;
};
struct ChemicalRecord {
    float fAmount;
    uint8_t byFlow;
    int32_t nX, nY, nFlags;
};
struct ObjectRecord {
    float fValue;
    uint8_t byStage;
    int32_t nX, nY, nFlags, nKind;
    int16_t nCounter;
};
struct ZoneRecord {
    int16_t nGroupSize;
    int32_t nKey, nX, nY, nFlags, nKind;
};
struct ObstructionRecord {
    float fValue;
    int32_t nId;
};

// A count read from the block, bounded by what is left of it.
bool ReadCount(CByteReader& in, size_t recordSize, int32_t& count)
{
    if (!in.ReadI32(count) || count < 0)
        return false;
    return static_cast<uint64_t>(count) * recordSize <= in.Remaining();
}

} // namespace

void CIncidentWorld::SaveTo(CByteWriter& out) const
{
    out.WriteI32(m_fires.Size());
    out.WriteI32(m_nFireCount);
    out.WriteI32(m_nFirePeak);
    for (CIncidentNode* n = m_fires.Head(); n; n = n->m_pNext) {
        out.WriteFloat(n->m_fValue);
        out.WriteU8(n->m_byStage);
        out.WriteI16(n->m_nCounter);
        out.WriteI32(n->m_pTile ? n->m_pTile->m_nX : -1);
        out.WriteI32(n->m_pTile ? n->m_pTile->m_nY : -1);
    }
    out.WriteI32(m_chemicals.Size());
    out.WriteI32(m_nSpillCount);
    out.WriteI32(m_nSpillPeak);
    for (CIncidentNode* n = m_chemicals.Head(); n; n = n->m_pNext) {
        out.WriteFloat(n->m_fValue);
        out.WriteU8(n->m_byStage);
        out.WriteI32(n->m_pTile ? n->m_pTile->m_nX : -1);
        out.WriteI32(n->m_pTile ? n->m_pTile->m_nY : -1);
        // Mended: the tile's mark stays after its visible spill is gone, so a hidden spill that came later was
        // written (and came back) as a visible one; the spill's own kind says it.
        out.WriteI32(n->m_nType == kIncSpillVisible ? kTileVisibleSpill : 0);
    }
    out.WriteI32(m_objects.Size());
    for (CIncidentNode* n = m_objects.Head(); n; n = n->m_pNext) {
        out.WriteFloat(n->m_fValue);
        out.WriteU8(n->m_byStage);
        out.WriteI32(n->m_pTile ? n->m_pTile->m_nX : -1);
        out.WriteI32(n->m_pTile ? n->m_pTile->m_nY : -1);
        out.WriteI32(n->m_pSprite ? n->m_pSprite->m_Placement.Flags : n->m_nSpriteFlags);
        out.WriteI32(n->m_nType);
        out.WriteI16(n->m_nCounter);
    }
    out.WriteI32(m_nZoneGroupCounter);
    out.WriteI32(m_nZoneMark);
    // Runs of equal group key along the list; each run is written with the number of nodes really in it.
    std::vector<std::pair<CIncidentNode*, int>> runs;
    for (CIncidentNode* n = m_zones.Head(); n; n = n->m_pNext) {
        if (!runs.empty() && runs.back().first->m_nGroupKey == n->m_nGroupKey && runs.back().second < 32767)
            ++runs.back().second;
        else
            runs.emplace_back(n, 1);
    }
    out.WriteI32(static_cast<int32_t>(runs.size()));
    for (const auto& [first, size] : runs) {
        out.WriteI16(static_cast<int16_t>(size));
        CIncidentNode* n = first;
        for (int i = 0; i < size; ++i, n = n->m_pNext) {
            out.WriteI32(n->m_nGroupKey);
            out.WriteI32(n->m_pTile ? n->m_pTile->m_nX : -1);
            out.WriteI32(n->m_pTile ? n->m_pTile->m_nY : -1);
            out.WriteI32(n->m_pSprite ? n->m_pSprite->m_Placement.Flags : n->m_nSpriteFlags);
            out.WriteI32(n->m_nType);
        }
    }
    out.WriteI32(static_cast<int32_t>(m_mapReskin.size()));
    for (const auto& [kind, value] : m_mapReskin) {
        out.WriteI32(kind);
        out.WriteI32(value);
    }
    out.WriteI32(static_cast<int32_t>(m_aObstructions.size()));
    for (CObstruction* o : m_aObstructions) {
        out.WriteFloat(o->m_fValue);
        out.WriteI32(o->m_pSprite ? o->m_pSprite->m_Placement.ServiceId : -1);
    }
}

bool CIncidentWorld::Save(FILE* file) const
{
    if (!file)
        return false;
    CByteWriter out;
    SaveTo(out);
    return std::fwrite(out.Bytes(), 1, out.Size(), file) == out.Size();
}

bool CIncidentWorld::LoadFrom(CByteReader& in)
{
    // Everything is read and checked first, so a broken block changes nothing.
    int32_t count = 0, fireCount = 0, firePeak = 0, spillCount = 0, spillPeak = 0;
    std::vector<FireRecord> fires;
    if (!ReadCount(in, 15, count) || !in.ReadI32(fireCount) || !in.ReadI32(firePeak))
        return false;
    for (int32_t i = 0; i < count; ++i) {
        FireRecord r{};
        in.ReadFloat(r.fIntensity);
        in.ReadU8(r.byStage);
        in.ReadI16(r.nCounter);
        in.ReadI32(r.nX);
        in.ReadI32(r.nY);
        fires.push_back(r);
    }
    std::vector<ChemicalRecord> chemicals;
    if (!ReadCount(in, 17, count) || !in.ReadI32(spillCount) || !in.ReadI32(spillPeak))
        return false;
    for (int32_t i = 0; i < count; ++i) {
        ChemicalRecord r{};
        in.ReadFloat(r.fAmount);
        in.ReadU8(r.byFlow);
        in.ReadI32(r.nX);
        in.ReadI32(r.nY);
        in.ReadI32(r.nFlags);
        chemicals.push_back(r);
    }
    std::vector<ObjectRecord> objects;
    if (!ReadCount(in, 23, count))
        return false;
    for (int32_t i = 0; i < count; ++i) {
        ObjectRecord r{};
        in.ReadFloat(r.fValue);
        in.ReadU8(r.byStage);
        in.ReadI32(r.nX);
        in.ReadI32(r.nY);
        in.ReadI32(r.nFlags);
        in.ReadI32(r.nKind);
        in.ReadI16(r.nCounter);
        objects.push_back(r);
    }
    int32_t groupCounter = 0, zoneMark = 0, groups = 0;
    std::vector<ZoneRecord> zones;
    if (!in.ReadI32(groupCounter) || !in.ReadI32(zoneMark) || !ReadCount(in, 2, groups))
        return false;
    for (int32_t g = 0; g < groups; ++g) {
        int16_t size = 0;
        if (!in.ReadI16(size) || size < 0 || static_cast<size_t>(size) * 20 > in.Remaining())
            return false;
        for (int i = 0; i < size; ++i) {
            ZoneRecord r{};
            r.nGroupSize = size;
            in.ReadI32(r.nKey);
            in.ReadI32(r.nX);
            in.ReadI32(r.nY);
            in.ReadI32(r.nFlags);
            in.ReadI32(r.nKind);
            zones.push_back(r);
        }
    }
    std::vector<std::pair<int32_t, int32_t>> reskins;
    if (!ReadCount(in, 8, count))
        return false;
    for (int32_t i = 0; i < count; ++i) {
        int32_t kind = 0, value = 0;
        in.ReadI32(kind);
        in.ReadI32(value);
        reskins.emplace_back(kind, value);
    }
    std::vector<ObstructionRecord> obstructions;
    if (!ReadCount(in, 8, count))
        return false;
    for (int32_t i = 0; i < count; ++i) {
        ObstructionRecord r{};
        in.ReadFloat(r.fValue);
        in.ReadI32(r.nId);
        obstructions.push_back(r);
    }
    if (!in.Ok() || fireCount < 0 || firePeak < 0 || spillCount < 0 || spillPeak < 0)
        return false;
    // Values no game writes: a place off the grid (no place at all is -1, -1), an amount that is not a number.
    auto placed = [&](int32_t x, int32_t y) { return (x == -1 && y == -1) || TileAt(x, y) != nullptr; };
    auto amount = [](float v) { return std::isfinite(v) && v >= 0.0f; };
    for (const FireRecord& r : fires)
        if (!placed(r.nX, r.nY) || !amount(r.fIntensity) || r.byStage > 3)
            return false;
    for (const ChemicalRecord& r : chemicals)
        if (!placed(r.nX, r.nY) || !amount(r.fAmount))
            return false;
    for (const ObjectRecord& r : objects)
        if (!placed(r.nX, r.nY) || !std::isfinite(r.fValue) || r.nKind < 0)
            return false;
    for (const ZoneRecord& r : zones)
        if (!placed(r.nX, r.nY) || r.nKind < 0)
            return false;
    for (const ObstructionRecord& r : obstructions)
        if (!std::isfinite(r.fValue))
            return false;

    // Rebuilt through the normal placements, last record first, so that every list keeps its order.
    m_bLoading = true;
    for (auto it = fires.rbegin(); it != fires.rend(); ++it) {
        CPathTile* tile = TileAt(it->nX, it->nY);
        if (!tile)
            continue;
        if (it->byStage == 3 && it->fIntensity == 0.0f) {
            tile->m_nFlags |= kTileBurnt;
            AddObject(tile, tile->m_abyCosts[kCost] != 255 ? kIncBurntFeature : kIncBurntGround, 0.0f, 0, false);
            continue;
        }
        if (CIncidentNode* node = AddFire(tile, it->fIntensity)) {
            node->m_byStage = std::min<uint8_t>(it->byStage, 3);
            node->m_nCounter = it->nCounter;
        }
    }
    for (auto it = chemicals.rbegin(); it != chemicals.rend(); ++it) {
        if (CIncidentNode* node =
                AddChemical(TileAt(it->nX, it->nY), it->fAmount, (it->nFlags & kTileVisibleSpill) != 0))
            node->m_byStage = static_cast<uint8_t>(it->byFlow & 0xF);
    }
    for (auto it = objects.rbegin(); it != objects.rend(); ++it) {
        if (CIncidentNode* node = AddObject(TileAt(it->nX, it->nY), it->nKind, it->fValue, it->nCounter,
                                            (it->nFlags & kHiddenSpriteFlag) != 0))
            node->m_byStage = it->byStage;
    }
    for (auto it = zones.rbegin(); it != zones.rend(); ++it)
        AddZoneNode(TileAt(it->nX, it->nY), it->nKey, it->nGroupSize, it->nKind, (it->nFlags & kHiddenSpriteFlag) != 0);
    m_bLoading = false;
    m_nZoneGroupCounter = groupCounter;
    m_nZoneMark = zoneMark;
    m_nFirePeak = std::max({firePeak, m_nFirePeak, m_nFireCount});
    m_nSpillPeak = std::max({spillPeak, m_nSpillPeak, m_nSpillCount});
    (void)fireCount;
    (void)spillCount;
    for (const auto& [kind, value] : reskins)
        m_mapReskin[kind] = value;

    // Obstructions the block does not list are gone from the map.
    for (CObstruction* o : m_aObstructions)
        o->m_fValue = -1.0f;
    for (const ObstructionRecord& r : obstructions)
        for (CObstruction* o : m_aObstructions)
            if (o->m_pSprite && o->m_pSprite->m_Placement.ServiceId == r.nId)
                o->m_fValue = r.fValue;
    for (auto it = m_aObstructions.begin(); it != m_aObstructions.end();) {
        CObstruction* o = *it;
        if (o->m_fValue != -1.0f) {
            ++it;
            continue;
        }
        if (o->m_pSprite) {
            if (m_pGrid)
                m_pGrid->ApplyFootprint(o->m_pSprite, false);
            DeleteSprite(o->m_pSprite);
        }
        delete o;
        it = m_aObstructions.erase(it);
    }
    RefreshView();
    return true;
}

namespace {

constexpr size_t kTileMarkSize = 12;

// Every tile of the grid: each cell head, and the sixteen sub-tiles of a divided cell.
template <typename Visit> void ForEachTile(const CPathData& grid, Visit visit)
{
    for (int row = 0; row < grid.GetRows(); ++row)
        for (int column = 0; column < grid.GetColumns(); ++column) {
            CPathTile* head = grid.GetCell(row, column);
            if (!head)
                continue;
            if (!head->IsSubTile()) {
                visit(*head);
                continue;
            }
            for (int r = 0; r < 4; ++r)
                for (int c = 0; c < 4; ++c)
                    if (CPathTile* t = CPathData::SubTile(head, r, c))
                        visit(*t);
        }
}

} // namespace

void CIncidentWorld::SaveTileMarks(CByteWriter& out) const
{
    std::vector<const CPathTile*> marked;
    if (m_pGrid)
        ForEachTile(*m_pGrid, [&marked](const CPathTile& t) {
            if (t.m_nFlags & kTileIncidentMarks)
                marked.push_back(&t);
        });
    out.WriteU32(kTileMarksTag);
    out.WriteI32(static_cast<int32_t>(marked.size()));
    for (const CPathTile* t : marked) {
        out.WriteI32(t->m_nX);
        out.WriteI32(t->m_nY);
        out.WriteI32(t->m_nFlags & kTileIncidentMarks);
    }
}

bool CIncidentWorld::LoadTileMarks(CByteReader& in)
{
    uint32_t tag = 0;
    int32_t count = 0;
    if (!in.ReadU32(tag) || tag != kTileMarksTag || !ReadCount(in, kTileMarkSize, count) || !m_pGrid)
        return false;
    std::vector<std::pair<CPathTile*, int32_t>> marks;
    for (int32_t i = 0; i < count; ++i) {
        int32_t x = 0, y = 0, flags = 0;
        in.ReadI32(x);
        in.ReadI32(y);
        in.ReadI32(flags);
        CPathTile* tile = in.Ok() ? m_pGrid->GetTileAt(x, y) : nullptr;
        if (!tile || tile->m_nX != x || tile->m_nY != y || (flags & ~kTileIncidentMarks) != 0)
            return false;
        marks.emplace_back(tile, flags);
    }
    ForEachTile(*m_pGrid, [](CPathTile& t) { t.m_nFlags &= ~kTileIncidentMarks; });
    for (const auto& [tile, flags] : marks)
        tile->m_nFlags |= flags;
    return true;
}

bool CIncidentWorld::Load(FILE* file)
{
    if (!file)
        return false;
    // The block has no length of its own: read what is left of the file and step past what the block used.
    long start = std::ftell(file);
    if (start < 0 || std::fseek(file, 0, SEEK_END) != 0)
        return false;
    long end = std::ftell(file);
    if (end < start || std::fseek(file, start, SEEK_SET) != 0)
        return false;
    std::vector<uint8_t> rest(static_cast<size_t>(end - start));
    if (!rest.empty() && std::fread(rest.data(), 1, rest.size(), file) != rest.size())
        return false;
    CByteReader in(rest.data(), rest.size());
    bool ok = LoadFrom(in);
    std::fseek(file, start + static_cast<long>(ok ? in.Position() : 0), SEEK_SET);
    return ok;
}
