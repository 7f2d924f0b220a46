// Process-wide state the world model reads: data folder, current tile map, current scenario name and display.
#pragma once

#include <string>

class CDisplay;
class CMap2DLinked;

// One place for what the game sets once and the world classes read; tests reset it between cases.
struct CWorldContext {
    std::string m_strDataFolder;           // the working folder recorded at start-up (reference lists, sprites)
    std::string m_strBaseFolder;           // the folder an area-map document was made in (set by its constructor)
    CMap2DLinked* m_pCurrentMap = nullptr; // the tile map the path grid is read against (not owned)
    std::string m_strScenarioName;         // file name of the scenario being loaded (chooses the agency list)
    CDisplay* m_pDisplay = nullptr;        // where art is loaded and drawn (not owned); null when headless
};

CWorldContext& WorldContext();
// Back to an empty context (no map, no display, empty names).
void ResetWorldContext();

// Short forms used by the world classes.
inline CMap2DLinked* GetCurrentMap()
{
    return WorldContext().m_pCurrentMap;
}
inline void SetCurrentMap(CMap2DLinked* map)
{
    WorldContext().m_pCurrentMap = map;
}
