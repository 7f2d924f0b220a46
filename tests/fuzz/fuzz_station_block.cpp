// Fuzz target: a saved game's station stock (the count of every station resource) read into a few stations;
// what loads lies within each line's range and saves back to a block that loads again.
#include "core/world/Sprite.h"
#include "core/world/SpriteManager.h"
#include "core/world/StationData.h"
#include "core/world/WorldContext.h"
#include "fuzz/WorldFuzzData.h"
#include "fuzz/WorldFuzzSupport.h"

#include <cstdint>
#include <cstdio>

namespace {

// Three stations with lines of stock 0, 4 and 1000, and one without lines.
CSpriteManager& Stations()
{
    static CSpriteManager* manager = [] {
        worldfuzz::QuietMessages();
        worldfuzz::UseFuzzDataFolder();
        auto* m = new CSpriteManager;
        m->LoadReferenceLists(WorldContext().m_strDataFolder, "Agency.csv", nullptr);
        const int32_t stock[][6] = {{0, 4, -1, -1, -1, 1000}, {-1, -1, -1, -1, -1, -1}, {7, 7, 7, 7, 7, 7}};
        for (int i = 0; i < 3; ++i) {
            CPlacement p;
            p.Type = kStationSprite;
            p.ServiceId = i;
            CSprite* s = m->CreateStationSprite(p, true);
            for (int line = 0; s && s->m_pStationData && line < 6; ++line) {
                if (stock[i][line] < 0)
                    continue;
                s->m_pStationData->m_paResources[line] = new CStationResource();
                s->m_pStationData->m_paResources[line]->m_nResCount = stock[i][line];
            }
        }
        return m;
    }();
    return *manager;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    CSpriteManager& stations = Stations();
    FILE* in = size > 0 ? worldfuzz::OpenMemory(data, size) : std::tmpfile();
    if (!in)
        return 0;
    const bool loaded = stations.LoadStationResources(in);
    std::fclose(in);
    if (!loaded)
        return 0;
    for (CSprite* s = stations.GetHead(); s; s = s->m_pNext) {
        if (!s->m_pStationData)
            continue;
        for (const CStationResource* r : s->m_pStationData->m_paResources)
            if (r && (r->m_nAvailable < 0 || r->m_nAvailable > r->m_nResCount + 1000))
                __builtin_trap();
    }
    FILE* again = std::tmpfile();
    if (!again)
        return 0;
    if (!stations.SaveStationResources(again))
        __builtin_trap();
    std::rewind(again);
    if (!stations.LoadStationResources(again))
        __builtin_trap();
    std::fclose(again);
    return 0;
}
