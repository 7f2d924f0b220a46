// The frame tick's clocks on a hand-driven clock, the mode flow of the front end, scenario start and end.
#include "GameFixture.h"
#include "support/DisplayFixtures.h"
#include "core/world/AreaMapData.h"
#include "core/world/Map2DLinked.h"
#include "core/world/PathData.h"
#include "core/world/SpriteManager.h"
#include "core/world/WorldContext.h"
#include "core/world/WorldFixtures.h"
#include "game/app/GameMessages.h"
#include "game/app/Timer.h"
#include "game/screens/boxes/Boxes.h"
#include "game/screens/hud/HUD.h"
#include "game/screens/iap/IAP_PhaseIF.h"

#include <algorithm>
#include <functional>

namespace {

class TickTest : public GameFixture {
protected:
    // A single-play game in play, its clocks armed at the clock's current time.
    CGame& MakePlaying()
    {
        CGame& game = MakeGame(false);
        game.InitDisplay(nullptr);
        game.m_uMode = kModeSound | kModeSingle | kModeRunning;
        game.m_bMovementEnabled = true;
        return game;
    }
};

TEST_F(TickTest, DrawOnlyAfterMoreThan33ms)
{
    CGame& game = MakePlaying();
    m_clock->Advance(33);
    game.Tick();
    EXPECT_EQ(game.m_stats.nFrames, 0);
    m_clock->Advance(1);
    game.Tick();
    EXPECT_EQ(game.m_stats.nFrames, 1);
    game.Tick(); // the same moment: logic, not another frame
    EXPECT_EQ(game.m_stats.nFrames, 1);
}

TEST_F(TickTest, ClockBoundaries)
{
    struct Case {
        const char* name;
        uint32_t CGame::*clock;
        uint32_t interval;
        int CTickStats::*counter;
    };
    const Case cases[] = {
        {"logic", &CGame::m_uLogicClock, 30, &CTickStats::nLogicSteps},
        {"authority", &CGame::m_uAuthorityClock, 500, &CTickStats::nAuthoritySteps},
        {"movement", &CGame::m_uMovementClock, 33, &CTickStats::nMovementSteps},
        {"periodic", &CGame::m_uPeriodicClock, 2000, &CTickStats::nPeriodicSteps},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        m_game.reset();
        CGame& game = MakePlaying();
        game.m_uLastDraw = m_clock->Now(); // no frame in the way
        const uint32_t now = m_clock->Now();
        // Every other clock just fired; this one is exactly `interval` old.
        game.m_uLogicClock = game.m_uAuthorityClock = game.m_uMovementClock = game.m_uPeriodicClock = now;
        game.*c.clock = now - c.interval;
        game.Tick();
        EXPECT_EQ(game.m_stats.*c.counter, 0);
        game.*c.clock = now - c.interval - 1;
        game.Tick();
        EXPECT_EQ(game.m_stats.*c.counter, 1);
    }
}

TEST_F(TickTest, SinglePlayPostsClockStateEvery500ms)
{
    CGame& game = MakePlaying();
    for (int i = 0; i < 100; ++i) {
        m_clock->Advance(10);
        game.Tick();
    }
    EXPECT_EQ(CountPosts(kGmClockState), 1); // 1,000 ms: one step after 510 ms (the next at 1,020)
}

TEST_F(TickTest, PlayerWithoutRolesGetsAllCommandAtMovementStep)
{
    CGame& game = MakePlaying();
    game.GetLocalPlayerInfo()->uRoleFlags = 0;
    m_clock->Advance(34);
    game.Tick(); // frame
    game.Tick(); // logic with movement
    EXPECT_TRUE(game.m_uMode & kModeAllCommand);
}

TEST_F(TickTest, PeriodicStepHidesFeaturesUnderUnitsDrawnInPlay)
{
    worldtest::WorldDataFolder art(true);
    CGame& game = MakePlaying();
    game.m_pSprites = std::make_unique<CSpriteManager>();
    ASSERT_TRUE(game.m_pSprites->LoadReferenceLists(art.Path(), "Agency.csv", game.m_pDisplay.get()));
    std::vector<int> types(16, 0);
    types[3 * 4 + 3] = 162; // the cell holding (100, 100)
    game.m_pMap = std::make_unique<CMap2DLinked>();
    ASSERT_TRUE(game.m_pMap->BuildGrid(4, 4, types));
    CPlacement p;
    p.Type = kFeatureSprite; // template 0: a tree that hides under units, no alpha
    p.WorldX = p.WorldY = 100;
    CSprite* tree = game.m_pSprites->CreateFeatureSprite(p, false);
    ASSERT_NE(tree, nullptr);
    p.Type = kUnitSprite;
    p.WorldX = p.WorldY = 300;
    CSprite* unit = game.m_pSprites->CreateUnitSprite(p, true);
    ASSERT_NE(unit, nullptr);
    const RECT view{0, 0, 800, 448};
    game.m_pSprites->UpdateScreenRects(view);
    game.m_pSprites->Draw(view, game.m_pDisplay->GetBackBuffer());
    // The unit walks onto the tree after the scenario loaded.
    unit->SetWorldPosition(100, 100);
    unit->UpdateScreenRect(view);
    game.m_uLastDraw = m_clock->Now(); // no frame in the way
    game.m_uLogicClock = game.m_uAuthorityClock = game.m_uMovementClock = m_clock->Now();
    game.m_uPeriodicClock = m_clock->Now() - 2001;
    game.Tick();
    EXPECT_EQ(game.m_stats.nPeriodicSteps, 1);
    EXPECT_NE(tree->m_Placement.Flags & kSpriteHiddenUnder, 0);
    // It walks away: the next periodic step shows the tree again.
    unit->SetWorldPosition(300, 300);
    unit->UpdateScreenRect(view);
    game.m_uPeriodicClock = m_clock->Now() - 2001;
    game.Tick();
    EXPECT_EQ(tree->m_Placement.Flags & kSpriteHiddenUnder, 0);
    game.m_pSprites.reset(); // its frames before the display
}

TEST_F(TickTest, TimerInterval)
{
    CTimer a;
    a.SetInterval(0.05f);
    EXPECT_EQ(a.GetInterval(), 50);
    CTimer b;
    EXPECT_EQ(CTimer::Current(), &b);
    {
        CTimer c;
    }
    EXPECT_EQ(CTimer::Current(), nullptr);
    b.MakeCurrent();
    EXPECT_EQ(CTimer::Current(), &b);
}

TEST_F(TickTest, GetMillisecondsIsExactPastSinglePrecision)
{
    // 5 hours: a float would step by 2 ms here.
    m_clock->Set(18000001u);
    EXPECT_EQ(GetMilliseconds(), 18000001u);
    m_clock->Advance(1);
    EXPECT_EQ(GetMilliseconds(), 18000002u);
}

// Front-end flow.

class FlowTest : public GameFixture {
protected:
    CGame& MakeFrontEnd(bool skip = false)
    {
        CGame& game = MakeGame(false);
        if (skip)
            game.m_uMode |= kModeSkipSplash;
        game.InitDisplay(nullptr);
        game.LoadFrontEnd();
        return game;
    }
    // Runs logic ticks (no frame in the way) at the current time.
    void Logic(CGame& game)
    {
        game.m_uLastDraw = m_clock->Now();
        game.Tick();
    }
    static constexpr uint32_t kSplash = kModeTitle | kModeSponsorSplash | kModeMakerSplash | kModeLobby;
};

TEST_F(FlowTest, SplashTiming)
{
    CGame& game = MakeFrontEnd();
    Logic(game); // first front-end tick marks the time
    const uint32_t order[] = {kModeTitle, kModeSponsorSplash, kModeMakerSplash, kModeLobby};
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(game.m_uMode & kSplash, order[i]);
        m_clock->Advance(3000);
        Logic(game);
        EXPECT_EQ(game.m_uMode & kSplash, order[i]) << "3,000 ms does not advance";
        m_clock->Advance(1);
        Logic(game);
        EXPECT_EQ(game.m_uMode & kSplash, order[i + 1]) << "3,001 ms does";
    }
    m_clock->Advance(10000);
    Logic(game);
    EXPECT_EQ(game.m_uMode & kSplash, kModeLobby);
}

// The main loop rests between ticks for as long as TimeToNextTick says. A loop that rests so must run every
// step at the same moment as the old loop that ticked without pause: frames, the clocks of play, the silence
// warning, the auto-repeat of a held HUD button while paused and the splash screens.
TEST_F(FlowTest, ARestingLoopRunsEveryStepWhenASpinningOneDid)
{
    struct Scene {
        const char* name;
        std::function<void(CGame&)> setUp;
        uint32_t duration;
        bool logicSteps; // paused, the logic step runs on every pass, so passes are not compared
        std::function<bool(const CGame&)> reached; // the scene showed what it is for
    };
    const auto playing = [](CGame& game) {
        game.m_uMode = kModeSound | kModeSingle | kModeRunning;
        game.m_bMovementEnabled = true;
        game.m_bFirstTick = false;
    };
    const Scene scenes[] = {
        {"single play", playing, 5000, true, [](const CGame& g) { return g.m_stats.nAuthoritySteps >= 9; }},
        {"a client whose host falls silent",
         [&](CGame& game) {
             playing(game);
             game.m_bAuthority = false;
             game.m_uHostSilenceBase = m_clock->Now() - 57000;
         },
         5000, true, [](const CGame& g) { return g.m_bSilenceWarned; }},
        {"paused with a log button held",
         [&](CGame& game) {
             playing(game);
             game.m_uMode |= kModePaused;
             game.m_nInputState = 2;
             game.m_nHudSubState = 13; // an empty log refuses each repeat with a sound
         },
         1000, false, [this](const CGame&) { return m_sounds.size() >= 15; }},
        {"splash screens", [](CGame&) {}, 10000, true,
         [](const CGame& g) { return (g.m_uMode & kSplash) == kModeLobby; }},
    };
    using Trace = std::vector<std::vector<int64_t>>;
    const auto snapshot = [this](CGame& game, bool logicSteps) {
        const CTickStats& s = game.m_stats;
        return std::vector<int64_t>{s.nFrames,
                                    logicSteps ? s.nLogicSteps : 0,
                                    s.nAuthoritySteps,
                                    s.nMovementSteps,
                                    s.nPeriodicSteps,
                                    game.m_uMode & kSplash,
                                    game.m_bSilenceWarned,
                                    static_cast<int64_t>(m_sounds.size())};
    };
    // Each change of the counters with the time it came at.
    const auto record = [&](CGame& game, const Scene& scene, Trace& trace) {
        std::vector<int64_t> now = snapshot(game, scene.logicSteps);
        if (trace.empty() || !std::equal(now.begin(), now.end(), trace.back().begin() + 1)) {
            now.insert(now.begin(), m_clock->Now());
            trace.push_back(now);
        }
    };
    const uint32_t start = m_clock->Now();
    for (const Scene& scene : scenes) {
        SCOPED_TRACE(scene.name);
        Trace spun, rested;
        // The old loop: ticks back to back, so at every millisecond (twice: a frame takes a whole tick).
        m_clock->Set(start);
        m_sounds.clear();
        CGame& spinning = MakeFrontEnd();
        scene.setUp(spinning);
        for (uint32_t t = 0; t < scene.duration; ++t, m_clock->Advance(1))
            for (int i = 0; i < 2; ++i) {
                spinning.Tick();
                record(spinning, scene, spun);
            }
        // The new one: a tick, then a rest as long as the game asks.
        m_clock->Set(start);
        m_sounds.clear();
        CGame& resting = MakeFrontEnd();
        scene.setUp(resting);
        int ticks = 0;
        while (m_clock->Now() - start < scene.duration && ticks < 100000) {
            resting.Tick();
            ++ticks;
            record(resting, scene, rested);
            m_clock->Advance(std::min(resting.TimeToNextTick(), scene.duration - (m_clock->Now() - start)));
        }
        EXPECT_EQ(rested, spun);
        EXPECT_TRUE(scene.reached(resting));
        // It ticks only when something is due: never more than once per change of the counters, and at most one
        // idle pass more for each frame.
        EXPECT_LE(ticks, static_cast<int>(rested.size()) + resting.m_stats.nFrames + 2);
    }
}

TEST_F(FlowTest, ClickAndEnterAdvance)
{
    CGame& game = MakeFrontEnd();
    game.OnMouse(0x201, 1, 0, 1);
    EXPECT_EQ(game.m_uMode & kSplash, kModeSponsorSplash);
    EXPECT_FALSE(game.OnKeyDown(kVkReturn, 3));
    EXPECT_EQ(game.m_uMode & kSplash, kModeMakerSplash);
    game.OnMouse(0x204, 2, 0, 1);
    EXPECT_EQ(game.m_uMode & kSplash, kModeLobby);
    EXPECT_EQ(m_sounds, (std::vector<int>{0, 0}));
    // A click advancing a splash restarts its time.
    game.m_uMode = (game.m_uMode & ~kSplash) | kModeTitle;
    Logic(game);
    m_clock->Advance(2900);
    game.OnMouse(0x201, 1, 0, 1);
    m_clock->Advance(200);
    Logic(game);
    EXPECT_EQ(game.m_uMode & kSplash, kModeSponsorSplash);
}

TEST_F(FlowTest, SkipSwitchStartsAtLobby)
{
    CGame& game = MakeFrontEnd(true);
    EXPECT_EQ(game.m_uMode & (kSplash | kModeFrontEnd), kModeLobby | kModeFrontEnd);
}

TEST_F(FlowTest, EscapeBeforeAnyScenarioCloses)
{
    CGame& game = MakeFrontEnd(true);
    EXPECT_TRUE(game.OnKeyDown(kVkEscape, 3));
}

TEST_F(FlowTest, ScenarioStartEndDebriefCreditsQuit)
{
    // The de-briefing's art with only its "Exit" button (row 58) at (700, 560).
    std::filesystem::create_directories(m_dir / "GUI");
    std::string list = "De-briefing art,,\nBitmap,X,Y\n";
    for (int row = 0; row < 63; ++row)
        list += row == 58 ? "Exit.bmp,700,560\n" : "None.bmp,0,0\n";
    WriteText(m_dir / "GUI" / "DeBrief_Art.csv", list);
    ASSERT_TRUE(fixtures::WriteFile((m_dir / "GUI" / "Exit.bmp").string(),
                                    fixtures::MakeBmp24(80, 26, [](int, int) { return RGB(150, 30, 30); })));
    CGame& game = MakeFrontEnd(true);
    game.m_uMode = (game.m_uMode & ~kModeLobby) | kModeSingle | kModeBriefing;
    game.OnKeyDown(kVkF4, 3); // the briefing's quick "Next" in single play
    EXPECT_EQ(game.m_uMode & (kModeFrontEnd | kModeBriefing | kModeRunning | kModeStarted),
              kModeRunning | kModeStarted);
    ASSERT_TRUE(game.m_pHUD);
    for (auto& art : game.m_apMenuArt)
        (void)art; // the front-end art is released once; the destructor finds empty handles
    // Escape in play with nothing open asks; OK quits.
    EXPECT_FALSE(game.OnKeyDown(kVkEscape, 3));
    ASSERT_TRUE(game.m_pMessageBox->m_bShown);
    game.OnMouse(0x201, 1, (160 + 120 + 5) << 16 | (200 + 235 + 5), 1);
    EXPECT_TRUE(game.m_uMode & kModeQuit);
    game.m_uMode &= ~kModeQuit;

    game.PostGameSignal(kGmEndScenario);
    EXPECT_TRUE(game.m_uMode & kModeEnded);
    Logic(game);
    EXPECT_EQ(game.m_uMode & (kModeEnded | kModeRunning | kModeStarted | kModeDebrief), kModeDebrief);
    game.OnMouse(0x201, 1, 0, 1); // not on "Exit": the de-briefing stays
    EXPECT_TRUE(game.m_uMode & kModeDebrief);
    game.OnMouse(0x201, 1, (560 + 5) << 16 | (700 + 5), 1);
    EXPECT_EQ(game.m_uMode & (kModeDebrief | kModeCredits), kModeCredits);
    EXPECT_TRUE(game.Tick());
    game.OnMouse(0x201, 1, 0, 1);
    EXPECT_FALSE(game.Tick());
}

TEST_F(FlowTest, SecondScenarioStartReplacesScreens)
{
    CGame& game = MakeFrontEnd(true);
    game.m_uMode |= kModeSingle;
    ASSERT_TRUE(game.StartScenario());
    HUD* first = game.m_pHUD.get();
    ASSERT_TRUE(game.StartScenario());
    EXPECT_TRUE(game.m_pHUD);
    (void)first;
    game.m_uMode |= kModeFromSave | kModePaused;
    ASSERT_TRUE(game.StartScenario());
    EXPECT_FALSE(game.m_uMode & (kModePaused | kModeFromSave));
}

TEST_F(FlowTest, FirstIAPCheckPausesSinglePlay)
{
    CGame& game = MakeFrontEnd(true);
    game.m_uMode |= kModeSingle;
    game.m_nStartTime = 900;
    ASSERT_TRUE(game.StartScenario());
    game.CheckIAPReminders(0);
    EXPECT_TRUE(game.m_uMode & kModePaused);
    EXPECT_TRUE(game.m_uMode & kModeIAPReview);
    EXPECT_TRUE(game.m_pIAP->m_bShown);
    EXPECT_EQ(game.GetTimeSinceIAPMark(), 0);
}

// Every 30 game minutes after the mark: a plan awaiting approval costs the penalty; the review is judged and asked
// for again. The single player holds every role, so the notices to the Zoranth and to Planning both show.
TEST_F(FlowTest, HalfHourlyIAPChecks)
{
    CGame& game = MakeFrontEnd(true);
    game.m_uMode |= kModeSingle;
    game.m_nStartTime = 900;
    ASSERT_TRUE(game.StartScenario());
    game.GetLocalPlayerInfo()->uRoleFlags = 0x3 | kRoleCommand; // the agencies and the command role
    game.m_bShowHidden = true;
    game.CheckIAPReminders(0);
    game.m_pIAP->m_bShown = false;
    std::vector<uint16_t> posts;
    game.m_fnPostObserver = [&](uint16_t id, const uint8_t*, size_t) { posts.push_back(id); };
    auto logHas = [&](const std::string& words) {
        for (const auto& line : game.m_log.m_messages.aLines)
            if (line.strText.find(words) != std::string::npos)
                return true;
        return false;
    };

    const int before = game.m_log.m_messages.Count();
    game.CheckIAPReminders(929);
    EXPECT_EQ(game.m_log.m_messages.Count(), before);
    EXPECT_TRUE(posts.empty());

    game.m_uMode |= kModeIAPApproval | kModeIAPReview;
    game.CheckIAPReminders(930);
    EXPECT_TRUE(logHas("You failed to approve"));
    EXPECT_TRUE(logHas("You failed to review"));
    EXPECT_TRUE(logHas("You need to review and possibly update"));
    EXPECT_EQ(game.m_pIAP->m_nPenaltyTotal, 30);
    EXPECT_FALSE(game.m_uMode & kModeIAPApproval);
    EXPECT_EQ(posts, (std::vector<uint16_t>{kGmIAPPenalty, kGmIAPApproved}));

    // A plan reviewed in time is praised and the review falls due again; nothing awaits approval.
    posts.clear();
    game.m_uMode &= ~kModeIAPReview;
    game.CheckIAPReminders(959);
    EXPECT_TRUE(posts.empty());
    game.CheckIAPReminders(1000);
    EXPECT_TRUE(logHas("You successfully reviewed"));
    EXPECT_EQ(posts, (std::vector<uint16_t>{kGmIAPReviewDue}));
    EXPECT_TRUE(game.m_uMode & kModeIAPReview);
    EXPECT_EQ(game.m_pIAP->m_nPenaltyTotal, 30);

    // A review missed alone costs the whole half-hour, as one awaiting approval does: never less than a late one.
    posts.clear();
    game.CheckIAPReminders(1030);
    EXPECT_TRUE(logHas("You failed to review"));
    EXPECT_EQ(posts, (std::vector<uint16_t>{kGmIAPPenalty}));
    EXPECT_EQ(game.m_pIAP->m_nPenaltyTotal, 60);
    EXPECT_TRUE(game.m_uMode & kModeIAPReview);

    // An open IAP screen holds the checks back.
    posts.clear();
    game.m_pIAP->m_bShown = true;
    game.CheckIAPReminders(1100);
    EXPECT_TRUE(posts.empty());
    game.m_pIAP->m_bShown = false;

    // At the end a review still owed is late by the time since the mark (at most a half-hour), once.
    game.m_nTimeOfDay = 1042;
    game.ChargeOpenIAP();
    EXPECT_EQ(game.m_pIAP->m_nPenaltyTotal, 72);
    game.ChargeOpenIAP();
    EXPECT_EQ(game.m_pIAP->m_nPenaltyTotal, 72);
}

TEST_F(FlowTest, MessagePageSizes)
{
    CGame& game = MakeFrontEnd(true);
    struct Case {
        uint32_t mode;
        uint8_t open;
        uint32_t state;
        int page;
    };
    const Case cases[] = {
        {kModeDebrief, 1, 0xE, 7},
        {kModeRoleSelect, 0, 0, 10},
        {0, 1, 0x2 | 0x8, 39},
        {0, 0, 0x4 | 0x8, 39},
        {0, 1, 0x2, 15},
        {0, 0, 0x2, 7},
        {0, 0, 0, 7},
    };
    for (const auto& c : cases) {
        game.m_uMode = c.mode;
        game.m_bMessagePanelOpen = c.open;
        game.m_uMessageState = c.state;
        EXPECT_EQ(game.GetMessagePageSize(), c.page) << c.mode << " " << int(c.open) << " " << c.state;
    }
}

} // namespace

namespace {

class ScenarioObjectsTest : public GameFixture {};

TEST_F(ScenarioObjectsTest, NewLoadFreesOldWorldAndCurrentMapFollows)
{
    CGame& game = MakeGame(false);
    game.InitDisplay(nullptr);
    std::vector<CMap2DLinked*> maps;
    game.m_fnLoadScenario = [&](CGame& g) {
        EXPECT_EQ(g.m_pMap, nullptr); // the old scenario is gone before the new one loads
        EXPECT_EQ(GetCurrentMap(), nullptr);
        g.m_pMap = std::make_unique<CMap2DLinked>();
        SetCurrentMap(g.m_pMap.get());
        g.m_pPathData = std::make_unique<CPathData>();
        g.m_pSprites = std::make_unique<CSpriteManager>();
        g.m_pAreaMap = std::make_unique<CAreaMapData>();
        maps.push_back(g.m_pMap.get());
        return true;
    };
    ASSERT_TRUE(game.LoadScenario());
    game.m_uMode |= kModeSingle;
    ASSERT_TRUE(game.StartScenario());
    EXPECT_TRUE(game.m_pMap); // starting keeps the loaded world
    ASSERT_TRUE(game.LoadScenario());
    EXPECT_EQ(GetCurrentMap(), game.m_pMap.get());
    m_game.reset();
    EXPECT_EQ(GetCurrentMap(), nullptr);
}

} // namespace
