// The monotonic millisecond clock behind the tick count, with a source tests can drive.
#pragma once

#include <cstdint>
#include <atomic>
#include <functional>

namespace platform {

// Milliseconds since an arbitrary start, wrapping at 2^32 like a tick count.
uint32_t GetTickCount();

// Milliseconds as a double, for finer timing.
double GetMilliseconds();

// Replaces the clock with a function (tests drive time with it); an empty function restores the real clock.
void SetClockSource(std::function<uint32_t()> source);

// A clock a test moves by hand; installs itself while it lives.
class ManualClock {
public:
    explicit ManualClock(uint32_t start = 0);
    ~ManualClock();
    ManualClock(const ManualClock&) = delete;
    ManualClock& operator=(const ManualClock&) = delete;
    void Advance(uint32_t ms) { m_now += ms; }
    void Set(uint32_t ms) { m_now = ms; }
    uint32_t Now() const { return m_now.load(); }

private:
    std::atomic<uint32_t> m_now;
};

} // namespace platform
