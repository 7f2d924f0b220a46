// The simulation's random source: rand() by default, replaceable for scripted tests.
#include "game/sim/SimRandom.h"

#include <climits>
#include <cstdlib>
#include <utility>

namespace {

std::function<int()>& Source()
{
    static std::function<int()> source;
    return source;
}

} // namespace

int SimRand()
{
    const std::function<int()>& source = Source();
    int value = source ? source() : std::rand();
    if (value < 0) // a scripted draw never gives a negative remainder
        value = value == INT_MIN ? 0 : -value;
    return value;
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
