// The simulation's one random source: rand() by default, a scripted sequence in tests.
#pragma once

#include <functional>
#include <initializer_list>
#include <vector>

// One draw in 0 .. RAND_MAX, used as GameRand() % n like the runtime's rand().
int GameRand();

// Replaces the source (tests script their draws); an empty function restores rand().
void SetGameRandSource(std::function<int()> source);

// A scripted source that installs itself while it lives: hands out the given values in order, then
// `fallback` for every further draw. Counts the draws taken.
class CScriptedRandom {
public:
    explicit CScriptedRandom(std::initializer_list<int> values = {}, int fallback = 0);
    ~CScriptedRandom();
    CScriptedRandom(const CScriptedRandom&) = delete;
    CScriptedRandom& operator=(const CScriptedRandom&) = delete;

    void Push(int value) { m_aValues.push_back(value); }
    int Draws() const { return m_nDraws; }
    size_t Left() const { return m_aValues.size() - m_nNext; }

private:
    int Next();

    std::vector<int> m_aValues;
    size_t m_nNext = 0;
    int m_nFallback;
    int m_nDraws = 0;
};
