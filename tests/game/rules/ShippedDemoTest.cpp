// The scores and lists of the demo folder the build makes: a scenario played on it reaches "Score-Log.txt" line
// by line, and every list file reads, through the game's own readers, the values its rows carry by name.
#include "core/world/Map2DLinked.h"
#include "core/world/ScenarioData.h"
#include "core/world/Sprite.h"
#include "core/world/SpriteManager.h"
#include "core/world/UnitTaskRecord.h"
#include "game/rules/RulesGame.h"
#include "game/rules/TimeHHMM.h"
#include "game/screens/boxes/Boxes.h"
#include "game/screens/briefing/BriefingIF.h"
#include "game/screens/lobby/MPlayIF.h"
#include "game/screens/debrief/DeBriefText.h"
#include "game/screens/eoc/EOC.h"
#include "game/screens/hud/HUD.h"
#include "game/screens/iap/IAP_PhaseIF.h"
#include "game/screens/lobby/MPlayIF.h"
#include "game/screens/role/RoleIF.h"
#include "game/sim/IncidentWorld.h"
#include "game/sim/SquadTypes.h"
#include "tests/game/app/DemoGame.h"
#include "tests/support/DisplayFixtures.h"
#include "core/display/CDisplay.h"
#include "tools/demo/TownPlan.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace {

using demo_game::ReadFileText;

// The comma fields of every line of a text file.
std::vector<std::vector<std::string>> CsvRows(const std::filesystem::path& path)
{
    std::vector<std::vector<std::string>> rows;
    std::istringstream in(ReadFileText(path));
    std::string line;
    while (std::getline(in, line)) {
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        std::vector<std::string> fields;
        size_t start = 0;
        for (size_t comma; (comma = line.find(',', start)) != std::string::npos; start = comma + 1)
            fields.push_back(line.substr(start, comma - start));
        fields.push_back(line.substr(start));
        rows.push_back(fields);
    }
    return rows;
}

// The field `column` of the first row that carries `name` in `nameColumn`; empty when there is none.
std::string Field(const std::filesystem::path& path, size_t nameColumn, const std::string& name, size_t column)
{
    for (const auto& row : CsvRows(path))
        if (row.size() > std::max(nameColumn, column) && row[nameColumn] == name)
            return row[column];
    ADD_FAILURE() << "no row \"" << name << "\" in " << path;
    return {};
}
double Number(const std::filesystem::path& path, size_t nameColumn, const std::string& name, size_t column)
{
    return std::atof(Field(path, nameColumn, name, column).c_str());
}

// The awarded and possible points of the `occurrence`-th log line that starts with `label`.
std::pair<int, int> LogPoints(const std::string& log, const std::string& label, int occurrence = 0)
{
    size_t at = 0;
    for (int seen = 0;; ++seen, ++at) {
        at = log.find("\n" + label, at);
        if (at == std::string::npos)
            return {-1, -1};
        if (seen == occurrence)
            break;
    }
    int awarded = -1, possible = -1;
    std::sscanf(log.c_str() + at + 1 + label.size(), " %d/%d", &awarded, &possible);
    return {awarded, possible};
}

class ShippedDemoTest : public demo_game::DemoFolderTest {
public:
    ShippedDemoTest() : DemoFolderTest(true) {}
    void SetUp() override
    {
        DemoFolderTest::SetUp();
        m_clock = std::make_unique<platform::ManualClock>(platform::GetTickCount());
        // The plan that opens (and pauses single play) on the first ticks is put aside; the clock runs on.
        for (int i = 0; i < 1000 && !Game().m_pIAP->m_bShown; ++i) {
            m_clock->Advance(10);
            Game().Tick();
        }
        ASSERT_TRUE(Game().m_pIAP->m_bShown);
        Game().m_pIAP->Close();
        Game().SetPaused(false);
    }
    void TearDown() override
    {
        m_clock.reset();
        DemoFolderTest::TearDown();
    }
    CGame& Game() { return m_run->Game(); }
    CIncidentWorld& World() { return *Game().m_pIncidentWorld; }
    // The game's own frame tick, 10 ms at a time, until the clock has moved on `count` game minutes.
    void Minutes(int count)
    {
        const int32_t until = AddTimeHHMM(Game().m_pRuntime->GetCurrentTime(), count);
        for (int guard = 0; guard < 100000 && Game().m_pRuntime->GetCurrentTime() != until; ++guard) {
            m_clock->Advance(10);
            Game().Tick();
        }
        ASSERT_EQ(Game().m_pRuntime->GetCurrentTime(), until);
    }
    // Command > End Scenario: the scores are written on the next tick.
    void EndScenario()
    {
        Game().PostGameSignal(kGmEndScenario);
        for (int i = 0; i < 2; ++i) {
            m_clock->Advance(10);
            Game().Tick();
        }
        ASSERT_TRUE(Game().m_uMode & kModeDebrief);
    }
    // The squad the demo places first under a template name, where the plan puts it.
    CSquad* Placed(const std::string& name)
    {
        for (const demo::SpritePlace& p : m_plan.sprites) {
            if (p.templateName != name)
                continue;
            for (CSquad* s : Game().m_pSquadGame->Scenario()->Units())
                if (std::abs(s->m_fX - p.x) < 16 && std::abs(s->m_fY - p.y) < 16)
                    return s;
        }
        return nullptr;
    }
    void ClickEoc(const RECT& r)
    {
        const int x = (r.left + r.right) / 2, y = (r.top + r.bottom) / 2;
        Game().m_pEOC->OnMouseMove(x, y, 0);
        Game().m_pEOC->OnClick(x, y, 1, Game().m_pPopupView.get());
    }
    std::string ScoreLog() { return ReadFileText(m_dir / "Score-Log.txt"); }
    bool FlaggedZoneAt(const demo::NamedRect& zone)
    {
        const CIncidentNode* node = World().ZoneNodeAt(
            Game().m_pPathData->GetTileAt((zone.left + zone.right) / 2, (zone.top + zone.bottom) / 2));
        return node && node->m_nType == kIncFlaggedZone;
    }
    // A Command item's placement (input state 5 Command Post .. 10 Media Center) clicked on the zone's middle.
    bool PlaceFacility(int state, const demo::NamedRect& zone)
    {
        const int px = (zone.left + zone.right) / 2, py = (zone.top + zone.bottom) / 2;
        Game().m_pMap->CenterViewAt(&Game().m_pSquadGame->m_rcView, px, py);
        Game().RefreshView();
        int sx = 0, sy = 0;
        Game().m_pMap->WorldToView(Game().m_pSquadGame->m_rcView, &sx, &sy, px, py);
        Game().m_nInputState = state;
        Game().OnMouse(0x201, 1, static_cast<int32_t>((static_cast<uint32_t>(sy) << 16) | static_cast<uint32_t>(sx)),
                       1);
        return Game().m_nInputState == 0 && !FlaggedZoneAt(zone);
    }
    std::unique_ptr<platform::ManualClock> m_clock;
    const demo::TownPlan m_plan = demo::MakeMillbrookPlan();
    std::vector<std::string> Reported()
    {
        std::vector<std::string> reports;
        for (const auto& m : platform::RecordedMessages())
            reports.push_back(m.title + ": " + m.text);
        return reports;
    }
};

TEST_F(ShippedDemoTest, TheBriefedFacilitiesADeadCivilianAndAnExplosionEachScoreInTheirOwnLine)
{
    // The briefing's Command Post place, west of the yard, is a flagged zone from the first minute.
    const demo::NamedRect& west = m_plan.zones.at(5);
    ASSERT_EQ(west.name, "West of the yard");
    Minutes(1);
    EXPECT_TRUE(PlaceFacility(5, west)) << "Command Post";

    // The patrol walks into the yard; the first unit on scene brings Command its first Resource Points.
    const demo::NamedRect& site = m_plan.zones.at(0);
    CSquad* patrol = Placed("Patrol Officers");
    ASSERT_NE(patrol, nullptr);
    patrol->GiveOrder(0, kActMove, site.left + 48, site.top + 48, 0x1, nullptr);
    const CEOCSection& command = Game().m_pEOCUnitData->m_aSections[0];
    for (int minute = 0; minute < 10 && command.fResourcePoints < 10.0f; ++minute)
        Minutes(1);
    ASSERT_GE(command.fResourcePoints, 10.0f);

    // Command > EOC: the Operations chief is ordered; once in place, his event clears the Town Hall car park,
    // which the Command Post left free for the Staging Area.
    const demo::NamedRect& carPark = m_plan.zones.at(3);
    ASSERT_EQ(carPark.name, "Town Hall car park");
    Game().m_pEOC->Open();
    ClickEoc(Game().m_pEOC->TabRect(0));
    ClickEoc(Game().m_pEOC->UnitRect(0, 1));
    ClickEoc(Game().m_pEOC->DoneRect());
    for (int minute = 0; minute < 10 && !FlaggedZoneAt(carPark); ++minute)
        Minutes(1);
    ASSERT_TRUE(FlaggedZoneAt(carPark));
    const int32_t placedAt = Game().m_pRuntime->GetCurrentTime();
    EXPECT_TRUE(PlaceFacility(7, carPark)) << "Staging Area";

    // A passer-by dies and a blast goes off where the suspect stands, by the scenario-making orders.
    CSquad* passerby = Placed("Passers-by");
    ASSERT_NE(passerby, nullptr);
    passerby->GiveOrder(0, kActSetKilled, static_cast<int>(passerby->m_fX), static_cast<int>(passerby->m_fY), 0x1,
                        nullptr);
    CSquad* suspect = Placed("Arson Suspect");
    ASSERT_NE(suspect, nullptr);
    suspect->GiveOrder(0, kActExplode, static_cast<int>(suspect->m_fX), static_cast<int>(suspect->m_fY), 0x1, nullptr);
    Minutes(2);
    ASSERT_LT(Game().m_pRuntime->GetCurrentTime(), 942) << "before the scripted blast";

    EndScenario();
    const CScoring& scoring = Game().m_pRules->m_scoring;
    ASSERT_EQ(scoring.GetStat(kStatCiviliansKilled), 1);
    ASSERT_EQ(scoring.GetStat(kStatExplosionSize1) + scoring.GetStat(kStatExplosionSize2) +
                  scoring.GetStat(kStatExplosionSize3),
              1);
    const std::string log = ScoreLog();
    // Command Post 10 and Staging Area 8 of the 21 facility points, each set up within its minutes.
    ASSERT_LE(placedAt - 930, 15);
    EXPECT_NE(log.find("\nFacilities:\t\t\t 18/ 21\t 85%\n"), std::string::npos) << log;
    // One death at 50 % of 15 points, one explosion at 50 % of 10.
    EXPECT_NE(log.find("\nCivilian Fatalities:\t\t  7/ 15\t 50%\n"), std::string::npos) << log;
    EXPECT_NE(log.find("\nExplosions:\t\t\t  5/ 10\t 50%\n"), std::string::npos) << log;
    EXPECT_EQ(Reported(), std::vector<std::string>{});
}

TEST_F(ShippedDemoTest, EveryListFileReadsTheValuesItsRowsCarryByName)
{
    // Loading the scenario read every list that "GameInfo.txt" names, and the agencies; none was found damaged.
    EXPECT_EQ(Reported(), std::vector<std::string>{});
    const std::filesystem::path& data = m_dir;
    CGame& game = Game();

    const CTileType* longGrass = game.m_pMap->GetTileType(1);
    ASSERT_NE(longGrass, nullptr);
    EXPECT_STREQ(longGrass->m_szName, Field(data / "Tile_Types.csv", 0, "1", 1).c_str());
    EXPECT_EQ(longGrass->m_anCost[0], Number(data / "Tile_Types.csv", 1, "Long grass", 2));

    const CSprite* units = game.m_pSprites->GetTemplates(kUnitSprite);
    const CSprite* patrol = nullptr;
    for (int i = 0; i < game.m_pSprites->GetTemplateCount(kUnitSprite); ++i)
        if (std::strcmp(units[i].m_szName, "Patrol Officers") == 0)
            patrol = &units[i];
    ASSERT_TRUE(patrol && patrol->m_pUnitTask);
    // Cost per hour, kept per two-second step.
    EXPECT_FLOAT_EQ(patrol->m_pUnitTask->m_fCostRate,
                    Number(data / "ZR_Unit-Task_List.csv", 2, "Patrol Officers", 4) / 1800.0);
    EXPECT_EQ(patrol->m_pUnitTask->m_nPersons, Number(data / "ZR_Unit-Task_List.csv", 2, "Patrol Officers", 9));
    EXPECT_STREQ(game.m_pSprites->GetAgencies().at(4).m_szName, CsvRows(data / "Millbrook.csv").at(5).at(0).c_str());

    const CEOCUnitData& eoc = *game.m_pEOCUnitData;
    int staging = -1;
    for (int u = 0; u < kUnitsPerSection; ++u)
        if (std::strcmp(eoc.Unit(1, u).szName, "Staging Area Manager") == 0)
            staging = u;
    ASSERT_GE(staging, 0);
    EXPECT_EQ(eoc.Unit(1, staging).nCost, Number(data / "Unit_data_ops.csv", 0, "Staging Area Manager", 5));
    EXPECT_EQ(eoc.Unit(1, staging).nActivationMinutes,
              Number(data / "Unit_data_ops.csv", 0, "Staging Area Manager", 8));
    EXPECT_FLOAT_EQ(eoc.Factors(1, staging)[0],
                    Number(data / "Unit_Factors.csv", 1, "Staging Area Manager", 3) / 100.0); // percent

    // The unit's description number picks its text of "IAP Screen Info.txt"; the template's info number its
    // entry of "Info.txt".
    const int description = eoc.Unit(1, staging).nDescription;
    ASSERT_TRUE(game.m_pHUD && description >= 1 && description <= static_cast<int>(game.m_pHUD->m_aUnitTexts.size()));
    EXPECT_EQ(game.m_pHUD->m_aUnitTexts[static_cast<size_t>(description - 1)].rfind("Staging Area Manager", 0), 0u);
    game.m_pInfoBox->ShowInfo(static_cast<int>(Number(data / "ZR_Unit-Task_List.csv", 2, "Patrol Officers", 13)));
    EXPECT_EQ(game.m_pInfoBox->m_strTitle, "Patrol Officers");

    const CIncidentParams& params = game.m_pIncidentWorld->GetParameters();
    EXPECT_EQ(params.nFireBatchSize, Number(data / "Incident_Parameters.csv", 0, "Fire batch size", 2));
    EXPECT_EQ(params.anSpread[0], Number(data / "Incident_Parameters.csv", 0, "Spread chance", 2));

    const CScoring& scoring = game.m_pRules->m_scoring;
    EXPECT_FLOAT_EQ(scoring.GetScoreRule(0), Number(data / "Score_Rules.csv", 0, "Base cost", 4));
    EXPECT_FLOAT_EQ(scoring.GetScoreRule(1), Number(data / "Score_Rules.csv", 2, "Responder lost", 4));

    game.LoadSettings();
    EXPECT_EQ("Name: " + game.m_strPlayerName, CsvRows(data / "ZR.ini").at(0).at(0));

    CMultiplayerMenuData lobby;
    ASSERT_TRUE(lobby.Load(data.string(), "Multiplayer_Menu_Data.csv"));
    ASSERT_NE(lobby.Row(1), nullptr);
    EXPECT_EQ(lobby.Row(1)->strText, Field(data / "Multiplayer_Menu_Data.csv", 0, "NetworkGame", 1));
    EXPECT_EQ(lobby.Row(1)->nY, Number(data / "Multiplayer_Menu_Data.csv", 0, "NetworkGame", 3));
    CRoleMenuData roles;
    ASSERT_TRUE(roles.Load(data.string(), "Role_Menu.csv"));
    EXPECT_EQ(roles.m_nX0, Number(data / "Role_Menu.csv", 0, "196", 0));
    EXPECT_EQ(roles.m_nDY, Number(data / "Role_Menu.csv", 0, "196", 3));

    // The score table: every category's possible points are the points of the row of its name.
    EndScenario();
    const std::string log = ScoreLog();
    const std::filesystem::path table = data / "Millbrook Scores.csv";
    struct Category {
        const char* label;
        int occurrence;
        std::vector<std::pair<size_t, const char*>> rows; // name column and name of each row it sums
    };
    const Category categories[] = {
        {"Facilities:", 0, {{2, "Command Post"}, {2, "Staging Area"}, {2, "Base"}}},
        {"IAP:", 0, {{1, "IAP"}}},
        {"Demobilization:", 0, {{1, "Demobilization"}}},
        {"Fire Containment:", 0, {{2, "Fire Containment"}}},
        {"Explosions:", 0, {{2, "Explosions"}}},
        {"Debris Cleared:", 0, {{2, "Debris Cleared"}}},
        {"Civilian Fatalities:", 0, {{2, "Civilian Fatalities"}}},
        {"Responder Fatalities:", 0, {{2, "Responder Fatalities"}}},
        {"Facilities:", 1, {{2, "Casualty Collection Center"}, {2, "Evacuation Center"}}},
        {"Threats Subdued:", 0, {{2, "Threats Subdued"}}},
        {"Facilities:", 2, {{2, "Media Center"}}},
        {"Media Center Usage:", 0, {{2, "Media Center Usage"}}},
        {"Media Infiltration:", 0, {{2, "Media Infiltration"}}},
    };
    for (const Category& c : categories) {
        double possible = 0;
        for (const auto& [column, name] : c.rows)
            possible += Number(table, column, name, 3);
        EXPECT_EQ(LogPoints(log, c.label, c.occurrence).second, static_cast<int>(possible)) << c.label << c.occurrence;
    }
    EXPECT_EQ(Reported(), std::vector<std::string>{});
}

TEST_F(ShippedDemoTest, TheDeBriefingPraisesALowCostAndFaultsAHighOne)
{
    const CScenarioData& scenario = *Game().m_pScenario;
    ASSERT_EQ(scenario.m_nPredictedCost, 45000);
    const struct {
        int32_t cost;
        const char* remark;
    } cases[] = {
        {6, "A lean response"}, {30000, "A lean response"}, {45000, "in line"}, {132676, "well over the prediction"}};
    for (const auto& c : cases) {
        CDeBriefText text;
        text.Build(scenario, 70, c.cost);
        std::string all;
        for (const std::string& line : text.m_aLines)
            all += line + "\n";
        EXPECT_NE(all.find(c.remark), std::string::npos) << c.cost << ":\n" << all;
        if (c.cost > scenario.m_nPredictedCost) {
            EXPECT_EQ(all.find("lean"), std::string::npos) << c.cost;
        }
    }
}

// The game's first view of play opens at the map's top left corner: there the demo shows its patrol and the fire.
TEST_F(ShippedDemoTest, TheFirstViewOfPlayShowsThePatrolAndTheFire)
{
    const RECT view = Game().m_pSquadGame->m_rcView;
    ASSERT_EQ(view.left, 0);
    ASSERT_EQ(view.top, 0);
    auto inView = [&view](int x, int y) { return x > view.left && x < view.right && y > view.top && y < view.bottom; };
    for (const char* name : {"Patrol Officers", "Patrol Car"}) {
        bool seen = false;
        for (const demo::SpritePlace& p : m_plan.sprites)
            seen = seen || (p.templateName == name && inView(p.x, p.y));
        EXPECT_TRUE(seen) << name;
    }
    const auto [fx, fy] = m_plan.points.at("fire");
    EXPECT_TRUE(inView(fx, fy));
    // The fire of the first event is burning there when the first frame is drawn.
    for (int i = 0; i < 10; ++i) {
        m_clock->Advance(40);
        Game().Tick();
    }
    EXPECT_TRUE(World().FireAt(World().TileAt(fx, fy)));
    Game().Draw();
    ASSERT_EQ(Game().m_pDisplay->Present(), DD_OK);
    EXPECT_TRUE(fixtures::SaveSurfaceBmp(*Game().m_pDisplay->GetPrimary()->GetPixels(), "first_view_screenshot.bmp"));
}

// The briefing tells a newcomer how to call responders, where the facilities go, that Resource Points come with
// time and when the Command Post opens, and how to end, on one page of its panel.
class ShippedBriefingTest : public demo_game::DemoFolderTest {};

TEST_F(ShippedBriefingTest, TheBriefingSaysHowToCallRespondersAndHowToEnd)
{
    CGame& game = m_run->Game();
    g_pGame = &game;
    ASSERT_TRUE(game.LoadFrontEnd());
    game.m_uMode = (game.m_uMode & ~kModeTitle) | kModeLobby;
    game.m_pLobby->m_strChosenName = "Millbrook.zri";
    ASSERT_TRUE(game.StartOrJoinGame());
    ASSERT_TRUE(game.m_pBriefing->m_bShown);
    const CBriefingText& text = *game.m_pBriefingText;
    std::string page = text.GetPage();
    std::replace(page.begin(), page.end(), '\n', ' ');
    for (const char* say : {"stations on the", "press AREA below the map", "COMMAND > End Scenario",
                            "does not end by itself", "Command Post on the grass west of the yard",
                            "Town Hall car park", "without Resource Points", "Set Command Post opens"})
        EXPECT_NE(page.find(say), std::string::npos) << say << " in\n" << page;
    // Every line on the first page: nothing to scroll for.
    EXPECT_LE(text.m_nLineCount, 27);
    game.Draw();
    ASSERT_EQ(game.m_pDisplay->Present(), DD_OK);
    EXPECT_TRUE(fixtures::SaveSurfaceBmp(*game.m_pDisplay->GetPrimary()->GetPixels(), "briefing_screenshot.bmp"));
    g_pGame = nullptr;
}

} // namespace

namespace {

// A single play of the shipped demo on its own copy, driven by whole game steps with the half-hourly IAP check of
// the periodic step, and ended as Command > End Scenario ends it.
class DemoPlay {
public:
    DemoPlay() : m_dir(demo_game::CDemoGame::CopyDemoData()), m_run(m_dir) {}
    ~DemoPlay()
    {
        std::error_code ec;
        std::filesystem::remove_all(m_dir, ec);
    }
    bool Start() { return m_run.LoadScenario("Millbrook.zri"); }
    CGame& Game() { return m_run.Game(); }
    int32_t Time() { return Game().m_pRuntime->GetCurrentTime(); }
    // Game steps until the clock shows `until`; the reminders are checked every fourth step, as every two seconds.
    void RunTo(int32_t until)
    {
        for (int step = 0; step < 10000 && Time() < until; ++step) {
            m_run.Step();
            if (step % 4 == 0)
                Game().CheckIAPReminders(Game().GetTimeOfDay());
        }
    }
    std::string End()
    {
        Game().PostGameSignal(kGmEndScenario);
        for (int i = 0; i < 2; ++i) {
            Game().m_uLastDraw = platform::GetTickCount(); // a logic pass, not a frame
            Game().Tick();
        }
        return ReadFileText(m_dir / "Score-Log.txt");
    }

private:
    std::filesystem::path m_dir;
    demo_game::CDemoGame m_run;
};

// The plan's points of a play to 10:01 whose player puts the first plan aside and submits it `late` minutes after
// the start, or never (-1).
std::pair<int, int> IAPPoints(int late)
{
    DemoPlay play;
    if (!play.Start())
        return {-1, -1};
    CGame& game = play.Game();
    game.CheckIAPReminders(game.GetTimeOfDay()); // the first plan opens and pauses the game
    EXPECT_TRUE(game.m_pIAP->m_bShown);
    game.m_pIAP->Close();
    if (late >= 0) {
        play.RunTo(AddTimeHHMM(930, late));
        game.m_pIAP->Open(game.GetLocalRoleFlags() & kRoleMask);
        EXPECT_TRUE(game.m_pIAP->PressButton(0)) << "submitted";
    }
    play.RunTo(1001);
    return LogPoints(play.End(), "IAP:");
}

// A player who never reviews the plan scores no better than one who reviews it late: the missed half-hour costs
// the whole period and the review still owed at the end its lateness.
TEST(ShippedDemoScores, AMissedReviewNeverScoresBetterThanALateOne)
{
    const std::pair<int, int> never = IAPPoints(-1), late = IAPPoints(4);
    ASSERT_EQ(late.second, 10);
    EXPECT_EQ(late.first, 8); // 4 minutes late, then 1 owed at 10:01: 10 x (30 - (5 / 1 - 1)) / 30
    EXPECT_EQ(never.first, 0);
    EXPECT_LT(never.first, late.first);
}

// A patrol called from its station and still on its way when the scenario ends is called and not returned.
TEST(ShippedDemoScores, ACalledPatrolStillOnItsWayIsNotDemobilized)
{
    DemoPlay play;
    ASSERT_TRUE(play.Start());
    CGame& game = play.Game();
    bool called = false;
    for (CSprite* s = game.m_pAreaSprites->GetHead(); s && !called; s = s->m_pNext)
        called = s->Kind() == kStationSprite && game.m_pSquadGame->Area()->RequestDispatch(s, 0);
    ASSERT_TRUE(called);
    play.RunTo(931);
    const std::string log = play.End();
    EXPECT_NE(log.find("\tArea Map Squads Not Returned\t1\n\tArea Map Squads Called\t\t1\n"), std::string::npos) << log;
    EXPECT_EQ(LogPoints(log, "Demobilization:"), std::make_pair(0, 10));
}

} // namespace
