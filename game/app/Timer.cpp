// The game's millisecond timer and the process-wide current-timer pointer.
#include "game/app/Timer.h"

#include "platform/system/Clock.h"
#include "core/persist/DataRange.h"

namespace {
CTimer* g_pCurrentTimer = nullptr;
}

uint32_t GetMilliseconds()
{
    // 64-bit integer milliseconds, never passed through single precision (which stepped by 2 ms after
    // about 4.7 hours of uptime).
    double ms = platform::GetMilliseconds();
    uint64_t whole = ms > 0 ? static_cast<uint64_t>(ms) : 0;
    return static_cast<uint32_t>(whole);
}

CTimer::CTimer()
{
    (void)m_fStep;
    MakeCurrent();
}

CTimer::~CTimer()
{
    if (g_pCurrentTimer == this)
        g_pCurrentTimer = nullptr;
}

void CTimer::MakeCurrent()
{
    g_pCurrentTimer = this;
}

void CTimer::SetInterval(float seconds)
{
    m_nInterval = CheckedInt(seconds * 1000.0f);
}

int32_t CTimer::SetBase(int32_t offset)
{
    m_nHostOffset = offset;
    m_nBase = static_cast<int32_t>(GetMilliseconds());
    return m_nBase;
}

CTimer* CTimer::Current()
{
    return g_pCurrentTimer;
}
