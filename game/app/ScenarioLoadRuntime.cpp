// The running scenario's scoring clock and event trigger engine, joined to the game's squads and incident world.
#include "game/app/ScenarioLoadRuntime.h"

#include "core/events/ZREvent.h"
#include "core/events/ZREventsData.h"
#include "core/world/ScenarioData.h"
#include "game/app/Game.h"
#include "game/app/ScenarioLoadWorld.h"
#include "game/rules/EventEngine.h"
#include "game/rules/Scoring.h"
#include "game/screens/eoc/EOC.h"
#include "game/screens/iap/IAP_PhaseIF.h"
#include "game/sim/SquadGame.h"
#include "game/util/ByteStream.h"

#include <iterator>

// The game as the scoring and the engine see it.
class CScenarioRulesHost : public IScoringHost, public IEventEngineHost {
public:
    CScenarioRulesHost(CGame& game, CScenarioRuntime& runtime) : m_game(game), m_runtime(runtime) {}

    // IScoringHost
    void NotifyMinute(int32_t time) override;
    void StepWorld(int32_t arg) override;
    void StepSquads() override;
    void MoveSquads(uint32_t now) override;
    void MoveWorld(uint32_t now) override;
    int32_t GetIAPPenalty() const override;
    int32_t CountBurningTiles() const override;
    int32_t CountChemicalTiles() const override;
    void FinalTally(CScoring& scoring) override;
    int32_t GetExpectedCost() const override;
    void PostMessage(uint16_t id, const uint8_t* payload, size_t length) override;

    // IEventEngineHost
    bool HasAuthority() const override;
    uint32_t GetModeFlags() const override;
    bool GetSquadInfo(const CSquad* squad, CEngineSquadInfo& info) const override;
    CSquad* FindSquad(int32_t agency, int32_t id) override;
    void GiveOrder(CSquad* squad, int32_t order, int32_t x, int32_t y, uint32_t flagBits, CSquad* target) override;
    bool LocateFromIncidentSite(int32_t x, int32_t y, int32_t& metres, int32_t& direction) const override;
    void Explode(int32_t x, int32_t y, int32_t size) override;
    void SpillChemical(int32_t x, int32_t y, int32_t size) override;
    void StartFire(int32_t x, int32_t y, float intensity) override;
    void PlaceObject(int32_t x, int32_t y, int32_t type, float value, int32_t counter, bool hidden) override;
    void GrantResourcePoints(float amount) override;
    void ReportEvent(const CZREvent& event, const int32_t scores[3], int32_t cost) override;

private:
    CGame& m_game;
    CScenarioRuntime& m_runtime;
};

namespace {

constexpr uint32_t kEventColour = 0x0000C0;


} // namespace

CScenarioRuntime::CScenarioRuntime(CGame& game)
    : m_game(game), m_pScoring(std::make_unique<CScoring>()),
      m_pHost(std::make_unique<CScenarioRulesHost>(game, *this)), m_pEngine(std::make_unique<CEventEngine>(m_pHost.get()))
{
    m_pScoring->SetHost(m_pHost.get());
}

CScenarioRuntime::~CScenarioRuntime()
{
    // Nothing outside may keep calling into a runtime that is going.
    m_pWorldLink.reset();
    if (m_game.m_pSquadGame)
        m_game.m_pSquadGame->m_services.fnNotify = nullptr;
}

void CScenarioRuntime::Start()
{
    CZREventsData* events = m_game.m_pScenario ? m_game.m_pScenario->m_pEvents : nullptr;
    m_pEngine->Start(events);
    m_pScoring->SetScenario(m_game.GetBasePath(), m_names.strFileName);
    m_pScoring->SetStart(events ? events->m_nGameStartTime : 0);
    m_game.m_nStartTime = m_pScoring->GetStartTime();
    m_game.m_nTimeOfDay = m_pScoring->GetCurrentTime();
    CScenarioWorldCalls calls;
    calls.fnAddStat = [this](int index, int delta) {
        if (index >= 0 && index < kStatCount)
            m_pScoring->AddStat(static_cast<EScoreStat>(index), delta);
    };
    calls.fnCharge = [this](int cost) {
        // Rates of the score rules by the world's cost kind (row 0 is the hourly base cost).
        static const int kRuleOf[] = {1, 2, 4, 5, 6, 7, 8, 9, 10};
        if (cost >= 0 && cost < static_cast<int>(std::size(kRuleOf)))
            m_pScoring->AddCost(m_pScoring->GetScoreRule(kRuleOf[cost]));
    };
    calls.fnCurrentTime = [this] { return m_pScoring->GetCurrentTime(); };
    calls.fnNotify = [this](int kind, void* squad, int a, int b, int c) {
        m_pEngine->Notify(kind, static_cast<CSquad*>(squad), a, b, c);
    };
    m_pWorldLink = std::make_unique<CScenarioWorldLink>(m_game, std::move(calls));
    if (m_game.m_pSquadGame) {
        m_game.m_pSquadGame->m_services.fnNotify = [this](int kind, CSquad* squad, int action) {
            m_pEngine->Notify(kind, squad, action, 0, 0);
        };
    }
}

bool CScenarioRuntime::LoadScoreRules(const std::string& baseFolder, const std::string& fileName)
{
    return m_pScoring->LoadScoreRules(baseFolder, fileName);
}

void CScenarioRuntime::GameStep()
{
    m_pScoring->GameStep(0);
    m_game.m_nTimeOfDay = m_pScoring->GetCurrentTime();
}

void CScenarioRuntime::MovementStep(uint32_t now)
{
    m_pScoring->MovementStep(now);
}

void CScenarioRuntime::EndScenario()
{
    m_pScoring->EndScenario();
}

int32_t CScenarioRuntime::GetCurrentTime() const
{
    return m_pScoring->GetCurrentTime();
}

float CScenarioRuntime::GetCost() const
{
    return m_pScoring->GetCost();
}

std::array<uint8_t, 32> CScenarioRuntime::GetClockState() const
{
    return m_pScoring->GetClockState();
}

void CScenarioRuntime::ApplyClockState(const uint8_t* payload, size_t length)
{
    m_pScoring->ApplyClockState(payload, length);
}

void CScenarioRuntime::SaveScoring(CByteWriter& out) const
{
    m_pScoring->SaveState(out);
}

void CScenarioRuntime::SaveEngine(CByteWriter& out) const
{
    m_pEngine->Save(out);
}

bool CScenarioRuntime::LoadScoring(CByteReader& in)
{
    return m_pScoring->LoadState(in);
}

bool CScenarioRuntime::LoadEngine(CByteReader& in)
{
    return m_pEngine->Load(in);
}

void CScenarioRuntime::RestoreAfterLoad()
{
    m_pEngine->RestoreAfterLoad();
    m_game.m_nTimeOfDay = m_pScoring->GetCurrentTime();
    CScoring::SetLastAnnouncedMinute(m_game.m_nTimeOfDay % 100);
}

void CScenarioRulesHost::NotifyMinute(int32_t time)
{
    m_runtime.Engine().Notify(kNotifyMinute, nullptr, time, 0, 0);
}

void CScenarioRulesHost::StepWorld(int32_t)
{
    scenario_world::Step(m_game);
}

void CScenarioRulesHost::StepSquads()
{
    if (m_game.m_pSquadGame)
        m_game.m_pSquadGame->GameStep();
}

void CScenarioRulesHost::MoveSquads(uint32_t)
{
    if (m_game.m_pSquadGame)
        m_game.m_pSquadGame->MovementStep();
}

void CScenarioRulesHost::MoveWorld(uint32_t)
{
    scenario_world::MarkerStep(m_game);
}

int32_t CScenarioRulesHost::GetIAPPenalty() const
{
    return m_game.m_pIAP ? m_game.m_pIAP->m_nPenaltyTotal : 0;
}

int32_t CScenarioRulesHost::CountBurningTiles() const
{
    return scenario_world::FireCount(m_game);
}

int32_t CScenarioRulesHost::CountChemicalTiles() const
{
    return scenario_world::SpillCount(m_game);
}

void CScenarioRulesHost::FinalTally(CScoring& scoring)
{
    scenario_world::EndScenario(m_game);
    int32_t counts[6];
    float cost = 0.0f;
    scenario_world::FinalSquadCounts(m_game, counts, cost);
    const EScoreStat stats[6] = {kStatThreatsKilled, kStatCiviliansKilled, kStatRespondersKilled,
                                 kStatRespondersIncapacitated, kStatAreaSquadsNotReturned,
                                 kStatCivilianVehiclesDestroyed};
    for (int i = 0; i < 6; ++i)
        scoring.AddStat(stats[i], counts[i]);
    scoring.AddCost(cost);
}

int32_t CScenarioRulesHost::GetExpectedCost() const
{
    return m_game.m_pScenario ? m_game.m_pScenario->m_nPredictedCost : 0;
}

void CScenarioRulesHost::PostMessage(uint16_t id, const uint8_t* payload, size_t length)
{
    m_game.PostGameMessage(id, payload, length);
}

bool CScenarioRulesHost::HasAuthority() const
{
    return m_game.m_bAuthority;
}

uint32_t CScenarioRulesHost::GetModeFlags() const
{
    return m_game.m_uMode;
}

bool CScenarioRulesHost::GetSquadInfo(const CSquad* squad, CEngineSquadInfo& info) const
{
    scenario_world::CSquadFacts facts;
    if (!scenario_world::GetSquadFacts(squad, facts))
        return false;
    info.nAgency = facts.nAgency;
    info.nUnitId = facts.nUnitId;
    info.nSpriteKind = facts.nSpriteKind;
    info.nHealthState = facts.nHealthState;
    info.uFlags = facts.uFlags;
    info.uTypeFlags = 0;
    info.fX = facts.fX;
    info.fY = facts.fY;
    return true;
}

CSquad* CScenarioRulesHost::FindSquad(int32_t agency, int32_t id)
{
    return scenario_world::FindSquad(m_game, agency, id);
}

void CScenarioRulesHost::GiveOrder(CSquad* squad, int32_t order, int32_t x, int32_t y, uint32_t flagBits,
                                 CSquad* target)
{
    scenario_world::GiveOrder(squad, order, x, y, flagBits, target);
}

bool CScenarioRulesHost::LocateFromIncidentSite(int32_t x, int32_t y, int32_t& metres, int32_t& direction) const
{
    return scenario_world::Locate(m_game, x, y, metres, direction);
}

void CScenarioRulesHost::Explode(int32_t x, int32_t y, int32_t size)
{
    scenario_world::Explode(m_game, x, y, size);
}

void CScenarioRulesHost::SpillChemical(int32_t x, int32_t y, int32_t size)
{
    scenario_world::Spill(m_game, x, y, size);
}

void CScenarioRulesHost::StartFire(int32_t x, int32_t y, float intensity)
{
    scenario_world::Fire(m_game, x, y, intensity);
}

void CScenarioRulesHost::PlaceObject(int32_t x, int32_t y, int32_t type, float value, int32_t counter, bool hidden)
{
    scenario_world::PlaceObject(m_game, x, y, type, value, counter, hidden);
}

void CScenarioRulesHost::GrantResourcePoints(float amount)
{
    CByteWriter w;
    w.WriteI32(5);
    w.WriteFloat(amount);
    m_game.PostGameMessage(kGmResourcePoints, w.Bytes(), w.Size());
}

void CScenarioRulesHost::ReportEvent(const CZREvent& event, const int32_t[3], int32_t)
{
    const std::string text = event.m_strEventText.empty() ? event.m_strEventTitle : event.m_strEventText;
    if (!text.empty())
        m_game.SendNotice(text, kMsgEvent, kEventColour, -1);
}
