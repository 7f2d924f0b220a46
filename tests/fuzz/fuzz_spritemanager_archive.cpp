// Fuzzes the sprite manager's archive load (sprites, stations, resources), then stores and queries the result.
#include "core/world/SpriteManager.h"
#include "core/world/StationData.h"
#include "fuzz/WorldFuzzData.h"
#include "fuzz/WorldFuzzSupport.h"

#include <memory>

static void ExerciseManager(CSpriteManager& manager)
{
    RECT view{0, 0, 800, 448};
    manager.UpdateScreenRects(view);
    manager.Draw(view, nullptr);
    (void)manager.SpriteAtPoint(10, 10);
    manager.MarkAgencySprites(-1);
    int32_t mask = 0x7;
    CModeRecord filter;
    filter.m_bFilterSwitch = 1;
    filter.m_nFilterOptions = 0x3;
    for (CSprite* s = manager.GetHead(); s; s = s->m_pNext) {
        (void)s->PassesFilter(&filter, &mask, &manager);
        (void)manager.PassesAgencyFilter(s, -1);
        if (s->m_pStationData) {
            s->m_pStationData->BuildRoutes();
            s->m_pStationData->BuildDispatchMenu(0, 0, nullptr, &manager, 10.0f, 0xFFFFFFFFu);
        }
    }
    if (CSprite* head = manager.GetHead())
        manager.SetSelectedSprite(head, view, 0);
    manager.DeleteSprites();
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    // Larger inputs add little but time: every input reloads the six lists.
    if (size > 16384)
        return 0;
    worldfuzz::QuietMessages();
    RegisterCoreClasses();
    worldfuzz::UseFuzzDataFolder();
    std::unique_ptr<CSpriteManager> manager(worldfuzz::LoadFromBytes<CSpriteManager>(data, size, "Sprites"));
    if (manager)
        ExerciseManager(*manager);
    return 0;
}
