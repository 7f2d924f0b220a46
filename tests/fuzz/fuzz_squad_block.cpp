// Loads arbitrary bytes as the two squad managers' saved-game blocks, then saves and steps what was loaded.
#include "SquadFuzzWorld.h"

#include "game/sim/SimRandom.h"
#include "core/util/ByteStream.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    squadfuzz::Static();
    CSimRandomScope draws([] { return 7; });
    squadfuzz::InputWorld world(true);
    CByteReader in(data, size);
    if (world.scenario->Load(in))
        world.area->Load(in);
    world.scenario->ResolveLoadedLinks();
    world.area->ResolveLoadedLinks();
    world.scenario->ResumeAfterLoad();
    world.area->ResumeAfterLoad();
    world.area->RestoreRouteSpeeds();
    CByteWriter out;
    world.scenario->Save(out);
    world.area->Save(out);
    for (int i = 0; i < 3; ++i)
        world.Steps(true);
    return 0;
}
