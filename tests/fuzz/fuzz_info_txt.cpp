// Reads arbitrary bytes as "Info.txt": finding entries stays within the text's limit and never crashes.
#include "game/screens/boxes/Boxes.h"

#include <cstdint>
#include <cstdlib>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::string text(reinterpret_cast<const char*>(data), size);
    const int ids[] = {0, 1, 12, 27, 999, size > 0 ? data[0] : 5};
    for (int id : ids) {
        CInfoEntry entry;
        if (!FindInfoEntry(text, id, entry))
            continue;
        if (entry.nId != id || entry.nPanel < 0 || entry.nPanel > 2 || entry.strText.size() > 16000 ||
            entry.strTitle.size() > text.size())
            std::abort();
    }
    return 0;
}
