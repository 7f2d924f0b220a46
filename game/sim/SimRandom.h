// The simulation's one random source: the runtime's rand() unless a test scripts the draws.
#pragma once

#include <functional>

// A draw as rand() gives it (0 to RAND_MAX); callers use it as SimRand() % n.
int SimRand();

// Replaces the source (an empty function restores rand()). Tests script draws with it.
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
