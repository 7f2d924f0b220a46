// Fuzzes InflateBuffer with arbitrary streams and expected sizes; a success must fit the promised block, and
// what it gave must deflate and inflate back to the same bytes.
#include "core/util/Compression.h"

#include <cstdint>
#include <cstdlib>
#include <cstring>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size < 2)
        return 0;
    int expected = (data[0] | (data[1] << 8)) * 4; // up to 256 KiB
    int length = 0;
    unsigned char* out = nullptr;
    if (InflateBuffer(static_cast<int>(size - 2), data + 2, &length, &out, expected)) {
        if (length < 0 || length > expected + expected / 16 + 0x20200)
            std::abort();
        int packedLength = 0, backLength = 0;
        unsigned char* packed = nullptr;
        unsigned char* back = nullptr;
        if (!DeflateBuffer(length, out, &packedLength, &packed) ||
            !InflateBuffer(packedLength, packed, &backLength, &back, length) || backLength != length ||
            (length > 0 && std::memcmp(back, out, static_cast<size_t>(length)) != 0))
            std::abort();
        std::free(packed);
        std::free(back);
    }
    std::free(out);
    return 0;
}
