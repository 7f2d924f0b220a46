// The game's rules: the scoring clock and the event trigger engine, joined to the game object, its squads, its
// incident world and its EOC unit data.
#pragma once

#include "game/rules/EventEngine.h"
#include "game/rules/Scoring.h"

#include <memory>
#include <string>

class CGame;
class CScenarioData;
class CRulesEngineHost;
class CRulesScoringHost;
class CRulesIncidentLinks;

class CRulesGame {
public:
    explicit CRulesGame(CGame& game);
    ~CRulesGame();
    CRulesGame(const CRulesGame&) = delete;
    CRulesGame& operator=(const CRulesGame&) = delete;

    // A scenario starts (after its objects, squads and incident world are in place): the clock from its events
    // data's start time, the score rules of the base folder (none when the name is empty), the engine over the
    // events data, the incident world joined to both. The scenario is not owned; it must live until Release.
    void StartScenario(CScenarioData* scenario, const std::string& scenarioName, const std::string& scoreRulesFile);
    // Joins the game's incident world (when it has one) to the scoring and the engine.
    void ConnectWorld();
    // Before the scenario's objects go: the engine lets go of the events data, the world of the rules.
    void Release();

    // The authority's 500 ms step: clock, costs, incident world, squads.
    void GameStep();
    // Every machine's 33 ms step: squads, then the incident world's markers.
    void MovementStep(uint32_t now);
    // The end of the scenario on the authority: final tallies, scores, "Score-Log.txt", messages 30 and 65.
    int EndScenario();
    // A score change's cost (message 54), on every machine.
    void AddScoreCost(int32_t cost);

    CScoring m_scoring;
    CEventEngine m_engine;

private:
    CGame& m_game;
    std::unique_ptr<CRulesEngineHost> m_pEngineHost;
    std::unique_ptr<CRulesScoringHost> m_pScoringHost;
    std::unique_ptr<CRulesIncidentLinks> m_pWorldLinks;
};
