// Fuzzes the reading of a scenario file as the editor opens it: the four records, their checks, the feature
// links, then the grid's queries over the map that came with it.
#include "core/world/Map2DLinked.h"
#include "core/world/SpriteManager.h"
#include "core/world/WorldContext.h"
#include "editors/tacmap/model/EditorWorld.h"
#include "fuzz/WorldFuzzSupport.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    worldfuzz::QuietMessages();
    tacmap::RegisterTarnwickClasses();
    // The reference lists of the sprites come from the small fixture folder.
    WorldContext().m_strDataFolder = ZR_WORLD_DATA;
    WorldContext().m_strScenarioName = "Agency.zri";
    MemoryFile file(data, size);
    if (!file.IsValid())
        return 0;
    tacmap::ScenarioObjects objects;
    std::string reason;
    if (!tacmap::ReadScenarioObjects(file.Path(), &objects, &reason))
        return 0;
    tacmap::CPathData& grid = *objects.grid;
    const int columns = objects.map->GetColumns();
    const int rows = objects.map->GetRows();
    for (int i = 0; i < 64; ++i) {
        const int column = (i * 7) % (columns + 2) - 1;
        const int row = (i * 5) % (rows + 2) - 1;
        (void)grid.GetPathCost(column, row);
        (void)grid.GetSubtileLOSCost(column, row, i & 3, (i >> 2) & 3);
        grid.ToggleFragment(column, row);
    }
    for (CSprite* s = objects.sprites->GetHead(); s; s = s->m_pNext)
        (void)CSpriteManager::GetLinkChainHead(s);
    return 0;
}
