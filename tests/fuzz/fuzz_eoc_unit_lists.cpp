// Fuzzes reading an EOC unit list and the unit-factor file from arbitrary text: names stay terminated,
// predecessors stay in the section, factors stay numbers.
#include "game/screens/eoc/EOCUnitData.h"

#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::string text(reinterpret_cast<const char*>(data), size);
    CEOCUnitData eoc;
    eoc.ParseUnitList(text, static_cast<int>(size % kSections));
    eoc.ParseUnitFactors(text);
    for (int s = 0; s < kSections; ++s) {
        for (int u = 0; u < kUnitsPerSection; ++u) {
            const CEOCUnit& unit = eoc.Unit(s, u);
            if (!std::memchr(unit.szName, 0, sizeof unit.szName) || !std::memchr(unit.szLabel, 0, sizeof unit.szLabel))
                std::abort();
            if (unit.nPredecessor < -1 || unit.nPredecessor >= kUnitsPerSection || unit.nIndex != u)
                std::abort();
            for (float f : eoc.Factors(s, u)) {
                if (!std::isfinite(f))
                    std::abort();
            }
        }
    }
    for (int s = 0; s < kSections; ++s)
        eoc.m_aSections[static_cast<size_t>(s)].uActivated = 0x0FFFFFFF;
    eoc.ApplyAllActiveFactors();
    return 0;
}
