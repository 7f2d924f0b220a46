// A whole scenario run headless on the frame tick: a minute trigger starts a fire, it spreads, an event orders a
// fire squad there, the squad puts it out, and the counters and "Score-Log.txt" show it.
#include "core/events/ConditionKinds.h"
#include "core/events/ZREventsData.h"
#include "core/world/ScenarioData.h"
#include "game/rules/RulesGame.h"
#include "game/sim/IncidentFixture.h"
#include "game/sim/IncidentWorldGame.h"
#include "game/sim/SquadFixture.h"
#include "platform/system/Clock.h"

#include <fstream>

namespace {

// Agencies and a fire crew (template 7, which wears protective gear: ten persons, fight-fire ability 5) among
// plain police units.
void WriteScenarioLists(const worldtest::TempFolder& folder)
{
    squadtest::WriteLists(folder);
    folder.Write("Agency.csv", "Agency,Kind,Notes\nMetro Police,Police,\nCity Fire,Fire,\n");
    std::string units = "ZR unit and task list\nId,Agency,Unit,Carrier,Cost,Value6,Health,DamageLow,DamageHigh,"
                        "Persons,Text,RP,Fatigue,Info,Speed,Assault,Perimeter,Evacuate,SearchForBomb,FirstAid,"
                        "ClearDebris,FightFire,FightHazard,DefuseBomb,Negotiate,Direct,UtilityWork,Escort,Supervise\n"
                        ",,,,,,,,,,,,,,,,,,,,,,,,,,,,\n";
    for (int i = 0; i < 20; ++i) {
        units += i == 7 ? "8,Fire,Engine crew,Car0,1800,1,100,1,5,10,t,3,100,1,40,0,0,0,0,0,0,5,0,0,0,0,0,0,0,\n"
                        : std::to_string(i + 1) + ",Police,Unit" + std::to_string(i) +
                              ",Car0,1800,1,100,1,5,2,t,3,100,1,40,0,0,0,0,0,0,0,0,0,0,0,0,0,0,\n";
    }
    folder.Write("ZR_Unit-Task_List.csv", units);
    folder.Write("ScoreRules.csv", "Rule,Name,Unit,,Value\nBase,cost,per hour,,600\n,,one,,0\n,,fire,,1800\n");
    folder.Write("Harbour Scores.csv", "h\nh\nh\n"
                                       ",Command,Command,10,,0,0\n"
                                       ",,,,,,\n"
                                       ",,,,,,\n"
                                       ",IAP,,0,,0\n"
                                       ",Demobilization,,0\nskipped\n"
                                       ",,Fire Containment,20,,2,5\n"
                                       ",,Chemical Containment,0\n"
                                       ",,Fire Remaining,20,,0,50\n");
}

CZRArgument* AddTrigger(CZREventsData& events, int32_t id, CZRCondition* condition)
{
    auto* trigger = new CZRArgument(false);
    trigger->m_nUniqueID = id;
    trigger->m_nBaseFlags = ConditionKindBit(condition->m_nKind);
    trigger->m_vConditions.push_back(condition);
    events.m_mapArguments[static_cast<uint32_t>(id)] = trigger;
    return trigger;
}

CZREvent* AddEvent(CZREventsData& events, int32_t id, uint32_t trigger, const std::string& text, CZRResult* result)
{
    auto* event = new CZREvent(false);
    event->m_nUniqueID = id;
    event->m_strEventName = "E" + std::to_string(id);
    event->m_strEventText = text;
    event->nTmp = -1;
    event->m_vTrigger = {trigger};
    event->m_pResult = result;
    events.m_lstEvents.push_back(event);
    return event;
}

CZRCondition* At(int32_t hhmm)
{
    auto* time = new CConditionTimeBased();
    time->m_nComparison = 1;
    time->m_nTargetTime = hhmm;
    return time;
}

class RulesEndToEnd : public ::testing::Test {
protected:
    void SetUp() override
    {
        platform::SetMessageEcho(false);
        RegisterGameClasses();
        WriteScenarioLists(m_folder);
    }
    void TearDown() override { platform::SetMessageEcho(true); }

    // Ticks the game every 10 ms until the scoring clock shows `hhmm`.
    void RunUntil(CGame& game, int32_t hhmm)
    {
        for (int guard = 0; guard < 200000 && game.m_pRules->m_scoring.GetCurrentTime() != hhmm; ++guard) {
            m_clock.Advance(10);
            game.Tick();
        }
        ASSERT_EQ(game.m_pRules->m_scoring.GetCurrentTime(), hhmm);
    }

    worldtest::TempFolder m_folder;
    platform::ManualClock m_clock{1000};
};

TEST_F(RulesEndToEnd, AMinuteTriggerStartsAFireThatAnOrderedSquadPutsOut)
{
    incidenttest::ScriptedRandom draws(-1); // the runtime's classic generator from seed 1
    CGameConfig config;
    config.strBaseFolder = m_folder.Path();
    config.bOpenLogFile = false;
    config.fnExit = [](int) {};
    config.fnPlaySound = [](int, float) {};
    CGame game(config);
    game.InitDisplay(nullptr);

    // The tactical map: 16 x 12 open cells.
    auto grid = worldtest::LoadPathGrid(worldtest::PathGridPicture(std::vector<std::string>(12, std::string(16, '.'))));
    ASSERT_TRUE(grid);
    game.m_pMap = std::move(grid->map);
    game.m_pPathData = std::move(grid->grid);
    game.m_pAStar = std::make_unique<CAStar>();
    game.m_pSprites = std::make_unique<CSpriteManager>();
    ASSERT_TRUE(game.m_pSprites->LoadReferenceLists(m_folder.Path(), "Agency.csv", nullptr));
    incidenttest::LoadFeatureTemplates(*game.m_pSprites);
    game.m_pAreaMap = std::make_unique<CAreaMapData>();
    if (!game.m_pAreaMap->m_pSpriteManager)
        game.m_pAreaMap->m_pSpriteManager = new CSpriteManager();
    game.m_pAreaSprites = game.m_pAreaMap->m_pSpriteManager;
    game.m_pEOCUnitData = std::make_unique<CEOCUnitData>();

    // The fire crew waits at the top left; its service id 7 names it in the result.
    CPlacement crew;
    crew.Type = kUnitSprite;
    crew.Id = 7;
    crew.AgencyIndex = 1;
    crew.ServiceId = 7;
    crew.WorldX = 48;
    crew.WorldY = 48;
    ASSERT_TRUE(game.m_pSprites->CreateUnitSprite(crew, true));

    game.m_pIncidentWorld = std::make_unique<CIncidentWorld>();
    game.m_pIncidentWorld->Attach(game.m_pSprites.get(), game.m_pPathData.get(), 0, 0);
    CIncidentParams params = incidenttest::TestParams();
    params.anSpread[0] = params.anSpread[1] = params.anSpread[2] = 5;
    game.m_pIncidentWorld->SetParameters(params);
    ConnectIncidentWorld(game, *game.m_pIncidentWorld);
    game.m_pSquadGame->AttachScenario();
    CSquad* squad = game.m_pSquadGame->Scenario()->FindSquadBySprite(7, 1, 3);
    ASSERT_NE(squad, nullptr);

    // The script: at 09:31 a fire starts at (320, 224); at 09:33 the fire crew is sent to fight it.
    CScenarioData scenario;
    scenario.m_pEvents = new CZREventsData();
    scenario.m_pEvents->m_nGameStartTime = 930;
    scenario.m_nPredictedCost = 5000;
    auto* fire = new CZRResult();
    fire->m_nHazardKind = 3;
    fire->m_nHazardValue = 2; // intensity 25
    fire->m_nHazardX = 320;
    fire->m_nHazardY = 224;
    fire->m_bAAREntry = true;
    fire->m_anScore[1] = -5;
    fire->m_nCost = 250;
    AddTrigger(*scenario.m_pEvents, 1, At(931));
    AddEvent(*scenario.m_pEvents, 10, 1, "Smoke is seen over the harbour.", fire);
    auto* order = new CZRResult();
    order->m_nSquadAgency = 1;
    order->m_nSquadID = 7;
    order->m_nOrderID = 11; // Fight Fire
    order->m_nOrderX = 320;
    order->m_nOrderY = 224;
    AddTrigger(*scenario.m_pEvents, 2, At(933));
    AddEvent(*scenario.m_pEvents, 11, 2, "The fire brigade is on its way.", order);

    game.m_pRules->StartScenario(&scenario, "Harbour.zri", "ScoreRules.csv");
    game.m_uMode = kModeSound | kModeSingle | kModeRunning | kModeStarted;

    RunUntil(game, 931);
    CIncidentWorld& world = *game.m_pIncidentWorld;
    EXPECT_GE(world.m_nFireCount, 1);
    EXPECT_TRUE(world.FireAt(world.TileAt(320, 224)));
    // The event reached the players' log as a review entry with its score change and cost.
    ASSERT_FALSE(game.m_log.m_aReview.empty());
    EXPECT_NE(game.m_log.m_aReview.back().strText.find("Smoke is seen over the harbour."), std::string::npos);
    EXPECT_EQ(game.m_log.m_aReview.back().rec.nSafety, -5);
    EXPECT_EQ(game.m_log.m_aReview.back().rec.nCost, 250);

    RunUntil(game, 933);
    EXPECT_GT(world.m_nFireCount, 1) << "the fire spreads";
    const int32_t spreadTo = game.m_pRules->m_scoring.GetStat(kStatFireTiles);
    EXPECT_GT(spreadTo, 1);
    EXPECT_EQ(squad->m_nNextState, 11);

    // The crew arrives, fights the fire and puts it out.
    bool fought = false;
    for (int minute = 0; minute < 30 && world.m_nFireCount > 0; ++minute) {
        RunUntil(game, AddTimeHHMM(game.m_pRules->m_scoring.GetCurrentTime(), 1));
        fought = fought || squad->m_nState == 11;
    }
    EXPECT_TRUE(fought);
    EXPECT_EQ(world.m_nFireCount, 0);
    EXPECT_FALSE(squad->IsDown());
    const int32_t burnt = game.m_pRules->m_scoring.GetStat(kStatFireTiles);
    const float cost = game.m_pRules->m_scoring.GetCost();
    EXPECT_GT(cost, 250.0f);

    // The scenario ends: scores, the log and the de-briefing.
    game.PostGameSignal(kGmEndScenario);
    m_clock.Advance(10);
    game.Tick();
    m_clock.Advance(10);
    game.Tick();
    EXPECT_TRUE(game.m_uMode & kModeDebrief);
    std::ifstream in(m_folder.File("Score-Log.txt"), std::ios::binary);
    const std::string log{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    ASSERT_FALSE(log.empty());
    EXPECT_NE(log.find("scores based on " + m_folder.File("Harbour Scores.csv") + "\n"), std::string::npos);
    EXPECT_NE(log.find(" Start:\t930\n"), std::string::npos);
    EXPECT_NE(log.find("\tTiles Affected By Fire\t\t" + std::to_string(burnt) + "\n"), std::string::npos);
    EXPECT_NE(log.find("Fire Remaining:\t\t\t 20/ 20\t100%\n"), std::string::npos);
    EXPECT_NE(log.find(" Expected:\t$5000.00\n"), std::string::npos);
    const int32_t containment = std::max(0, 20 - 20 * 5 * (burnt - 2) / 100);
    char line[64];
    std::snprintf(line, sizeof line, "Fire Containment:\t\t%3d/ 20", containment);
    EXPECT_NE(log.find(line), std::string::npos) << log;

    game.ReleaseScenario();
}

} // namespace
