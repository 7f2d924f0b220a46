// Monotonic millisecond clock over std::chrono::steady_clock.
#include "platform/system/Clock.h"

#include <chrono>
#include <mutex>

namespace platform {
namespace {

std::mutex g_clockLock;
std::function<uint32_t()> g_clockSource;

std::chrono::steady_clock::time_point Start()
{
    static const auto start = std::chrono::steady_clock::now();
    return start;
}

} // namespace

uint32_t GetTickCount()
{
    {
        std::lock_guard<std::mutex> guard(g_clockLock);
        if (g_clockSource)
            return g_clockSource();
    }
    auto elapsed = std::chrono::steady_clock::now() - Start();
    return static_cast<uint32_t>(std::chrono::duration_cast<std::chrono::milliseconds>(elapsed).count());
}

double GetMilliseconds()
{
    {
        std::lock_guard<std::mutex> guard(g_clockLock);
        if (g_clockSource)
            return static_cast<double>(g_clockSource());
    }
    auto elapsed = std::chrono::steady_clock::now() - Start();
    return std::chrono::duration<double, std::milli>(elapsed).count();
}

void SetClockSource(std::function<uint32_t()> source)
{
    std::lock_guard<std::mutex> guard(g_clockLock);
    g_clockSource = std::move(source);
}

ManualClock::ManualClock(uint32_t start) : m_now(start)
{
    SetClockSource([this] { return m_now.load(); });
}

ManualClock::~ManualClock()
{
    SetClockSource({});
}

} // namespace platform
