// The instant of play a saved game keeps beside its state blocks: the shared mode bits of play that no block
// holds, how long before the save each clock of the frame tick last fired, and the simulation's random state.
#pragma once

#include "game/app/Modes.h"
#include "game/sim/SimRandom.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>

class CByteReader;
class CByteWriter;

// The clocks of the frame tick, in the order they are saved.
enum EPlayClock { kClockDraw, kClockLogic, kClockRoles, kClockAuthority, kClockMovement, kClockPeriodic, kPlayClocks };

// The mode bits every player shares that a restored game takes back: an IAP awaits approval, a review is due.
constexpr uint32_t kSavedModeBits = kModeIAPApproval | kModeIAPReview;

struct CPlayInstant {
    uint32_t uModeBits = 0;                          // kSavedModeBits only
    std::array<uint32_t, kPlayClocks> aSinceFired{}; // milliseconds from each clock's last firing to the save
    std::optional<CSimRandomState> random;           // none in older saves: the draws go on from where they are
};

// "ZPS2", the mode bits, the milliseconds of each clock, then the random state. Older saves have "ZPS1" without
// the random state.
constexpr uint32_t kPlayInstantTag = 0x3253505A;
constexpr uint32_t kPlayInstantTagV1 = 0x3153505A;
constexpr size_t kPlayInstantSizeV1 = 4 + 4 + 4 * kPlayClocks;
constexpr size_t kPlayInstantSize = kPlayInstantSizeV1 + kSimRandomStateSize;

constexpr bool IsPlayInstantTag(uint32_t tag)
{
    return tag == kPlayInstantTag || tag == kPlayInstantTagV1;
}

// Writes "ZPS2", or "ZPS1" for an instant without a random state.
void WritePlayInstant(CByteWriter& out, const CPlayInstant& instant);
// Reads one record of either kind; false (and nothing set) when it is cut short, has another tag, mode bits
// outside the kept ones or a random state no seeding reaches. Any time is one a game can have written (a save
// made after a long pause).
bool ReadPlayInstant(CByteReader& in, CPlayInstant& instant);
