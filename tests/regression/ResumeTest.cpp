// A single play of the demo scenario with a script of orders, through the game's own frame tick around its save
// from the save dialog at 10:00, restored from the lobby into a second game seeded otherwise: the restored game's
// first frame holds the saved state, its random draws among it, and with the same orders it ends with the
// "Score-Log.txt" of the play that never stopped.
#include "tests/game/app/DemoGame.h"

#include "core/world/Sprite.h"
#include "core/world/SpriteManager.h"
#include "game/screens/eoc/EOC.h"
#include "game/screens/hud/HUD.h"
#include "game/screens/iap/IAP_PhaseIF.h"
#include "game/screens/lobby/MPlayIF.h"
#include "game/sim/SimRandom.h"
#include "tools/demo/TownPlan.h"

#include <gtest/gtest.h>

namespace {

using demo_game::CDemoGame;
namespace fs = std::filesystem;

constexpr int32_t kTickedFrom = 956; // the play goes through the frame tick from here on
constexpr int32_t kSaveTime = 1000;
constexpr int32_t kEndTime = 1006;
constexpr uint32_t kTickMs = 10;
constexpr int kTicksIntoEndMinute = 30;
constexpr uint32_t kBriefingMs = 3000; // the restored game waits on its briefing before play starts

// What the script does at a minute of the game clock: squad orders (to the incident site or beside another squad),
// a call-out from a station, the Operations chief ordered in the EOC, the IAP approved.
enum class EDo { MoveToSite, Move, Search, Assault, Dispatch, OrderOperationsChief, ApproveIAP };
struct ScriptStep {
    int32_t time;
    EDo what;
    int squad = 0;
    int at = 0; // the squad the order is given beside (or against)
};
const ScriptStep kScript[] = {
    // in the order of the clock
    {930, EDo::MoveToSite, 1},        // the patrol walks into the yard and brings Command its first Resource Points
    {930, EDo::Dispatch},             // a squad called from the first station that has one
    {957, EDo::OrderOperationsChief}, // its five minutes to activation run across the save
    {959, EDo::Move, 1001, 1002},     // the police car is on its way across the town at the save
    {1001, EDo::Assault, 1, 8},       // the patrol goes after the suspect
    {1002, EDo::ApproveIAP},          // late: its delay counts in the IAP score
    {1003, EDo::Assault, 9, 8},       // and so does the officer called from the station
    {1005, EDo::Assault, 8, 3},       // the suspect assaults the warehouse workers
};

// One game over its own copy of the demo, its clock moved 10 ms before every tick.
class CScriptedPlay {
public:
    CScriptedPlay(CDemoGame& run, uint32_t start) : m_run(run), m_clock(start) {}
    CGame& Game() { return m_run.Game(); }
    void Tick()
    {
        m_clock.Advance(kTickMs);
        Game().Tick();
    }
    int32_t Now() { return Game().m_pRuntime->GetCurrentTime(); }

    // The plan that opens (and pauses single play) on the first ticks is put aside unchanged.
    void SetPlanAside()
    {
        for (int i = 0; i < 1000 && !Game().m_pIAP->m_bShown; ++i)
            Tick();
        ASSERT_TRUE(Game().m_pIAP->m_bShown);
        Game().m_pIAP->Close();
    }
    // Ticks until the clock shows `until` and returns how many; each step of the script is done on the first tick
    // of its minute.
    int PlayUntil(int32_t until)
    {
        int ticks = 0;
        for (; ticks < 200000 && Now() != until; ++ticks)
            PlayTick();
        EXPECT_EQ(Now(), until);
        return ticks;
    }
    void PlayTicks(int ticks)
    {
        for (int i = 0; i < ticks; ++i)
            PlayTick();
    }
    // The scenario's own steps without the frame tick (no frames, no IAP reminders, no EOC timers) until the
    // clock shows `until`, with the script on the way: a quick road to the minutes before the save.
    void StepUntil(int32_t until)
    {
        for (int guard = 0; guard < 100000 && Now() != until; ++guard) {
            DoScriptDue();
            for (int i = 0; i < 15; ++i) {
                m_clock.Advance(33);
                Game().m_pRuntime->MovementStep(m_clock.Now());
            }
            m_clock.Advance(5);
            Game().m_pRuntime->GameStep();
        }
        ASSERT_EQ(Now(), until);
    }
    // Options > Save: the dialog pauses the game, the typed name and Enter save it and close the dialog.
    void SaveFromDialog(const std::string& name)
    {
        Game().m_pHUD->OpenSaveDialog();
        for (char c : name)
            Game().OnChar(static_cast<uint8_t>(c));
        Game().OnChar(13);
        ASSERT_FALSE(Game().m_uMode & (kModePaused | kModeSaving));
        ASSERT_TRUE(fs::exists(m_run.Folder() / "Saves" / name / "SaveData.zrd"));
    }
    // The lobby's saved game and its Next (which pauses while it loads), the briefing, then the briefing's Next.
    void RestoreFromLobby(const std::string& name)
    {
        ASSERT_TRUE(Game().LoadFrontEnd());
        Game().m_uMode = (Game().m_uMode & ~(kModeTitle | kModeBriefing)) | kModeLobby | kModeFromSave;
        Game().m_pLobby->m_strChosenName = name;
        Game().SetPaused(true);
        ASSERT_TRUE(Game().StartOrJoinGame());
        for (uint32_t waited = 0; waited < kBriefingMs; waited += kTickMs)
            Tick();
        ASSERT_TRUE(Game().StartScenario());
        while (m_nNext < std::size(kScript) && kScript[m_nNext].time <= kSaveTime)
            ++m_nNext;
    }
    // Command > End Scenario: the scores are written on the next logic pass.
    std::string EndAndReadScoreLog()
    {
        Game().PostGameSignal(kGmEndScenario);
        for (int i = 0; i < 3 && !(Game().m_uMode & kModeDebrief); ++i)
            Tick();
        EXPECT_TRUE(Game().m_uMode & kModeDebrief);
        std::string log = demo_game::ReadFileText(m_run.Folder() / "Score-Log.txt");
        const std::string folder = m_run.Folder().string();
        for (size_t at = log.find(folder); at != std::string::npos; at = log.find(folder, at))
            log.replace(at, folder.size(), "<data>");
        return log;
    }
    // Clock, cost, incident and squads, the shared mode bits, the IAP, the EOC with its unit timers and the
    // random state.
    std::string State()
    {
        CGame& g = Game();
        std::string out = m_run.Summary();
        char line[200];
        std::snprintf(line, sizeof line, "mode %08x IAP mark %d penalty %d\n", g.m_uMode & kSavedModeBits, g.m_nIAPMark,
                      g.m_pIAP->m_nPenaltyTotal);
        out += line;
        const CSquadScoreCounts& c = g.m_pSquadGame->m_score;
        std::snprintf(line, sizeof line, "counts %d %d %d %d\n", c.nAssaults, c.nAnnoyableTicks, c.nTicksAnnoying,
                      c.nAreaSquadsCalled);
        out += line;
        for (int s = 0; s < kSections; ++s) {
            const CEOCSection& sec = g.m_pEOCUnitData->m_aSections[static_cast<size_t>(s)];
            std::snprintf(line, sizeof line, "section %d %x %x %.3f %.3f %d %d %d\n", s, sec.uActivated, sec.uOrdered,
                          sec.fResourcePoints, sec.fGranted, sec.nAllocation, sec.bChiefActive, sec.bChiefOrdered);
            out += line;
            for (int u = 0; u < kUnitsPerSection; ++u)
                if (g.m_pEOCUnitData->Unit(s, u).nOrderTime)
                    out += "  unit " + std::to_string(u) + " ordered at " +
                           std::to_string(g.m_pEOCUnitData->Unit(s, u).nOrderTime) + "\n";
        }
        const CSimRandomState random = GetSimRandomState();
        out += "random " + std::to_string(random.uNext);
        for (uint32_t word : random.aWords)
            out += " " + std::to_string(word);
        return out + "\n";
    }
    // Which steps each of the next `ticks` ticks ran: D draw, A authority, M movement, P periodic.
    std::string StepsOfTicks(int ticks)
    {
        std::string out;
        for (int i = 0; i < ticks; ++i) {
            const CTickStats before = Game().m_stats;
            Tick();
            const CTickStats& after = Game().m_stats;
            out += after.nFrames != before.nFrames ? "D" : "";
            out += after.nAuthoritySteps != before.nAuthoritySteps ? "A" : "";
            out += after.nMovementSteps != before.nMovementSteps ? "M" : "";
            out += after.nPeriodicSteps != before.nPeriodicSteps ? "P" : "";
            out += " ";
        }
        return out;
    }

private:
    void DoScriptDue()
    {
        for (; m_nNext < std::size(kScript) && kScript[m_nNext].time <= Now(); ++m_nNext)
            Do(kScript[m_nNext]);
    }
    void PlayTick()
    {
        DoScriptDue();
        Tick();
    }
    CSquad* Squad(int number) { return Game().m_pSquadGame->Scenario()->FindSquad(number); }
    void Order(int squad, int action, int x, int y, CSquad* target = nullptr)
    {
        CSquad* s = Squad(squad);
        ASSERT_NE(s, nullptr) << squad;
        s->GiveOrder(0, action, x, y, kSqPathRequest, target);
    }
    void ClickEoc(const RECT& r)
    {
        const int x = (r.left + r.right) / 2, y = (r.top + r.bottom) / 2;
        Game().m_pEOC->OnMouseMove(x, y, 0);
        Game().m_pEOC->OnClick(x, y, 1, Game().m_pPopupView.get());
    }
    void Do(const ScriptStep& step)
    {
        CSquad* at = step.at ? Squad(step.at) : nullptr;
        const int ax = at ? static_cast<int>(at->m_fX) : 0, ay = at ? static_cast<int>(at->m_fY) : 0;
        switch (step.what) {
        case EDo::MoveToSite: {
            const demo::NamedRect& site = m_plan.zones.at(0);
            Order(step.squad, kActMove, site.left + 48, site.top + 48);
            break;
        }
        case EDo::Move:
            Order(step.squad, kActMove, ax, ay);
            break;
        case EDo::Search:
            Order(step.squad, kActSearchForBomb, ax + 48, ay);
            break;
        case EDo::Assault:
            Order(step.squad, kActAssault, ax, ay, at);
            break;
        case EDo::Dispatch: {
            CSprite* s = Game().m_pAreaSprites->GetHead();
            while (s && !(s->Kind() == kStationSprite && Game().m_pSquadGame->Area()->RequestDispatch(s, 0)))
                s = s->m_pNext;
            ASSERT_NE(s, nullptr) << "no station to call a squad from";
            break;
        }
        case EDo::OrderOperationsChief:
            ASSERT_GE(Game().m_pEOCUnitData->m_aSections[0].fResourcePoints, 10.0f);
            Game().m_pEOC->Open();
            ClickEoc(Game().m_pEOC->TabRect(0));
            ClickEoc(Game().m_pEOC->UnitRect(0, 1));
            ClickEoc(Game().m_pEOC->DoneRect());
            ASSERT_TRUE(Game().m_pEOCUnitData->m_aSections[1].bChiefOrdered);
            break;
        case EDo::ApproveIAP:
            Game().m_pIAP->Open(0);
            ASSERT_TRUE(Game().m_pIAP->PressButton(0));
            break;
        }
    }

    CDemoGame& m_run;
    platform::ManualClock m_clock;
    const demo::TownPlan m_plan = demo::MakeMillbrookPlan();
    size_t m_nNext = 0;
};

using ResumeTest = demo_game::DemoRunsTest;

TEST_F(ResumeTest, ARestoredGameGoesOnFromTheSavedInstant)
{
    // The play that never stopped; it is saved at 10:00 on its way.
    SeedSimRandom(1);
    auto first = NewRun();
    ASSERT_TRUE(first->LoadScenario("Millbrook.zri"));
    std::string atSave, straightSteps, straightLog;
    int ticksAfterSteps = 0;
    {
        CScriptedPlay play(*first, 50000);
        ASSERT_NO_FATAL_FAILURE(play.SetPlanAside());
        ASSERT_NO_FATAL_FAILURE(play.StepUntil(kTickedFrom));
        play.PlayUntil(kSaveTime);
        ASSERT_NO_FATAL_FAILURE(play.SaveFromDialog("ten"));
        atSave = play.State();
        // At the save the plan's review was due (the plan was set aside), the Operations chief was on his way
        // to activation and the police car on its way across the town.
        ASSERT_TRUE(first->Game().m_uMode & kModeIAPReview);
        const CEOCSection& operations = first->Game().m_pEOCUnitData->m_aSections[1];
        ASSERT_TRUE(operations.bChiefOrdered && !operations.bChiefActive);
        ASSERT_TRUE(first->Game().m_pSquadGame->Scenario()->FindSquad(1001)->m_nFlags & kSqMoving);
        straightSteps = play.StepsOfTicks(120);
        // The scenario is ended a moment into its last minute, between two authority steps.
        ticksAfterSteps = play.PlayUntil(kEndTime) + kTicksIntoEndMinute;
        play.PlayTicks(kTicksIntoEndMinute);
        straightLog = play.EndAndReadScoreLog();
    }

    // The save restored in another game, on another clock, its draws seeded otherwise: the load brings back
    // the saved ones.
    SeedSimRandom(2);
    auto second = NewRun();
    fs::copy(first->Folder() / "Saves", second->Folder() / "Saves", fs::copy_options::recursive);
    CScriptedPlay again(*second, 900000);
    ASSERT_NO_FATAL_FAILURE(again.RestoreFromLobby("ten"));
    EXPECT_EQ(again.State(), atSave);
    // Every step comes on the tick it came on in the play that never stopped.
    EXPECT_EQ(again.StepsOfTicks(120), straightSteps);
    // The same orders at the same minutes, and the scenario ended as many ticks after the save.
    again.PlayTicks(ticksAfterSteps);
    EXPECT_EQ(again.Now(), kEndTime);
    const std::string log = again.EndAndReadScoreLog();
    ASSERT_NE(straightLog.find("Total:"), std::string::npos) << straightLog;
    ASSERT_EQ(straightLog.find("Operations Section  (inactive)"), std::string::npos) << straightLog;
    EXPECT_EQ(log, straightLog);
}

} // namespace
