// The millisecond timer with the host-clock offset that clock synchronisation sets.
#pragma once

#include <cstdint>

// Milliseconds from a monotonic clock, as the low 32 bits of a 64-bit count; callers take differences.
uint32_t GetMilliseconds();

class CTimer {
public:
    CTimer();
    ~CTimer();
    CTimer(const CTimer&) = delete;
    CTimer& operator=(const CTimer&) = delete;

    void MakeCurrent();
    // interval = seconds x 1000, truncated toward zero.
    void SetInterval(float seconds);
    // Installs the host offset and takes the base from GetMilliseconds; returns the new base.
    int32_t SetBase(int32_t offset);

    int32_t GetInterval() const { return m_nInterval; }
    int32_t GetBase() const { return m_nBase; }
    int32_t GetHostOffset() const { return m_nHostOffset; }

    static CTimer* Current();

private:
    float m_fStep = 0.005f;
    int32_t m_nInterval = 50;
    int32_t m_nBase = 0;
    int32_t m_nHostOffset = 0;
};
