// The demo scenario run headless with a script of orders; each game minute's summary is compared with the
// reviewed expected.txt of its case. Set ZR_UPDATE_GOLDEN=1 to write the actual output over expected.txt.
#include "tests/game/app/DemoGame.h"

#include "core/world/Sprite.h"
#include "core/world/SpriteManager.h"
#include "game/sim/SimRandom.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <vector>

namespace {

using demo_game::CDemoGame;
namespace fs = std::filesystem;

constexpr int kStepsPerMinute = 30;
constexpr int kMinutes = 12;
constexpr int kSplitMinute = 9;

// The script: at a minute, a squad (by its number) gets an order at a point: another squad's position (the target
// of an assault) or its own, plus an offset. Besides moves it covers work near the media (the
// annoyance counts), an assault and a dispatch from a station (the area squads called).
constexpr int kOwnPosition = 0;
struct ScriptedOrder {
    int minute;
    int squad;
    int action;
    int at; // the squad whose position (and target) the order takes; kOwnPosition for its own
    int dx;
    int dy;
};
const ScriptedOrder kScript[] = {
    {0, 1, 5, 7, 48, 0}, // the patrol searches for a device beside the news crew
    {0, 8, 4, 3, 0, 0},  // the suspect assaults the warehouse workers
    {2, 1001, 3, kOwnPosition, -64, 32},
    {10, 1, 3, kOwnPosition, 64, -64}, // after the split
    {11, 9, 3, kOwnPosition, 128, 0},  // the squad called from the station
};
constexpr int kDispatchMinute = 0; // the first station's first resource line is called out

// What the game told its developer (the reason of a failed save or load).
std::string DebugLines()
{
    std::string out;
    for (const std::string& line : platform::RecordedDebugOutput())
        out += line + "\n";
    return out;
}

void Dispatch(CGame& game, std::string& log)
{
    CSquadManager* area = game.m_pSquadGame->Area();
    for (CSprite* s = game.m_pAreaSprites ? game.m_pAreaSprites->GetHead() : nullptr; s && area; s = s->m_pNext) {
        if (s->Kind() == kStationSprite && area->RequestDispatch(s, 0)) {
            log += "dispatch from station " + std::to_string(s->m_Placement.ServiceId) + "\n";
            return;
        }
    }
    log += "no station to dispatch from\n";
}

void GiveScriptedOrders(CGame& game, int minute, std::string& log)
{
    CSquadManager* squads = game.m_pSquadGame->Scenario();
    for (const ScriptedOrder& o : kScript) {
        CSquad* s = o.minute == minute && squads ? squads->FindSquad(o.squad) : nullptr;
        CSquad* at = s && o.at != kOwnPosition ? squads->FindSquad(o.at) : s;
        if (!s || !at)
            continue;
        const int x = static_cast<int>(at->m_fX) + o.dx, y = static_cast<int>(at->m_fY) + o.dy;
        // With a path request, as a click gives it; an assault also names its target.
        s->GiveOrder(0, o.action, x, y, 0x1, o.action == kActAssault ? at : nullptr);
        log += "order " + std::to_string(o.squad) + " action " + std::to_string(o.action) + " to " +
               std::to_string(x) + "," + std::to_string(y) + "\n";
    }
    if (minute == kDispatchMinute)
        Dispatch(game, log);
}

// The squads' running counts that the final scores are made from.
std::string Counts(CGame& game)
{
    const CSquadScoreCounts& c = game.m_pSquadGame->m_score;
    return "  counts assaults " + std::to_string(c.nAssaults) + " annoyable " + std::to_string(c.nAnnoyableTicks) +
           " annoying " + std::to_string(c.nTicksAnnoying) + " called " + std::to_string(c.nAreaSquadsCalled) + "\n";
}

// Runs minutes [from, to) and appends their summaries.
void RunMinutes(CDemoGame& run, int from, int to, std::string& out)
{
    for (int minute = from; minute < to; ++minute) {
        GiveScriptedOrders(run.Game(), minute, out);
        for (int i = 0; i < kStepsPerMinute; ++i)
            run.Step();
        out += "minute " + std::to_string(minute + 1) + "\n" + run.Summary() + Counts(run.Game());
    }
}

void Finish(CDemoGame& run, std::string& out)
{
    run.Game().m_pRuntime->EndScenario();
    const fs::path log = run.Folder() / "Score-Log.txt";
    out += "end\n" + run.Summary();
    std::string text = fs::exists(log) ? demo_game::ReadFileText(log) : std::string();
    // The run's own folder is named apart from run to run.
    const std::string folder = run.Folder().string();
    for (size_t at = text.find(folder); at != std::string::npos; at = text.find(folder, at))
        text.replace(at, folder.size(), "<data>");
    out += fs::exists(log) ? "score log\n" + text : std::string("no score log\n");
}

void CompareWithExpected(const std::string& name, const std::string& actual)
{
    const fs::path expected = fs::path(ZR_REGRESSION_DIR) / name / "expected.txt";
    if (const char* update = std::getenv("ZR_UPDATE_GOLDEN"); update && *update == '1') {
        std::ofstream(expected, std::ios::binary) << actual;
        return;
    }
    const std::string want = demo_game::ReadFileText(expected);
    if (want == actual)
        return;
    const fs::path kept = fs::path(ZR_REGRESSION_OUT) / (name + ".actual.txt");
    std::ofstream(kept, std::ios::binary) << actual;
    std::istringstream a(actual), w(want);
    std::string la, lw;
    int line = 0;
    while (true) {
        const bool ga = static_cast<bool>(std::getline(a, la));
        const bool gw = static_cast<bool>(std::getline(w, lw));
        ++line;
        if (!ga && !gw)
            break;
        if (!ga || !gw || la != lw) {
            ADD_FAILURE() << name << ": line " << line << " differs\n  expected: " << (gw ? lw : "<end>")
                          << "\n  actual:   " << (ga ? la : "<end>") << "\nactual output kept in " << kept;
            return;
        }
    }
}

using RegressionTest = demo_game::DemoRunsTest;

TEST_F(RegressionTest, DemoRun)
{
    SeedSimRandom(1);
    auto run = NewRun();
    ASSERT_TRUE(run->LoadScenario("Millbrook.zri"));
    std::string out = "start\n" + run->Summary();
    RunMinutes(*run, 0, kSplitMinute, out);
    SeedSimRandom(7); // the same reseed as the restored run below
    RunMinutes(*run, kSplitMinute, kMinutes, out);
    Finish(*run, out);
    CompareWithExpected("demo_run", out);
}

TEST_F(RegressionTest, SaveAndRestoreGivesTheSameRun)
{
    SeedSimRandom(1);
    auto first = NewRun();
    ASSERT_TRUE(first->LoadScenario("Millbrook.zri"));
    std::string straight = "start\n" + first->Summary();
    RunMinutes(*first, 0, kSplitMinute, straight);
    ASSERT_TRUE(first->Game().SaveGame("halfway")) << DebugLines();
    std::string restoredOut = straight;
    const std::string atSave = first->Summary(false) + Counts(first->Game());

    SeedSimRandom(7);
    RunMinutes(*first, kSplitMinute, kMinutes, straight);
    Finish(*first, straight);

    // A second game in a folder holding the first one's save, restored and run on.
    auto second = NewRun();
    fs::copy(first->Folder() / "Saves", second->Folder() / "Saves", fs::copy_options::recursive);
    ASSERT_TRUE(second->LoadSaved("halfway")) << DebugLines();
    // The restored game stands where the saved one stood: clock, cost and every squad.
    EXPECT_EQ(second->Summary(false) + Counts(second->Game()), atSave);
    SeedSimRandom(7);
    RunMinutes(*second, kSplitMinute, kMinutes, restoredOut);
    Finish(*second, restoredOut);

    CompareWithExpected("demo_save_restore", restoredOut);
    // The restored run goes on exactly as the one that never stopped.
    EXPECT_EQ(straight, restoredOut);
}

} // namespace
