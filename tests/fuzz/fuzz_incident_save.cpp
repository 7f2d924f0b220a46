// Loads an arbitrary saved-game block into a world, then saves, steps and saves it again.
#include "IncidentFuzzWorld.h"

#include "core/util/ByteStream.h"

#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    auto world = incidentfuzz::FreshWorld();
    CByteReader in(data, size);
    if (!world->LoadFrom(in))
        return 0;
    CByteWriter out;
    world->SaveTo(out);
    for (int i = 0; i < 12; ++i)
        world->Step();
    world->SaveTo(out);
    return 0;
}
