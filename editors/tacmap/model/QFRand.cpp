// CQFRand: state x 1664525 + 1013904223 modulo 2^32; the value used is the state's top 28 bits.
#include "editors/tacmap/model/QFRand.h"

#include <algorithm>
#include <cstdint>

CQFRand::CQFRand(int reinit) : m_nReinit(reinit) {}

void CQFRand::SetReinit(int reinit)
{
    if (reinit != m_nReinit && m_bSeeded)
        m_bSeeded = 0;
    m_nReinit = reinit;
}

void CQFRand::SRand(int seed)
{
    if (m_bSeeded && m_nReinit == 0)
        return;
    m_uState = static_cast<uint32_t>(seed);
    m_bSeeded = 1;
}

uint32_t CQFRand::Step()
{
    m_uState = m_uState * 1664525u + 1013904223u;
    return m_uState >> 4;
}

uint32_t CQFRand::Rand(unsigned long n)
{
    const uint32_t n32 = static_cast<uint32_t>(n);
    if (n32 == 0)
        return 0;
    return Step() % n32;
}

float CQFRand::FRand(float f)
{
    constexpr float kStep = 0.00001f;
    // The whole part alone sets the range of a value of 1 or more (2.5 gives 0 to 2); a negative f converts to a
    // large unsigned whole part.
    const double bounded = f != f ? 0.0 : std::clamp(static_cast<double>(f), -2147483648.0, 4294967295.0);
    const auto whole = static_cast<uint32_t>(static_cast<int64_t>(bounded));
    if (whole > 0) {
        const uint32_t w = Step() % whole;
        const uint32_t frac = Step() % 100000u;
        return static_cast<float>(w) + static_cast<float>(frac) * kStep;
    }
    const auto m = f > 0.0f ? static_cast<uint32_t>(f * 100000.0f) : 0u;
    if (m == 0)
        return 0.0f;
    return static_cast<float>(Step() % m) * kStep;
}
