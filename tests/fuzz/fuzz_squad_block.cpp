// Loads arbitrary bytes as the two squad managers' saved-game blocks and the squads' movement after them, then
// saves and steps what was loaded.
#include "SquadFuzzWorld.h"

#include "game/sim/SimRandom.h"
#include "core/util/ByteStream.h"

#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    squadfuzz::Static();
    CSimRandomScope draws([] { return 7; });
    squadfuzz::InputWorld world(true);
    CByteReader in(data, size);
    const bool blocks = world.scenario->Load(in) && world.area->Load(in);
    world.scenario->ResolveLoadedLinks();
    world.area->ResolveLoadedLinks();
    std::vector<CSquadMovement> scenario, area;
    if (blocks && world.scenario->ReadMovement(in, scenario) && world.area->ReadMovement(in, area)) {
        world.scenario->ApplyMovement(scenario);
        world.area->ApplyMovement(area);
    }
    world.scenario->ResumeAfterLoad();
    world.area->ResumeAfterLoad();
    world.area->RestoreRouteSpeeds();
    CByteWriter out;
    world.scenario->Save(out);
    world.area->Save(out);
    // The movement a load gave is written so that it reads back.
    CByteWriter movement;
    world.scenario->SaveMovement(movement);
    world.area->SaveMovement(movement);
    CByteReader back(movement.Bytes(), movement.Size());
    if (!world.scenario->ReadMovement(back, scenario) || !world.area->ReadMovement(back, area) || back.Remaining())
        __builtin_trap();
    for (int i = 0; i < 3; ++i)
        world.Steps(true);
    return 0;
}
