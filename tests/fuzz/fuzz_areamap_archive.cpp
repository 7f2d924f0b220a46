// Fuzzes the area-map document's archive load with its stations' sprite manager.
#include "core/world/AreaMapData.h"
#include "core/world/SpriteManager.h"
#include "fuzz/WorldFuzzData.h"
#include "fuzz/WorldFuzzSupport.h"

#include <cstring>
#include <memory>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    // Larger inputs add little but time: every input reloads the six lists.
    if (size > 16384)
        return 0;
    worldfuzz::QuietMessages();
    RegisterCoreClasses();
    worldfuzz::UseFuzzDataFolder();
    std::unique_ptr<CAreaMapData> document(worldfuzz::LoadFromBytes<CAreaMapData>(data, size, "CAreaMapData"));
    if (!document)
        return 0;
    (void)std::strlen(document->m_szMapBitmap);
    if (document->m_pSpriteManager) {
        RECT view{0, 0, 800, 448};
        document->m_pSpriteManager->UpdateScreenRects(view);
        (void)document->m_pSpriteManager->StationAtPoint(400, 200);
    }
    return 0;
}
