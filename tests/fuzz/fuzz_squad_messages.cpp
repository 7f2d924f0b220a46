// Feeds arbitrary squad messages to the squad managers' handlers, with steps in between.
#include "SquadFuzzWorld.h"

#include "game/sim/SimRandom.h"

#include <cstdint>
#include <vector>

// Input: byte 0 bit 0 authority; then entries {uint8 id (30-67 a message, others a step); uint16 length; bytes}.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size < 1)
        return 0;
    squadfuzz::Static();
    uint32_t seed = 12345;
    CSimRandomScope draws([&seed] {
        seed = seed * 1103515245u + 12345u;
        return static_cast<int>((seed >> 16) & 0x7FFF);
    });
    squadfuzz::InputWorld world((data[0] & 1) != 0);
    size_t pos = 1;
    int steps = 0;
    while (pos + 3 <= size && steps < 64) {
        const uint8_t id = data[pos];
        const size_t length = data[pos + 1] | (static_cast<size_t>(data[pos + 2]) << 8);
        pos += 3;
        const size_t n = std::min(length, size - pos);
        // A copy of exactly the given bytes, so a read past them is caught.
        std::vector<uint8_t> payload(data + pos, data + pos + n);
        pos += n;
        if (id >= kGameMessageFirst && id <= kGameMessageLast) {
            world.Apply(id, payload.empty() ? nullptr : payload.data(), payload.size());
        } else {
            world.Steps((id & 1) != 0);
            ++steps;
        }
    }
    for (int i = 0; i < 2; ++i)
        world.Steps(true);
    return 0;
}
