// The game's rules joined to the game object: the engine's view of squads, incident world and EOC, the scoring's
// view of the same, and the incident world's links to both.
#include "game/rules/RulesGame.h"

#include "core/events/ConditionHooks.h"
#include "core/events/ZREventsData.h"
#include "core/world/ScenarioData.h"
#include "core/world/Sprite.h"
#include "core/world/UnitTaskRecord.h"
#include "game/app/Game.h"
#include "game/screens/eoc/EOC.h"
#include "game/screens/iap/IAP_PhaseIF.h"
#include "game/sim/IncidentWorld.h"
#include "game/sim/Squad.h"
#include "game/sim/SquadGame.h"
#include "game/sim/SquadManager.h"
#include "core/util/ByteStream.h"

#include <cmath>
#include <iterator>
#include <limits>

namespace {

// How near a squad must stand to the squad a proximity condition names (pixels each way, as the squads'
// "in range 96" of their order work).
constexpr int kProximityRange = 96;
// The first facility kind a designated zone is re-skinned to (Command Post); kinds run in the order of the
// facility table up to the Media Center.
constexpr int kFirstFacilityKind = 191;
constexpr int kFacilityKinds = 6;
// The zone node that equips squads (the Base).
constexpr int kEquipmentNode = 192;

int Trunc(float value)
{
    return static_cast<int>(value);
}

} // namespace

// --- the engine's view of the game --------------------------------------------------------------------------------

class CRulesEngineHost : public IEventEngineHost {
public:
    explicit CRulesEngineHost(CGame& game) : m_game(game) {}

    bool HasAuthority() const override { return m_game.m_bAuthority; }
    uint32_t GetModeFlags() const override { return m_game.m_uMode; }

    bool GetSquadInfo(const CSquad* squad, CEngineSquadInfo& info) const override
    {
        if (!Known(squad))
            return false;
        info.nAgency = squad->AgencyKind();
        info.nUnitId = squad->m_pSprite ? squad->m_pSprite->m_Placement.ServiceId : 0;
        info.nSpriteKind = squad->IsVehicle() ? kVehicleSprite : kUnitSprite;
        info.nHealthState = squad->m_nHealthState;
        info.uFlags = squad->m_nFlags;
        // The unit's flags word (0x20000: loaded in a vehicle).
        info.uTypeFlags = squad->m_pSprite ? static_cast<uint32_t>(squad->m_pSprite->m_Placement.Flags) : 0;
        info.fX = squad->m_fX;
        info.fY = squad->m_fY;
        return true;
    }

    CSquad* FindSquad(int32_t agency, int32_t id) override
    {
        CSquadManager* manager = Scenario();
        return manager ? manager->FindSquadBySprite(id, agency, 3) : nullptr;
    }

    // The nearest squad of the target agencies within range of the named one, not hidden and not itself.
    CSquad* FindSquadInRange(CSquad* squad, int32_t /*action*/, int32_t targets) override
    {
        CSquadManager* manager = Scenario();
        if (!manager || !Known(squad))
            return nullptr;
        CSquad* best = nullptr;
        int bestDistance = std::numeric_limits<int>::max();
        for (const auto* list : {&manager->Units(), &manager->Vehicles()}) {
            for (CSquad* other : *list) {
                const int agency = other->AgencyKind();
                if (other == squad || other->IsHidden() || agency < 0 || agency > 30 || !(targets & (1 << agency)))
                    continue;
                const int dx = std::abs(Trunc(other->m_fX) - Trunc(squad->m_fX));
                const int dy = std::abs(Trunc(other->m_fY) - Trunc(squad->m_fY));
                if (dx >= kProximityRange || dy >= kProximityRange || dx + dy >= bestDistance)
                    continue;
                best = other;
                bestDistance = dx + dy;
            }
        }
        return best;
    }

    CSquad* FindSquadAt(int32_t x, int32_t y) override
    {
        CSquadManager* manager = Scenario();
        return manager ? manager->FindVehicleAt(x, y, true, -1) : nullptr;
    }

    bool GetHolderValue(const CSquad* squad, float& value) const override
    {
        const CSquad* holder = Known(squad) ? squad->m_pLink : nullptr;
        if (!holder || holder == squad)
            return false;
        value = holder->m_fHealthPct;
        return true;
    }

    // A simulation order: no player, and a path request as a player's order makes.
    void GiveOrder(CSquad* squad, int32_t order, int32_t x, int32_t y, uint32_t flagBits, CSquad* target) override
    {
        if (Known(squad))
            squad->GiveOrder(-1, order, x, y, flagBits | kSqPathRequest, target);
    }

    void RevealSquad(CSquad* squad) override
    {
        if (Known(squad) && squad->m_pSprite)
            squad->m_pSprite->m_Placement.Flags &= ~kSpriteHidden;
    }

    bool IsOnEquipmentNode(const CSquad* squad) const override
    {
        CIncidentWorld* world = m_game.m_pIncidentWorld.get();
        if (!world || !Known(squad))
            return false;
        const CIncidentNode* node = world->ZoneNodeAt(world->TileAt(Trunc(squad->m_fX), Trunc(squad->m_fY)));
        return node && node->m_nType == kEquipmentNode;
    }

    void EquipSquad(CSquad* squad) override
    {
        if (!Known(squad))
            return;
        squad->m_nFlags |= kSqGear;
        if (squad->m_pSprite)
            squad->m_pSprite->SetModifiers(kModGear, true);
    }

    bool LocateFromIncidentSite(int32_t x, int32_t y, int32_t& metres, int32_t& direction) const override
    {
        CSiteLocation location;
        CIncidentWorld* world = m_game.m_pIncidentWorld.get();
        // Without a site the text speaks of the site itself.
        if (!world || !world->GetSiteLocation(x, y, location) || location.bInside)
            return true;
        metres = location.nMetres;
        direction = location.nDirection;
        return false;
    }

    void Explode(int32_t x, int32_t y, int32_t size) override
    {
        if (CIncidentWorld* world = m_game.m_pIncidentWorld.get())
            world->ExplodeAt(x, y, size, true, true);
    }

    void SpillChemical(int32_t x, int32_t y, int32_t size) override
    {
        CIncidentWorld* world = m_game.m_pIncidentWorld.get();
        if (!world)
            return;
        const float amount = size >= 0 && size < 3 ? world->GetParameters().afSpillAmount[size] : 0.0f;
        world->PlaceChemicalNow(x, y, amount, true, false);
    }

    void StartFire(int32_t x, int32_t y, float intensity) override
    {
        if (CIncidentWorld* world = m_game.m_pIncidentWorld.get())
            world->StartFireNow(x, y, intensity, true);
    }

    void PlaceObject(int32_t x, int32_t y, int32_t type, float value, int32_t counter, bool hidden) override
    {
        if (CIncidentWorld* world = m_game.m_pIncidentWorld.get())
            world->PlaceHazardNow(x, y, type, value, counter, hidden, true);
    }

    int32_t GetZoneGroupKey() const override
    {
        CIncidentWorld* world = m_game.m_pIncidentWorld.get();
        return world ? world->m_nZoneGroupCounter : 0;
    }

    bool PushZoneNode(int32_t x, int32_t y, int32_t groupKey, int32_t flag) override
    {
        CIncidentWorld* world = m_game.m_pIncidentWorld.get();
        return world && world->PushObjectEvent(x, y, groupKey, flag);
    }

    void FinishZoneFlagging() override
    {
        CIncidentWorld* world = m_game.m_pIncidentWorld.get();
        if (!world)
            return;
        world->SendEventBatch();
        ++world->m_nZoneGroupCounter;
        ++world->m_nZoneMark;
        world->PushZoneMark();
        world->SendEventBatch();
    }

    void GrantResourcePoints(float amount) override
    {
        if (!m_game.m_bAuthority)
            return;
        CByteWriter record;
        record.WriteI32(5);
        record.WriteFloat(amount);
        m_game.PostGameMessage(kGmResourcePoints, record.Bytes(), record.Size());
        if (m_game.m_pEOC)
            m_game.m_pEOC->DrawResourcePoints();
    }

    bool IsUnitActivated(int32_t section, int32_t unit) const override
    {
        const CEOCUnitData* eoc = m_game.m_pEOCUnitData.get();
        if (!eoc || section < 0 || section >= kSections || unit < 0 || unit >= 32)
            return false;
        return (eoc->m_aSections[static_cast<size_t>(section)].uActivated >> unit) & 1u;
    }

    void ReportEvent(const CZREvent& event, const int32_t scores[3], int32_t cost) override
    {
        m_game.SendEventMessage(event, scores, cost);
    }

private:
    CSquadManager* Scenario() const { return m_game.m_pSquadGame ? m_game.m_pSquadGame->Scenario() : nullptr; }

    // A squad of either manager (a stale pointer is never read).
    bool Known(const CSquad* squad) const
    {
        if (!squad || !m_game.m_pSquadGame)
            return false;
        const CSquadManager* scenario = m_game.m_pSquadGame->Scenario();
        const CSquadManager* area = m_game.m_pSquadGame->Area();
        return (scenario && scenario->ContainsSquad(squad)) || (area && area->ContainsSquad(squad));
    }

    CGame& m_game;
};

// --- the scoring's view of the game -------------------------------------------------------------------------------

class CRulesScoringHost : public IScoringHost {
public:
    CRulesScoringHost(CGame& game, CRulesGame& rules) : m_game(game), m_rules(rules) {}

    // The game's time of day follows the clock before the engine hears of the minute, so what the minute fires is
    // logged with it (it used to be stamped with the minute before).
    void NotifyMinute(int32_t time) override
    {
        m_game.m_nTimeOfDay = time;
        m_rules.m_engine.Notify(kNotifyMinute, nullptr, time, 0, -1);
    }

    void StepWorld(int32_t) override
    {
        if (m_game.m_pIncidentWorld)
            m_game.m_pIncidentWorld->Step();
    }

    void StepSquads() override
    {
        if (!m_game.m_pSquadGame)
            return;
        m_game.m_pSquadGame->GameStep();
        TakeSquadCosts();
    }

    void MoveSquads(uint32_t) override
    {
        if (m_game.m_pSquadGame)
            m_game.m_pSquadGame->MovementStep();
    }

    void MoveWorld(uint32_t) override
    {
        if (m_game.m_pIncidentWorld)
            m_game.m_pIncidentWorld->MarkerStep();
    }

    float GetCostFactor() const override
    {
        const CEOCUnitData* eoc = m_game.m_pEOCUnitData.get();
        return eoc ? eoc->GetCostFactor() : 1.0f;
    }

    float GetActiveUnitsCost() const override
    {
        const CEOCUnitData* eoc = m_game.m_pEOCUnitData.get();
        return eoc ? eoc->GetActiveUnitsCost() : 0.0f;
    }

    int32_t GetActivationTime(int32_t section, int32_t unit) const override
    {
        const CEOCUnitData* eoc = m_game.m_pEOCUnitData.get();
        return eoc ? eoc->GetActivationTime(section, unit) : 0;
    }

    float GetResourcePoints(int32_t section) const override
    {
        const CEOCUnitData* eoc = m_game.m_pEOCUnitData.get();
        return eoc ? eoc->GetResourcePoints(section) : 0.0f;
    }

    int32_t GetIAPPenalty() const override { return m_game.m_pIAP ? m_game.m_pIAP->m_nPenaltyTotal : 0; }

    int32_t GetFacilityTime(int32_t facility) const override
    {
        const CIncidentWorld* world = m_game.m_pIncidentWorld.get();
        if (!world || facility < 0 || facility >= kFacilityKinds)
            return 0;
        return world->GetReskinValue(kFirstFacilityKind + facility);
    }

    int32_t CountBurningTiles() const override { return World() ? World()->m_nFireCount : 0; }
    int32_t CountChemicalTiles() const override { return World() ? World()->m_nSpillCount : 0; }
    int32_t CountVisibleSpills() const override { return World() ? World()->CountVisibleSpills() : 0; }
    int32_t CountObjects(int32_t type, bool includeHidden) const override
    {
        return World() ? World()->CountObjectsOfType(type, includeHidden) : 0;
    }

    void FinalTally(CScoring& scoring) override
    {
        if (CIncidentWorld* world = m_game.m_pIncidentWorld.get())
            world->EndScenario();
        CSquadGame* squads = m_game.m_pSquadGame.get();
        if (!squads)
            return;
        for (CSquadManager* manager : {squads->Scenario(), squads->Area()}) {
            if (manager) {
                manager->CountForScore();
                manager->AccrueFinalCost();
            }
        }
        const CSquadScoreCounts& c = squads->m_score;
        const std::pair<EScoreStat, int32_t> counts[] = {
            {kStatThreatsKilled, c.nThreatsKilled},
            {kStatThreatsIncapacitated, c.nThreatsIncapacitated},
            {kStatThreatsInCustody, c.nThreatsSubdued},
            {kStatThreatsTotal, c.nThreats},
            {kStatThreatsAtCasualtyCenter, c.nThreatsAtCasualty},
            {kStatCiviliansKilled, c.nCiviliansKilled},
            {kStatCiviliansIncapacitated, c.nCiviliansIncapacitated},
            {kStatCiviliansAtCasualtyCenter, c.nCiviliansDownAtCasualty},
            {kStatCiviliansAtEvacuationCenter, c.nCiviliansEvacuated},
            {kStatCivilianVehiclesDestroyed, c.nCivilianVehiclesDestroyed},
            {kStatMediaTotal, c.nMediaUnits},
            {kStatMediaAtMediaCenter, c.nMediaAtCenter},
            {kStatRespondersKilled, c.nRespondersKilled},
            {kStatRespondersIncapacitated, c.nRespondersIncapacitated},
            {kStatResponderVehiclesDestroyed, c.nVehiclesDestroyed},
            {kStatRespondersAtCasualtyCenter, c.nRespondersDownAtCasualty},
            {kStatRespondersInCombat, c.nAssaults},
            {kStatMediaInfiltration, c.nMediaInfiltrated},
            {kStatAnnoyableTicks, c.nAnnoyableTicks},
            {kStatTicksAnnoying, c.nTicksAnnoying},
            {kStatAreaSquadsCalled, c.nAreaSquadsCalled},
            {kStatAreaSquadsNotReturned, c.nVehiclesNotReturned},
        };
        for (const auto& [stat, value] : counts)
            scoring.SetStat(stat, value);
        TakeSquadCosts();
    }

    int32_t GetExpectedCost() const override { return m_nExpectedCost; }

    void PostMessage(uint16_t id, const uint8_t* payload, size_t length) override
    {
        m_game.PostGameMessage(id, payload, length);
    }

    int32_t m_nExpectedCost = 0;

private:
    CIncidentWorld* World() const { return m_game.m_pIncidentWorld.get(); }

    // The squads' running costs gathered since the last step go to the purse.
    void TakeSquadCosts()
    {
        CSquadScoreCounts& score = m_game.m_pSquadGame->m_score;
        if (score.fRunningCost != 0.0f)
            m_rules.m_scoring.AddCost(score.fRunningCost);
        score.fRunningCost = 0.0f;
    }

    CGame& m_game;
    CRulesGame& m_rules;
};

// --- the incident world's links ----------------------------------------------------------------------------------

class CRulesIncidentLinks : public IIncidentScoring, public IIncidentEvents {
public:
    explicit CRulesIncidentLinks(CRulesGame& rules) : m_rules(rules) {}

    void AddStat(int index, int delta) override { m_rules.m_scoring.AddStat(static_cast<EScoreStat>(index), delta); }

    // The incident's rates are score rules 2 to 10: fire and spill per pass, the three leaks per object step,
    // then debris, burnt ground, burnt feature and residue once at the end.
    void ChargeIncidentCost(EIncidentCost cost) override
    {
        static constexpr int kRule[] = {2, 3, 4, 5, 6, 7, 8, 9, 10};
        const int index = static_cast<int>(cost);
        if (index >= 0 && index < static_cast<int>(std::size(kRule)))
            m_rules.m_scoring.AddCost(m_rules.m_scoring.GetScoreRule(kRule[index]));
    }

    int32_t GetCurrentTime() const override { return m_rules.m_scoring.GetCurrentTime(); }

    void Notify(int kind, void* object, int a, int b, int c) override
    {
        m_rules.m_engine.Notify(kind, static_cast<CSquad*>(object), a, b, c);
    }

private:
    CRulesGame& m_rules;
};

// --- the rules --------------------------------------------------------------------------------------------------

CRulesGame::CRulesGame(CGame& game)
    : m_game(game), m_pEngineHost(std::make_unique<CRulesEngineHost>(game)),
      m_pScoringHost(std::make_unique<CRulesScoringHost>(game, *this)),
      m_pWorldLinks(std::make_unique<CRulesIncidentLinks>(*this))
{
    m_engine.SetHost(m_pEngineHost.get());
    m_scoring.SetHost(m_pScoringHost.get());
    if (m_game.m_pSquadGame) {
        m_game.m_pSquadGame->m_services.fnNotify = [this](int kind, CSquad* squad, int action) {
            m_engine.Notify(kind, squad, action, 0, 0);
        };
    }
}

CRulesGame::~CRulesGame()
{
    Release();
    if (m_game.m_pSquadGame)
        m_game.m_pSquadGame->m_services.fnNotify = nullptr;
}

void CRulesGame::StartScenario(CScenarioData* scenario, const std::string& scenarioName,
                               const std::string& scoreRulesFile)
{
    CZREventsData* events = scenario ? scenario->m_pEvents : nullptr;
    m_pScoringHost->m_nExpectedCost = scenario ? scenario->m_nPredictedCost : 0;
    m_scoring.SetScenario(m_game.GetBasePath(), scenarioName);
    m_scoring.SetStart(events ? events->m_nGameStartTime : 0);
    if (!scoreRulesFile.empty())
        m_scoring.LoadScoreRules(m_game.GetBasePath(), scoreRulesFile);
    m_game.m_nStartTime = m_scoring.GetStartTime();
    m_game.m_nTimeOfDay = m_scoring.GetCurrentTime();
    // Location conditions find their zones in this scenario's events data.
    ConditionHooks hooks;
    if (events)
        hooks.scenarioZones = [events]() -> const ZoneVector& { return events->m_vZones; };
    SetConditionHooks(hooks);
    ConnectWorld();
    m_engine.Start(events);
}

void CRulesGame::ConnectWorld()
{
    CIncidentWorld* world = m_game.m_pIncidentWorld.get();
    if (!world)
        return;
    CIncidentLinks links = world->GetLinks();
    links.pScoring = m_pWorldLinks.get();
    links.pEvents = m_pWorldLinks.get();
    world->SetLinks(links);
}

void CRulesGame::Release()
{
    m_engine.Start(nullptr);
    ResetConditionHooks();
    if (CIncidentWorld* world = m_game.m_pIncidentWorld.get()) {
        CIncidentLinks links = world->GetLinks();
        if (links.pScoring == m_pWorldLinks.get())
            links.pScoring = nullptr;
        if (links.pEvents == m_pWorldLinks.get())
            links.pEvents = nullptr;
        world->SetLinks(links);
    }
}

void CRulesGame::GameStep()
{
    m_scoring.GameStep(0);
    m_game.m_nTimeOfDay = m_scoring.GetCurrentTime();
}

void CRulesGame::MovementStep(uint32_t now)
{
    m_scoring.MovementStep(now);
}

int CRulesGame::EndScenario()
{
    return m_scoring.EndScenario();
}

void CRulesGame::AddScoreCost(int32_t cost)
{
    m_scoring.AddCost(static_cast<float>(cost));
}
