// The tactical map view's logic, apart from any window: edit modes, painting tiles, placing features (with
// their linked chains), squads and vehicles, fragmenting, moving and deleting sprites, footprints on the path
// grid, zoom and scrolling, the keys, the status line and the cursor. A host (the window) shows what it asks.
#pragma once

#include "editors/tacmap/model/MapLayers.h"
#include "platform/display/Geometry.h"

#include <cstdint>
#include <string>
#include <vector>

class CSprite;
class CSpriteManager;
class CMap2DLinked;
class CDisplay;

namespace tacmap {

class CEditorWorld;
class CPathData;
class CSpritePalette;

// What the view asks of its window and the panes around it.
class IMapViewHost {
public:
    virtual ~IMapViewHost() = default;
    virtual void SetStatusTexts(const std::string& sprites, const std::string& position) = 0;
    // The area of the view to draw again (the whole client rectangle for a full redraw).
    virtual void Redraw(const RECT& area) = 0;
    virtual void UpdateCursor() = 0;
    virtual void Beep() = 0;
    // The controls pane: its zoom radios, and whether its cutaway "Show" is checked.
    virtual void SetZoomRadios(bool zoomedOut) = 0;
    virtual bool IsShowChecked() const = 0;
    // The delete-sprites dialog over the sprites (a sorted list of their names); true on OK with the sprites the
    // user selected in it.
    virtual bool ChooseSpritesToDelete(const std::vector<CSprite*>& sprites, std::vector<CSprite*>* chosen) = 0;
    virtual void TakeFocus() {}
};

enum class MapCursor { Normal, Fragment, Hidden, ZoomIn };

class CTacticalMapView {
public:
    enum Mode { kIdle = 0, kDragTile, kDragFeature, kFragment, kDragSquad, kZoomIn, kMovingSquad };
    // Mouse flags and the keys it acts on (the window's virtual-key codes).
    static constexpr uint32_t kLeftButton = 0x1;
    static constexpr uint32_t kShift = 0x4;
    static constexpr uint32_t kControl = 0x8;

    CTacticalMapView(CEditorWorld& world, CSpritePalette& palette, IMapViewHost& host);
    ~CTacticalMapView();
    CTacticalMapView(const CTacticalMapView&) = delete;
    CTacticalMapView& operator=(const CTacticalMapView&) = delete;

    // The first update: a new scenario (from the seed given, or the clock), the layers, 8-pixel tiles.
    void FirstUpdate();
    void FirstUpdate(uint32_t seed);

    // Opens a scenario by its name in the data folder; the view is reset only when it opened.
    bool OpenScenarioFile(const std::string& name);
    bool NewScenario(uint32_t seed);

    // The window's messages.
    void OnMouseMove(uint32_t flags, int x, int y);
    void OnLButtonDown(uint32_t flags, int x, int y);
    void OnLButtonUp(uint32_t flags, int x, int y);
    void OnRButtonDown(uint32_t flags, int x, int y);
    void OnKeyDown(uint32_t key, uint32_t flags = 0);
    void OnKeyUp(uint32_t key);
    void OnMouseWheel(int delta);
    // Draws the layers into the back buffer and presents it.
    void Draw();

    // The frame's and panes' commands.
    void SetZoom(int zoom);
    void EnterZoomIn();
    void ToggleFragmentMode();
    void ToggleGrid();
    void ClearMap();
    void ClearMap(uint32_t seed);
    // Reload Cost: the tile types again from their file, then every cost and footprint.
    bool ReloadCost();
    void ShowHideable(bool show);
    void EndPreview();
    void CancelEdit();
    // The palette changed what a click places: the preview follows at the last mouse position.
    void RecomputePreview();
    void ApplySpriteFootprint(CSprite* sprite);
    void ApplyAllFootprints();
    bool ToggleFragmentAt(int column, int row);
    // The picked sprite was replaced (sprite data dialog): recompute the screen rectangles and redraw.
    void ReplaceSelectedSprite(CSprite* sprite);

    // Coordinates (view pixels to map units).
    POINT ViewToGrid(int x, int y) const;
    POINT ViewToSubgrid(int x, int y) const;
    RECT GridCellRect(int column, int row) const;
    static POINT WorldToSubtile(int worldX, int worldY);
    void UpdateOrigin();

    // The status line for a point (also sent to the host).
    void UpdateStatus(int x, int y);
    static const char* ModeName(int mode);
    MapCursor Cursor() const;

    CEditorWorld& World() { return m_world; }
    int GetMode() const { return m_nMode; }
    int GetZoom() const { return m_nZoom; }
    int GetTileSize() const { return m_nTileSize; }
    int GetOriginColumn() const { return m_nOriginColumn; }
    int GetOriginRow() const { return m_nOriginRow; }
    bool IsModified() const { return m_bModified; }
    void SetModified(bool modified) { m_bModified = modified; }
    CSprite* GetPreviewSprite() const { return m_pPreview; }
    CSprite* GetMovingSquad() const { return m_pMovingSquad; }
    CSprite* GetSelectedSprite() const { return m_pSelectedSprite; }
    void SetSelectedSprite(CSprite* sprite) { m_pSelectedSprite = sprite; }
    CGridLayer* GetGridLayer() const { return m_pGridLayer; }
    CMapLayerStack& GetLayers() { return m_layers; }
    const RECT& GetClientRect() const { return m_rcClient; }
    const std::string& GetSpriteText() const { return m_strSpriteText; }
    const std::string& GetPositionText() const { return m_strPositionText; }
    bool IsInMapBounds(int column, int row) const;
    // Whether a view point lies on the drawn map: inside the map's view rectangle (800 x 576; the band below it
    // shows no tiles) and on a cell within the map bounds. Edits happen only there.
    bool IsOnDrawnMap(int x, int y) const;

private:
    struct Choice {
        int kind = 0; // 0 none, 1 tile type, 2 feature, 1 unit, 4 vehicle (with tile = true for a tile type)
        bool tile = false;
        int index = -1;
        int agency = 0;
    };
    Choice PaletteChoice() const;
    Choice MovingChoice() const;
    void ResetForScenario();
    void TakeWorldPointers();
    void Placement(const Choice& choice, int column, int row, int sx, int sy, bool snap, bool real, bool fragment);
    CSprite* CreateSpriteAt(const Choice& choice, int column, int row, int sx, int sy, bool snap, bool real,
                            bool fragment);
    bool IsUnitBlocked(int column, int row, int sx, int sy) const;
    void StampAtCell(int column, int row);
    void ApplyFootprint(CSprite* sprite, const RECT* clipWorld);
    void Stamp(const CSprite* sprite, int worldX, int worldY);
    void DeleteChains(const std::vector<CSprite*>& sprites);
    void ForgetSprites();
    void RedrawCell(int column, int row);
    void RedrawAll();
    void StartSquadMove(CSprite* sprite, int x, int y, uint32_t flags);
    void EndSquadMove(uint32_t flags, int x, int y);
    void MovePreview(uint32_t flags, int x, int y);
    bool Ready() const;

    CEditorWorld& m_world;
    CSpritePalette& m_palette;
    IMapViewHost& m_host;
    int m_nOriginColumn = 0;
    int m_nOriginRow = 0;
    CDisplay* m_pDisplay = nullptr;
    CMap2DLinked* m_pMap = nullptr;
    CSpriteManager* m_pSprites = nullptr;
    CPathData* m_pPathData = nullptr;
    RECT m_rcClient{0, 0, 800, 600};
    RECT m_rcMapBounds{0, 0, 100, 75};
    int m_nMode = kIdle;
    CMapLayerStack m_layers;
    CGridLayer* m_pGridLayer = nullptr;
    CMapLayer* m_pTerrainLayer = nullptr;
    CMapLayer* m_pUnitsLayer = nullptr;
    CSprite* m_pPreview = nullptr;
    CSprite* m_pMovingSquad = nullptr;
    CSprite* m_pSelectedSprite = nullptr; // the picked squad or vehicle
    int m_nZoom = 0;
    int m_nTileSize = 8;
    int m_nLastX = 0;
    int m_nLastY = 0;
    bool m_bModified = false;
    uint32_t m_uTransparentKey = 0;
    std::string m_strSpriteText;
    std::string m_strPositionText;
};

} // namespace tacmap
