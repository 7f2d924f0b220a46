// Fuzz target: "GameInfo.txt" read by position from arbitrary bytes (the reader of the game and the scenario
// editor), the lines the editor needs, and the scenario names of each line.
#include "core/world/GameInfo.h"
#include "game/app/ScenarioLoad.h"

#include <cstddef>
#include <cstdint>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    CGameInfo info;
    std::string error;
    if (ParseGameInfo(std::string(reinterpret_cast<const char*>(data), size), info, &error)) {
        CheckGameInfoLines(info, {CGameInfo::kTileArtSmall, CGameInfo::kPopupMenuList, CGameInfo::kStationList},
                           &error);
        for (const std::string& name : info.aNames) {
            if (name.size() > CGameInfo::kMaxName)
                __builtin_trap();
            CScenarioNames names;
            DeriveScenarioNames(name, names);
        }
    }
    return 0;
}
