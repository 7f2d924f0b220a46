// Fuzz target: the run trailer after a saved game's blocks (the incident world's pass timers and fire cursor),
// read from arbitrary bytes into a small burning world that then runs on.
#include "IncidentFuzzWorld.h"

#include "core/util/ByteStream.h"
#include "game/app/SavedGame.h"

#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    auto world = incidentfuzz::FreshWorld();
    // A few fires, so that a cursor has fires to point at.
    for (int i = 0; i < 3; ++i)
        world->StartFireNow(8 + 32 * i, 8, 50.0f, true);
    CByteReader in(data, size);
    if (!ReadRunTrailer(in, world.get()))
        return 0;
    CByteWriter out;
    SaveRunTrailer(world.get(), out);
    CByteReader back(out.Bytes(), out.Size());
    if (!ReadRunTrailer(back, world.get()))
        __builtin_trap();
    for (int i = 0; i < 40; ++i)
        world->Step();
    return 0;
}
