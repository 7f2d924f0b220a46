// Idle CPU of the whole program loop on the demo data: the title screen and a paused single-play game, each
// measured over 3 s of wall time (SDL's dummy video driver unless SDL_VIDEODRIVER names another; x11 with a
// DISPLAY shows the cost of a real window, where a software renderer makes each present dear). Target: well under
// 5 % of a core. Counters: cpu_percent (of one core, all threads), frames_per_s and ticks_per_s.
#include "bench/loop/DemoCopy.h"
#include "game/app/Entry.h"
#include "game/screens/iap/IAP_PhaseIF.h"
#include "platform/system/Clock.h"

#include <benchmark/benchmark.h>

#include <chrono>
#include <sys/resource.h>

namespace {

using Clock = std::chrono::steady_clock;

constexpr double kSettleSeconds = 0.5;
constexpr double kMeasureSeconds = 3.0;
constexpr double kGiveUpSeconds = 30.0;

double ProcessCpuSeconds()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return static_cast<double>(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
           static_cast<double>(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

// Runs the program until `settled` has held for the settle time, then measures the loop for 3 s and quits.
// `drive` is called on every idle tick, to bring the game where it is measured and keep it there.
void MeasureIdle(benchmark::State& state, bool skipSplash, const std::function<bool(CGame&)>& settled,
                 const std::function<void(CGame&)>& drive)
{
    for (auto _ : state) {
        CDemoCopy data;
        CEntryOptions options;
        if (!PrepareProgram(state, data, "Bench", skipSplash, options))
            return;
        const Clock::time_point started = Clock::now();
        Clock::time_point since{}, from{};
        double cpuFrom = 0;
        long ticksFrom = 0;
        int framesFrom = 0;
        bool failed = false;
        options.fnIdle = [&](CGame& game, platform::EventPump&, long ticks) {
            drive(game);
            const Clock::time_point now = Clock::now();
            if (from != Clock::time_point{}) {
                const double seconds = std::chrono::duration<double>(now - from).count();
                if (seconds < kMeasureSeconds)
                    return;
                state.counters["cpu_percent"] = 100.0 * (ProcessCpuSeconds() - cpuFrom) / seconds;
                state.counters["frames_per_s"] = (game.m_stats.nFrames - framesFrom) / seconds;
                state.counters["ticks_per_s"] = static_cast<double>(ticks - ticksFrom) / seconds;
                game.m_uMode |= kModeQuit;
                return;
            }
            if (std::chrono::duration<double>(now - started).count() > kGiveUpSeconds) {
                failed = true;
                game.m_uMode |= kModeQuit;
                return;
            }
            if (!settled(game)) {
                since = {};
                return;
            }
            if (since == Clock::time_point{})
                since = now;
            if (std::chrono::duration<double>(now - since).count() >= kSettleSeconds) {
                from = now;
                cpuFrom = ProcessCpuSeconds();
                ticksFrom = ticks;
                framesFrom = game.m_stats.nFrames;
            }
        };
        RunGame(options);
        if (failed)
            state.SkipWithError("the game did not reach the screen to measure");
    }
}

void BM_IdleTitle(benchmark::State& state)
{
    MeasureIdle(
        state, false, [](CGame& game) { return (game.m_uMode & kModeTitle) != 0; },
        [](CGame& game) {
            // The title moves on after 3 s without input: it is held for the whole measure.
            if (game.m_uMode & kModeTitle)
                game.m_uLobbyEntered = platform::GetTickCount();
        });
}

void BM_IdlePausedGame(benchmark::State& state)
{
    MeasureIdle(
        state, true,
        [](CGame& game) {
            return (game.m_uMode & kModeRunning) && (game.m_uMode & kModePaused) && !game.m_pIAP->m_bShown;
        },
        [pushed = false](CGame& game) mutable {
            if ((game.m_uMode & kModeLobby) && !pushed) {
                game.OnKeyDown(kVkF7, 3); // single play of the first scenario at once
                pushed = true;
            }
            if ((game.m_uMode & kModeBriefing) && (game.m_uMode & kModeSingle))
                game.StartScenario(); // Next on the briefing
            if (game.m_uMode & kModeRunning) {
                // Single play opens the first plan review paused; the player closes it and stays paused.
                if (game.m_pIAP && game.m_pIAP->m_bShown)
                    game.m_pIAP->Close();
                game.SetPaused(true);
            }
        });
}

} // namespace

BENCHMARK(BM_IdleTitle)->Iterations(1)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_IdlePausedGame)->Iterations(1)->Unit(benchmark::kMillisecond)->UseRealTime();
