// Fuzzes the scenario editor's path grid load, then queries, fragments, merges and recomputes what it built over
// a fixed tile map.
#include "core/world/Map2DLinked.h"
#include "editors/tacmap/model/PathGrid.h"
#include "fuzz/WorldFuzzSupport.h"

#include <memory>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    worldfuzz::QuietMessages();
    tacmap::RegisterTarnwickClasses();
    static CMap2DLinked map;
    static bool built = [] {
        map.BuildGrid(4, 3, {0, 1, 0, 0, 1, 300, 0, 0, 0, 0, 1, 0});
        static char table[] = "h\n0,Grass,10,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,4,-1,-1,-1,-1,-1,-1,-1,-1,-1,-1,-1,-1,-1,"
                              "-1,-1,-1,x\n1,Wall,255,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,900,-1,-1,-1,-1,-1,-1,-1,-1,-1,"
                              "-1,-1,-1,-1,-1,-1,-1,x\n";
        FILE* types = fmemopen(table, sizeof table - 1, "r");
        if (types) {
            map.ReadTileTypes(types);
            std::fclose(types);
        }
        return true;
    }();
    (void)built;
    std::unique_ptr<tacmap::CPathData> grid(worldfuzz::LoadFromBytes<tacmap::CPathData>(data, size, "PathData"));
    if (!grid)
        return 0;
    grid->SetTileMap(&map);
    for (int row = -1; row <= 3; ++row) {
        for (int column = -1; column <= 4; ++column) {
            (void)grid->GetPathCost(column, row);
            (void)grid->GetLOSCost(column, row);
            (void)grid->GetSubtilePathCost(column, row, column & 3, row & 3);
            grid->SetSubtileLOSCost(column, row, 1, 2, 1023);
            grid->ToggleFragment(column, row);
        }
    }
    grid->RecomputeAll();
    grid->RecomputeTile(1, 1);
    return 0;
}
