// Fuzzes the tile-type CSV reader with arbitrary text.
#include "core/world/Map2DLinked.h"
#include "fuzz/WorldFuzzSupport.h"

#include <cstring>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    worldfuzz::QuietMessages();
    FILE* file = worldfuzz::OpenMemory(data, size);
    if (!file)
        return 0;
    CMap2DLinked map;
    map.ReadTileTypes(file);
    std::fclose(file);
    for (int i = 0; i < CMap2DLinked::kTileTypes; ++i) {
        if (const CTileType* type = map.GetTileType(i)) {
            volatile size_t n = std::strlen(type->m_szName);
            (void)n;
        }
    }
    return 0;
}
