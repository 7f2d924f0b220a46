// Fuzzes the six reference-list readers with arbitrary text; the first byte picks the list.
#include "core/world/SpriteManager.h"
#include "core/world/StationData.h"
#include "core/world/UnitTaskRecord.h"
#include "fuzz/WorldFuzzSupport.h"

#include <cstring>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    // Larger inputs add little but time: each template probes the file system for its bitmaps.
    if (size > 32768)
        return 0;
    worldfuzz::QuietMessages();
    if (size < 1)
        return 0;
    FILE* file = worldfuzz::OpenMemory(data + 1, size - 1);
    if (!file)
        return 0;
    CSpriteManager manager;
    switch (data[0] % 6) {
    case 0:
        manager.ReadAgencyList(file);
        for (const auto& [index, agency] : manager.GetAgencies())
            (void)std::strlen(agency.m_szName);
        (void)manager.AgencyForKind(data[0] % 10);
        break;
    case 1:
        manager.ReadUnitList(file, kUnitSprite);
        break;
    case 2:
        manager.ReadUnitList(file, kVehicleSprite);
        break;
    case 3:
        manager.ReadFeatureList(file);
        break;
    case 4:
        manager.ReadStationList(file);
        break;
    default: {
        std::string names[2 * kModifierCount];
        manager.ReadModifierNames(file, names);
        break;
    }
    }
    std::fclose(file);
    for (int kind = 1; kind <= 4; ++kind) {
        for (int i = 0; i < manager.GetTemplateCount(kind); ++i) {
            const CSprite& t = manager.GetTemplates(kind)[i];
            (void)std::strlen(t.m_szName);
            if (t.m_pStationData)
                (void)std::strlen(t.m_pStationData->m_szName);
            if (t.m_pUnitTask)
                (void)std::strlen(t.m_pUnitTask->m_szCarrierName);
        }
    }
    return 0;
}
