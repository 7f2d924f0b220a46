// The transport against raw-socket peers: handshake bytes, routing, the frame tables, discovery, addresses,
// slow frames, joins and admissions out of time, a peer that never reads, a full host, a lost connection's
// socket, a reused id and a bounded stop.
#include "net/transport/NetManager.h"
#include "net/transport/NetPlayer.h"
#include "net/NetTestPeer.h"
#include "platform/net/Socket.h"
#include "platform/system/Clock.h"
#include "platform/system/MessageBox.h"

#include <gtest/gtest.h>

#include <chrono>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

using namespace nettest;

namespace {

// A network object that records what its handlers see.
class RecordingManager : public CNetManager {
public:
    explicit RecordingManager(int maxPlayers, CNetConfig config, bool admitOnJoin = true)
        : CNetManager(maxPlayers, std::move(config)), m_bAdmitOnJoin(admitOnJoin)
    {
    }
    ~RecordingManager() override { StopNetwork(); }

    struct Event {
        std::string strWhat;
        int32_t nId;
        std::string strText;
    };
    std::vector<Event> Events()
    {
        std::lock_guard<std::mutex> guard(m_lock);
        return m_aEvents;
    }
    int Count(const std::string& what, int32_t id)
    {
        int n = 0;
        for (const Event& e : Events())
            n += e.strWhat == what && e.nId == id;
        return n;
    }
    // Waits until the handler has seen `what` for `id` at least `times` times.
    bool Saw(const std::string& what, int32_t id, int times = 1)
    {
        return WaitUntil([&] { return Count(what, id) >= times; });
    }

protected:
    void OnDeletePlayer(int32_t id) override { Add("delete", id); }
    bool OnAppData(const uint8_t* data, size_t length, int32_t fromId) override
    {
        Add("app", fromId, std::string(reinterpret_cast<const char*>(data), length));
        return length > 0 && (data[0] == 10 || data[0] == 12); // lines and status only
    }
    void OnPlayerId(int32_t id) override { Add("id", id); }
    void OnPlayerInfo(const std::string& name, int32_t id) override
    {
        CNetManager::OnPlayerInfo(name, id);
        Add("info", id, name);
    }
    void OnTimeSync(int32_t clock) override { Add("sync", clock); }
    bool AdmitsOnJoin() const override { return m_bAdmitOnJoin; }

private:
    void Add(const std::string& what, int32_t id, const std::string& text = {})
    {
        std::lock_guard<std::mutex> guard(m_lock);
        m_aEvents.push_back({what, id, text});
    }
    std::mutex m_lock;
    std::vector<Event> m_aEvents;
    bool m_bAdmitOnJoin;
};

CNetConfig LoopbackConfig()
{
    CNetConfig config;
    config.nTcpPort = 0;
    config.nUdpPort = 0;
    config.uBindAddress = kLoopback;
    return config;
}

class TransportTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        platform::SetMessageEcho(getenv("ZR_ECHO") != nullptr);
        m_host = std::make_unique<RecordingManager>(24, LoopbackConfig());
        ASSERT_TRUE(m_host->StartHost("127.0.0.1", "Host Player", 0, false));
        m_port = m_host->GetTcpPort();
        ASSERT_GT(m_port, 0);
    }
    void TearDown() override { platform::SetMessageEcho(true); }

    // A raw client that connected, read its id and the host's info, and joined under `name`.
    std::unique_ptr<RawPeer> Join(const std::string& name, int32_t expectId)
    {
        auto peer = std::make_unique<RawPeer>();
        EXPECT_TRUE(peer->Connect(m_port));
        EXPECT_EQ(peer->ReadFrame(), Frame(GNSYS_PLAYER_ID, expectId, I32Bytes(expectId)));
        EXPECT_EQ(ReadU16At(peer->ReadFrameOfType(GNSYS_PLAYER_INFO).data() + 4), GNSYS_PLAYER_INFO);
        peer->Send(Frame(GNSYS_JOIN_REQUEST, 0, Cat({NameBytes(name), NameBytes("zrplayer")})));
        EXPECT_EQ(peer->ReadFrameOfType(GNSYS_JOIN_RESULT), Frame(GNSYS_JOIN_RESULT, expectId, I32Bytes(16)));
        return peer;
    }

    std::unique_ptr<RecordingManager> m_host;
    int m_port = 0;
};

TEST_F(TransportTest, HandshakeFramesMatchTheTables)
{
    RawPeer first;
    ASSERT_TRUE(first.Connect(m_port));
    // Id first, then the host's own info.
    EXPECT_EQ(first.ReadFrame(), (Bytes{16, 0, 0, 0, 0x03, 0x80, 0, 0, 1, 0, 0, 0, 1, 0, 0, 0}));
    EXPECT_EQ(first.ReadFrame(), Frame(GNSYS_PLAYER_INFO, 1, Cat({I32Bytes(0), NameBytes("Host Player")})));
    first.Send(Frame(GNSYS_JOIN_REQUEST, 0, Cat({NameBytes("Ann"), NameBytes("zrplayer")})));
    // Everyone hears of the join, the joiner included; then the joiner gets its result.
    EXPECT_EQ(first.ReadFrame(), Frame(GNSYS_PLAYER_INFO, kTargetAll, Cat({I32Bytes(1), NameBytes("Ann")})));
    EXPECT_EQ(first.ReadFrame(), Frame(GNSYS_JOIN_RESULT, 1, I32Bytes(16)));
    EXPECT_TRUE(m_host->Saw("info", 1));

    // A second client hears of the host and of Ann.
    RawPeer second;
    ASSERT_TRUE(second.Connect(m_port));
    EXPECT_EQ(second.ReadFrame(), Frame(GNSYS_PLAYER_ID, 2, I32Bytes(2)));
    EXPECT_EQ(second.ReadFrame(), Frame(GNSYS_PLAYER_INFO, 2, Cat({I32Bytes(0), NameBytes("Host Player")})));
    EXPECT_EQ(second.ReadFrame(), Frame(GNSYS_PLAYER_INFO, 2, Cat({I32Bytes(1), NameBytes("Ann")})));
    EXPECT_EQ(m_host->GetPlayerCount(), 2);
}

TEST_F(TransportTest, AppDataIsRelayedToAllOrOneAndKeptForTheHost)
{
    auto ann = Join("Ann", 1);
    auto bob = Join("Bob", 2);
    ann->ReadFrameOfType(GNSYS_PLAYER_INFO); // Bob's arrival
    // (Bob may hear of Ann after his join result: the accept thread lists the players while he joins.)
    const Bytes line{10, 0, 1, 2, 3};
    // To all: both get it unchanged, the sender too.
    const Bytes toAll = Frame(GNSYS_APP_DATA, kTargetAll, line, 7);
    ann->Send(toAll);
    EXPECT_EQ(ann->ReadFrameOfType(GNSYS_APP_DATA), toAll);
    EXPECT_EQ(bob->ReadFrameOfType(GNSYS_APP_DATA), toAll);
    // To one player: only that one.
    const Bytes toBob = Frame(GNSYS_APP_DATA, 2, line, 8);
    ann->Send(toBob);
    EXPECT_EQ(bob->ReadFrameOfType(GNSYS_APP_DATA), toBob);
    // To the host: nobody else; what the handler refuses is not relayed either.
    ann->Send(Frame(GNSYS_APP_DATA, 0, line));
    ann->Send(Frame(GNSYS_APP_DATA, kTargetAll, Bytes{14, 0, 3}));
    const Bytes marker = Frame(GNSYS_APP_DATA, kTargetAll, Bytes{12, 0});
    ann->Send(marker);
    EXPECT_EQ(bob->ReadFrameOfType(GNSYS_APP_DATA), marker);
    int seen = 0;
    for (const auto& e : m_host->Events())
        seen += e.strWhat == "app" && e.nId == 1;
    EXPECT_EQ(seen, 5);
}

TEST_F(TransportTest, FramesOutsideTheTablesAreDroppedOrEndTheConnection)
{
    struct Case {
        const char* name;
        Bytes bytes;
        bool closes;
    };
    const Case cases[] = {
        {"length 4", Bytes{4, 0, 0, 0}, true},
        {"length 645", Frame(GNSYS_APP_DATA, 0, Bytes(633)), true},
        {"a host's frame", Frame(GNSYS_PLAYER_INFO, 0, Cat({I32Bytes(1), NameBytes("x")})), false},
        {"a ping reply of 20 bytes", Frame(GNSYS_PING_REPLY, 0, Bytes(8)), false},
        {"an unknown type", Frame(0x8009, 0, Bytes(4)), false},
        {"a frame of 8 bytes, no whole header", Bytes{8, 0, 0, 0, 0x06, 0x80, 0, 0}, false},
    };
    int32_t id = 1;
    std::vector<std::unique_ptr<RawPeer>> kept;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        kept.push_back(Join("P", id));
        RawPeer* peer = kept.back().get();
        const int before = m_host->Count("delete", id);
        peer->Send(c.bytes);
        if (c.closes) {
            EXPECT_TRUE(peer->SeesClose());
            EXPECT_TRUE(m_host->Saw("delete", id, before + 1));
        } else {
            // Still served: a line to all comes back.
            const Bytes line = Frame(GNSYS_APP_DATA, kTargetAll, Bytes{10, 0});
            peer->Send(line);
            EXPECT_EQ(peer->ReadFrameOfType(GNSYS_APP_DATA), line);
            ++id;
        }
    }
}

TEST_F(TransportTest, NothingButTheJoinBeforeTheJoin)
{
    RawPeer peer;
    ASSERT_TRUE(peer.Connect(m_port));
    peer.ReadFrame();
    peer.ReadFrame();
    peer.Send(Frame(GNSYS_APP_DATA, 0, Bytes{10, 0, 9}));
    peer.Send(Frame(GNSYS_JOIN_REQUEST, 0, Cat({NameBytes("Ann"), NameBytes("zrplayer")})));
    peer.Send(Frame(GNSYS_APP_DATA, 0, Bytes{12, 0}));
    ASSERT_TRUE(WaitUntil([&] {
        for (const auto& e : m_host->Events())
            if (e.strWhat == "app")
                return true;
        return false;
    }));
    int apps = 0;
    for (const auto& e : m_host->Events())
        apps += e.strWhat == "app";
    EXPECT_EQ(apps, 1);
}

TEST_F(TransportTest, DiscoveryAnswersExactlyTheFourByteQuery)
{
    platform::net::UdpSocket udp;
    ASSERT_TRUE(udp.Open());
    ASSERT_TRUE(udp.Bind(kLoopback, 0));
    const platform::net::SocketAddress host{kLoopback, static_cast<uint16_t>(m_host->GetUdpPort())};
    // Datagrams keep their order on loopback: the only answer must belong to the last query.
    udp.SendTo(host, "TNMGx", 5);
    udp.SendTo(host, "TNM", 3);
    udp.SendTo(host, "TNMG", 4);
    ASSERT_EQ(udp.WaitReadable(5000000), platform::net::WaitResult::Ready);
    uint8_t answer[64];
    ASSERT_EQ(udp.ReceiveFrom(answer, sizeof answer), 44);
    Bytes expected = NameBytes("127.0.0.1", 32);
    expected.insert(expected.end(), {0, 0, 0, 0, 0, 0, 0, 24, 127, 0, 0, 1});
    EXPECT_EQ(Bytes(answer, answer + 44), expected);
    EXPECT_EQ(udp.WaitReadable(0), platform::net::WaitResult::TimedOut);

    // The player byte follows the connections.
    RawPeer peer;
    ASSERT_TRUE(peer.Connect(m_port));
    peer.ReadFrame();
    udp.SendTo(host, "TNMG", 4);
    ASSERT_EQ(udp.WaitReadable(5000000), platform::net::WaitResult::Ready);
    ASSERT_EQ(udp.ReceiveFrom(answer, sizeof answer), 44);
    EXPECT_EQ(answer[38], 1);
}

TEST(TransportAddress, SetHostAddressParsesDottedText)
{
    struct Case {
        const char* text;
        bool ok;
        std::array<uint8_t, 4> bytes;
    };
    const Case cases[] = {
        {"192.168.0.1", true, {192, 168, 0, 1}},
        {"1.2.3", false, {}},
        {"1.2.3.4.5", false, {}},
        {"1.2.3.a", false, {}},
        {"300.1.1.1", true, {44, 1, 1, 1}},
        {"10..0.1", true, {10, 0, 0, 1}},
        {"10.0.0.1xyz", true, {10, 0, 0, 1}}, // past 15: ignored
        {"1.2.3.4.......", false, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        CNetManager manager(24);
        std::string text = c.text;
        if (text == "10.0.0.1xyz")
            text = "10.0.0.1" + std::string(7, '0') + "xyz"; // "10.0.0.10000000" then junk beyond 15
        EXPECT_EQ(manager.SetHostAddress(text), c.ok);
        if (c.ok && text.size() <= 15) {
            EXPECT_EQ(manager.GetHostAddress(), c.bytes);
        }
    }
}

TEST_F(TransportTest, AFrameMustComeAtTheMinimumRate)
{
    platform::ManualClock clock(1000);
    auto peer = Join("Ann", 1);
    peer->Socket().SetNoDelay(true);
    const int port = peer->LocalPort();
    // Sends bytes and waits until the host has read them, so the clock moves only after they came.
    auto sendRead = [&](const Bytes& bytes) {
        peer->TrySend(bytes);
        return WaitUntil([&] { return UnreadBytes(m_port, port) <= 0; });
    };
    // 16 bytes may take 5 s and 125 ms.
    const Bytes frame = Frame(GNSYS_APP_DATA, 0, Bytes{12, 0, 5, 6});
    ASSERT_TRUE(sendRead(Bytes(frame.begin(), frame.begin() + 6)));
    clock.Advance(5100);
    ASSERT_TRUE(sendRead(Bytes(frame.begin() + 6, frame.end())));
    EXPECT_TRUE(m_host->Saw("app", 1));

    // Whole frames one byte a second: the first is cut long before its last byte.
    for (size_t i = 0; i + 1 < frame.size(); ++i) {
        sendRead(Bytes{frame[i]});
        clock.Advance(1000);
    }
    EXPECT_TRUE(peer->SeesClose());
    EXPECT_TRUE(m_host->Saw("delete", 1));
    EXPECT_EQ(m_host->Count("app", 1), 1);
}

TEST_F(TransportTest, ConnectionsThatDoNotJoinOrAreNotLetInLoseTheirSlots)
{
    platform::ManualClock clock(1000);
    m_host = std::make_unique<RecordingManager>(24, LoopbackConfig(), false);
    ASSERT_TRUE(m_host->StartHost("127.0.0.1", "Host Player", 0, false));
    m_port = m_host->GetTcpPort();
    // Every slot taken: 21 that never join, one that joins but is not let in, one let in.
    std::vector<std::unique_ptr<RawPeer>> silent;
    for (int32_t id = 1; id <= 21; ++id) {
        silent.push_back(std::make_unique<RawPeer>());
        ASSERT_TRUE(silent.back()->Connect(m_port));
        ASSERT_EQ(silent.back()->ReadFrame(), Frame(GNSYS_PLAYER_ID, id, I32Bytes(id)));
    }
    auto waiting = Join("Wait", 22);
    auto in = Join("In", 23);
    ASSERT_TRUE(m_host->Admit(23));
    RawPeer locked;
    ASSERT_TRUE(locked.Connect(m_port));
    EXPECT_TRUE(locked.SeesClose());

    clock.Advance(NetPlayer::kJoinDeadlineMs + 1);
    for (auto& peer : silent)
        EXPECT_TRUE(peer->SeesClose());
    EXPECT_TRUE(m_host->Saw("delete", 21));
    auto late = Join("Late", 1);
    EXPECT_TRUE(m_host->FindConnection(22)->IsActive());

    clock.Advance(NetPlayer::kAdmitDeadlineMs - NetPlayer::kJoinDeadlineMs);
    EXPECT_TRUE(waiting->SeesClose());
    EXPECT_TRUE(m_host->Saw("delete", 22));
    // The player let in stays, as long as it likes.
    clock.Advance(600000);
    const Bytes line = Frame(GNSYS_APP_DATA, 0, Bytes{12, 0});
    in->Send(line);
    EXPECT_TRUE(m_host->Saw("app", 23));
    EXPECT_TRUE(m_host->FindConnection(23)->IsActive());
}

TEST_F(TransportTest, ALostConnectionIsClosedWhenTheLossIsSeen)
{
    auto ann = Join("Ann", 1);
    auto bob = Join("Bob", 2);
    const int annPort = ann->LocalPort(), bobPort = bob->LocalPort();
    ASSERT_TRUE(HoldsSocket(m_port, annPort));
    // A broken frame and a closed peer: both connections are lost, and the host lets their sockets go.
    ann->Send(Bytes{4, 0, 0, 0});
    bob->Close();
    EXPECT_TRUE(m_host->Saw("delete", 1));
    EXPECT_TRUE(m_host->Saw("delete", 2));
    EXPECT_TRUE(WaitUntil([&] { return !HoldsSocket(m_port, annPort) && !HoldsSocket(m_port, bobPort); }));
    EXPECT_TRUE(ann->SeesClose());
}

TEST_F(TransportTest, APeerThatNeverReadsIsEndedAloneOverItsQueueLimit)
{
    auto slow = Join("Slow", 1);
    auto fast = Join("Fast", 2);
    NetPlayer* connection = m_host->FindConnection(1);
    ASSERT_NE(connection, nullptr);
    const Bytes data(600, 0x5A);
    for (int i = 0; i < 200000 && connection->IsActive(); ++i)
        connection->SendAppData(1, data.data(), data.size());
    EXPECT_TRUE(WaitUntil([&] { return !connection->IsActive(); }));
    EXPECT_TRUE(m_host->Saw("delete", 1));
    // The other player is still served.
    m_host->SendAppData(2, data.data(), 8);
    EXPECT_EQ(fast->ReadFrameOfType(GNSYS_APP_DATA).size(), kFrameHeader + 8);
}

TEST_F(TransportTest, TwentyThreeClientsFitAndTheTwentyFourthIsClosed)
{
    std::vector<std::unique_ptr<RawPeer>> peers;
    for (int32_t id = 1; id <= 23; ++id) {
        peers.push_back(std::make_unique<RawPeer>());
        ASSERT_TRUE(peers.back()->Connect(m_port));
        ASSERT_EQ(peers.back()->ReadFrame(), Frame(GNSYS_PLAYER_ID, id, I32Bytes(id)));
    }
    RawPeer extra;
    ASSERT_TRUE(extra.Connect(m_port));
    uint8_t byte = 0;
    EXPECT_FALSE(extra.ReadExact(&byte, 1));
    EXPECT_TRUE(extra.SeesClose());
    EXPECT_EQ(m_host->GetPlayerCount(), 23);
}

TEST_F(TransportTest, ALostIdIsReusedCleanly)
{
    auto ann = Join("Ann", 1);
    auto bob = Join("Bob", 2);
    ann->Close();
    ASSERT_TRUE(m_host->Saw("delete", 1));
    EXPECT_EQ(bob->ReadFrameOfType(GNSYS_DELETE_PLAYER), Frame(GNSYS_DELETE_PLAYER, kTargetAll, I32Bytes(1)));
    // Id 1 again: the newcomer starts with an empty queue and is sent to.
    RawPeer cid;
    ASSERT_TRUE(cid.Connect(m_port));
    EXPECT_EQ(cid.ReadFrame(), Frame(GNSYS_PLAYER_ID, 1, I32Bytes(1)));
    EXPECT_EQ(cid.ReadFrame(), Frame(GNSYS_PLAYER_INFO, 1, Cat({I32Bytes(0), NameBytes("Host Player")})));
    EXPECT_EQ(cid.ReadFrame(), Frame(GNSYS_PLAYER_INFO, 1, Cat({I32Bytes(2), NameBytes("Bob")})));
    cid.Send(Frame(GNSYS_JOIN_REQUEST, 0, Cat({NameBytes("Cid"), NameBytes("zrplayer")})));
    EXPECT_EQ(cid.ReadFrame(), Frame(GNSYS_PLAYER_INFO, kTargetAll, Cat({I32Bytes(1), NameBytes("Cid")})));
    EXPECT_EQ(m_host->FindConnection(1)->GetName(), "Cid");
}

TEST_F(TransportTest, DeletingTheHostReturnsPromptlyWhateverThePeersDo)
{
    auto quiet = Join("Quiet", 1);
    auto half = Join("Half", 2);
    half->Send(Bytes{40, 0, 0, 0, 6});
    NetPlayer* connection = m_host->FindConnection(1);
    const Bytes data(600, 1);
    for (int i = 0; i < 5000; ++i)
        connection->SendAppData(1, data.data(), data.size());
    const auto start = std::chrono::steady_clock::now();
    m_host.reset();
    const auto ms =
        std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - start).count();
    EXPECT_LT(ms, 2000);
    EXPECT_TRUE(half->SeesClose());
}

// A client against a raw host: its id, its answer to a ping, and the ping's clock.
TEST(TransportClient, AnswersAPingForItselfOnly)
{
    platform::SetMessageEcho(false);
    platform::net::TcpSocket listener;
    ASSERT_TRUE(listener.Open());
    ASSERT_TRUE(listener.Bind(kLoopback, 0));
    ASSERT_TRUE(listener.Listen(4));
    CNetConfig config = LoopbackConfig();
    config.nTcpPort = listener.LocalPort();
    RecordingManager client(24, config);
    ASSERT_TRUE(client.SetHostAddress("127.0.0.1"));
    ASSERT_TRUE(client.Connect("Ann"));
    platform::net::TcpSocket accepted;
    ASSERT_TRUE(WaitUntil([&] { return listener.Accept(&accepted) == platform::net::IoResult::Done; }));
    RawPeer host;
    host.Socket() = std::move(accepted);
    host.Send(Frame(GNSYS_PLAYER_ID, 3, I32Bytes(3)));
    ASSERT_TRUE(client.Saw("id", 3));
    EXPECT_TRUE(client.SendJoinRequest("Ann", "zrplayer"));
    EXPECT_EQ(host.ReadFrame(), Frame(GNSYS_JOIN_REQUEST, 0, Cat({NameBytes("Ann"), NameBytes("zrplayer")})));
    host.Send(Frame(GNSYS_PING, 5, I32Bytes(111))); // for someone else
    host.Send(Frame(GNSYS_PING, 3, I32Bytes(222)));
    EXPECT_EQ(host.ReadFrame(), Frame(GNSYS_PING_REPLY, 0, I32Bytes(3)));
    ASSERT_TRUE(client.Saw("sync", 222));
    for (const auto& e : client.Events())
        EXPECT_NE(e.nId, 111);
    // A refused join is recorded in the state bits.
    host.Send(Frame(GNSYS_JOIN_RESULT, 3, I32Bytes(128)));
    EXPECT_TRUE(WaitUntil([&] { return (client.GetState() & 0x1F0) == 0xA0; }));
    platform::SetMessageEcho(true);
}

} // namespace
