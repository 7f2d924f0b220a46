// Score rules and end-of-scenario scoring: the rules file, the score table, "Score-Log.txt" and the messages.
#include "game/rules/Scoring.h"
#include "platform/system/FileLayer.h"
#include "platform/system/MessageBox.h"
#include "tests/support/SafeWriteCheck.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <map>
#include <random>
#include <sstream>

namespace {

std::string DataPath(const std::string& relative)
{
    return std::string(ZR_RULES_DATA) + "/" + relative;
}

std::string SourceFile(const std::string& relative)
{
    std::ifstream in(DataPath(relative), std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

std::filesystem::path TempFolder()
{
    std::random_device rd;
    auto dir = std::filesystem::temp_directory_path() / ("zr-rules-" + std::to_string(rd()) + std::to_string(rd()));
    std::filesystem::create_directories(dir);
    return dir;
}

class ScoreHost : public IScoringHost {
public:
    int32_t GetActivationTime(int32_t section, int32_t unit) const override
    {
        auto it = mapActivated.find({section, unit});
        return it == mapActivated.end() ? 0 : it->second;
    }
    int32_t GetFacilityTime(int32_t facility) const override
    {
        auto it = mapFacilities.find(facility);
        return it == mapFacilities.end() ? 0 : it->second;
    }
    float GetResourcePoints(int32_t section) const override { return afPoints[section]; }
    int32_t GetIAPPenalty() const override { return nPenalty; }
    int32_t CountBurningTiles() const override { return nBurning; }
    int32_t CountChemicalTiles() const override { return nChemical; }
    int32_t CountVisibleSpills() const override { return nSpills; }
    int32_t CountObjects(int32_t type, bool includeHidden) const override
    {
        auto it = mapObjects.find({type, includeHidden});
        return it == mapObjects.end() ? 0 : it->second;
    }
    void FinalTally(CScoring& scoring) override
    {
        ++nTallies;
        scoring.AddStat(kStatAreaSquadsCalled, 0);
    }
    int32_t GetExpectedCost() const override { return nExpected; }
    void PostMessage(uint16_t id, const uint8_t* payload, size_t length) override
    {
        aPosted.push_back({id, std::vector<uint8_t>(payload, payload + length)});
    }

    std::map<std::pair<int32_t, int32_t>, int32_t> mapActivated;
    std::map<int32_t, int32_t> mapFacilities;
    std::map<std::pair<int32_t, bool>, int32_t> mapObjects;
    float afPoints[5] = {};
    int32_t nPenalty = 0, nBurning = 0, nChemical = 0, nSpills = 0, nExpected = 0;
    int nTallies = 0;
    std::vector<std::pair<uint16_t, std::vector<uint8_t>>> aPosted;
};

class ScoringTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        platform::SetMessageEcho(false);
        platform::ClearRecordedMessages();
        m_scoring.SetHost(&m_host);
        m_scoring.SetStart(930);
    }
    void TearDown() override { platform::SetMessageEcho(true); }
    void Minutes(int count)
    {
        for (int i = 0; i < count * 30; ++i)
            m_scoring.GameStep(0);
    }
    // The demo scenario's state at 1130: activations, facilities, counts and statistics.
    void DemoState()
    {
        Minutes(120);
        m_scoring.AddCost(12345.678f);
        m_host.nExpected = 20000;
        m_host.mapActivated = {{{0, 6}, 940}, {{1, 7}, 955}, {{1, 9}, 1030}, {{2, 1}, 1000}, {{3, 2}, 1015}};
        m_host.mapFacilities = {{0, 945}, {2, 1030}, {3, 1010}, {5, 1000}};
        m_host.mapObjects = {{{128, true}, 1}, {{12, false}, 2}, {{10, false}, 1}, {{8, false}, 4}};
        m_host.nPenalty = 6;
        m_host.nBurning = 4;
        m_host.nChemical = 30;
        m_host.nSpills = 2;
        const float points[5] = {100.7f, 50.0f, 25.2f, 0.0f, 12.9f};
        std::copy(std::begin(points), std::end(points), m_host.afPoints);
        const std::pair<EScoreStat, int32_t> stats[] = {
            {kStatThreatsKilled, 1},
            {kStatThreatsIncapacitated, 1},
            {kStatThreatsInCustody, 2},
            {kStatThreatsTotal, 4},
            {kStatThreatsAtCasualtyCenter, 1},
            {kStatCiviliansKilled, 2},
            {kStatCiviliansIncapacitated, 1},
            {kStatCiviliansAtCasualtyCenter, 1},
            {kStatCiviliansAtEvacuationCenter, 3},
            {kStatCivilianVehiclesDestroyed, 1},
            {kStatMediaTotal, 4},
            {kStatMediaAtMediaCenter, 1},
            {kStatResponderVehiclesDestroyed, 2},
            {kStatRespondersInCombat, 3},
            {kStatMediaInfiltration, 2},
            {kStatAnnoyableTicks, 100},
            {kStatTicksAnnoying, 25},
            {kStatAreaSquadsCalled, 4},
            {kStatAreaSquadsNotReturned, 1},
            {kStatExplosionSize1, 1},
            {kStatExplosionSize2, 1},
            {kStatGasHazards, 4},
            {kStatGasExplosions, 1},
            {kStatWaterHazards, 3},
            {kStatDebris, 5},
            {kStatFireTiles, 15},
            {kStatChemicalTiles, 3},
        };
        for (const auto& [stat, value] : stats)
            m_scoring.SetStat(stat, value);
    }

    ScoreHost m_host;
    CScoring m_scoring;
};

TEST_F(ScoringTest, ScoreRulesAreReadByPositionAndScaled)
{
    m_scoring.ParseScoreRules("Rule,Name,Unit,,Value\r\n"
                              "Base,cost,per hour,,120\r\n"
                              ",,one,,2\r\n"
                              ",,two,,180,ignored\r\n"
                              ",,three,,360\r\n"
                              ",,four,,60\r\n"
                              ",,five,,30\r\n"
                              ",,six,,6\r\n"
                              ",,seven,,7\r\n"
                              ",,eight,,x\r\n"
                              ",,nine,,nan\r\n"
                              ",,ten,,10\r\n"
                              ",,eleven,,11\r\n");
    const float expected[kScoreRuleCount] = {120,
                                             2,
                                             180 * 0.016666668f * 0.33333334f,
                                             360 * 0.016666668f * 0.33333334f,
                                             60 * 0.016666668f,
                                             30 * 0.016666668f,
                                             6 * 0.016666668f,
                                             7,
                                             0,
                                             0,
                                             10};
    for (int i = 0; i < kScoreRuleCount; ++i)
        EXPECT_FLOAT_EQ(m_scoring.GetScoreRule(i), expected[i]) << i;
    EXPECT_FLOAT_EQ(m_scoring.GetScoreRule(2), 1.0f);
    // A short file leaves the missing rows at 0.
    m_scoring.ParseScoreRules("header\nBase,cost,per hour,,50\n");
    EXPECT_FLOAT_EQ(m_scoring.GetScoreRule(0), 50.0f);
    EXPECT_FLOAT_EQ(m_scoring.GetScoreRule(1), 0.0f);
}

TEST_F(ScoringTest, MissingScoreRulesShowTheBoxAndLeaveZeros)
{
    const auto dir = TempFolder();
    EXPECT_FALSE(m_scoring.LoadScoreRules(dir.string(), "ScoreRules.csv"));
    const auto messages = platform::RecordedMessages();
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0].title, "Failed to open file");
    EXPECT_EQ(messages[0].text, (dir / "ScoreRules.csv").string());
    EXPECT_EQ(messages[0].icon, platform::MessageIcon::Error);
    {
        std::ofstream out(dir / "ScoreRules.csv");
        out << "header\nBase,cost,per hour,,75\n";
    }
    EXPECT_TRUE(m_scoring.LoadScoreRules(dir.string(), "ScoreRules.csv"));
    EXPECT_FLOAT_EQ(m_scoring.GetScoreRule(0), 75.0f);
    std::filesystem::remove_all(dir);
}

TEST_F(ScoringTest, ScoreLogMatchesTheReviewedText)
{
    DemoState();
    const std::string log = m_scoring.ComputeScores(SourceFile("Demo Scores.csv"), "Demo Scores.csv");
    const std::string expected = SourceFile("ScoreLog.expected.txt");
    ASSERT_FALSE(expected.empty());
    // Line by line, so a difference names its line.
    std::istringstream got(log), want(expected);
    std::string a, b;
    int line = 0;
    while (std::getline(want, b)) {
        ++line;
        ASSERT_TRUE(std::getline(got, a)) << "missing line " << line;
        EXPECT_EQ(a, b) << "line " << line;
    }
    EXPECT_FALSE(std::getline(got, a)) << "extra line " << a;
    EXPECT_EQ(log, expected);
    EXPECT_NEAR(m_scoring.GetTotal(kScoreTotal), 223.083334f / 390.0f * 100.0f, 1e-3);
    EXPECT_FLOAT_EQ(m_scoring.GetTotal(kScoreLogisticsSection), 85.0f);
    EXPECT_FLOAT_EQ(m_scoring.GetTotal(kScoreUnused), 0.0f);
}

TEST_F(ScoringTest, WritesTheLogAndPostsTheClockAndTheTotals)
{
    const auto dir = TempFolder();
    std::filesystem::copy_file(DataPath("Demo Scores.csv"), dir / "Demo Scores.csv");
    m_scoring.SetScenario(dir.string(), "Demo.zri");
    DemoState();
    platform::CRecordingFileLayer layer;
    {
        platform::CFileLayerScope scope(layer);
        m_scoring.EndScenario();
    }
    EXPECT_TRUE(fixtures::WroteSafely(layer.Calls(), (dir / "Score-Log.txt").string()));
    EXPECT_EQ(m_scoring.GetLogError(), "");
    EXPECT_EQ(m_host.nTallies, 1);
    std::ifstream in(dir / "Score-Log.txt", std::ios::binary);
    const std::string log{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    const std::string expected = SourceFile("ScoreLog.expected.txt");
    const std::string firstLine = "scores based on " + (dir / "Demo Scores.csv").string() + "\n";
    EXPECT_EQ(log.substr(0, firstLine.size()), firstLine);
    EXPECT_EQ(log.substr(log.find('\n')), expected.substr(expected.find('\n')));
    EXPECT_FALSE(std::filesystem::exists(dir / "Score-Log.txt.tmp"));

    ASSERT_EQ(m_host.aPosted.size(), 2u);
    EXPECT_EQ(m_host.aPosted[0].first, 30);
    const auto clock = m_scoring.GetClockState();
    EXPECT_EQ(m_host.aPosted[0].second, std::vector<uint8_t>(clock.begin(), clock.end()));
    EXPECT_EQ(m_host.aPosted[1].first, 65);
    ASSERT_EQ(m_host.aPosted[1].second.size(), kFinalScoreSize);
    float total = 0;
    std::memcpy(&total, m_host.aPosted[1].second.data(), 4);
    EXPECT_FLOAT_EQ(total, m_scoring.GetTotal(kScoreTotal));
    // A client overwrites its totals with the record.
    CScoring client;
    client.ApplyFinalScore(m_host.aPosted[1].second.data(), m_host.aPosted[1].second.size());
    EXPECT_FLOAT_EQ(client.GetTotal(kScoreIAP), m_scoring.GetTotal(kScoreIAP));
    std::filesystem::remove_all(dir);
}

TEST_F(ScoringTest, ALogThatCannotBeWrittenIsToldAndTheScoresStillGo)
{
    const auto dir = TempFolder();
    std::filesystem::copy_file(DataPath("Demo Scores.csv"), dir / "Demo Scores.csv");
    std::filesystem::create_directory(dir / "Score-Log.txt"); // nothing can replace a folder
    m_scoring.SetScenario(dir.string(), "Demo.zri");
    EXPECT_EQ(m_scoring.WriteScores(), 0);
    EXPECT_NE(m_scoring.GetLogError().find("Score-Log.txt"), std::string::npos) << m_scoring.GetLogError();
    EXPECT_EQ(m_host.aPosted.size(), 2u);
    std::filesystem::remove(dir / "Score-Log.txt");
    EXPECT_EQ(m_scoring.WriteScores(), 0);
    EXPECT_EQ(m_scoring.GetLogError(), "");
    std::filesystem::remove_all(dir);
}

TEST_F(ScoringTest, SavedGameScenarioFindsTheTableInTheBaseFolder)
{
    const auto dir = TempFolder();
    std::filesystem::copy_file(DataPath("Demo Scores.csv"), dir / "Demo Scores.csv");
    m_scoring.SetScenario(dir.string(), "Saves\\Monday\\Demo.zri");
    EXPECT_EQ(m_scoring.WriteScores(), 0);
    EXPECT_TRUE(std::filesystem::exists(dir / "Score-Log.txt"));
    std::filesystem::remove_all(dir);
}

TEST_F(ScoringTest, MissingTableShowsTheBoxAndSendsNothing)
{
    const auto dir = TempFolder();
    m_scoring.SetScenario(dir.string(), "Demo.zri");
    EXPECT_EQ(m_scoring.WriteScores(), -1);
    const auto messages = platform::RecordedMessages();
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0].text, (dir / "Demo Scores.csv").string());
    EXPECT_EQ(messages[0].title, "Failed to open file");
    EXPECT_TRUE(m_host.aPosted.empty());
    EXPECT_FALSE(std::filesystem::exists(dir / "Score-Log.txt"));
    std::filesystem::remove_all(dir);
}

// A table with one row of every kind worth 10 points, and nothing counted.
std::string EmptyCountTable()
{
    return "h\nh\nh\n"
           ",Command,Command,10,,0,5\n"
           ",,,,,,\n"
           ",,,,,,\n"
           ",IAP,,10,,0\n"
           ",Demobilization,,10\nskipped\n"
           ",,Fire Containment,10\n,,Chemical Containment,10\n,,Fire Remaining,10\n"
           ",,Chemical Sources Remaining,10\n,,Chemical Remaining,10\n,,Bombs Remaining,10\n"
           ",,Explosions,10\n,,Rubble,10\n"
           ",,Gas Hazards Cleared,10\n,,Electrical Hazards Cleared,10\n,,Water Hazards Cleared,10\n"
           ",,Debris Cleared,10\nskipped\n"
           ",,Civilian Fatalities,10\n,,Responder Fatalities,10\n,,Assaults,10\n"
           ",,,,,,\n"
           ",,Casualty Center Usage,10\n,,Threats Subdued,10,,,50\nskipped\n"
           ",,,,,,\n"
           ",,Media Center Usage,10\n,,Media Annoyance,10\n,,Media Infiltration,10\n";
}

TEST_F(ScoringTest, EmptyDenominatorsAwardFullPoints)
{
    // Before the first half-hour, with no threats, media, annoyable ticks, hazards or called squads.
    const std::string log = m_scoring.ComputeScores(EmptyCountTable(), "t");
    for (const char* bad : {"nan/", "/nan", "nan%", "inf"})
        EXPECT_EQ(log.find(bad), std::string::npos) << bad;
    const EScoreTotal full[] = {kScoreIAP,
                                kScoreDemobilization,
                                kScoreGasCleared,
                                kScoreElectricalCleared,
                                kScoreWaterCleared,
                                kScoreDebrisCleared,
                                kScoreThreatsSubdued,
                                kScoreMediaCenterUsage,
                                kScoreMediaAnnoyance,
                                kScoreMediaInfiltration,
                                kScoreFireRemaining,
                                kScoreCivilianFatalities};
    for (EScoreTotal total : full)
        EXPECT_FLOAT_EQ(m_scoring.GetTotal(total), 100.0f) << total;
    // Nobody down: the casualty center had nothing to do and awards nothing, as the table's rule says.
    EXPECT_FLOAT_EQ(m_scoring.GetTotal(kScoreCasualtyCenterUsage), 0.0f);
    EXPECT_NE(log.find("IAP:\t\t\t\t 10/ 10\t100%\n"), std::string::npos);
}

TEST_F(ScoringTest, UnitTimelinessAndUnknownRows)
{
    m_host.mapActivated = {{{1, 7}, 945}, {{1, 9}, 955}, {{2, 0}, 50}};
    const std::string table = "h\nh\nh\n"
                              ",Operations,Fire Branch,10,,15,5\n"  // on its deadline: full
                              ",,hazmat group,10,,15,5\n"           // ten minutes late at 5 %: half
                              ",Planning,Resources Unit,10,,30,1\n" // activated after midnight: a day late
                              ",Nowhere,Command,40,,0,0\n"          // unknown section
                              ",Operations,Fire Brigade,40,,0,0\n"  // unknown unit
                              ",,,,,,\n";
    const std::string log = m_scoring.ComputeScores(table, "t");
    EXPECT_NE(log.find(" 10/ 10\t\tFire Branch\n  5/ 10\t\thazmat group\n  0/ 10\t\tResources Unit\n\n"),
              std::string::npos)
        << log;
    EXPECT_NE(log.find("Operations Section:\t\t 15/ 20\t 75%\n"), std::string::npos);
    EXPECT_NE(log.find("Units:\t\t\t\t 15/ 30\t 50%\n"), std::string::npos);
}

TEST_F(ScoringTest, EachBlockStartsOnTheLineAfterTheRowThatEndsTheOneBefore)
{
    // Command Post on the line right after the units' end row, IAP right after the facilities' end row.
    m_host.mapFacilities = {{0, 935}};
    std::string table = EmptyCountTable();
    table.replace(table.find(",,,,,,\n,IAP"), 0, ",Command facilities,Command Post,12,,10,3\n");
    const std::string log = m_scoring.ComputeScores(table, "t");
    EXPECT_NE(log.find("Facilities:\t\t\t 12/ 12\t100%\n"), std::string::npos) << log;
    EXPECT_NE(log.find("IAP:\t\t\t\t 10/ 10\t100%\n"), std::string::npos);
    EXPECT_NE(log.find("Media Infiltration:\t\t 10/ 10\t100%\n"), std::string::npos);
    EXPECT_TRUE(platform::RecordedMessages().empty());
}

TEST_F(ScoringTest, ATableReadOffByARowIsReportedOnceAndScoresNothingPastIt)
{
    m_scoring.SetStat(kStatCiviliansKilled, 2);
    const std::string table = EmptyCountTable();
    struct Case {
        const char* what;
        std::string table;
        const char* where;
    };
    const Case cases[] = {
        {"a spare line after the units' end row", std::string(table).insert(table.find(",,,,,,\n"), ",,,,,,\n"),
         "row 7, field \"Category\": an empty name stands where \"IAP\" belongs"},
        {"no free line after Demobilization",
         std::string(table).erase(table.find("skipped\n"), std::string("skipped\n").size()),
         "row 10, field \"Category\": \"Chemical Containment\" stands where \"Fire Containment\" belongs"},
        {"a table that stops early", table.substr(0, table.find(",,Explosions")),
         "row 16, field \"Category\": the table ends before \"Explosions\""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        platform::ClearRecordedMessages();
        CScoring scoring;
        scoring.SetStart(930);
        scoring.SetStat(kStatCiviliansKilled, 2);
        const std::string log = scoring.ComputeScores(c.table, "Town Scores.csv");
        const auto shown = platform::RecordedMessages();
        ASSERT_EQ(shown.size(), 1u);
        EXPECT_EQ(shown[0].title, "Damaged data file");
        EXPECT_EQ(shown[0].text.rfind("\"Town Scores.csv\", " + std::string(c.where), 0), 0u) << shown[0].text;
        // Nothing past the damage is scored, and the log is whole.
        EXPECT_NE(log.find("Civilian Fatalities:\t\t  0/  0\t  0%\n"), std::string::npos) << log;
        EXPECT_NE(log.find("Resource Points Remaining\n"), std::string::npos);
    }
}

TEST_F(ScoringTest, TruncatedTablesScoreWhatTheyHold)
{
    const std::string full = EmptyCountTable();
    for (size_t cut = 0; cut < full.size(); cut += 7) {
        CScoring scoring;
        scoring.SetStart(930);
        const std::string log = scoring.ComputeScores(full.substr(0, cut), "t");
        EXPECT_NE(log.find("Resource Points Remaining\n"), std::string::npos) << cut;
    }
}

} // namespace
