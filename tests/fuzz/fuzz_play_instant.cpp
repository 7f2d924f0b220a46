// Fuzz target: the instant of play that ends a saved game (mode bits, clocks, random state), read as the tail
// of a game without an incident world; what is taken writes back to the same bytes and its draws go on.
#include "core/util/ByteStream.h"
#include "game/app/PlayInstant.h"
#include "game/app/SavedGame.h"

#include <cstdint>
#include <cstring>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    CByteReader in(data, size);
    CPlayInstant instant;
    if (!ReadSaveTail(in, nullptr, nullptr, instant))
        return 0;
    if (size == 0)
        return 0;
    CByteWriter out;
    WritePlayInstant(out, instant);
    if (out.Size() != size || std::memcmp(out.Bytes(), data, size) != 0)
        __builtin_trap();
    if (instant.random) {
        CSimRandom random;
        if (!random.SetState(*instant.random))
            __builtin_trap();
        for (int i = 0; i < 64; ++i)
            if (random.Next() < 0)
                __builtin_trap();
    }
    return 0;
}
