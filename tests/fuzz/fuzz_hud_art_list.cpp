// Fuzz target: the row count of "HUD_Art.csv" from arbitrary bytes, and its lines as the text readers split them.
#include "game/screens/hud/HUDText.h"

#include <cstddef>
#include <cstdint>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::string text(reinterpret_cast<const char*>(data), size);
    if (CountArtRows(text) < 0 || static_cast<size_t>(CountArtRows(text)) > size)
        __builtin_trap();
    for (const std::string& line : SplitHudLines(text))
        if (line.empty() || line.size() > kMaxHudLine)
            __builtin_trap();
    return 0;
}
