// Scripted draws of the simulation's random source: the given values in order, then `fallback`.
#pragma once

#include "game/sim/SimRandom.h"

#include <initializer_list>
#include <vector>

class CScriptedRandom {
public:
    explicit CScriptedRandom(std::initializer_list<int> values = {}, int fallback = 0)
        : m_aValues(values), m_nFallback(fallback), m_scope([this] { return Next(); })
    {
    }
    void Push(int value) { m_aValues.push_back(value); }
    int Draws() const { return m_nDraws; }

private:
    int Next()
    {
        ++m_nDraws;
        return m_nNext < m_aValues.size() ? m_aValues[m_nNext++] : m_nFallback;
    }

    std::vector<int> m_aValues;
    size_t m_nNext = 0;
    int m_nFallback;
    int m_nDraws = 0;
    CSimRandomScope m_scope;
};
