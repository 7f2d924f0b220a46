// Fuzzes the tile map's archive load, then queries the grid it built.
#include "core/world/Map2DLinked.h"
#include "fuzz/WorldFuzzSupport.h"

#include <cstdlib>
#include <memory>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    worldfuzz::QuietMessages();
    RegisterCoreClasses();
    std::unique_ptr<CMap2DLinked> map(worldfuzz::LoadFromBytes<CMap2DLinked>(data, size, "Map"));
    if (!map)
        return 0;
    for (int row = -1; row <= map->GetRows(); ++row)
        for (int column = -1; column <= map->GetColumns(); ++column)
            (void)map->GetTileIndex(row, column);
    for (int edge = 0; edge < 8; ++edge)
        (void)map->PickEdgeTile(edge, std::rand);
    return 0;
}
