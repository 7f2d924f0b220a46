// Fuzz target: "IAP Screen Info.txt" and "Terrain Feature CueCard Text.txt" read from arbitrary bytes.
#include "game/screens/hud/HUDText.h"

#include <cstddef>
#include <cstdint>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::string text(reinterpret_cast<const char*>(data), size);
    for (size_t limit : {size_t(100), size_t(140)}) {
        const std::vector<std::string> entries = ParseInfoTexts(text, limit);
        if (entries.size() > limit)
            __builtin_trap();
        for (const std::string& e : entries)
            if (e.size() > 255)
                __builtin_trap();
    }
    return 0;
}
