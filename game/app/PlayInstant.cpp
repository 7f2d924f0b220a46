// The instant of play kept in a saved game: its record, and the game's clocks taken at a save and given back when
// the restored game starts.
#include "game/app/PlayInstant.h"

#include "core/util/ByteStream.h"
#include "game/app/Game.h"
#include "platform/system/Clock.h"

namespace {

// The clocks of the game in the saved order.
std::array<uint32_t CGame::*, kPlayClocks> ClockFields()
{
    std::array<uint32_t CGame::*, kPlayClocks> fields{};
    fields[kClockDraw] = &CGame::m_uLastDraw;
    fields[kClockLogic] = &CGame::m_uLogicClock;
    fields[kClockRoles] = &CGame::m_uRoleClock;
    fields[kClockAuthority] = &CGame::m_uAuthorityClock;
    fields[kClockMovement] = &CGame::m_uMovementClock;
    fields[kClockPeriodic] = &CGame::m_uPeriodicClock;
    return fields;
}

} // namespace

void WritePlayInstant(CByteWriter& out, const CPlayInstant& instant)
{
    out.WriteU32(instant.random ? kPlayInstantTag : kPlayInstantTagV1);
    out.WriteU32(instant.uModeBits);
    for (uint32_t since : instant.aSinceFired)
        out.WriteU32(since);
    if (instant.random)
        WriteSimRandomState(out, *instant.random);
}

bool ReadPlayInstant(CByteReader& in, CPlayInstant& instant)
{
    uint32_t tag = 0;
    CPlayInstant read;
    in.ReadU32(tag);
    in.ReadU32(read.uModeBits);
    for (uint32_t& since : read.aSinceFired)
        in.ReadU32(since);
    if (!in.Ok() || !IsPlayInstantTag(tag) || (read.uModeBits & ~kSavedModeBits) != 0)
        return false;
    if (tag == kPlayInstantTag && !ReadSimRandomState(in, read.random.emplace()))
        return false;
    instant = read;
    return true;
}

CPlayInstant CGame::CapturePlayInstant() const
{
    CPlayInstant instant;
    instant.uModeBits = m_uMode & kSavedModeBits;
    instant.random = GetSimRandomState();
    const uint32_t now = platform::GetTickCount();
    const auto fields = ClockFields();
    for (size_t i = 0; i < fields.size(); ++i)
        instant.aSinceFired[i] = now - this->*fields[i];
    return instant;
}

void CGame::ResumePlayClocks(const CPlayInstant& instant)
{
    // Each clock stands as long before now as it stood before the save (the differences wrap as the clocks do),
    // so every step comes when it would have come in the game that was saved.
    const uint32_t now = platform::GetTickCount();
    const auto fields = ClockFields();
    for (size_t i = 0; i < fields.size(); ++i)
        this->*fields[i] = now - instant.aSinceFired[i];
}
