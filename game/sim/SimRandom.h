// The simulation's one random source: its own additive generator, whose state a saved game keeps, unless a test
// scripts the draws.
#pragma once

#include <array>
#include <cstdint>
#include <functional>

class CByteReader;
class CByteWriter;

// The state of an additive lagged generator, r[i] = r[i-31] + r[i-3] (mod 2^32): the last 31 words and the ring
// slot of the next one. For a seed it draws what the C runtime's rand() of glibc draws after srand(seed).
struct CSimRandomState {
    static constexpr size_t kWords = 31;
    std::array<uint32_t, kWords> aWords{};
    uint32_t uNext = 0; // ring slot that holds r[i-31] and takes r[i]

    bool operator==(const CSimRandomState&) const = default;
};

// 31 words and the slot.
constexpr size_t kSimRandomStateSize = 4 * CSimRandomState::kWords + 4;

class CSimRandom {
public:
    CSimRandom() { Seed(1); } // as the runtime's generator before any seed
    void Seed(uint32_t seed);
    // 0 to 2^31 - 1.
    int Next();
    const CSimRandomState& State() const { return m_state; }
    // False (and nothing changed) for a state no seeding reaches: a slot past the words, or every word 0.
    bool SetState(const CSimRandomState& state);
    static bool IsPossible(const CSimRandomState& state);

private:
    CSimRandomState m_state;
};

// The state field by field, little-endian; the reader refuses a cut or impossible state and changes nothing.
void WriteSimRandomState(CByteWriter& out, const CSimRandomState& state);
bool ReadSimRandomState(CByteReader& in, CSimRandomState& state);

// A draw (0 to 2^31 - 1); callers use it as SimRand() % n.
int SimRand();

// The simulation's generator: seeded at start with the time and by tests; its state is saved with a game and
// given back when the game is restored.
void SeedSimRandom(uint32_t seed);
CSimRandomState GetSimRandomState();
bool SetSimRandomState(const CSimRandomState& state);

// Replaces the source (an empty function restores the generator). Tests script draws with it.
void SetSimRandomSource(std::function<int()> source);

// Installs a source for the lifetime of the object and restores the previous one afterwards.
class CSimRandomScope {
public:
    explicit CSimRandomScope(std::function<int()> source);
    ~CSimRandomScope();
    CSimRandomScope(const CSimRandomScope&) = delete;
    CSimRandomScope& operator=(const CSimRandomScope&) = delete;

private:
    std::function<int()> m_fnPrevious;
};
