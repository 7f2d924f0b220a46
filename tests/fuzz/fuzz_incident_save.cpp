// Loads an arbitrary saved-game block into a world, and the tile marks that may follow it; then saves, steps and
// saves it again. Marks that were taken read back as they were written.
#include "IncidentFuzzWorld.h"

#include "core/util/ByteStream.h"

#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    auto world = incidentfuzz::FreshWorld();
    CByteReader in(data, size);
    if (!world->LoadFrom(in))
        return 0;
    if (in.Remaining() > 0 && world->LoadTileMarks(in)) {
        CByteWriter marks;
        world->SaveTileMarks(marks);
        CByteReader back(marks.Bytes(), marks.Size());
        CByteWriter again;
        if (!world->LoadTileMarks(back) || back.Remaining() != 0 ||
            (world->SaveTileMarks(again), again.Data() != marks.Data()))
            __builtin_trap();
    }
    CByteWriter out;
    world->SaveTo(out);
    for (int i = 0; i < 12; ++i)
        world->Step();
    world->SaveTo(out);
    return 0;
}
