// The names a scenario file gives, and loading the demo scenario headless.
#include "game/app/ScenarioLoad.h"
#include "tests/game/app/DemoGame.h"

#include "core/world/Map2DLinked.h"
#include "core/world/PathData.h"
#include "core/world/AreaMapData.h"
#include "core/world/SpriteManager.h"
#include "core/world/WorldContext.h"
#include "game/screens/eoc/EOC.h"
#include "game/screens/hud/HUD.h"
#include "game/screens/lobby/MPlayIF.h"

#include <gtest/gtest.h>

namespace {

namespace fs = std::filesystem;

TEST(ScenarioNamesTest, DerivedNames)
{
    struct Case {
        const char* name;
        bool ok;
        const char* stem;
        const char* area;
        const char* csv;
        const char* file;
    };
    const Case cases[] = {
        {"Millbrook.zri", true, "Millbrook", "Millbrook.zra", "Millbrook.csv", "Millbrook.zri"},
        {"Saves/a/Town.ZRI", true, "Saves/a/Town", "Saves/a/Town.ZRa", "Saves/a/Town.csv", "Town.ZRI"},
        {".zri", false, "", "", "", ""}, // nothing before the extension
        {"ab", false, "", "", "", ""},   // shorter than the extension: no underflow
        {"Town.zre", false, "", "", "", ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        CScenarioNames names;
        ASSERT_EQ(DeriveScenarioNames(c.name, names), c.ok);
        if (!c.ok)
            continue;
        EXPECT_EQ(names.strStem, c.stem);
        EXPECT_EQ(names.strAreaMap, c.area);
        EXPECT_EQ(names.strAgencyCsv, c.csv);
        EXPECT_EQ(names.strFileName, c.file);
    }
}

class ScenarioLoadTest : public demo_game::DemoFolderTest {};

TEST_F(ScenarioLoadTest, DemoScenarioLoadsWithEverythingInPlay)
{
    CGame& game = m_run->Game();
    game.m_strScenarioName = "Millbrook.zri";
    ASSERT_TRUE(game.LoadScenario());
    ASSERT_TRUE(game.m_pMap && game.m_pSprites && game.m_pPathData && game.m_pScenario && game.m_pAreaMap);
    // The tile map is the current map and the path grid was read over it.
    EXPECT_EQ(GetCurrentMap(), game.m_pMap.get());
    EXPECT_EQ(game.m_pPathData->GetTileAt(0, 0) != nullptr, true);
    EXPECT_EQ(game.m_pAreaSprites, game.m_pAreaMap->m_pSpriteManager);
    ASSERT_TRUE(game.m_pIncidentWorld && game.m_pRuntime && game.m_pSquadGame->Scenario());
    EXPECT_FALSE(game.m_pSquadGame->Scenario()->Units().empty());
    // Civilians (5) and threats (6) are outside the commanded agencies.
    uint32_t expected = 0;
    for (const auto& [index, agency] : game.m_pSprites->GetAgencies())
        if (agency.m_nKind != 5 && agency.m_nKind != 6)
            expected |= 1u << (index % 32);
    EXPECT_EQ(game.GetLocalPlayerInfo()->uRoleFlags, expected);
    EXPECT_EQ(game.m_pRuntime->GetCurrentTime(), game.m_nStartTime);
}

// An event fired by a new game minute is logged with that minute: the review entry and the line's time stamp read
// the clock as it announces the minute, not the one before.
TEST_F(ScenarioLoadTest, EventsFiredByAMinuteCarryThatMinute)
{
    ASSERT_TRUE(m_run->LoadScenario("Millbrook.zri"));
    CGame& game = m_run->Game();
    std::vector<std::string> lines;
    game.m_fnLogObserver = [&](const std::string& line) { lines.push_back(line); };
    while (game.m_pRuntime->GetCurrentTime() < 946)
        m_run->Step();
    auto reviewTime = [&](const std::string& title) {
        for (const CReviewEntry& entry : game.m_log.m_aReview)
            if (entry.rec.strScoreText == title)
                return entry.rec.nTime;
        return 0;
    };
    EXPECT_EQ(reviewTime("School moves children outside"), 936);      // time >= 0936
    EXPECT_EQ(reviewTime("Possible device in the site office"), 945); // time >= 0945
    bool stamped = false;
    for (const std::string& line : lines)
        if (line.find("threatening letter") != std::string::npos)
            stamped = line.rfind("0945 ", 0) == 0;
    EXPECT_TRUE(stamped);
}

TEST_F(ScenarioLoadTest, MissingArchivesFailCleanlyAndLeaveNothing)
{
    CGame& game = m_run->Game();
    for (const char* gone : {"Millbrook.zra", "Millbrook.zri"}) {
        SCOPED_TRACE(gone);
        fs::remove(m_dir / gone);
        platform::ClearRecordedMessages();
        game.m_strScenarioName = "Millbrook.zri";
        EXPECT_FALSE(game.LoadScenario());
        EXPECT_FALSE(game.m_pMap || game.m_pSprites || game.m_pPathData || game.m_pIncidentWorld || game.m_pRuntime);
        EXPECT_EQ(GetCurrentMap(), nullptr);
        EXPECT_FALSE(platform::RecordedMessages().empty());
    }
}

TEST_F(ScenarioLoadTest, BrokenArchiveAndBadNamesFail)
{
    CGame& game = m_run->Game();
    {
        std::ofstream(m_dir / "Millbrook.zri", std::ios::binary | std::ios::trunc) << "not an archive";
    }
    game.m_strScenarioName = "Millbrook.zri";
    EXPECT_FALSE(game.LoadScenario());
    EXPECT_FALSE(game.m_pMap);
    for (const char* name : {"", "ab", "GameInfo.txt"}) {
        game.m_strScenarioName = name;
        EXPECT_FALSE(game.LoadScenario()) << name;
    }
    fs::remove(m_dir / "GameInfo.txt");
    platform::ClearRecordedMessages();
    EXPECT_FALSE(game.LoadScenario());
    ASSERT_FALSE(platform::RecordedMessages().empty());
    EXPECT_EQ(platform::RecordedMessages().back().title, "Failed to open the game info file.");
}

TEST_F(ScenarioLoadTest, MapBitmapNameWithAFolderIsRefused)
{
    // The ".zra" names its bitmap right after the document's header: length at byte 23, then the characters.
    const std::string original = demo_game::ReadFileText(m_dir / "Millbrook.zra");
    ASSERT_GT(original.size(), 27u);
    const uint32_t length = static_cast<uint8_t>(original[23]) | static_cast<uint8_t>(original[24]) << 8;
    CGame& game = m_run->Game();
    for (const std::string name : {"../Millbrook.bmp", "/tmp/x.bmp", "C:x.bmp", "Maps/x.bmp", "..\\x.bmp", ".."}) {
        SCOPED_TRACE(name);
        std::string bytes = original;
        const uint32_t n = static_cast<uint32_t>(name.size());
        bytes.replace(23, 4 + length, std::string{char(n), char(n >> 8), 0, 0} + name);
        std::ofstream(m_dir / "Millbrook.zra", std::ios::binary | std::ios::trunc) << bytes;
        platform::ClearRecordedMessages();
        game.m_strScenarioName = "Millbrook.zri";
        EXPECT_FALSE(game.LoadScenario());
        EXPECT_FALSE(game.m_pAreaMap || game.m_pMap);
        ASSERT_FALSE(platform::RecordedMessages().empty());
        EXPECT_NE(platform::RecordedMessages().back().text.find("not a plain file name"), std::string::npos);
    }
}

TEST_F(ScenarioLoadTest, PathFinderLogFollowsItsSwitch)
{
    ASSERT_TRUE(m_run->LoadScenario("Millbrook.zri"));
    EXPECT_FALSE(fs::exists(m_dir / "AStarLog.txt"));
    demo_game::CDemoGame logged(m_dir);
    logged.Game().m_uMode |= kModeAStarLog;
    ASSERT_TRUE(logged.LoadScenario("Millbrook.zri"));
    EXPECT_TRUE(fs::exists(m_dir / "AStarLog.txt"));
}

TEST_F(ScenarioLoadTest, LobbyQuickStartReachesPlay)
{
    CGame& game = m_run->Game();
    game.m_uMode = kModeLobby | kModeFrontEnd | kModeSound;
    game.m_pLobby = std::make_unique<MPlayIF>();
    EXPECT_FALSE(game.OnKeyDown(kVkF7, 3));
    EXPECT_EQ(game.m_strScenarioName, "Millbrook.zri");
    EXPECT_TRUE(game.m_uMode & kModeBriefing);
    EXPECT_FALSE(game.m_uMode & kModeLobby);
    ASSERT_TRUE(game.StartScenario());
    EXPECT_TRUE(game.m_pHUD);
}

} // namespace

TEST_F(ScenarioLoadTest, TheInfoPanelReadsUnitsFromTheEocLists)
{
    ASSERT_TRUE(m_run->LoadScenario("Millbrook.zri"));
    CGame& game = m_run->Game();
    ASSERT_TRUE(game.m_pHUD && game.m_pHUD->m_fnUnitInfo);
    CHudUnitInfo info;
    ASSERT_TRUE(game.m_pHUD->m_fnUnitInfo(1, 0, info));
    EXPECT_EQ(info.strName, game.m_pEOCUnitData->Unit(1, 0).szName);
    EXPECT_FALSE(game.m_pHUD->m_fnUnitInfo(1, kUnitsPerSection, info));
    EXPECT_FALSE(game.m_pHUD->m_fnUnitInfo(5, 0, info));
}
