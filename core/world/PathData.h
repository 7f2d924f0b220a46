// The path grid over the tile map: whole and subdivided tiles, their costs, links, ring walks and line of sight.
#pragma once

#include "core/persist/QFSerializeBase.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

class CMap2DLinked;
class CSprite;
class CTileVisitor;

// An incident-world node on a tile; the game's node records begin with this. The sprite's template index is
// the node's type code.
struct CFeatureNode {
    CSprite* m_pSprite = nullptr;
};

enum PathCost { kCost = 0, kFootBase = 1, kVehicleBase = 2, kFootCost = 3, kVehicleCost = 4 };

class CPathTile {
public:
    static constexpr uint8_t kImpassable = 255;

    int32_t m_nX = -1;
    int32_t m_nY = -1;
    CPathTile* m_apLinks[4][4] = {}; // [direction 0 up, 1 right, 2 down, 3 left][slot]
    CPathTile* m_pCellHead = nullptr;
    int16_t m_LOSCost = 0;
    uint8_t m_abyCosts[5] = {}; // cost, foot base, vehicle base, foot cost, vehicle cost
    uint8_t m_byTileType = 0;
    CFeatureNode* m_apFeatures[4] = {}; // fire, object, chemical, zone (not owned)
    int32_t m_nFlags = 0;               // bit 0: an 8-pixel sub-tile

    bool IsSubTile() const { return (m_nFlags & 1) != 0; }
    int Size() const { return IsSubTile() ? 8 : 32; }
    // Type code of the node in a feature slot; an empty slot counts as 0.
    int FeatureIndex(int slot) const;
    // Derives the effective foot and vehicle costs from the bases and the features on the tile.
    void UpdateCosts(bool copyToCell);
    // The tile's hazard score: 999 when impassable on foot.
    int GetFeatureScore() const;
    // Raises the foot base from a stored cost (never lowers it).
    void ApplyFootRule(uint8_t cost);
};

class CPathData : public QFSerializeBase {
    QF_DECLARE_SERIAL(CPathData)

public:
    CPathData();
    ~CPathData() override;
    CPathData(const CPathData&) = delete;
    CPathData& operator=(const CPathData&) = delete;

    bool Serialize(QFArchive* archive) override;

    CPathTile* GetTileAt(int x, int y) const;
    CPathTile* GetCellAt(int x, int y) const;
    CPathTile* GetNeighbour(CPathTile* tile, int direction) const;
    static void LinkTiles(CPathTile* a, CPathTile* b, int axis);
    int VisitTilesAround(int tag, CPathTile* tile, int radius, CTileVisitor* visitor) const;
    bool HasLineOfSight(int x1, int y1, int x2, int y2, int budget) const;
    void ApplyFootprint(const CSprite* sprite, bool blocked);
    // The same for a rectangle centred on (x, y) of the given size.
    void ApplyFootprint(int x, int y, int width, int height, bool blocked);
    // Frees every tile (they are owned by the grid, in blocks).
    void DeleteAllTiles();

    CPathTile* GetFirstTile() const { return m_pFirstTile; }
    CMap2DLinked* GetMap() const { return m_pMap; }
    int GetColumns() const { return m_nColumns; }
    int GetRows() const { return m_nRows; }
    // The head of the cell at (row, column), or null outside the grid.
    CPathTile* GetCell(int row, int column) const;
    // Sub-tile (subRow, subColumn) of a subdivided cell, the head itself for a whole cell; null off the links.
    static CPathTile* SubTile(CPathTile* head, int subRow, int subColumn);

private:
    bool LoadCells(QFArchive* archive);
    void StoreCells(QFArchive* archive);
    CPathTile* ReadCell(QFArchive* archive, int row, int column, int tileType, bool* ok);
    // A new tile from the grid's blocks: a large map takes a few hundred allocations, not millions. Null when
    // memory runs out.
    CPathTile* NewTile();

    static constexpr size_t kTilesPerBlock = 1024;

    CMap2DLinked* m_pMap = nullptr;
    CPathTile* m_pFirstTile = nullptr;
    int m_nColumns = 0; // the grid's own size (the tile map may go first)
    int m_nRows = 0;
    std::vector<CPathTile*> m_vCells; // cell heads, row-major
    std::vector<std::unique_ptr<CPathTile[]>> m_vTileBlocks;
    size_t m_nBlockUsed = kTilesPerBlock; // tiles taken from the last block
};

// Vehicle base from a stored cost: the cost below the threshold (40 for a subdivided tile, 160 whole), else 255.
uint8_t VehicleBaseFor(uint8_t cost, bool subdivided);
// The foot base that a stored cost gives, from a base of 0.
uint8_t FootBaseFor(uint8_t cost);
