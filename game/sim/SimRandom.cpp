// The simulation's random source: an additive generator with a state that saves, replaceable for scripted tests.
#include "game/sim/SimRandom.h"

#include "core/util/ByteStream.h"

#include <algorithm>
#include <climits>
#include <utility>

namespace {

constexpr int64_t kSeedModulus = 2147483647; // 2^31 - 1
constexpr int64_t kSeedMultiplier = 16807;
constexpr uint32_t kShortLag = 3;
constexpr int kDiscarded = 310;

CSimRandom& Generator()
{
    static CSimRandom generator;
    return generator;
}

std::function<int()>& Source()
{
    static std::function<int()> source;
    return source;
}

} // namespace

void CSimRandom::Seed(uint32_t seed)
{
    if (seed == 0)
        seed = 1;
    // The seeding words: the seed (taken as a signed 32-bit value, as the runtime does), then each one 16807
    // times the one before modulo 2^31 - 1. Three more repeat the first three, so the first new word is r[34]
    // and the ring starts on its slot.
    int64_t word = static_cast<int32_t>(seed);
    m_state.aWords[0] = seed;
    for (size_t i = 1; i < CSimRandomState::kWords; ++i) {
        word = (kSeedMultiplier * word) % kSeedModulus;
        if (word < 0)
            word += kSeedModulus;
        m_state.aWords[i] = static_cast<uint32_t>(word);
    }
    m_state.uNext = kShortLag;
    for (int i = 0; i < kDiscarded; ++i)
        Next();
}

int CSimRandom::Next()
{
    constexpr uint32_t words = CSimRandomState::kWords;
    const uint32_t slot = m_state.uNext;
    const uint32_t value = m_state.aWords[slot] + m_state.aWords[(slot + words - kShortLag) % words];
    m_state.aWords[slot] = value;
    m_state.uNext = (slot + 1) % words;
    return static_cast<int>(value >> 1);
}

bool CSimRandom::IsPossible(const CSimRandomState& state)
{
    // Every step can be undone (r[i-31] = r[i] - r[i-3]), so a seeded ring, never all 0, never becomes all 0.
    const bool allZero = std::all_of(state.aWords.begin(), state.aWords.end(), [](uint32_t w) { return w == 0; });
    return state.uNext < CSimRandomState::kWords && !allZero;
}

bool CSimRandom::SetState(const CSimRandomState& state)
{
    if (!IsPossible(state))
        return false;
    m_state = state;
    return true;
}

void WriteSimRandomState(CByteWriter& out, const CSimRandomState& state)
{
    for (uint32_t word : state.aWords)
        out.WriteU32(word);
    out.WriteU32(state.uNext);
}

bool ReadSimRandomState(CByteReader& in, CSimRandomState& state)
{
    CSimRandomState read;
    for (uint32_t& word : read.aWords)
        in.ReadU32(word);
    in.ReadU32(read.uNext);
    if (!in.Ok() || !CSimRandom::IsPossible(read))
        return false;
    state = read;
    return true;
}

int SimRand()
{
    const std::function<int()>& source = Source();
    if (!source)
        return Generator().Next();
    int value = source();
    if (value < 0) // a scripted draw never gives a negative remainder
        value = value == INT_MIN ? 0 : -value;
    return value;
}

void SeedSimRandom(uint32_t seed)
{
    Generator().Seed(seed);
}

CSimRandomState GetSimRandomState()
{
    return Generator().State();
}

bool SetSimRandomState(const CSimRandomState& state)
{
    return Generator().SetState(state);
}

void SetSimRandomSource(std::function<int()> source)
{
    Source() = std::move(source);
}

CSimRandomScope::CSimRandomScope(std::function<int()> source) : m_fnPrevious(std::move(Source()))
{
    Source() = std::move(source);
}

CSimRandomScope::~CSimRandomScope()
{
    Source() = std::move(m_fnPrevious);
}
