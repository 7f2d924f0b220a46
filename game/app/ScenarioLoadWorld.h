// The incident world as the scenario's rules reach it, in plain types (the rules and the world headers each
// name their own statistics and notification constants).
#pragma once

#include <cstdint>
#include <functional>
#include <memory>

class CGame;
class CSquad;

// What the world calls back: a statistics counter, a cost kind, the clock, an engine notification.
struct CScenarioWorldCalls {
    std::function<void(int index, int delta)> fnAddStat;
    std::function<void(int cost)> fnCharge;
    std::function<int32_t()> fnCurrentTime;
    std::function<void(int kind, void* squad, int a, int b, int c)> fnNotify;
};

// Installs itself as the game's incident world's scoring and event links; removes them when it goes.
class CScenarioWorldLink {
public:
    CScenarioWorldLink(CGame& game, CScenarioWorldCalls calls);
    ~CScenarioWorldLink();
    CScenarioWorldLink(const CScenarioWorldLink&) = delete;
    CScenarioWorldLink& operator=(const CScenarioWorldLink&) = delete;

    struct Impl;

private:
    CGame& m_game;
    std::unique_ptr<Impl> m_pImpl;
};

// Operations on the game's incident world (nothing without one).
namespace scenario_world {
void Step(CGame& game);
void MarkerStep(CGame& game);
void EndScenario(CGame& game);
int32_t FireCount(const CGame& game);
int32_t SpillCount(const CGame& game);
// True when inside the incident site; else the distance and direction (true too when there is no site).
bool Locate(const CGame& game, int32_t x, int32_t y, int32_t& metres, int32_t& direction);
void Explode(CGame& game, int32_t x, int32_t y, int32_t size);
void Spill(CGame& game, int32_t x, int32_t y, int32_t size);
void Fire(CGame& game, int32_t x, int32_t y, float intensity);
void PlaceObject(CGame& game, int32_t x, int32_t y, int32_t type, float value, int32_t counter, bool hidden);

// Squads as the engine reads them (the squad headers name notification constants of their own too).
struct CSquadFacts {
    int32_t nAgency = 9;
    int32_t nUnitId = 0;
    int32_t nSpriteKind = 1;
    int32_t nHealthState = 0;
    uint32_t uFlags = 0;
    float fX = 0.0f;
    float fY = 0.0f;
};
bool GetSquadFacts(const CSquad* squad, CSquadFacts& facts);
CSquad* FindSquad(CGame& game, int32_t agency, int32_t id);
void GiveOrder(CSquad* squad, int32_t order, int32_t x, int32_t y, uint32_t flagBits, CSquad* target);
// The squads' end-of-scenario counts: threats, civilians and responders killed, responders incapacitated,
// area squads not returned, civilian vehicles destroyed; and their running cost.
void FinalSquadCounts(CGame& game, int32_t counts[6], float& cost);
} // namespace scenario_world
