// Feeds arbitrary incident messages (42, 63, 66) to a world, stepping it between them as the authority would.
#include "IncidentFuzzWorld.h"

#include "core/util/ByteStream.h"

#include <cstdint>
#include <vector>

// Input: records {uint8 selector; uint16 length; bytes}. Selector low bits: 0 message 42, 1 message 63,
// 2 message 66, 3 a world step; bit 2 adds a marker step.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    auto world = incidentfuzz::FreshWorld();
    world->StartFireNow(40, 40, 50.0f, false);
    world->PlaceChemicalNow(100, 100, 80.0f, true, false);
    world->PlaceHazardNow(8, 8, kIncGasLeak, 2.0f, 0, false, false);
    CByteReader in(data, size);
    int steps = 0;
    while (in.Remaining() >= 3 && steps < 64) {
        uint8_t selector = 0;
        uint16_t length = 0;
        in.ReadU8(selector);
        in.ReadU16(length);
        size_t n = length < in.Remaining() ? length : in.Remaining();
        std::vector<uint8_t> payload(in.Current(), in.Current() + n);
        in.Skip(n);
        switch (selector & 3) {
        case 0:
            world->ApplyTileUpdates(payload.data(), payload.size());
            break;
        case 1:
            world->ApplyMapObjectRecord(payload.data(), payload.size());
            break;
        case 2:
            world->SpawnSpritePair(payload.data(), payload.size());
            break;
        default:
            world->Step();
            ++steps;
            break;
        }
        if (selector & 4)
            world->MarkerStep();
    }
    CByteWriter out;
    world->SaveTo(out);
    return 0;
}
