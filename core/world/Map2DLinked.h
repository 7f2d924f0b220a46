// The tile map: a linked grid of 32-pixel cells with tile types, tile art, the area-map bitmap and the view.
#pragma once

#include "core/persist/QFSerializeBase.h"
#include "core/world/WorldTypes.h"

#include <cstdint>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

class CDisplay;
class CSurface;

// One row of the tile-type table.
struct CTileType {
    static constexpr int kNameSize = 71; // 70 characters and a terminator
    char m_szName[kNameSize] = {};
    int32_t m_anCost[17] = {}; // [0] whole tile, [1..16] its 4 x 4 sub-tiles
    int32_t m_anLOS[17] = {};  // the same for line of sight
    CTileType()
    {
        m_anCost[0] = -7;
        m_anLOS[0] = -7;
    }
};

// Position of a cell in the grid.
struct CGridPosition {
    int32_t m_nColumn = 0;
    int32_t m_nRow = 0;
    int32_t m_nZero = 0;
};

// One 32-pixel cell. Links by direction 0 up, 1 up-right, ... 7 up-left; only 0, 2, 4 and 6 are set.
struct CMapCell {
    CMapCell* m_apLinks[8] = {};
    CGridPosition m_Position;
    int32_t m_nTileIndex = 0;
};

// 256 tiles cut from one sheet of 16 x 16 tiles.
struct CTileArtSet {
    int32_t m_nSheetSize = 0;
    int32_t m_nTileSize = 0;
    int32_t m_nTileShift = 0;
    CSurface* m_apTiles[256] = {};
};

struct CMapInfo {
    int32_t MapWidth = 0; // pixels of the current zoom
    int32_t MapXTiles = 0;
    int32_t MapHeight = 0;
    int32_t MapYTiles = 0;
};

class CMap2DLinked : public QFSerializeBase {
    QF_DECLARE_SERIAL(CMap2DLinked)

public:
    static constexpr int kTileTypes = 256;
    static constexpr int kMaxTiles = 1024; // largest column or row count a file may give

    CMap2DLinked();
    ~CMap2DLinked() override;
    CMap2DLinked(const CMap2DLinked&) = delete;
    CMap2DLinked& operator=(const CMap2DLinked&) = delete;

    bool Serialize(QFArchive* archive) override;

    // Sets up the view, both tile-art sets ("<base>/Art/<file>"), the tile-type table ("<base>/<file>") and the
    // view cache for the display's size.
    void Initialize(int viewWidth, int viewHeight, const std::string& art8File, const std::string& art32File,
                    const std::string& tileTypeFile, CDisplay* display, const std::string& baseDirectory);
    // Loads "<base>/Maps/<name>" ("AreaMap.bmp" for an empty name), or `base` itself when pathAsGiven.
    bool LoadAreaMapBitmap(const std::string& baseDirectory, const std::string& name, bool pathAsGiven);
    // Renders the view into the cache when needed and copies the cache to the target; 0 on success.
    int Draw(const RECT& view, CSurface* target);
    int DrawAreaMapBitmap(CSurface* target);

    // Reads the tile-type CSV; an empty path reloads the stored one. False (with a message box) when it can't open.
    bool LoadTileTypes(const std::string& path = std::string());
    // Reads the table from an open text file (the CSV reader itself).
    void ReadTileTypes(FILE* file);

    // View: the rectangle out receives the view in map pixels of the current zoom.
    int SetZoom(RECT* rect);
    void ClampView(RECT* rect);
    void ScrollByTiles(RECT* rect, int dx, int dy);
    void CenterViewAt(RECT* rect, int x, int y);
    bool ViewToWorld(const RECT& rect, int viewX, int viewY, int* worldX, int* worldY) const;
    bool WorldToView(const RECT& rect, int* viewX, int* viewY, int worldX, int worldY) const;
    void SetViewSize(int width, int height);

    // Lookups: the tile type, or -1 outside the grid.
    int GetTileIndex(int row, int column) const;
    int GetTileIndexAtPixel(int x, int y) const;
    CMapCell* GetCell(int row, int column) const;
    // A random cell of a map edge for arriving squads; `random` gives the draws (0 to 2^31 - 1).
    CMapCell* PickEdgeTile(int edge, int (*random)()) const;

    // Builds a grid of the given size with every cell of one tile type (tests and loaders).
    bool BuildGrid(int columns, int rows, const std::vector<int>& tileTypes);
    // The editors' new map: a grid whose cells take random tile types 0-7, drawn from the seed given.
    bool CreateGrid(int columns, int rows, uint32_t seed);
    // A seed from the clock, for a map that differs each time.
    bool CreateGrid(int columns, int rows);
    // Sets one cell's tile type and marks the view for drawing again; cells outside the grid and types beyond
    // 0-255 are ignored.
    void SetTileIndex(int row, int column, int type);

    const CMapInfo& GetMapInfo() const { return m_MapInfo; }
    int GetColumns() const { return m_MapInfo.MapXTiles; }
    int GetRows() const { return m_MapInfo.MapYTiles; }
    CMapCell* GetGridHead() const { return m_pGridHead; }
    const CTileType* GetTileType(int index) const;
    int GetTileSize() const { return m_nTileSize; }
    CSurface* GetMapBitmap() const { return m_pMapBitmap; }
    int GetMapBitmapWidth() const { return m_nMapBitmapWidth; }
    int GetMapBitmapHeight() const { return m_nMapBitmapHeight; }
    const CTileArtSet* GetArtSet(int zoom) const { return zoom == 0 || zoom == 1 ? m_apArtSets[zoom] : nullptr; }
    int GetTileShift() const { return m_nTileShift; }
    int GetFlags() const { return m_nFlags; }
    void SetModeRecord(const CModeRecord* record) { m_pModeRecord = record; }
    int GetViewCenterX() const { return m_nViewCenterX; }
    int GetViewCenterY() const { return m_nViewCenterY; }
    const std::string& GetTileTypeFile() const { return m_strTileTypeFile; }
    void SetTileTypeFile(const std::string& path) { m_strTileTypeFile = path; }

private:
    void FreeGrid();
    void FreeTileTypes();
    void ReleaseArt();
    int Zoom() const;
    int ViewMode() const;
    void ApplyZoomSize(int zoom);
    bool LoadGrid(QFArchive* archive);
    CTileArtSet* BuildArtSet(const std::string& path, int tileSize);
    void RenderView(const RECT& view);

    int32_t m_nFlags = 1;
    CTileType* m_apTileTypes[kTileTypes] = {};
    CMapCell* m_pGridHead = nullptr;
    CSurface* m_pMapBitmap = nullptr;
    int32_t m_nMapBitmapWidth = 0;
    int32_t m_nMapBitmapHeight = 0;
    int32_t m_nArtSetCount = 2;
    CTileArtSet* m_apArtSets[2] = {};
    int32_t m_nViewCenterX = 0;
    int32_t m_nViewCenterY = 0;
    int32_t m_nViewWidth = 0;
    int32_t m_nViewHeight = 0;
    std::string m_strTileTypeFile;
    int32_t m_nTileSize = 32;
    int32_t m_nTileShift = 5;
    CSurface** m_ppCurrentTiles = nullptr;
    CSurface* m_pViewCache = nullptr;
    int32_t m_nViewCacheWidth = 0;
    int32_t m_nViewCacheHeight = 0;
    CMapInfo m_MapInfo;
    const CModeRecord* m_pModeRecord = nullptr;
    CDisplay* m_pDisplay = nullptr;
    std::unique_ptr<CMapCell[]> m_pCells; // the cells of the linked grid, row-major, in one block
    size_t m_nCells = 0;
};
