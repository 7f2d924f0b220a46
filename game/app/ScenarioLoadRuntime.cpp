// The running scenario's operations over the game's rules.
#include "game/app/ScenarioLoadRuntime.h"

#include "game/app/Game.h"
#include "game/rules/RulesGame.h"
#include "game/sim/SquadGame.h"

void CScenarioRuntime::Start()
{
    m_game.m_pRules->StartScenario(m_game.m_pScenario.get(), m_names.strFileName,
                                   m_info.aNames[CGameInfo::kScoreRuleList]);
    m_game.m_nStartTime = m_game.m_pRules->m_scoring.GetStartTime();
    m_game.m_nTimeOfDay = m_game.m_pRules->m_scoring.GetCurrentTime();
}

void CScenarioRuntime::GameStep()
{
    m_game.m_pRules->GameStep();
    m_game.m_nTimeOfDay = m_game.m_pRules->m_scoring.GetCurrentTime();
}

void CScenarioRuntime::MovementStep(uint32_t now)
{
    m_game.m_pRules->MovementStep(now);
}

void CScenarioRuntime::EndScenario()
{
    m_game.m_pRules->EndScenario();
}

int32_t CScenarioRuntime::GetCurrentTime() const
{
    return m_game.m_pRules->m_scoring.GetCurrentTime();
}

float CScenarioRuntime::GetCost() const
{
    return m_game.m_pRules->m_scoring.GetCost();
}

std::array<uint8_t, 32> CScenarioRuntime::GetClockState() const
{
    return m_game.m_pRules->m_scoring.GetClockState();
}

namespace {

// The squads' running counts and the statistics that the final tally sets from them. A saved game keeps the
// counts in these statistics, which stay unused until that tally.
struct CRunningCount {
    int32_t CSquadScoreCounts::*pCount;
    EScoreStat eStat;
};
constexpr CRunningCount kRunningCounts[] = {
    {&CSquadScoreCounts::nAssaults, kStatRespondersInCombat},
    {&CSquadScoreCounts::nAnnoyableTicks, kStatAnnoyableTicks},
    {&CSquadScoreCounts::nTicksAnnoying, kStatTicksAnnoying},
    {&CSquadScoreCounts::nAreaSquadsCalled, kStatAreaSquadsCalled},
};

} // namespace

void CScenarioRuntime::SaveScoring(CByteWriter& out) const
{
    CScoring& scoring = m_game.m_pRules->m_scoring;
    if (m_game.m_pSquadGame)
        for (const CRunningCount& c : kRunningCounts)
            scoring.SetStat(c.eStat, m_game.m_pSquadGame->m_score.*c.pCount);
    scoring.SaveState(out);
}

void CScenarioRuntime::SaveEngine(CByteWriter& out) const
{
    m_game.m_pRules->m_engine.Save(out);
}

bool CScenarioRuntime::LoadScoring(CByteReader& in)
{
    const CScoring& scoring = m_game.m_pRules->m_scoring;
    if (!m_game.m_pRules->m_scoring.LoadState(in))
        return false;
    if (m_game.m_pSquadGame)
        for (const CRunningCount& c : kRunningCounts)
            m_game.m_pSquadGame->m_score.*c.pCount = scoring.GetStat(c.eStat);
    return true;
}

bool CScenarioRuntime::LoadEngine(CByteReader& in)
{
    return m_game.m_pRules->m_engine.Load(in);
}

void CScenarioRuntime::RestoreAfterLoad()
{
    m_game.m_pRules->m_engine.RestoreAfterLoad();
    m_game.m_nTimeOfDay = m_game.m_pRules->m_scoring.GetCurrentTime();
    CScoring::SetLastAnnouncedMinute(m_game.m_nTimeOfDay % 100);
}
