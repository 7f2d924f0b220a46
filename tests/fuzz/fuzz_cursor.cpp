// Fuzz target: a ".cur" cursor file decoded from arbitrary bytes.
#include "platform/window/CursorFile.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    platform::DecodedCursor cursor;
    if (platform::DecodeCursorFile(data, size, cursor) &&
        cursor.aPixels.size() != static_cast<size_t>(cursor.nWidth) * static_cast<size_t>(cursor.nHeight))
        __builtin_trap();
    return 0;
}
