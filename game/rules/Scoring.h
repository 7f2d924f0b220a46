// The scenario's clock and purse: game steps turned into the time of day, cost accrual, the score rules,
// the incident statistics and the end-of-scenario score totals with "Score-Log.txt".
#pragma once

#include "game/rules/TimeHHMM.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>

class CByteReader;
class CByteWriter;
class CScoring;

// The 32 incident counters, filled by the squad and incident code (explosion of size s: kStatExplosionSize1 + s).
enum EScoreStat : int32_t {
    kStatThreatsKilled,
    kStatThreatsIncapacitated,
    kStatThreatsInCustody,
    kStatThreatsTotal,
    kStatThreatsAtCasualtyCenter,
    kStatCiviliansKilled,
    kStatCiviliansIncapacitated,
    kStatCiviliansAtCasualtyCenter,
    kStatCiviliansAtEvacuationCenter,
    kStatCivilianVehiclesDestroyed,
    kStatMediaTotal,
    kStatMediaAtMediaCenter,
    kStatRespondersKilled,
    kStatRespondersIncapacitated,
    kStatResponderVehiclesDestroyed,
    kStatRespondersAtCasualtyCenter,
    kStatRespondersInCombat,
    kStatMediaInfiltration,
    kStatAnnoyableTicks,
    kStatTicksAnnoying,
    kStatAreaSquadsCalled,
    kStatAreaSquadsNotReturned,
    kStatExplosionSize1,
    kStatExplosionSize2,
    kStatExplosionSize3,
    kStatGasHazards,
    kStatGasExplosions,
    kStatWaterHazards,
    kStatElectricalHazards,
    kStatDebris,
    kStatFireTiles,
    kStatChemicalTiles,
    kStatCount
};

// The 38 score totals (percentages 0..100), in the order of the final score record (message 65).
enum EScoreTotal : int32_t {
    kScoreTotal,
    kScoreCommand,
    kScoreMedia,
    kScorePublicSafety,
    kScoreUnused,
    kScoreCommandSection,
    kScoreOperationsSection,
    kScoreLogisticsSection,
    kScorePlanningSection,
    kScoreFinanceSection,
    kScoreUnits,
    kScoreCommandFacilities,
    kScoreIAP,
    kScoreDemobilization,
    kScoreFireContainment,
    kScoreChemicalContainment,
    kScoreFireRemaining,
    kScoreChemicalSourcesRemaining,
    kScoreChemicalRemaining,
    kScoreBombsRemaining,
    kScoreExplosions,
    kScoreRubble,
    kScoreGasCleared,
    kScoreElectricalCleared,
    kScoreWaterCleared,
    kScoreDebrisCleared,
    kScoreEnvironmental,
    kScoreCivilianFatalities,
    kScoreResponderFatalities,
    kScoreAssaults,
    kScoreSafetyFacilities,
    kScoreCasualtyCenterUsage,
    kScoreThreatsSubdued,
    kScoreMisc,
    kScoreMediaFacilities,
    kScoreMediaCenterUsage,
    kScoreMediaAnnoyance,
    kScoreMediaInfiltration,
    kScoreCount
};

constexpr int kScoreRuleCount = 11;
// The largest amount a score rule gives, in dollars.
constexpr float kMaxScoreRule = 1.0e6f;
constexpr size_t kClockStateSize = 32;  // message 30 and the saved block's first part
constexpr size_t kFinalScoreSize = 152; // message 65: the 38 totals
constexpr size_t kScoringBlockSize = kClockStateSize + kFinalScoreSize + kStatCount * 4;
// What a saved scoring block may hold: the steps of 100 days of play (two a second), percentages that a
// category's own rows can lift above 100 but never to a million, counts below a thousand million.
constexpr int32_t kMaxSavedTicks = 100 * 24 * 3600 * 2;
constexpr float kMaxSavedScoreTotal = 1.0e6f;
constexpr int32_t kMaxSavedStat = 1000000000;

// The game as the clock and the scorer see it. Every operation has a quiet default.
class IScoringHost {
public:
    virtual ~IScoringHost() = default;

    // The game steps: a new minute for the event engine (kind 1), the incident world's game step, the squad
    // managers' game step (messages 44 and 45), the squad managers' and the world's movement work.
    virtual void NotifyMinute(int32_t /*time*/) {}
    virtual void StepWorld(int32_t /*arg*/) {}
    virtual void StepSquads() {}
    virtual void MoveSquads(uint32_t /*now*/) {}
    virtual void MoveWorld(uint32_t /*now*/) {}

    // EOC unit data: the cost factor, the running cost per hour of the active units, a unit's activation
    // time (HHMM, 0 never), a section's remaining Resource Points. Sections: 0 Command .. 4 Finance/Admin.
    virtual float GetCostFactor() const { return 1.0f; }
    virtual float GetActiveUnitsCost() const { return 0.0f; }
    virtual int32_t GetActivationTime(int32_t /*section*/, int32_t /*unit*/) const { return 0; }
    virtual float GetResourcePoints(int32_t /*section*/) const { return 0.0f; }
    // The IAP screen's penalty count.
    virtual int32_t GetIAPPenalty() const { return 0; }

    // Incident world: a facility's set-up time (HHMM, 0 never; facility index of the name table), live
    // fire and chemical tiles, visible spills (kind 11), objects of a type (hidden ones when asked).
    virtual int32_t GetFacilityTime(int32_t /*facility*/) const { return 0; }
    virtual int32_t CountBurningTiles() const { return 0; }
    virtual int32_t CountChemicalTiles() const { return 0; }
    virtual int32_t CountVisibleSpills() const { return 0; }
    virtual int32_t CountObjects(int32_t /*type*/, bool /*includeHidden*/) const { return 0; }

    // End of scenario: the world's final tally and the squads' score counts, added to the statistics.
    virtual void FinalTally(CScoring& /*scoring*/) {}
    // The scenario's predicted cost.
    virtual int32_t GetExpectedCost() const { return 0; }
    // Posts a game message to the players (30 and 65).
    virtual void PostMessage(uint16_t /*id*/, const uint8_t* /*payload*/, size_t /*length*/) {}
};

class CScoring {
public:
    CScoring();

    void SetHost(IScoringHost* host) { m_pHost = host; }
    // Where the score table and "Score-Log.txt" are: the base folder and the scenario file name.
    void SetScenario(const std::string& baseFolder, const std::string& scenarioName);

    // A new scenario: today's date ("%d %b %Y"), the start time, tick 0, no cost, no counts, and the last
    // announced minute back to 0.
    void SetStart(int32_t startTime);
    // The authority's 500 ms step: tick, clock, incident world, squad managers.
    void GameStep(int32_t arg);
    // Recomputes the time of day from the ticks and announces a new minute.
    void UpdateClock();
    // The 33 ms movement step of every machine: squad managers, then the incident world.
    void MovementStep(uint32_t now);
    // cost += amount x cost factor, never below 0; returns the new cost.
    float AddCost(float amount);
    // cost += (active units' cost + score rule 0) x cost factor x fraction of an hour, never below 0.
    void AccrueRunningCost(float fraction);

    // The score-rules CSV in the base folder; false (after a message box) when it cannot be opened.
    bool LoadScoreRules(const std::string& baseFolder, const std::string& fileName);
    // The same from text already read.
    // `file` names the list in the reports of values out of range.
    void ParseScoreRules(const std::string& text, const std::string& file = "score rules");

    // End of the scenario (authority): final tallies, then the scores (WriteScores' result).
    int EndScenario();
    // Scores from the score table; writes "Score-Log.txt" and posts messages 30 and 65. 0 when done,
    // -1 when the table cannot be opened.
    int WriteScores();
    // The same from the table's text (its path is named in the log); returns the log's text.
    std::string ComputeScores(const std::string& table, const std::string& tablePath);

    // The 32-byte clock state {tick, date[16], current time, start time, cost}; a client applies the
    // host's copy.
    std::array<uint8_t, kClockStateSize> GetClockState() const;
    void ApplyClockState(const uint8_t* payload, size_t length);
    // The 152-byte totals record; message 65 overwrites it.
    std::array<uint8_t, kFinalScoreSize> GetFinalScore() const;
    void ApplyFinalScore(const uint8_t* payload, size_t length);
    // The saved-game block: clock state, totals and statistics (312 bytes).
    void SaveState(CByteWriter& out) const;
    bool LoadState(CByteReader& in);
    // Whether a saved game's scoring block (kScoringBlockSize bytes) is one a game can have written.
    static bool IsPossibleSaveState(const uint8_t* block);

    int32_t GetCurrentTime() const { return m_nCurrentTime; }
    int32_t GetStartTime() const { return m_nStartTime; }
    int32_t GetTickCounter() const { return m_nTickCounter; }
    float GetCost() const { return m_fCost; }
    const char* GetDateText() const { return m_szDate; }
    float GetScoreRule(int index) const;
    float GetTotal(EScoreTotal index) const;
    int32_t GetStat(EScoreStat stat) const;
    void AddStat(EScoreStat stat, int32_t amount = 1);
    void SetStat(EScoreStat stat, int32_t value);
    const std::string& GetScenarioName() const { return m_strScenarioName; }
    // Why the last WriteScores could not write "Score-Log.txt" ("" when it was written or not tried).
    const std::string& GetLogError() const { return m_strLogError; }
    // The score table's path: the base folder, the scenario's stem and " Scores.csv".
    std::string GetScoreTablePath() const;

    // The process-wide last announced minute (0..59).
    static int32_t GetLastAnnouncedMinute();
    static void SetLastAnnouncedMinute(int32_t minute);

private:
    int32_t m_nTickCounter = 0;
    char m_szDate[16] = {};
    int32_t m_nCurrentTime = 0;
    int32_t m_nStartTime = 0;
    float m_fCost = 0.0f;
    float m_afScoreTotals[kScoreCount] = {};
    int32_t m_anStats[kStatCount] = {};
    float m_afScoreRules[kScoreRuleCount] = {};
    // Awarded and possible points of each total.
    float m_afAwarded[kScoreCount] = {};
    float m_afPossible[kScoreCount] = {};

    IScoringHost* m_pHost = nullptr;
    std::string m_strBaseFolder;
    std::string m_strScenarioName;
    std::string m_strLogError;

    friend class CScoreWriter;
};
