// The instant of play a saved game keeps beside its state blocks: the shared mode bits of play that no block
// holds, and how long before the save each clock of the frame tick last fired.
#pragma once

#include "game/app/Modes.h"

#include <array>
#include <cstddef>
#include <cstdint>

class CByteReader;
class CByteWriter;

// The clocks of the frame tick, in the order they are saved.
enum EPlayClock { kClockDraw, kClockLogic, kClockRoles, kClockAuthority, kClockMovement, kClockPeriodic, kPlayClocks };

// The mode bits every player shares that a restored game takes back: an IAP awaits approval, a review is due.
constexpr uint32_t kSavedModeBits = kModeIAPApproval | kModeIAPReview;

struct CPlayInstant {
    uint32_t uModeBits = 0;                          // kSavedModeBits only
    std::array<uint32_t, kPlayClocks> aSinceFired{}; // milliseconds from each clock's last firing to the save
};

// "ZPS1", the mode bits, then the milliseconds of each clock.
constexpr uint32_t kPlayInstantTag = 0x3153505A;
constexpr size_t kPlayInstantSize = 4 + 4 + 4 * kPlayClocks;

void WritePlayInstant(CByteWriter& out, const CPlayInstant& instant);
// Reads one record; false (and nothing set) when it is cut short, has another tag or mode bits outside the kept
// ones. Any time is one a game can have written (a save made after a long pause).
bool ReadPlayInstant(CByteReader& in, CPlayInstant& instant);
