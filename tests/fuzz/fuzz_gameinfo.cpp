// Fuzz target: "GameInfo.txt" read by position from arbitrary bytes, and the scenario names of each line.
#include "game/app/ScenarioLoad.h"

#include <cstddef>
#include <cstdint>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    CGameInfo info;
    std::string error;
    if (ParseGameInfo(std::string(reinterpret_cast<const char*>(data), size), info, &error)) {
        for (const std::string& name : info.aNames) {
            if (name.size() > CGameInfo::kMaxName)
                __builtin_trap();
            CScenarioNames names;
            DeriveScenarioNames(name, names);
        }
    }
    return 0;
}
