// The running scenario beside the game object: its "GameInfo.txt" names and file names, and the saved-game and
// step operations over the game's rules (the scoring clock and the event trigger engine).
#pragma once

#include "game/app/ScenarioLoad.h"

#include <array>
#include <cstddef>
#include <cstdint>

class CGame;
class CByteReader;
class CByteWriter;

class CScenarioRuntime {
public:
    explicit CScenarioRuntime(CGame& game) : m_game(game) {}

    // Starts the game's rules over the loaded scenario (clock, score rules, engine, incident world links).
    void Start();
    // The authority's 500 ms step and every machine's 33 ms movement step.
    void GameStep();
    void MovementStep(uint32_t now);
    // End of the scenario on the authority: final tallies and the score files.
    void EndScenario();

    int32_t GetCurrentTime() const;
    float GetCost() const;
    std::array<uint8_t, 32> GetClockState() const;

    // Saved-game blocks 5 (scoring and clock) and 6 (event trigger engine).
    void SaveScoring(CByteWriter& out) const;
    void SaveEngine(CByteWriter& out) const;
    bool LoadScoring(CByteReader& in);
    bool LoadEngine(CByteReader& in);
    // After a loaded game's blocks: the engine's unit conditions and the clock's announced minute.
    void RestoreAfterLoad();

    CGameInfo m_info;
    CScenarioNames m_names;

private:
    CGame& m_game;
};
