// A headless run of the whole program loop: start-up, the splash sequence, the lobby, and quitting.
#include "GameFixture.h"
#include "game/app/Entry.h"
#include "platform/window/EventPump.h"

#include <SDL.h>

#include <cstdlib>

namespace {

// Runs the whole program on SDL's dummy video driver (the offscreen one loads EGL libraries whose own
// allocations show as leaks of an unknown module in the sanitizer build).
class SdlVideoEnvironment : public ::testing::Environment {
public:
    void SetUp() override { setenv("SDL_VIDEODRIVER", "dummy", 1); }
};
const auto* const g_video = ::testing::AddGlobalTestEnvironment(new SdlVideoEnvironment);

class EntryTest : public GameFixture {
protected:
    void PushKey(SDL_Keycode key)
    {
        SDL_Event e{};
        e.type = SDL_KEYDOWN;
        e.key.keysym.sym = key;
        SDL_PushEvent(&e);
    }
    void PushClick(int x, int y)
    {
        SDL_Event e{};
        e.type = SDL_MOUSEBUTTONDOWN;
        e.button.button = SDL_BUTTON_LEFT;
        e.button.x = x;
        e.button.y = y;
        SDL_PushEvent(&e);
    }
    CEntryOptions Options()
    {
        CEntryOptions o;
        o.game.strBaseFolder = m_dir.string();
        o.game.fnExit = [this](int code) { m_exits.push_back(code); };
        o.game.fnPlaySound = [](int, float) {};
        // The loop's rests pass on the test's clock, not the wall's.
        o.fnWait = [this](platform::EventPump&, uint32_t ms) {
            m_clock->Advance(ms);
            m_rested += ms;
        };
        return o;
    }
    uint32_t m_rested = 0;
};

TEST_F(EntryTest, RunsFromStartUpThroughFrontEndToEscape)
{
    WriteText(m_dir / "ZR.ini", "Name: Tester\nWindowed 1\nAStar 0\nSound 1\nOrders 0\nHost \nSkip 0\n");
    std::vector<uint32_t> modes;
    bool escaped = false;
    CEntryOptions o = Options();
    o.fnIdle = [&](CGame& game, platform::EventPump&, long ticks) {
        ASSERT_EQ(g_pGame, &game);
        m_clock->Advance(5);
        const uint32_t splash = game.m_uMode & (kModeTitle | kModeSponsorSplash | kModeMakerSplash | kModeLobby);
        if (modes.empty() || modes.back() != splash)
            modes.push_back(splash);
        if (splash == kModeLobby && !escaped) {
            EXPECT_TRUE(game.m_bWindowed);
            EXPECT_GT(game.m_stats.nFrames, 0);
            PushKey(SDLK_ESCAPE);
            escaped = true;
        }
        ASSERT_LT(ticks, 100000) << "the loop did not end";
    };
    EXPECT_EQ(RunGame(o), 0);
    EXPECT_EQ(g_pGame, nullptr);
    EXPECT_EQ(modes, (std::vector<uint32_t>{kModeTitle, kModeSponsorSplash, kModeMakerSplash, kModeLobby}));
    // The log file was made in the base folder.
    EXPECT_TRUE(std::filesystem::exists(m_dir / "ZR-Log.txt"));
}

// Left alone on the title, the loop ticks once a frame and rests in between: no spinning on the tick, and the
// frame rate of a loop that never rested (a frame a little over every 33 ms).
TEST_F(EntryTest, TheTitleRestsBetweenFrames)
{
    CEntryOptions o = Options();
    const uint32_t start = m_clock->Now();
    int frames = 0;
    long lastTicks = 0;
    o.fnIdle = [&](CGame& game, platform::EventPump&, long ticks) {
        lastTicks = ticks;
        frames = game.m_stats.nFrames;
        EXPECT_TRUE(game.m_uMode & kModeTitle);
        if (m_clock->Now() - start >= 2040)
            game.m_uMode |= kModeQuit;
        ASSERT_LT(ticks, 10000) << "the loop did not rest";
    };
    EXPECT_EQ(RunGame(o), 0);
    EXPECT_EQ(frames, 60); // one every 34 ms
    EXPECT_LE(lastTicks, frames + 2);
    EXPECT_GE(m_rested + 34, m_clock->Now() - start);
}

TEST_F(EntryTest, CloseRequestEndsWithZero)
{
    CEntryOptions o = Options();
    o.fnIdle = [&](CGame&, platform::EventPump&, long ticks) {
        m_clock->Advance(5);
        if (ticks == 10) {
            SDL_Event e{};
            e.type = SDL_QUIT;
            SDL_PushEvent(&e);
        }
        ASSERT_LT(ticks, 10000);
    };
    EXPECT_EQ(RunGame(o), 0);
    EXPECT_EQ(g_pGame, nullptr);
}

TEST_F(EntryTest, QuitBitFromCreditsEndsWithZero)
{
    CEntryOptions o = Options();
    o.fnIdle = [&](CGame& game, platform::EventPump&, long ticks) {
        m_clock->Advance(5);
        if (ticks == 5) {
            game.m_uMode = (game.m_uMode & ~(kModeTitle | kModeFrontEnd)) | kModeCredits;
            PushClick(400, 300); // the last input's parameter is not the exit code
        }
        ASSERT_LT(ticks, 10000);
    };
    EXPECT_EQ(RunGame(o), 0);
}

} // namespace
