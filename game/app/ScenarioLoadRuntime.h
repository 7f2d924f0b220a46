// The running scenario's rules beside the game object: its files, the scoring clock and the event trigger
// engine, joined to the game's squads and incident world. The header names neither side's types, so code
// that sees the incident world can hold it.
#pragma once

#include "game/app/ScenarioLoad.h"

#include <array>
#include <cstdint>
#include <memory>

class CGame;
class CScoring;
class CEventEngine;
class CByteReader;
class CByteWriter;
class CScenarioRulesHost;
class CScenarioWorldLink;

class CScenarioRuntime {
public:
    explicit CScenarioRuntime(CGame& game);
    ~CScenarioRuntime();
    CScenarioRuntime(const CScenarioRuntime&) = delete;
    CScenarioRuntime& operator=(const CScenarioRuntime&) = delete;

    // Joins the loaded scenario: the engine over its events data, the scoring's date and start, the incident
    // world's and the squads' links to the scoring and the engine.
    void Start();
    bool LoadScoreRules(const std::string& baseFolder, const std::string& fileName);
    // The authority's 500 ms step and every machine's 33 ms movement step.
    void GameStep();
    void MovementStep(uint32_t now);
    // End of the scenario on the authority: final tallies and the score files.
    void EndScenario();

    int32_t GetCurrentTime() const;
    float GetCost() const;
    std::array<uint8_t, 32> GetClockState() const;
    void ApplyClockState(const uint8_t* payload, size_t length);

    // Saved-game blocks 5 (scoring and clock) and 6 (event trigger engine).
    void SaveScoring(CByteWriter& out) const;
    void SaveEngine(CByteWriter& out) const;
    bool LoadScoring(CByteReader& in);
    bool LoadEngine(CByteReader& in);
    // After a loaded game's blocks: the engine's unit conditions and the clock's announced minute.
    void RestoreAfterLoad();

    CScoring& Scoring() { return *m_pScoring; }
    CEventEngine& Engine() { return *m_pEngine; }

    CGameInfo m_info;
    CScenarioNames m_names;

private:
    CGame& m_game;
    std::unique_ptr<CScoring> m_pScoring;
    std::unique_ptr<CScenarioRulesHost> m_pHost;
    std::unique_ptr<CEventEngine> m_pEngine;
    std::unique_ptr<CScenarioWorldLink> m_pWorldLink;
};
