// The demo played from the lobby to the de-briefing with one number of one data list damaged: one message names
// the file, row and field, the value is kept within its range, and play goes on.
#include "game/app/SavedGame.h"
#include "game/rules/RulesGame.h"
#include "game/screens/debrief/DeBriefIF.h"
#include "game/screens/eoc/EOCUnitData.h"
#include "game/screens/iap/IAP_PhaseIF.h"
#include "game/screens/lobby/MPlayIF.h"
#include "core/util/ByteStream.h"
#include "tests/game/app/DemoGame.h"

#include <gtest/gtest.h>

#include <cmath>
#include <functional>

namespace {

using demo_game::CDemoGame;
namespace fs = std::filesystem;

struct DamagedList {
    const char* szName;  // the case
    const char* szFile;  // in the data folder
    const char* szFind;  // the demo's text, found once
    const char* szPut;   // what replaces it
    const char* szWhere; // the message's row and field
    std::function<bool(CGame&)> outcome;
};

void PrintTo(const DamagedList& c, std::ostream* os)
{
    *os << c.szName;
}

const CEOCUnit& Unit(CGame& g, int section, int unit)
{
    return g.m_pEOCUnitData->Unit(section, unit);
}

float Rule(CGame& g, int row)
{
    return g.m_pRules->m_scoring.GetScoreRule(row);
}

const DamagedList kLists[] = {
    {"UnitXPastTheScreen", "Unit_Data_Command.csv", "Command,The Zoranth,150,36", "Command,The Zoranth,2147483648,36",
     "row 4, field \"X\"", [](CGame& g) { return Unit(g, 0, 0).nX == 800; }},
    {"UnitYBelowZero", "Unit_Data_Command.csv", "Section chief,150,76,", "Section chief,150,-2147483649,",
     "row 5, field \"Y\"", [](CGame& g) { return Unit(g, 0, 1).nY == 0; }},
    {"UnitDelayPastADay", "unit_data_planning.csv", "Tracks resources,16,36,3,-1,26,4,",
     "Tracks resources,16,36,3,-1,26,99999,", "row 4, field \"Activation\"",
     [](CGame& g) { return Unit(g, 2, 0).nActivationMinutes == 1440; }},
    {"UnitNamedAsItsOwnPredecessor", "Unit_data_ops.csv", "Staging,202,36,3,-1,", "Staging,202,36,3,5,",
     "row 5, field \"Predecessor\"", [](CGame& g) { return Unit(g, 1, 1).nPredecessor == -1; }},
    {"FactorHuge", "Unit_Factors.csv", ",Command Section,Command,100,", ",Command Section,Command,1e30,",
     "row 4, field \"value 1\"", [](CGame& g) { return g.m_pEOCUnitData->GetSquadFactor(2, 0) == 10.0f; }},
    {"FactorNotANumber", "Unit_Factors.csv", ",Operations Section,Command,100,", ",Operations Section,Command,nan,",
     "row 5, field \"value 1\"", [](CGame&) { return true; }},
    {"ScoreRuleHuge", "Score_Rules.csv", "per game hour,,250", "per game hour,,1e30", "row 2, field \"Value\"",
     [](CGame& g) { return Rule(g, 0) == 1.0e6f && std::isfinite(g.m_pRules->m_scoring.GetCost()); }},
    {"ScoreRuleNotANumber", "Score_Rules.csv", "Responder lost,,5000", "Responder lost,,nan", "row 3, field \"Value\"",
     [](CGame& g) { return Rule(g, 1) == 0.0f; }},
    {"ScoreRuleNegative", "Score_Rules.csv", "Debris left,,300", "Debris left,,-300", "row 9, field \"Value\"",
     [](CGame& g) { return Rule(g, 7) == 0.0f; }},
    {"IncidentBatchMax", "Incident_Parameters.csv", "Fire batch size,,40", "Fire batch size,,2147483647",
     "row 16, field \"Fire batch size\"",
     [](CGame& g) { return g.m_pIncidentWorld->GetParameters().nFireBatchSize == 10000; }},
    {"IncidentSpreadMin", "Incident_Parameters.csv", "Spread chance,Band 1,15", "Spread chance,Band 1,-2147483648",
     "row 10, field \"Spread chance\"", [](CGame& g) { return g.m_pIncidentWorld->GetParameters().anSpread[0] == 0; }},
    {"IncidentWindHuge", "Incident_Parameters.csv", ",Wind factor,1.0", ",Wind factor,1e20",
     "row 14, field \"Wind factor\"",
     [](CGame& g) { return g.m_pIncidentWorld->GetParameters().fWindFactor == 100.0f; }},
    {"IncidentDecayNotANumber", "Incident_Parameters.csv", "Spill decay 1,,1", "Spill decay 1,,nan",
     "row 22, field \"Spill decay 1\"",
     [](CGame& g) { return g.m_pIncidentWorld->GetParameters().fSpillDecay1 == 0.0f; }},
    {"ScoreTableMaxHuge", "Millbrook Scores.csv", ",,Operations Section,10,", ",,Operations Section,1e38,",
     "row 5, field \"Max Points\"", [](CGame&) { return true; }},
};

class DamagedListsTest : public ::testing::TestWithParam<DamagedList> {
protected:
    void SetUp() override
    {
        platform::SetMessageEcho(false);
        platform::ClearRecordedMessages();
        ASSERT_FALSE(demo_game::DemoData().empty());
        m_dir = CDemoGame::CopyDemoData();
    }
    void TearDown() override
    {
        m_run.reset();
        std::error_code ec;
        fs::remove_all(m_dir, ec);
    }

    // The data file with one text replaced.
    void Damage(const DamagedList& c)
    {
        const fs::path path = m_dir / c.szFile;
        std::string text = demo_game::ReadFileText(path);
        const size_t at = text.find(c.szFind);
        ASSERT_NE(at, std::string::npos) << c.szFind;
        text.replace(at, std::string(c.szFind).size(), c.szPut);
        std::ofstream(path, std::ios::binary) << text;
    }

    // From the lobby to the de-briefing: a frame of play, the IAP screen, five game minutes, the scenario's end.
    void Play()
    {
        m_run = std::make_unique<CDemoGame>(m_dir);
        CGame& g = m_run->Game();
        ASSERT_TRUE(g.LoadFrontEnd());
        g.m_uMode = (g.m_uMode & ~kModeTitle) | kModeLobby;
        g.m_pLobby->m_strChosenName = "Millbrook.zri";
        ASSERT_TRUE(g.StartOrJoinGame());
        ASSERT_TRUE(g.StartScenario());
        g.Draw();
        g.m_pIAP->Open(0x20000);
        g.Draw();
        for (int i = 0; i < 150; ++i)
            m_run->Step();
        g.m_pRules->EndScenario();
        g.m_uMode &= ~kModeRunning;
        g.EndGame();
        g.Draw();
    }

    static std::vector<platform::MessageRecord> Damaged()
    {
        std::vector<platform::MessageRecord> out;
        for (const platform::MessageRecord& m : platform::RecordedMessages())
            if (m.title == "Damaged data file")
                out.push_back(m);
        return out;
    }

    fs::path m_dir;
    std::unique_ptr<CDemoGame> m_run;
};

TEST(DamagedListsDemo, TheDemoListsAreInRange)
{
    platform::SetMessageEcho(false);
    platform::ClearRecordedMessages();
    ASSERT_FALSE(demo_game::DemoData().empty());
    const fs::path dir = CDemoGame::CopyDemoData();
    {
        CDemoGame run(dir);
        ASSERT_TRUE(run.LoadScenario("Millbrook.zri"));
        run.Game().m_pRules->EndScenario();
    }
    for (const platform::MessageRecord& m : platform::RecordedMessages())
        ADD_FAILURE() << m.title << ": " << m.text;
    std::error_code ec;
    fs::remove_all(dir, ec);
}

TEST_P(DamagedListsTest, OneMessageAndPlayGoesOn)
{
    const DamagedList& c = GetParam();
    Damage(c);
    Play();
    if (HasFatalFailure())
        return;
    const auto damaged = Damaged();
    ASSERT_EQ(damaged.size(), 1u);
    EXPECT_NE(damaged[0].text.find(c.szFile), std::string::npos) << damaged[0].text;
    EXPECT_NE(damaged[0].text.find(c.szWhere), std::string::npos) << damaged[0].text;
    EXPECT_TRUE(c.outcome(m_run->Game()));
    EXPECT_TRUE(m_run->Game().m_pDebrief->m_bShown);
}

INSTANTIATE_TEST_SUITE_P(Lists, DamagedListsTest, ::testing::ValuesIn(kLists),
                         [](const auto& info) { return std::string(info.param.szName); });

} // namespace

namespace {

// A picture, font or cursor of the demo missing or damaged: one message naming it, and the demo still plays.
struct MissingFile {
    const char* szName;
    const char* szFile;
    bool bTruncate; // damaged (cut to a few bytes) instead of missing
};

void PrintTo(const MissingFile& c, std::ostream* os)
{
    *os << c.szName;
}

const MissingFile kMissing[] = {
    {"TitleArt", "Art/ZR_Title.bmp", false},          {"TitleArtDamaged", "Art/ZR_Title.bmp", true},
    {"AreaMap", "Maps/Millbrook_Area.bmp", false},    {"Font", "Art/accid___.ttf", false},
    {"FontDamaged", "Art/accid___.ttf", true},        {"Cursor", "GUI/Assault.cur", false},
    {"CursorDamaged", "GUI/AssaultDanger.cur", true},
};

class MissingFileTest : public ::testing::TestWithParam<MissingFile> {};

TEST_P(MissingFileTest, OneMessageNamesItAndPlayGoesOn)
{
    const MissingFile& c = GetParam();
    platform::SetMessageEcho(false);
    platform::ClearRecordedMessages();
    ASSERT_FALSE(demo_game::DemoData().empty());
    const fs::path dir = CDemoGame::CopyDemoData();
    const fs::path file = dir / c.szFile;
    ASSERT_TRUE(fs::exists(file));
    if (c.bTruncate)
        fs::resize_file(file, 10);
    else
        fs::remove(file);
    {
        CDemoGame run(dir);
        CGame& g = run.Game();
        ASSERT_TRUE(g.LoadFrontEnd());
        g.m_uMode = (g.m_uMode & ~kModeTitle) | kModeLobby;
        g.m_pLobby->m_strChosenName = "Millbrook.zri";
        ASSERT_TRUE(g.StartOrJoinGame());
        ASSERT_TRUE(g.StartScenario());
        g.Draw();
        for (int i = 0; i < 30; ++i)
            run.Step();
        g.Draw();
    }
    // The process-wide sound object looks in "Sounds" under the working folder, which a test does not set.
    std::vector<platform::MessageRecord> shown;
    for (const platform::MessageRecord& m : platform::RecordedMessages())
        if (m.title != "Sound")
            shown.push_back(m);
    ASSERT_EQ(shown.size(), 1u) << shown[0].text << shown.back().text;
    EXPECT_NE(shown[0].text.find(" Couldn't load "), std::string::npos) << shown[0].text;
    EXPECT_NE(shown[0].text.find(fs::path(c.szFile).filename().string()), std::string::npos) << shown[0].text;
    std::error_code ec;
    fs::remove_all(dir, ec);
}

INSTANTIATE_TEST_SUITE_P(Files, MissingFileTest, ::testing::ValuesIn(kMissing),
                         [](const auto& info) { return std::string(info.param.szName); });

} // namespace

namespace {

// A saved game of the demo with one impossible value in a state block: refused with "cannot be loaded", and the
// save folder is left as it was.
struct ImpossibleState {
    const char* szName;
    int nFromEnd; // the field's offset counted back from the end of "SaveData.zrd"
    uint32_t uValue;
    int nFromStart = -1;  // else the offset from its start
    int nInMovement = -1; // else the offset within the squads' movement section (from its tag)
    int nInMarks = -1;    // else the offset within the incident's tile marks (from their tag)
    int nFromFileEnd = -1; // else the offset counted back from the end of the file (the instant of play)
};

void PrintTo(const ImpossibleState& c, std::ostream* os)
{
    *os << c.szName;
}

// The file ends: EOC block (724 bytes), IAP count (4), run trailer (24), then the squads' movement section, the tile
// marks and the instant of play (160 bytes); the offsets from the end count back from the end of the run trailer.
constexpr int kEOCFromEnd = 24 + 4 + static_cast<int>(CEOCUnitData::kSaveBlockSize);
constexpr int kEngineFromEnd = kEOCFromEnd + 331;
constexpr int kSection = kEOCFromEnd - 4; // section 0 of the table, after the placement word
constexpr int kInstant = static_cast<int>(kPlayInstantSize);

const ImpossibleState kImpossible[] = {
    {"UnitBitPastTheUnits", kSection - 32, 0x80000000u},
    {"ResourcePointsNotANumber", kSection - 8, 0x7FC00000u},
    {"ResourcePointsNegative", kSection - 64 - 8, 0xC1200000u},
    {"AllocationPastAll", kSection - 64 - 16, 500},
    {"ChiefBelowNone", kSection - 96 - 24, static_cast<uint32_t>(-7)},
    {"OrderTimeNoTimeOfDay", kSection - 160 - 20, 2575},
    {"IAPCountNegative", 28, static_cast<uint32_t>(-1)},
    {"IAPCountAtTheIntLimit", 28, 0x7FFFFFFFu},
    // The run trailer, the last 24 bytes: tag, fire, chemical, object and marker timers, fire cursor.
    {"TrailerTagDamaged", 24, 0x12345678u},
    {"FireTimerAtTheSmallestInt", 20, 0x80000000u},
    {"MarkerTimerAtTheIntLimit", 8, 0x7FFFFFFFu},
    {"FireCursorPastTheFires", 4, 99999},
    // The squads' movement: tag, the scenario's record count (10 squads), then the first record: number, pending
    // and last destination, velocity (28), step target (36), seen position, visibility flags, requested state
    // (56), its three flags, order player, waypoint count (67).
    {"MovementTagDamaged", 0, 0x12345678u, -1, 0},
    {"MovementRecordsPastTheSquads", 0, 11, -1, 4},
    {"MovementOfNoSquad", 0, 999, -1, 8},
    {"MovementVelocityNotANumber", 0, 0x7FC00000u, -1, 28},
    {"MovementHeadingOffTheMap", 0, 0x49742400u, -1, 36},
    {"MovementRequestedStateUnknown", 0, 99, -1, 56},
    {"MovementWaypointsPastTheBytes", 0, 5000, -1, 67},
    // The tile marks: tag, count; the instant of play: tag, the shared mode bits, the clocks, the random words and
    // the slot of the next one.
    {"TileMarksTagDamaged", 0, 0x12345678u, -1, -1, 0},
    {"TileMarksPastTheBytes", 0, 5000, -1, -1, 4},
    {"InstantTagDamaged", 0, 0x12345678u, -1, -1, -1, kInstant},
    {"InstantModeBitNotShared", 0, kModeIAPReview | kModePaused, -1, -1, -1, kInstant - 4},
    {"RandomSlotPastTheWords", 0, 31, -1, -1, -1, 4},
    // The scenario's squads: 8 units from offset 78, 149 bytes each, then 2 vehicles from 1278.
    {"UnitIdCounterPastTheVehicles", 0, 5000, 70},
    {"UnitNumberNegative", 0, static_cast<uint32_t>(-5), 78},
    {"SquadNumberTwice", 0, 1, 78 + 149},
    {"VehicleWithAUnitNumber", 0, 3, 1278},
    {"AgencyPastTheMask", 0, 40, 82},
    {"TemplatePastTheList", 0, 10000, 90},
    {"PlacementOffTheMap", 0, 5000, 102},
    {"HealthNegative", 0, 0xBF800000u, 138},
    {"DestinationOffTheMap", 0, 4000, 150},
    {"PositionOffTheMap", 0, 0x49742400u, 166},
    {"PositionNotANumber", 0, 0x7FC00000u, 170},
    {"StateUnknown", 0, 200, 182},
    {"NextStateUnknown", 0, 99, 183},
    {"TargetBelowNone", 0, static_cast<uint32_t>(-7), 187},
    // The incident from 1596: fire count, its totals, then the first fire (intensity, stage, counter, x, y).
    {"FireTotalNegative", 0, static_cast<uint32_t>(-1), 1600},
    {"FireIntensityNotANumber", 0, 0x7FC00000u, 1608},
    {"FireOffTheGrid", 0, 99999, 1615},
    // The event engine's block (331 bytes) before the EOC's: 17 events of 14 bytes, then the triggers.
    {"EventTheScenarioLacks", kEngineFromEnd - 4, 9999},
    {"EventExecutedNotAFlag", kEngineFromEnd - 8, 0xFFFF0005u},
    {"EventTriggerBelowNone", kEngineFromEnd - 10, static_cast<uint32_t>(-7)},
    // The last station's last count, before the scoring block (312 bytes).
    {"StationCountNegative", kEngineFromEnd + 312 + 4, static_cast<uint32_t>(-1)},
    {"StationCountFarAboveStock", kEngineFromEnd + 312 + 4, 5000},
    // The scoring block: the clock tick, the first score total, the first statistic.
    {"ClockTickAtTheIntLimit", kEngineFromEnd + 312, 0x7FFFFFFFu},
    {"ScoreTotalAtTheFloatLimit", kEngineFromEnd + 312 - 32, 0x7F7FFFFFu},
    {"StatisticAtTheIntLimit", kEngineFromEnd + 312 - 184, 0x7FFFFFFFu},
};

class ImpossibleStateTest : public ::testing::TestWithParam<ImpossibleState> {};

TEST_P(ImpossibleStateTest, RefusedAndNothingChanged)
{
    const ImpossibleState& c = GetParam();
    platform::SetMessageEcho(false);
    ASSERT_FALSE(demo_game::DemoData().empty());
    const fs::path dir = CDemoGame::CopyDemoData();
    size_t movement = 0, marks = 0;
    {
        CDemoGame run(dir);
        ASSERT_TRUE(run.LoadScenario("Millbrook.zri"));
        run.Step();
        ASSERT_TRUE(run.Game().SaveGame("odd"));
        CByteWriter section, marked;
        SaveSquadMovement(run.Game().m_pSquadGame.get(), section);
        run.Game().m_pIncidentWorld->SaveTileMarks(marked);
        movement = section.Size();
        marks = marked.Size();
    }
    const fs::path data = dir / "Saves" / "odd" / "SaveData.zrd";
    std::string bytes = demo_game::ReadFileText(data);
    const size_t tail = movement + marks + kPlayInstantSize;
    ASSERT_GT(bytes.size(), tail + static_cast<size_t>(c.nFromEnd + c.nFromStart + 4));
    const size_t trailerEnd = bytes.size() - tail;
    const size_t at = c.nFromFileEnd >= 0  ? bytes.size() - static_cast<size_t>(c.nFromFileEnd)
                      : c.nInMarks >= 0    ? trailerEnd + movement + static_cast<size_t>(c.nInMarks)
                      : c.nInMovement >= 0 ? trailerEnd + static_cast<size_t>(c.nInMovement)
                      : c.nFromStart >= 0  ? static_cast<size_t>(c.nFromStart)
                                           : trailerEnd - static_cast<size_t>(c.nFromEnd);
    ASSERT_LE(at + 4, bytes.size());
    for (int i = 0; i < 4; ++i)
        bytes[at + static_cast<size_t>(i)] = static_cast<char>(c.uValue >> (8 * i));
    std::ofstream(data, std::ios::binary | std::ios::trunc) << bytes;
    platform::ClearRecordedMessages();
    {
        CDemoGame again(dir);
        EXPECT_FALSE(again.LoadSaved("odd"));
        EXPECT_FALSE(again.Game().m_pMap || again.Game().m_pRuntime || again.Game().m_pIncidentWorld);
    }
    const auto shown = platform::RecordedMessages();
    ASSERT_FALSE(shown.empty());
    EXPECT_NE(shown.back().text.find("cannot be loaded"), std::string::npos) << shown.back().text;
    EXPECT_EQ(demo_game::ReadFileText(data), bytes);
    std::error_code ec;
    fs::remove_all(dir, ec);
}

INSTANTIATE_TEST_SUITE_P(Saves, ImpossibleStateTest, ::testing::ValuesIn(kImpossible),
                         [](const auto& info) { return std::string(info.param.szName); });

TEST(ImpossibleScoring, TimesCostsAndCountsThatNoGameWrites)
{
    CScoring scoring;
    CByteWriter out;
    scoring.SaveState(out);
    ASSERT_EQ(out.Size(), kScoringBlockSize);
    ASSERT_TRUE(CScoring::IsPossibleSaveState(out.Bytes()));
    const struct {
        size_t at;
        uint32_t value;
    } cases[] = {
        {20, 1275},
        {24, static_cast<uint32_t>(-5)},
        {28, 0x7F800000u},
        {28, 0xBF800000u},
        {32 + 4, 0x7FC00000u},
        {32 + 152 + 8, static_cast<uint32_t>(-1)},
        // A tick, a total or a count at the limits of its type.
        {0, 0x7FFFFFFFu},
        {0, 0x80000000u},
        {32, 0x7F7FFFFFu},
        {32 + 8, 0xFF7FFFFFu},
        {32 + 152, 0x7FFFFFFFu},
    };
    for (const auto& c : cases) {
        std::vector<uint8_t> block(out.Bytes(), out.Bytes() + out.Size());
        for (int i = 0; i < 4; ++i)
            block[c.at + static_cast<size_t>(i)] = static_cast<uint8_t>(c.value >> (8 * i));
        EXPECT_FALSE(CScoring::IsPossibleSaveState(block.data())) << c.at;
        CByteReader in(block.data(), block.size());
        EXPECT_FALSE(scoring.LoadState(in)) << c.at;
    }
}

} // namespace
