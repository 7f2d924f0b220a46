// Fuzz target: a saved game's IAP block (the accumulated plan delay) from arbitrary bytes; what loads writes
// back the same four bytes and takes another penalty without overflow.
#include "core/util/ByteStream.h"
#include "game/screens/iap/IAP_PhaseIF.h"

#include <cstdint>
#include <cstring>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    CByteReader in(data, size);
    int32_t delay = -1;
    if (!IAP_PhaseIF::ReadState(in, delay))
        return 0;
    if (delay < 0 || delay > IAP_PhaseIF::kMaxPenaltyTotal)
        __builtin_trap();
    CByteWriter out;
    IAP_PhaseIF::WriteState(out, delay);
    if (out.Size() != 4 || std::memcmp(out.Bytes(), data, 4) != 0)
        __builtin_trap();
    IAP_PhaseIF::AddPenalty(delay, 30);
    return 0;
}
