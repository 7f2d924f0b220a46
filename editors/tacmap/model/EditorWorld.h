// The scenario editor's world: the display, the scenario's tile map, sprites, path grid and description, the
// reading of "GameInfo.txt", new and opened scenarios, the ".zri" file and its lists, exports, and drawing.
#pragma once

#include "core/display/CErrorLog.h"
#include "core/world/WorldTypes.h"
#include "editors/tacmap/model/PathGrid.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

class CDisplay;
class CMap2DLinked;
class CPopupMenuView;
class CScenarioData;
class CSpriteManager;

namespace platform {
class IPresentTarget;
}

namespace tacmap {

// The four objects of a ".zri" file, read fresh.
struct ScenarioObjects {
    std::unique_ptr<CMap2DLinked> map;
    std::unique_ptr<CSpriteManager> sprites;
    std::unique_ptr<CPathData> grid;
    std::unique_ptr<CScenarioData> scenario;
    ScenarioObjects();
    ~ScenarioObjects();
    ScenarioObjects(ScenarioObjects&&) noexcept;
    ScenarioObjects& operator=(ScenarioObjects&&) noexcept;
};

// Reads the four records of a ".zri" file and checks them: a sound archive, a tile map with cells, sprites, and a
// path grid of one entry per tile. A file without a description gets an empty one with its events data.
// False with the reason otherwise (nothing is kept).
bool ReadScenarioObjects(const std::string& path, ScenarioObjects* out, std::string* reason);

class CEditorWorld {
public:
    static constexpr int kDefaultColumns = 100;
    static constexpr int kDefaultRows = 75;
    static constexpr int32_t kNoDrawFlags = 0x2884008;

    // The data folder is the current directory (or the one given); it becomes the folder the core's loaders use.
    CEditorWorld();
    explicit CEditorWorld(const std::string& dataFolder);
    ~CEditorWorld();
    CEditorWorld(const CEditorWorld&) = delete;
    CEditorWorld& operator=(const CEditorWorld&) = delete;

    void SetWindowedDefaults();
    // The display for the window (null: headless); its back buffer is what the map view shows. Always true.
    bool CreateDisplay(platform::IPresentTarget* window);
    // Deletes the scenario's objects (the display stays).
    void FreeScenario();

    // Opens "<data folder>/<name>" into fresh objects; only when every one of them checks out does the old
    // scenario go. Otherwise one message box names the path and nothing changes. False then.
    bool OpenScenario(const std::string& name);
    // A new scenario: a map of 100 x 75 random tiles (from the seed, or the clock), the lists, a computed grid.
    bool NewScenario();
    bool NewScenario(uint32_t seed);

    // Writes the scenario to "<data folder>/<name>" (XML when asked) through a temporary beside it, after
    // copying the scenario's agency and score lists beside it under its new stem (never over existing ones). On
    // success the name becomes the scenario's name; on failure " Couldn't save <path>" is the error, the files
    // are as they were and nothing of the world changes.
    bool SaveScenarioAs(const std::string& name, bool asXml, std::string* error);
    // Exports to a full path: the description with its events as XML, or the events data as a ".zre".
    bool ExportScenarioXml(const std::string& path, std::string* error) const;
    bool ExportEvents(const std::string& path, std::string* error) const;

    void SetZoom(int zoom);
    void ScrollByTiles(int dx, int dy);
    // Centres the view on a world point (snapped to the tile grid) and moves the sprites' screen rectangles.
    void CenterViewAt(int worldX, int worldY);
    void MarkTerrainRedraw(bool clear);
    void MarkUnitsRedraw(bool clear);
    bool Draw();

    // The agency and score lists a scenario named `name` reads (its own when they exist, else the common ones).
    std::string AgencyListFor(const std::string& name) const;
    std::string ScoreListFor(const std::string& name) const;

    const std::string& GetDataFolder() const { return m_strDataFolder; }
    const std::string& GetScenarioFileName() const { return m_strScenarioFile; }
    std::string FullPath(const std::string& name) const;
    CDisplay* GetDisplay() const { return m_pDisplay.get(); }
    CMap2DLinked* GetMap() const { return m_pMap.get(); }
    CSpriteManager* GetSprites() const { return m_pSprites.get(); }
    CPathData* GetPathData() const { return m_pPathData.get(); }
    CScenarioData* GetScenario() const { return m_pScenario.get(); }
    CPopupMenuView* GetPopupMenuView() const { return m_pPopupView.get(); }
    CModeRecord& GetSettings() { return m_settings; }
    RECT& GetViewRect() { return m_rcView; }
    const RECT& GetViewRect() const { return m_rcView; }
    int GetWidth() const { return m_nWidth; }
    int GetHeight() const { return m_nHeight; }
    bool IsWindowed() const { return m_bWindowed != 0; }
    // The three redraw flags: clear, map, sprites.
    bool RedrawClear() const { return m_bRedrawClear != 0; }
    bool RedrawMap() const { return m_bRedrawMap != 0; }
    bool RedrawSprites() const { return m_bRedrawSprites != 0; }

private:
    void InitialiseMap(CMap2DLinked& map, const std::vector<std::string>& lines);
    void InstallHooks();

    uint8_t m_bRedrawClear = 1;
    uint8_t m_bRedrawMap = 1;
    uint8_t m_bRedrawSprites = 1;
    std::string m_strDataFolder;
    std::string m_strScenarioFile;
    uint8_t m_bWindowed = 0;
    int32_t m_nWidth = 800;
    int32_t m_nHeight = 600;
    CModeRecord m_settings;
    RECT m_rcView{0, 0, 800, 576};
    std::unique_ptr<CDisplay> m_pDisplay;
    std::unique_ptr<CMap2DLinked> m_pMap;
    std::unique_ptr<CSpriteManager> m_pSprites;
    std::unique_ptr<CPopupMenuView> m_pPopupView;
    std::unique_ptr<CScenarioData> m_pScenario;
    std::unique_ptr<CPathData> m_pPathData;
    CErrorLog m_errorLog;
};

} // namespace tacmap
