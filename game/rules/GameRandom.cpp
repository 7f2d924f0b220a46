// The simulation's random source and its scripted stand-in.
#include "game/rules/GameRandom.h"

#include <cstdlib>
#include <utility>

namespace {

std::function<int()>& Source()
{
    static std::function<int()> source;
    return source;
}

} // namespace

int GameRand()
{
    const std::function<int()>& source = Source();
    // A scripted value is kept in 0 .. RAND_MAX so `% n` stays non-negative.
    if (source) {
        const int value = source();
        return value < 0 ? 0 : value;
    }
    return std::rand();
}

void SetGameRandSource(std::function<int()> source)
{
    Source() = std::move(source);
}

CScriptedRandom::CScriptedRandom(std::initializer_list<int> values, int fallback)
    : m_aValues(values), m_nFallback(fallback)
{
    SetGameRandSource([this] { return Next(); });
}

CScriptedRandom::~CScriptedRandom()
{
    SetGameRandSource({});
}

int CScriptedRandom::Next()
{
    ++m_nDraws;
    if (m_nNext < m_aValues.size())
        return m_aValues[m_nNext++];
    return m_nFallback;
}
