// Fuzzes the path grid's archive load over a fixed tile map, then walks, searches and sights over what it built.
#include "core/world/AStar.h"
#include "core/world/Map2DLinked.h"
#include "core/world/PathData.h"
#include "core/world/TileVisitor.h"
#include "core/world/WorldContext.h"
#include "fuzz/WorldFuzzSupport.h"

#include <memory>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    worldfuzz::QuietMessages();
    RegisterCoreClasses();
    static CMap2DLinked map;
    static bool built = map.BuildGrid(4, 3, {0, 162, 0, 0, 1, 2, 3, 162, 0, 0, 0, 0});
    (void)built;
    SetCurrentMap(&map);
    std::unique_ptr<CPathData> grid(worldfuzz::LoadFromBytes<CPathData>(data, size, "PathData"));
    if (!grid)
        return 0;
    static CAStar finder;
    CTileVisitor visitor;
    for (int y = 0; y < 96; y += 23) {
        for (int x = 0; x < 128; x += 29) {
            CPathTile* tile = grid->GetTileAt(x, y);
            (void)grid->VisitTilesAround(0, tile, (x + y) % 3, &visitor);
            (void)grid->HasLineOfSight(x, y, 127 - x, 95 - y, 300);
            (void)finder.FindPath(grid->GetTileAt(0, 0), tile, 3 + (x & 1));
        }
    }
    grid->ApplyFootprint(40, 40, 48, 40, true);
    grid->ApplyFootprint(40, 40, 48, 40, false);
    return 0;
}
