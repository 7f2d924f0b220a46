// CQFRand: the scenario editor's seedable linear congruential random numbers (Clear Map draws tiles with it).
#pragma once

#include <cstdint>

class CQFRand {
public:
    // reinit non-zero: every SRand reseeds; zero: only the first SRand after construction (or a reinit change).
    explicit CQFRand(int reinit);
    CQFRand() : CQFRand(1) {}
    CQFRand& operator=(const CQFRand& other) = default;
    CQFRand(const CQFRand& other) = default;

    void SetReinit(int reinit);
    void SRand(int seed);
    // 0 to n - 1 (0 without a step for n = 0).
    uint32_t Rand(unsigned long n);
    // 0 to f (exclusive) in steps of 0.00001; see the notes on the whole and fractional parts in the source.
    float FRand(float f);

    uint32_t GetState() const { return m_uState; }

private:
    uint32_t Step();

    uint32_t m_uState = 0; // starts at 0, so a generator used before its first SRand is still deterministic
    int32_t m_nUnused1 = 0;
    int32_t m_nUnused2 = 0;
    int32_t m_nReinit = 1;
    int32_t m_bSeeded = 0;
};
