// Game messages from a host to its clients over loopback, each client draining on its own thread; beside them,
// the same frames written by plain send() to as many loopback sockets (the limit the transport works within).
#include "net/session/NetGameSession.h"
#include "net/transport/NetPlayer.h"
#include "platform/net/Tcp.h"
#include "platform/system/MessageBox.h"

#include <benchmark/benchmark.h>

#include <atomic>
#include <chrono>
#include <memory>
#include <thread>
#include <vector>

namespace {

constexpr uint32_t kLoopback = 0x7F000001u;

bool WaitFor(const std::function<bool()>& done, int ms = 10000)
{
    const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
    while (!done()) {
        if (std::chrono::steady_clock::now() > end)
            return false;
        std::this_thread::yield();
    }
    return true;
}

// A host and `count` joined clients, each client popping its queue on its own thread and counting messages.
class CLoopbackGame {
public:
    explicit CLoopbackGame(int count)
    {
        platform::SetMessageEcho(false);
        CNetConfig config;
        config.nTcpPort = 0;
        config.nUdpPort = 0;
        config.uBindAddress = kLoopback;
        m_host = std::make_unique<CNetGameSession>(24, config);
        m_bOk = m_host->StartHost("127.0.0.1", "Host", 0, false);
        config.nTcpPort = m_host->GetTcpPort();
        for (int i = 0; i < count && m_bOk; ++i) {
            auto client = std::make_unique<CNetGameSession>(24, config);
            m_bOk = client->SetHostAddress("127.0.0.1") && client->Connect("C" + std::to_string(i)) &&
                    client->SendJoinRequest("C" + std::to_string(i), "zrplayer");
            m_clients.push_back(std::move(client));
        }
        m_bOk = m_bOk && WaitFor([&] {
                    int joined = 0;
                    for (int id = 1; id <= count; ++id)
                        joined += m_host->FindConnection(id) && m_host->FindConnection(id)->IsJoined();
                    return joined == count;
                });
        m_aReceived = std::vector<std::atomic<int64_t>>(m_clients.size());
        for (size_t i = 0; i < m_clients.size(); ++i)
            m_threads.emplace_back([this, i] {
                std::vector<uint8_t> packet;
                while (!m_bStop.load()) {
                    if (m_clients[i]->WaitMessage(packet, 20) && packet[2] == kPacketGame)
                        ++m_aReceived[i];
                }
            });
    }
    ~CLoopbackGame()
    {
        m_bStop = true;
        for (auto& t : m_threads)
            t.join();
    }
    bool Ok() const { return m_bOk; }
    // Sends `n` messages and waits until every client has them all.
    bool Send(uint16_t id, const std::vector<uint8_t>& payload, int n, int chunksPerMessage)
    {
        std::vector<int64_t> before;
        for (auto& r : m_aReceived)
            before.push_back(r.load());
        for (int i = 0; i < n; ++i)
            m_host->SendGameMessage(id, payload.data(), payload.size());
        return WaitFor([&] {
            for (size_t c = 0; c < m_aReceived.size(); ++c)
                if (m_aReceived[c].load() - before[c] < static_cast<int64_t>(n) * chunksPerMessage)
                    return false;
            return true;
        });
    }

private:
    bool m_bOk = false;
    std::unique_ptr<CNetGameSession> m_host;
    std::vector<std::unique_ptr<CNetGameSession>> m_clients;
    std::vector<std::atomic<int64_t>> m_aReceived;
    std::vector<std::thread> m_threads;
    std::atomic<bool> m_bStop{false};
};

std::vector<uint8_t> Payload(size_t size)
{
    // Bytes deflate cannot shrink: a 760-byte unit update leaves in two chunks, as a busy one does.
    std::vector<uint8_t> p(size);
    uint32_t x = 12345;
    for (size_t i = 0; i < size; ++i) {
        x = x * 1103515245u + 12345u;
        p[i] = static_cast<uint8_t>(x >> 16);
    }
    return p;
}

void Messages(benchmark::State& state, uint16_t id, size_t size)
{
    const int clients = static_cast<int>(state.range(0));
    CLoopbackGame game(clients);
    if (!game.Ok()) {
        state.SkipWithError("the loopback game could not start");
        return;
    }
    const std::vector<uint8_t> payload = Payload(size);
    // How many packets one message makes, and their bytes on the wire.
    CNetGameSession probe;
    probe.SetHost(true);
    probe.SetLocalPlayerId(0);
    probe.SendGameMessage(id, payload.data(), payload.size());
    const auto packets = probe.TakeOutbound();
    size_t wire = 0;
    for (const auto& p : packets)
        wire += p.aBytes.size() + 12;
    constexpr int kBatch = 200;
    for (auto _ : state) {
        if (!game.Send(id, payload, kBatch, static_cast<int>(packets.size()))) {
            state.SkipWithError("the clients did not receive everything");
            return;
        }
    }
    const int64_t messages = state.iterations() * kBatch * clients;
    state.SetItemsProcessed(messages);
    state.SetBytesProcessed(messages * static_cast<int64_t>(wire));
}

void Position55(benchmark::State& state)
{
    Messages(state, 55, 32);
}

void UnitUpdate43(benchmark::State& state)
{
    Messages(state, 43, 760);
}

// The same number of frames of the same size, written by plain send() to as many loopback sockets and drained
// on their own threads.
void PlainSend(benchmark::State& state)
{
    const int sockets = static_cast<int>(state.range(0));
    const size_t frameSize = static_cast<size_t>(state.range(1));
    platform::net::TcpSocket listener;
    if (!listener.Open() || !listener.Bind(kLoopback, 0) || !listener.Listen(64)) {
        state.SkipWithError("no listener");
        return;
    }
    std::vector<platform::net::TcpSocket> senders(static_cast<size_t>(sockets)), receivers(senders.size());
    for (int i = 0; i < sockets; ++i) {
        senders[static_cast<size_t>(i)].Open();
        senders[static_cast<size_t>(i)].Connect(kLoopback, listener.LocalPort(), 5000);
        senders[static_cast<size_t>(i)].SetNoDelay(true);
        WaitFor([&] { return listener.Accept(&receivers[static_cast<size_t>(i)]) == platform::net::IoResult::Done; });
    }
    std::atomic<bool> stop{false};
    std::vector<std::atomic<int64_t>> got(senders.size());
    std::vector<std::thread> drains;
    for (size_t i = 0; i < receivers.size(); ++i)
        drains.emplace_back([&, i] {
            std::vector<uint8_t> buffer(1 << 16);
            while (!stop.load()) {
                platform::net::WaitItem item;
                item.nHandle = receivers[i].Handle();
                item.bRead = true;
                platform::net::WaitAny(&item, 1, 20);
                size_t n = 0;
                while (receivers[i].Receive(buffer.data(), buffer.size(), &n) == platform::net::IoResult::Done)
                    got[i] += static_cast<int64_t>(n);
            }
        });
    const std::vector<uint8_t> frame(frameSize, 0x5A);
    constexpr int kBatch = 200;
    int64_t sent = 0;
    for (auto _ : state) {
        for (int m = 0; m < kBatch; ++m)
            for (auto& s : senders) {
                size_t done = 0, off = 0;
                while (off < frame.size()) {
                    if (s.Send(frame.data() + off, frame.size() - off, &done) == platform::net::IoResult::Done)
                        off += done;
                }
            }
        sent += kBatch * static_cast<int64_t>(frameSize);
        WaitFor([&] {
            for (auto& g : got)
                if (g.load() < sent)
                    return false;
            return true;
        });
    }
    stop = true;
    for (auto& t : drains)
        t.join();
    const int64_t frames = state.iterations() * kBatch * sockets;
    state.SetItemsProcessed(frames);
    state.SetBytesProcessed(frames * static_cast<int64_t>(frameSize));
}

} // namespace

BENCHMARK(Position55)->Arg(1)->Arg(8)->Arg(23)->UseRealTime()->Unit(benchmark::kMillisecond);
BENCHMARK(UnitUpdate43)->Arg(1)->Arg(8)->Arg(23)->UseRealTime()->Unit(benchmark::kMillisecond);
// 60 bytes: a message 55 on the wire; the second size: one message 43's chunks on the wire.
BENCHMARK(PlainSend)
    ->Args({1, 60})
    ->Args({8, 60})
    ->Args({23, 60})
    ->Args({1, 400})
    ->Args({8, 400})
    ->Args({23, 400})
    ->UseRealTime()
    ->Unit(benchmark::kMillisecond);
