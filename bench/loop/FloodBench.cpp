// A host in play with 23 joined players over loopback while one of them sends chat lines at 1,000 a second
// for 5 s: the longest gap between two of the host's ticks (target: well under 100 ms) and how many of the
// flooder's lines the host applied. The clients are sessions on one thread of their own, draining what the host
// sends; the host is the whole program loop on the demo data (SDL's dummy video driver).
#include "bench/loop/DemoCopy.h"
#include "game/app/Entry.h"
#include "net/session/NetGameSession.h"

#include <benchmark/benchmark.h>

#include <atomic>
#include <chrono>
#include <memory>
#include <string>
#include <thread>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

constexpr int kClients = 23;
constexpr int kFloodLinesPerSecond = 1000;
constexpr double kFloodSeconds = 5.0;
constexpr double kGiveUpSeconds = 60.0;

// The joiners: connected, joined and version-checked, then drained; client 0 floods once `flood` is set.
class CJoiners {
public:
    explicit CJoiners(int port)
    {
        m_thread = std::thread([this, port] { Run(port); });
    }
    ~CJoiners()
    {
        m_bStop = true;
        m_thread.join();
    }
    std::atomic<bool> m_bFlood{false};
    std::atomic<bool> m_bFloodDone{false};
    std::atomic<bool> m_bFailed{false};
    std::atomic<int> m_nSent{0};

private:
    void Run(int port)
    {
        CNetConfig config;
        config.nTcpPort = port;
        config.nUdpPort = 0;
        config.uBindAddress = 0x7F000001u;
        std::vector<std::unique_ptr<CNetGameSession>> clients;
        for (int i = 0; i < kClients; ++i) {
            auto c = std::make_unique<CNetGameSession>(24, config);
            const std::string name = "P" + std::to_string(i + 1);
            if (!c->SetHostAddress("127.0.0.1") || !c->Connect(name) || !c->SendJoinRequest(name, "zrplayer")) {
                m_bFailed = true;
                return;
            }
            c->SendVersionRequest();
            clients.push_back(std::move(c));
        }
        std::vector<uint8_t> packet;
        Clock::time_point floodFrom{};
        while (!m_bStop) {
            for (auto& c : clients)
                while (c->PopMessage(packet)) {
                }
            if (m_bFlood && !m_bFloodDone) {
                const Clock::time_point now = Clock::now();
                if (floodFrom == Clock::time_point{})
                    floodFrom = now;
                const double seconds = std::chrono::duration<double>(now - floodFrom).count();
                const int due = static_cast<int>(seconds * kFloodLinesPerSecond);
                for (; m_nSent < due; ++m_nSent)
                    clients[0]->SendTextMessage("flood line " + std::to_string(m_nSent.load()), -1, 0, 0);
                if (seconds >= kFloodSeconds)
                    m_bFloodDone = true;
            }
            std::this_thread::sleep_for(std::chrono::microseconds(500));
        }
    }

    std::thread m_thread;
    std::atomic<bool> m_bStop{false};
};

int FloodLinesApplied(CGame& game)
{
    int n = 0;
    for (const CLogLine& line : game.m_log.m_messages.aLines)
        n += line.strText.find("flood line") != std::string::npos;
    return n;
}

void BM_FloodedHost(benchmark::State& state)
{
    for (auto _ : state) {
        CDemoCopy data;
        CEntryOptions options;
        if (!PrepareProgram(state, data, "Host", true, options))
            return;
        options.game.strBindAddress = "127.0.0.1";
        std::unique_ptr<CJoiners> joiners;
        const Clock::time_point started = Clock::now();
        Clock::time_point last{}, floodFrom{};
        double maxGapMs = 0;
        long ticksFrom = 0;
        bool pushed = false, startedPlay = false, failed = false;
        options.fnIdle = [&](CGame& game, platform::EventPump&, long ticks) {
            const Clock::time_point now = Clock::now();
            if (std::chrono::duration<double>(now - started).count() > kGiveUpSeconds ||
                (joiners && joiners->m_bFailed)) {
                failed = true;
                game.m_uMode |= kModeQuit;
                return;
            }
            if ((game.m_uMode & kModeLobby) && !pushed) {
                game.OnKeyDown(kVkF4, 3); // host the first scenario at once
                pushed = true;
                return;
            }
            if (!game.m_pSession || !game.m_pSession->IsHost())
                return;
            if (!joiners)
                joiners = std::make_unique<CJoiners>(game.m_pSession->GetTcpPort());
            if (!startedPlay) {
                int in = 0;
                for (int id = 1; id <= kClients; ++id)
                    in += game.m_pSession->FindPlayer(id) != nullptr;
                if (in == kClients && (game.m_uMode & kModeBriefing)) {
                    game.StartScenario(); // as when every player is ready
                    startedPlay = true;
                }
                return;
            }
            if (!(game.m_uMode & kModeRunning))
                return;
            if (floodFrom == Clock::time_point{}) {
                floodFrom = now;
                ticksFrom = ticks;
                joiners->m_bFlood = true;
            } else {
                maxGapMs = std::max(maxGapMs, std::chrono::duration<double, std::milli>(now - last).count());
            }
            last = now;
            if (joiners->m_bFloodDone && std::chrono::duration<double>(now - floodFrom).count() > kFloodSeconds + 1) {
                const double seconds = std::chrono::duration<double>(now - floodFrom).count();
                state.counters["max_tick_gap_ms"] = maxGapMs;
                state.counters["ticks_per_s"] = static_cast<double>(ticks - ticksFrom) / seconds;
                state.counters["lines_sent"] = joiners->m_nSent.load();
                state.counters["lines_applied"] = FloodLinesApplied(game);
                game.m_uMode |= kModeQuit;
            }
        };
        RunGame(options);
        joiners.reset();
        if (failed)
            state.SkipWithError("the host did not reach play with every joiner in");
    }
}

} // namespace

BENCHMARK(BM_FloodedHost)->Iterations(1)->Unit(benchmark::kMillisecond)->UseRealTime();
