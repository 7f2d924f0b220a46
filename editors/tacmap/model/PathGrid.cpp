// The scenario editor's path grid: tiles, fragments, costs from the tile types and the stored form.
#include "editors/tacmap/model/PathGrid.h"

#include "core/persist/QFArchive.h"
#include "core/world/Map2DLinked.h"

namespace tacmap {

QF_IMPLEMENT_SERIAL(CPathData, 2)

namespace {
// A fragmented tile read from a file carries these in its own record; its sub-tiles hold the real costs.
constexpr uint8_t kLoadedFragmentPath = 201;
constexpr int16_t kLoadedFragmentLOS = 387;
} // namespace

CPathData::CPathData() : m_vSubtiles(kSubtileSlots) {}

CPathData::~CPathData()
{
    FreeAll();
}

void CPathData::FreeAll()
{
    m_vTiles.clear();
    m_nTileCount = 0;
    for (Subtile& s : m_vSubtiles)
        s = Subtile();
}

bool CPathData::Bind(CMap2DLinked* map)
{
    m_pMap = map;
    FreeAll();
    if (map) {
        m_nTileCount = map->GetColumns() * map->GetRows();
        m_vTiles.assign(static_cast<size_t>(m_nTileCount), Tile());
    }
    return true;
}

int CPathData::IndexOf(int column, int row) const
{
    // Each coordinate on its own: a column past the right edge never wraps into the next row.
    if (!m_pMap || column < 0 || row < 0 || column >= m_pMap->GetColumns() || row >= m_pMap->GetRows())
        return -1;
    const int64_t index = static_cast<int64_t>(row) * m_pMap->GetColumns() + column;
    return index < m_nTileCount ? static_cast<int>(index) : -1;
}

int CPathData::SlotOf(int column, int row, int sx, int sy) const
{
    const int index = IndexOf(column, row);
    if (index < 0 || sx < 0 || sx > 3 || sy < 0 || sy > 3)
        return -1;
    const Tile& tile = m_vTiles[static_cast<size_t>(index)];
    if (!(tile.los & kFragmentBit) || tile.subtile < 0)
        return -1;
    const int slot = tile.subtile + 4 * sy + sx;
    return slot < kSubtileSlots ? slot : -1;
}

int CPathData::TileTypeAt(int index) const
{
    if (!m_pMap || m_pMap->GetColumns() <= 0)
        return -1;
    return m_pMap->GetTileIndex(index / m_pMap->GetColumns(), index % m_pMap->GetColumns());
}

const CPathData::Tile* CPathData::GetTile(int index) const
{
    return index >= 0 && index < m_nTileCount ? &m_vTiles[static_cast<size_t>(index)] : nullptr;
}

const CPathData::Subtile* CPathData::GetSubtileSlot(int slot) const
{
    return slot >= 0 && slot < kSubtileSlots ? &m_vSubtiles[static_cast<size_t>(slot)] : nullptr;
}

int CPathData::GetFragmentCount() const
{
    int count = 0;
    for (const Tile& t : m_vTiles)
        count += (t.los & kFragmentBit) ? 1 : 0;
    return count;
}

// ---- costs from the tile types ----

void CPathData::FreeBlockOf(Tile& tile)
{
    if (tile.subtile >= 0)
        for (int k = 0; k < 16 && tile.subtile + k < kSubtileSlots; ++k)
            m_vSubtiles[static_cast<size_t>(tile.subtile + k)] = Subtile();
    tile.subtile = -1;
    tile.los = static_cast<int16_t>(tile.los & ~kFragmentBit);
}

void CPathData::SetTileFromType(int index, int column, int row)
{
    if (column >= 0 && row >= 0)
        index = IndexOf(column, row);
    if (index < 0 || index >= m_nTileCount || !m_pMap)
        return;
    const CTileType* type = m_pMap->GetTileType(TileTypeAt(index));
    if (!type)
        return;
    Tile& tile = m_vTiles[static_cast<size_t>(index)];
    FreeBlockOf(tile); // the old form left a fragmented tile's block taken for ever
    tile.path = static_cast<uint8_t>(type->m_anCost[0]);
    tile.los = static_cast<int16_t>(type->m_anLOS[0] & ~kFragmentBit);
}

void CPathData::RecomputeTile(int column, int row)
{
    if (IndexOf(column, row) < 0)
        return;
    if (IsFragmented(column, row)) {
        ToggleFragment(column, row);
        ToggleFragment(column, row);
    } else {
        SetTileFromType(-1, column, row);
    }
}

void CPathData::RecomputeAll(const std::function<void()>& footprints)
{
    const int columns = m_pMap ? m_pMap->GetColumns() : 0;
    for (int index = 0; index < m_nTileCount && columns > 0; ++index) {
        const int column = index % columns;
        const int row = index / columns;
        if (m_vTiles[static_cast<size_t>(index)].los & kFragmentBit) {
            ToggleFragment(column, row);
            ToggleFragment(column, row);
        } else {
            SetTileFromType(index, -1, -1);
        }
    }
    if (footprints)
        footprints();
}

int CPathData::FreeBlock() const
{
    for (int slot = 0; slot < kSubtileSlots; slot += 16)
        if (!m_vSubtiles[static_cast<size_t>(slot)].used)
            return slot;
    return -1;
}

bool CPathData::ToggleFragment(int column, int row)
{
    const int index = IndexOf(column, row);
    if (index < 0)
        return false;
    Tile& tile = m_vTiles[static_cast<size_t>(index)];
    const CTileType* type = m_pMap->GetTileType(TileTypeAt(index));
    if (!(tile.los & kFragmentBit)) {
        const int block = FreeBlock();
        if (block < 0 || !type)
            return false;
        tile.subtile = block;
        tile.los = static_cast<int16_t>(tile.los | kFragmentBit);
        for (int k = 0; k < 16; ++k)
            SetSubtile(block + k, index, static_cast<uint8_t>(type->m_anCost[1 + k]),
                       static_cast<int16_t>(type->m_anLOS[1 + k]));
        return true;
    }
    FreeBlockOf(tile);
    if (type) {
        tile.path = static_cast<uint8_t>(type->m_anCost[0]);
        tile.los = static_cast<int16_t>(type->m_anLOS[0] & ~kFragmentBit);
    }
    return false;
}

// ---- accessors ----

bool CPathData::IsFragmented(int column, int row) const
{
    const int index = IndexOf(column, row);
    return index >= 0 && (m_vTiles[static_cast<size_t>(index)].los & kFragmentBit) != 0;
}

int32_t CPathData::GetSubtileIndex(int column, int row) const
{
    const int index = IndexOf(column, row);
    return index < 0 ? -1 : m_vTiles[static_cast<size_t>(index)].subtile;
}

int32_t CPathData::GetPathCost(int column, int row) const
{
    const int index = IndexOf(column, row);
    return index < 0 ? -1 : m_vTiles[static_cast<size_t>(index)].path;
}

int32_t CPathData::GetLOSCost(int column, int row) const
{
    const int index = IndexOf(column, row);
    return index < 0 ? -1 : m_vTiles[static_cast<size_t>(index)].los & 0x3FF;
}

int32_t CPathData::GetSubtilePathCost(int column, int row, int sx, int sy) const
{
    const int slot = SlotOf(column, row, sx, sy);
    return slot < 0 || !m_vSubtiles[static_cast<size_t>(slot)].used ? -1 : m_vSubtiles[static_cast<size_t>(slot)].path;
}

int32_t CPathData::GetSubtileLOSCost(int column, int row, int sx, int sy) const
{
    const int slot = SlotOf(column, row, sx, sy);
    return slot < 0 || !m_vSubtiles[static_cast<size_t>(slot)].used
               ? -1
               : m_vSubtiles[static_cast<size_t>(slot)].los & 0x3FF;
}

void CPathData::SetPathCost(int column, int row, uint8_t cost)
{
    const int index = IndexOf(column, row);
    if (index >= 0)
        m_vTiles[static_cast<size_t>(index)].path = cost;
}

void CPathData::SetLOSCost(int column, int row, int16_t value)
{
    const int index = IndexOf(column, row);
    if (index < 0)
        return;
    Tile& tile = m_vTiles[static_cast<size_t>(index)];
    tile.los = static_cast<int16_t>((value & ~kFragmentBit) | (tile.los & kFragmentBit));
}

void CPathData::SetSubtilePathCost(int column, int row, int sx, int sy, uint8_t cost)
{
    const int slot = SlotOf(column, row, sx, sy);
    if (slot >= 0 && m_vSubtiles[static_cast<size_t>(slot)].used)
        m_vSubtiles[static_cast<size_t>(slot)].path = cost;
}

void CPathData::SetSubtileLOSCost(int column, int row, int sx, int sy, int16_t value)
{
    const int slot = SlotOf(column, row, sx, sy);
    if (slot >= 0 && m_vSubtiles[static_cast<size_t>(slot)].used)
        m_vSubtiles[static_cast<size_t>(slot)].los = static_cast<int16_t>(value | kFragmentBit);
}

void CPathData::SetSubtile(int slot, int32_t owner, uint8_t path, int16_t los)
{
    if (slot < 0 || slot >= kSubtileSlots)
        return;
    m_vSubtiles[static_cast<size_t>(slot)] = Subtile{true, path, static_cast<int16_t>(los | kFragmentBit), owner};
}

// ---- stored form ----

bool CPathData::Serialize(QFArchive* archive)
{
    return archive->IsLoading() ? SerializeLoad(archive) : SerializeStore(archive);
}

bool CPathData::SerializeStore(QFArchive* archive)
{
    QFBeginSection(archive, "BaseClass");
    QFSerializeBase::Serialize(archive);
    QFEndSection(archive, "BaseClass");
    QFSerializeVersion(archive, s_version);
    QFBeginSection(archive, "Members");
    int32_t total = m_nTileCount + 15 * GetFragmentCount();
    QFSerializeValue(archive, &total, "nTotalCount");
    for (int i = 0; i < m_nTileCount; ++i) {
        const Tile& tile = m_vTiles[static_cast<size_t>(i)];
        if (!(tile.los & kFragmentBit) || tile.subtile < 0) {
            char path = static_cast<char>(tile.path);
            int16_t los = static_cast<int16_t>(tile.los & ~kFragmentBit);
            QFSerializeValue(archive, &path, "tmp");
            QFSerializeValue(archive, &los, "m_pTileList[i].m_nLOSCost");
            continue;
        }
        for (int j = 0; j < 16; ++j) {
            const Subtile* s = GetSubtileSlot(tile.subtile + j);
            char path = static_cast<char>(s && s->used ? s->path : 0);
            int16_t los = static_cast<int16_t>((s && s->used ? s->los : 0) | kFragmentBit);
            QFSerializeValue(archive, &path, "tmp");
            QFSerializeValue(archive, &los, "m_pSubtileList[ndx+j]->m_nLOSCost");
        }
    }
    QFEndSection(archive, "Members");
    return !archive->Failed();
}

bool CPathData::SerializeLoad(QFArchive* archive)
{
    QFBeginSection(archive, "BaseClass");
    QFSerializeBase::Serialize(archive);
    QFEndSection(archive, "BaseClass");
    const short version = QFSerializeVersion(archive, s_version);
    QFBeginSection(archive, "Members");
    int32_t count = 0;
    FreeAll();
    if (version >= 1)
        QFSerializeValue(archive, &count, "m_nTileListCount");
    if (archive->Failed())
        return false;
    if (count < 0 || count > kMaxEntries) {
        archive->SetFailed("path grid entry count out of range");
        return false;
    }
    // Tiles are made as their entries are read, so a count beyond the bytes there are allocates nothing.
    int32_t tiles = count;
    int nextBlock = 0;
    for (int32_t i = 0; i < tiles; ++i) {
        char path = 0;
        int16_t los = 0;
        QFSerializeValue(archive, &path, "tmp");
        QFSerializeValue(archive, &los, "cost.m_nLOSCost");
        if (archive->Failed())
            return false;
        Tile tile;
        if (!(los & kFragmentBit)) {
            tile.path = static_cast<uint8_t>(path);
            tile.los = los;
            m_vTiles.push_back(tile);
            continue;
        }
        if (nextBlock >= kSubtileSlots) {
            archive->SetFailed("path grid has more than 2,500 fragmented tiles");
            return false;
        }
        SetSubtile(nextBlock, i, static_cast<uint8_t>(path), los);
        for (int j = 1; j < 16; ++j) {
            QFSerializeValue(archive, &path, "tmp");
            QFSerializeValue(archive, &los, "cost.m_nLOSCost");
            if (archive->Failed())
                return false; // the entries end inside a block
            SetSubtile(nextBlock + j, i, static_cast<uint8_t>(path), los);
        }
        tile.path = kLoadedFragmentPath;
        tile.los = static_cast<int16_t>(kLoadedFragmentLOS | kFragmentBit);
        tile.subtile = nextBlock;
        m_vTiles.push_back(tile);
        nextBlock += 16;
        tiles -= 15;
        if (i >= tiles) {
            archive->SetFailed("path grid count ends inside a fragmented tile");
            return false;
        }
    }
    m_nTileCount = static_cast<int32_t>(m_vTiles.size());
    QFEndSection(archive, "Members");
    return true;
}

void RegisterTarnwickClasses()
{
    RegisterCoreClasses();
    QFClassFactory::Instance().Register("CPathData", &CPathData::CreateObject);
}

} // namespace tacmap
