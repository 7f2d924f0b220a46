// The incident world's links to the scenario's scoring and engine, and the world operations they call.
#include "game/app/ScenarioLoadWorld.h"

#include "game/app/Game.h"
#include "core/world/Sprite.h"
#include "game/sim/IncidentWorld.h"
#include "game/sim/Squad.h"
#include "game/sim/SquadGame.h"
#include "game/sim/SquadManager.h"

struct CScenarioWorldLink::Impl : public IIncidentScoring, public IIncidentEvents {
    CScenarioWorldCalls calls;
    void AddStat(int index, int delta) override
    {
        if (calls.fnAddStat)
            calls.fnAddStat(index, delta);
    }
    void ChargeIncidentCost(EIncidentCost cost) override
    {
        if (calls.fnCharge)
            calls.fnCharge(static_cast<int>(cost));
    }
    int32_t GetCurrentTime() const override { return calls.fnCurrentTime ? calls.fnCurrentTime() : 0; }
    void Notify(int kind, void* object, int a, int b, int c) override
    {
        if (calls.fnNotify)
            calls.fnNotify(kind, object, a, b, c);
    }
};

CScenarioWorldLink::CScenarioWorldLink(CGame& game, CScenarioWorldCalls calls)
    : m_game(game), m_pImpl(std::make_unique<Impl>())
{
    m_pImpl->calls = std::move(calls);
    if (CIncidentWorld* world = m_game.m_pIncidentWorld.get()) {
        CIncidentLinks links = world->GetLinks();
        links.pScoring = m_pImpl.get();
        links.pEvents = m_pImpl.get();
        world->SetLinks(links);
    }
}

CScenarioWorldLink::~CScenarioWorldLink()
{
    if (CIncidentWorld* world = m_game.m_pIncidentWorld.get()) {
        CIncidentLinks links = world->GetLinks();
        if (links.pScoring == m_pImpl.get())
            links.pScoring = nullptr;
        if (links.pEvents == m_pImpl.get())
            links.pEvents = nullptr;
        world->SetLinks(links);
    }
}

namespace scenario_world {

void Step(CGame& game)
{
    if (game.m_pIncidentWorld)
        game.m_pIncidentWorld->Step();
}

void MarkerStep(CGame& game)
{
    if (game.m_pIncidentWorld)
        game.m_pIncidentWorld->MarkerStep();
}

void EndScenario(CGame& game)
{
    if (game.m_pIncidentWorld)
        game.m_pIncidentWorld->EndScenario();
}

int32_t FireCount(const CGame& game)
{
    return game.m_pIncidentWorld ? game.m_pIncidentWorld->m_nFireCount : 0;
}

int32_t SpillCount(const CGame& game)
{
    return game.m_pIncidentWorld ? game.m_pIncidentWorld->m_nSpillCount : 0;
}

bool Locate(const CGame& game, int32_t x, int32_t y, int32_t& metres, int32_t& direction)
{
    CSiteLocation where;
    if (!game.m_pIncidentWorld || !game.m_pIncidentWorld->GetSiteLocation(x, y, where))
        return true;
    metres = where.nMetres;
    direction = where.nDirection;
    return where.bInside;
}

void Explode(CGame& game, int32_t x, int32_t y, int32_t size)
{
    if (game.m_pIncidentWorld)
        game.m_pIncidentWorld->ExplodeAt(x, y, size, true, true);
}

void Spill(CGame& game, int32_t x, int32_t y, int32_t size)
{
    if (game.m_pIncidentWorld)
        game.m_pIncidentWorld->PlaceChemicalNow(x, y, static_cast<float>(size), true, true);
}

void Fire(CGame& game, int32_t x, int32_t y, float intensity)
{
    if (game.m_pIncidentWorld)
        game.m_pIncidentWorld->StartFireNow(x, y, intensity, true);
}

void PlaceObject(CGame& game, int32_t x, int32_t y, int32_t type, float value, int32_t counter, bool hidden)
{
    if (game.m_pIncidentWorld)
        game.m_pIncidentWorld->PlaceHazardNow(x, y, type, value, counter, hidden, true);
}

bool GetSquadFacts(const CSquad* squad, CSquadFacts& facts)
{
    if (!squad)
        return false;
    facts.nAgency = squad->AgencyKind();
    facts.nUnitId = squad->m_pSprite ? squad->m_pSprite->m_Placement.ServiceId : 0;
    facts.nSpriteKind = squad->IsVehicle() ? 4 : 1;
    facts.nHealthState = squad->m_nHealthState;
    facts.uFlags = squad->m_nFlags;
    facts.fX = squad->m_fX;
    facts.fY = squad->m_fY;
    return true;
}

CSquad* FindSquad(CGame& game, int32_t agency, int32_t id)
{
    CSquadManager* squads = game.m_pSquadGame ? game.m_pSquadGame->Scenario() : nullptr;
    return squads ? squads->FindSquadBySprite(id, agency, 3) : nullptr;
}

void GiveOrder(CSquad* squad, int32_t order, int32_t x, int32_t y, uint32_t flagBits, CSquad* target)
{
    if (squad)
        squad->GiveOrder(-1, order, x, y, flagBits, target);
}

void FinalSquadCounts(CGame& game, int32_t counts[6], float& cost)
{
    for (int i = 0; i < 6; ++i)
        counts[i] = 0;
    cost = 0.0f;
    if (!game.m_pSquadGame)
        return;
    if (CSquadManager* scenario = game.m_pSquadGame->Scenario())
        scenario->CountForScore();
    if (CSquadManager* area = game.m_pSquadGame->Area()) {
        area->CountForScore();
        area->AccrueFinalCost();
    }
    const CSquadScoreCounts& s = game.m_pSquadGame->m_score;
    counts[0] = s.nThreatsKilled;
    counts[1] = s.nCiviliansKilled;
    counts[2] = s.nRespondersKilled;
    counts[3] = s.nRespondersIncapacitated;
    counts[4] = s.nVehiclesNotReturned;
    counts[5] = s.nCivilianVehiclesDestroyed;
    cost = s.fRunningCost;
}

} // namespace scenario_world
