// The scenario editor's path grid: per tile a path and a sight cost, fragmented tiles with 4 x 4 sub-tiles, and
// the stored form the game reads (class name "CPathData", version 2).
#pragma once

#include "core/persist/QFSerializeBase.h"

#include <cstdint>
#include <functional>
#include <vector>

class CMap2DLinked;

namespace tacmap {

class CPathData : public QFSerializeBase {
    QF_DECLARE_SERIAL(CPathData)

public:
    static constexpr int kSubtileSlots = 40000;
    static constexpr int kMaxFragments = kSubtileSlots / 16;
    static constexpr uint8_t kNewPathCost = 68;
    static constexpr int16_t kNewLOSCost = 1020;
    static constexpr int16_t kFragmentBit = 0x400;
    // Largest entry count a file may give: a map of 1,024 x 1,024 tiles with every block in use.
    static constexpr int32_t kMaxEntries = 1024 * 1024 + 15 * kMaxFragments;

    struct Tile {
        uint8_t path = kNewPathCost;
        int16_t los = kNewLOSCost; // bits 0-9 the cost, 0x400 fragmented
        int32_t subtile = -1;      // first slot of the tile's block of 16
    };
    struct Subtile {
        bool used = false;
        uint8_t path = 0;
        int16_t los = kFragmentBit;
        int32_t owner = -1;
    };

    CPathData();
    ~CPathData() override;
    CPathData(const CPathData&) = delete;
    CPathData& operator=(const CPathData&) = delete;

    bool Serialize(QFArchive* archive) override;

    void FreeAll();
    // Keeps the tile map and makes columns x rows tiles with the not-yet-computed costs.
    bool Bind(CMap2DLinked* map);
    // The map the grid's coordinates refer to (after a file was read, before any accessor is used).
    void SetTileMap(CMap2DLinked* map) { m_pMap = map; }
    CMap2DLinked* GetTileMap() const { return m_pMap; }

    // Every tile from its type (fragmented ones fragmented again from it), then `footprints`, which stamps the
    // sprites' effect back onto the grid.
    void RecomputeAll(const std::function<void()>& footprints = {});
    // One tile from its type; a fragmented tile stays fragmented, its sub-tiles taken from the type again.
    void RecomputeTile(int column, int row);
    // The tile's costs from its type's first numbers, not fragmented (a block it held is freed first); nothing
    // when the type has no record. Column or row -1: derived from the index.
    void SetTileFromType(int index, int column, int row);
    // Fragments a whole tile (true) or merges a fragmented one (false); false and no change outside the grid, with
    // no free block, or when the type has no record.
    bool ToggleFragment(int column, int row);

    bool IsFragmented(int column, int row) const;
    int32_t GetSubtileIndex(int column, int row) const;
    int32_t GetPathCost(int column, int row) const;
    int32_t GetLOSCost(int column, int row) const;
    int32_t GetSubtilePathCost(int column, int row, int sx, int sy) const;
    int32_t GetSubtileLOSCost(int column, int row, int sx, int sy) const;
    void SetPathCost(int column, int row, uint8_t cost);
    void SetLOSCost(int column, int row, int16_t value);
    void SetSubtilePathCost(int column, int row, int sx, int sy, uint8_t cost);
    void SetSubtileLOSCost(int column, int row, int sx, int sy, int16_t value);
    void SetSubtile(int slot, int32_t owner, uint8_t path, int16_t los);

    int32_t GetTileCount() const { return m_nTileCount; }
    int GetFragmentCount() const;
    const Tile* GetTile(int index) const;
    const Subtile* GetSubtileSlot(int slot) const;

private:
    bool SerializeLoad(QFArchive* archive);
    bool SerializeStore(QFArchive* archive);
    // Row x columns + column, or -1 when the column or row lies outside the map or the tile list.
    int IndexOf(int column, int row) const;
    // The slot of sub-tile (sx, sy) of a fragmented tile, or -1.
    int SlotOf(int column, int row, int sx, int sy) const;
    int TileTypeAt(int index) const;
    int FreeBlock() const;
    void FreeBlockOf(Tile& tile);

    std::vector<Tile> m_vTiles;
    int32_t m_nTileCount = 0;
    std::vector<Subtile> m_vSubtiles; // kSubtileSlots slots
    CMap2DLinked* m_pMap = nullptr;   // not owned
};

// Registers the persistent classes of the core, then this program's path grid under "CPathData". Programs and
// tests of the editor call it first.
void RegisterTarnwickClasses();

} // namespace tacmap
