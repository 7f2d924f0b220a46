// Sessions over loopback sockets: joining with the version check, records and log lines on every machine,
// text lines reaching each player once, leaving and a clean rejoin, pings, the version cases, only players
// let in announced, nothing of a connection not let in applied, a flooding client ended alone with what it
// queued, text within its allowance, and a dropped player's connection closed by the host.
#include "net/NetTestPeer.h"
#include "net/session/NetGameSession.h"
#include "net/transport/NetPlayer.h"
#include "platform/system/Clock.h"
#include "platform/system/MessageBox.h"

#include <gtest/gtest.h>

#include <atomic>
#include <memory>
#include <string>
#include <thread>
#include <vector>

using nettest::Bytes;
using nettest::RawPeer;
using nettest::WaitUntil;

namespace {

CNetConfig Loopback(int port = 0)
{
    CNetConfig config;
    config.nTcpPort = port;
    config.nUdpPort = 0;
    config.uBindAddress = nettest::kLoopback;
    return config;
}

// A session with a log, as a game would hook it.
struct Machine {
    std::unique_ptr<CNetGameSession> session;
    std::vector<std::string> log;
    std::vector<std::pair<std::string, int32_t>> lines; // text and sender
    int32_t base = 1000;
    std::vector<int32_t> rebased;

    void Hook()
    {
        CSessionHooks hooks;
        hooks.fnAddMessage = [this](const std::string& text, int32_t, int32_t kind, uint32_t, int32_t sender) {
            if (sender == -3 && kind == 1)
                log.push_back(text);
            else
                lines.push_back({text, sender});
        };
        hooks.fnTimerBase = [this] { return base; };
        hooks.fnSetTimerBase = [this](int32_t v) { rebased.push_back(v); };
        session->SetHooks(hooks);
    }
    // Applies what is queued; a host answers version requests with `version` (refused when `refuse`).
    void Pump(const std::string& version = "1.503", bool refuse = false)
    {
        std::vector<uint8_t> packet;
        while (session->PopMessage(packet))
            if (packet[2] == kPacketVersionRequest && session->IsHost())
                session->SendJoinReply(packet[4], refuse, version);
    }
    bool Logged(const std::string& text)
    {
        for (const auto& l : log)
            if (l == text)
                return true;
        return false;
    }
};

// A raw client that connected to the host and joined under `name` (not let in: it asks for no version).
std::unique_ptr<RawPeer> RawJoin(int port, const std::string& name, int32_t expectId)
{
    auto peer = std::make_unique<RawPeer>();
    EXPECT_TRUE(peer->Connect(port));
    EXPECT_EQ(peer->ReadFrame(), nettest::Frame(GNSYS_PLAYER_ID, expectId, nettest::I32Bytes(expectId)));
    peer->Send(nettest::Frame(GNSYS_JOIN_REQUEST, 0,
                              nettest::Cat({nettest::NameBytes(name), nettest::NameBytes("zrplayer")})));
    EXPECT_EQ(peer->ReadFrameOfType(GNSYS_JOIN_RESULT),
              nettest::Frame(GNSYS_JOIN_RESULT, expectId, nettest::I32Bytes(kJoinAccepted)));
    return peer;
}

// A raw client let in: it joined and asked for the version, which the host's window thread answers.
std::unique_ptr<RawPeer> RawPlayer(Machine& host, const std::string& name, int32_t expectId)
{
    auto peer = RawJoin(host.session->GetTcpPort(), name, expectId);
    peer->Send(nettest::Frame(GNSYS_APP_DATA, 0, BuildRequestPacket(kPacketVersionRequest, expectId)));
    EXPECT_TRUE(WaitUntil([&] {
        host.Pump();
        return host.session->FindPlayer(expectId) != nullptr;
    }));
    return peer;
}

Bytes LineFrame(int32_t sender, int32_t target, const std::string& text)
{
    return nettest::Frame(GNSYS_APP_DATA, target, BuildTextPacket(sender, 0, -1, 0, text));
}

// The text of an app-data frame carrying a text line, and its sender; empty for any other frame.
std::pair<std::string, int32_t> LineOf(const Bytes& frame)
{
    if (frame.size() < kFrameHeader + 21 || frame[kFrameHeader] != kTypeText)
        return {};
    return {TextOf(frame.data() + kFrameHeader, frame.size() - kFrameHeader), ReadI32At(frame.data() + kFrameHeader + 4)};
}

// How many app-data frames from `sender` the peer reads before the line `text` (-1 when the line never comes).
int AppDataBefore(RawPeer& peer, const std::string& text, int32_t sender)
{
    int n = 0;
    for (Bytes frame; !(frame = peer.ReadFrameOfType(GNSYS_APP_DATA)).empty();) {
        if (LineOf(frame).first == text)
            return n;
        n += frame.size() >= kFrameHeader + 8 && ReadI32At(frame.data() + kFrameHeader + 4) == sender;
    }
    return -1;
}

// The game message id of an app-data frame carrying a game packet, or -1.
int GameMessageId(const Bytes& frame)
{
    if (frame.size() < kFrameHeader + 14 || frame[kFrameHeader] != kTypeGame || frame[kFrameHeader + 2] != kPacketGame)
        return -1;
    return ReadU16At(frame.data() + kFrameHeader + 8);
}

class SessionLoopback : public ::testing::Test {
protected:
    void SetUp() override
    {
        platform::SetMessageEcho(false);
        m_host.session = std::make_unique<CNetGameSession>(24, Loopback());
        m_host.Hook();
        ASSERT_TRUE(m_host.session->StartHost("127.0.0.1", "Host Player", 0, false));
        std::string version;
        ASSERT_EQ(m_host.session->CheckVersion("1.503", version), CNetGameSession::kVersionSame);
        m_host.Pump();
    }
    void TearDown() override { platform::SetMessageEcho(true); }

    // Joins a client and runs its version check while the host answers; the check's result.
    int Join(Machine& client, const std::string& name, const std::string& version = "1.503", bool refuse = false,
             std::function<uint32_t()> clock = {})
    {
        CNetConfig config = Loopback(m_host.session->GetTcpPort());
        config.fnClock = std::move(clock);
        client.session = std::make_unique<CNetGameSession>(24, config);
        client.Hook();
        EXPECT_TRUE(client.session->SetHostAddress("127.0.0.1"));
        NetSessionInfo info;
        info.strName = "ZR Host";
        info.uAddress = nettest::kLoopback;
        if (!client.session->JoinSession(info, name) || !client.session->SendJoinRequest(name, "zrplayer"))
            return -1;
        std::atomic<int> result{-1};
        std::string hostVersion;
        std::thread check([&] { result = client.session->CheckVersion(version, hostVersion); });
        EXPECT_TRUE(WaitUntil(
            [&] {
                m_host.Pump("1.503", refuse);
                return result.load() != -1;
            },
            10000));
        check.join();
        m_strHostVersion = hostVersion;
        return result;
    }
    // Lets everything queued arrive and be applied.
    void Settle(std::vector<Machine*> machines, const std::function<bool()>& until)
    {
        EXPECT_TRUE(WaitUntil([&] {
            m_host.Pump();
            for (Machine* m : machines)
                m->Pump();
            return until();
        }));
    }

    Machine m_host;
    std::string m_strHostVersion;
};

TEST_F(SessionLoopback, PlayersJoinTalkOnceLeaveAndTheirIdComesBackClean)
{
    Machine ann, bob;
    ASSERT_EQ(Join(ann, "Ann"), CNetGameSession::kVersionSame);
    ASSERT_EQ(Join(bob, "Bob"), CNetGameSession::kVersionSame);
    Settle({&ann, &bob}, [&] { return ann.session->FindPlayer(2) && bob.session->FindPlayer(0); });
    // Records on every machine.
    EXPECT_EQ(m_host.session->FindPlayer(1)->m_strName, "Ann");
    EXPECT_EQ(m_host.session->FindPlayer(2)->m_strName, "Bob");
    EXPECT_EQ(ann.session->GetLocalPlayer()->m_strName, "Ann");
    EXPECT_EQ(ann.session->FindPlayer(2)->m_strName, "Bob");
    EXPECT_EQ(bob.session->FindPlayer(0)->m_strName, "Host Player");
    EXPECT_TRUE(ann.Logged("Bob has joined the game"));
    EXPECT_TRUE(bob.Logged("Host Player has joined the game"));

    // A line from Bob reaches the host, Ann and Bob once each; the host's own line reaches both clients.
    bob.session->SendTextMessage("Engine 3 east", -1, 0, 0);
    m_host.session->SendTextMessage("Hold the line", -1, 0, 0);
    Settle({&ann, &bob}, [&] { return ann.lines.size() == 2 && bob.lines.size() == 2 && m_host.lines.size() == 1; });
    EXPECT_EQ(m_host.lines, (std::vector<std::pair<std::string, int32_t>>{{"Engine 3 east", 2}}));
    for (Machine* m : {&ann, &bob}) {
        int fromBob = 0, fromHost = 0;
        for (const auto& [text, sender] : m->lines) {
            fromBob += text == "Engine 3 east" && sender == 2;
            fromHost += text == "Hold the line" && sender == 0;
        }
        EXPECT_EQ(fromBob, 1);
        EXPECT_EQ(fromHost, 1);
    }

    // Bob leaves: everyone frees his record, roles and all.
    m_host.session->FindPlayer(2)->m_uRoleFlags = 0x400 | 0x800;
    bob.session.reset();
    Settle({&ann}, [&] { return !m_host.session->FindPlayer(2) && !ann.session->FindPlayer(2); });
    EXPECT_TRUE(ann.Logged("Bob has left the game"));
    EXPECT_EQ(m_host.session->Slot(2).m_uRoleFlags, 0u);
    EXPECT_EQ(m_host.session->Slot(2).m_strName, "New Player");

    // Cid takes id 2 and starts clean.
    Machine cid;
    ASSERT_EQ(Join(cid, "Cid"), CNetGameSession::kVersionSame);
    Settle({&ann, &cid}, [&] { return ann.session->FindPlayer(2) && m_host.session->FindPlayer(2); });
    EXPECT_EQ(cid.session->GetLocalPlayerId(), 2);
    EXPECT_EQ(m_host.session->FindPlayer(2)->m_strName, "Cid");
    EXPECT_EQ(m_host.session->FindPlayer(2)->m_uRoleFlags, 0u);
}

TEST_F(SessionLoopback, TheVersionCheckTellsSameOtherRefusedAndNoAnswer)
{
    Machine same, other, refused;
    EXPECT_EQ(Join(same, "A", "1.503"), CNetGameSession::kVersionSame);
    EXPECT_EQ(m_strHostVersion, "1.503");
    EXPECT_EQ(Join(other, "B", "1.6"), CNetGameSession::kVersionDiffers);
    EXPECT_EQ(m_strHostVersion, "1.503");
    EXPECT_EQ(Join(refused, "C", "1.503", true), CNetGameSession::kVersionRefused);

    // A host that never answers: the client gives up after 180 s of its clock.
    std::atomic<uint32_t> now{5000};
    Machine silent;
    CNetConfig config = Loopback(m_host.session->GetTcpPort());
    config.fnClock = [&] { return now.load(); };
    silent.session = std::make_unique<CNetGameSession>(24, config);
    ASSERT_TRUE(silent.session->SetHostAddress("127.0.0.1"));
    ASSERT_TRUE(silent.session->Connect("D"));
    ASSERT_TRUE(silent.session->SendJoinRequest("D", "zrplayer"));
    std::atomic<int> result{-1};
    std::string version;
    std::thread check([&] { result = silent.session->CheckVersion("1.503", version); });
    // Once the request is at the host, the client's wait has begun.
    std::vector<uint8_t> packet;
    EXPECT_TRUE(WaitUntil([&] {
        while (m_host.session->PopMessage(packet))
            if (packet[2] == kPacketVersionRequest)
                return true;
        return false;
    }));
    now += 179000;
    EXPECT_FALSE(WaitUntil([&] { return result.load() != -1; }, 300));
    now += 1001;
    EXPECT_TRUE(WaitUntil([&] { return result.load() != -1; }));
    check.join();
    EXPECT_EQ(result.load(), CNetGameSession::kVersionNoAnswer);
}

TEST_F(SessionLoopback, AClientWhoseHostIsGoneStopsWaiting)
{
    Machine ann;
    CNetConfig config = Loopback(m_host.session->GetTcpPort());
    ann.session = std::make_unique<CNetGameSession>(24, config);
    ASSERT_TRUE(ann.session->SetHostAddress("127.0.0.1"));
    ASSERT_TRUE(ann.session->Connect("Ann"));
    ASSERT_TRUE(ann.session->SendJoinRequest("Ann", "zrplayer"));
    std::atomic<int> result{-1};
    std::string version;
    std::thread check([&] { result = ann.session->CheckVersion("1.503", version); });
    m_host.session.reset();
    EXPECT_TRUE(WaitUntil([&] { return result.load() != -1; }));
    check.join();
    EXPECT_EQ(result.load(), CNetGameSession::kVersionNoAnswer);
}

TEST_F(SessionLoopback, PingsRebaseTheClientsTimer)
{
    Machine ann;
    ASSERT_EQ(Join(ann, "Ann"), CNetGameSession::kVersionSame);
    m_host.session->SendPing(1);
    Settle({&ann}, [&] { return !ann.rebased.empty(); });
    EXPECT_EQ(ann.session->ClockSync().Applied(), 1);
    // The reply came back and was timed.
    EXPECT_TRUE(WaitUntil([&] { return !(m_host.session->FindConnection(1)->GetFlags() & NetPlayer::kPingPending); }));
}

} // namespace

namespace {

TEST_F(SessionLoopback, OnlyPlayersLetInAreAnnounced)
{
    Machine ann, late;
    ASSERT_EQ(Join(ann, "Ann"), CNetGameSession::kVersionSame);
    // The scenario runs: the host refuses Late, who goes.
    ASSERT_EQ(Join(late, "Late", "1.503", true), CNetGameSession::kVersionRefused);
    late.session.reset();
    Settle({&ann}, [&] { return m_host.session->FindConnection(2) == nullptr; });
    // Whatever the host sent Ann about Late came before this line.
    m_host.session->SendTextMessage("after Late", -1, 0, 0);
    Settle({&ann}, [&] { return !ann.lines.empty(); });
    for (Machine* m : {&m_host, &ann})
        for (const std::string& line : m->log)
            EXPECT_EQ(line.find("Late"), std::string::npos) << line;
    EXPECT_EQ(ann.session->FindPlayer(2), nullptr);

    // A player let in is announced as the reply goes.
    Machine bob;
    ASSERT_EQ(Join(bob, "Bob"), CNetGameSession::kVersionSame);
    Settle({&ann, &bob}, [&] { return ann.Logged("Bob has joined the game"); });
    EXPECT_EQ(m_host.session->FindPlayer(2)->m_strName, "Bob");
}

TEST_F(SessionLoopback, AClientOverItsShareOfTheQueueIsEndedWithWhatItQueuedAndTheOthersAreServed)
{
    auto flood = RawPlayer(m_host, "Flood", 1);
    auto fair = RawPlayer(m_host, "Fair", 2);
    // Game messages to the host while its window thread is busy: more than the flooder's share.
    const uint8_t zeros[4] = {};
    const Bytes frame = nettest::Frame(GNSYS_APP_DATA, 0, MakeGamePacket(1, 36, 0, zeros, sizeof zeros));
    Bytes frames;
    const size_t count = CNetGameSession::kReceivedShareBytes / kGamePacketSize + 50;
    for (size_t i = 0; i < count; ++i)
        frames.insert(frames.end(), frame.begin(), frame.end());
    flood->SendWhole(frames);
    EXPECT_TRUE(flood->SeesClose());
    // What it had queued went with it: none of it is applied.
    EXPECT_TRUE(WaitUntil([&] { return m_host.session->QueuedBytesFrom(1) == 0; }));
    std::vector<uint8_t> packet;
    while (m_host.session->PopMessage(packet))
        EXPECT_NE(packet[2] == kPacketGame ? packet[4] : 0, 1);

    // The other client is still heard and served.
    fair->Send(LineFrame(2, 0, "fair line"));
    EXPECT_TRUE(WaitUntil([&] { return m_host.session->QueuedBytesFrom(2) > 0; }));
    m_host.session->SendTextMessage("to all", -1, 0, 0);
    EXPECT_EQ(AppDataBefore(*fair, "to all", 1), 0);
    Settle({}, [&] { return !m_host.lines.empty() && m_host.lines.back().first == "fair line"; });
}

TEST_F(SessionLoopback, AConnectionNotLetInGetsNothingApplied)
{
    platform::ManualClock clock(1000);
    auto ann = RawPlayer(m_host, "Ann", 1);
    auto lurk = RawJoin(m_host.session->GetTcpPort(), "Lurk", 2);
    // Joined, never let in: its lines (to the host and to all), status and game messages are dropped unshown.
    const uint8_t zeros[4] = {};
    lurk->Send(LineFrame(2, 0, "to the host"));
    lurk->Send(LineFrame(2, kTargetAll, "to all"));
    lurk->Send(nettest::Frame(GNSYS_APP_DATA, kTargetAll, BuildStatusPacket(2, 1)));
    lurk->Send(nettest::Frame(GNSYS_APP_DATA, 0, MakeGamePacket(2, 36, 0, zeros, sizeof zeros)));
    lurk->Send(nettest::Frame(GNSYS_APP_DATA, 0, BuildQuitPacket(2)));
    // What joining needs is taken: requests wait in the queue for the window thread.
    for (int i = 0; i < 20; ++i)
        lurk->Send(nettest::Frame(GNSYS_APP_DATA, 0, BuildRequestPacket(10, 2)));
    EXPECT_TRUE(WaitUntil([&] { return m_host.session->QueuedBytesFrom(2) == 20 * kGamePacketSize; }));
    // Ended for not being let in in time: the requests go with it.
    clock.Advance(NetPlayer::kAdmitDeadlineMs + 1);
    EXPECT_TRUE(lurk->SeesClose());
    EXPECT_TRUE(WaitUntil([&] { return m_host.session->QueuedBytesFrom(2) == 0; }));
    ann->Send(LineFrame(1, kTargetAll, "from Ann"));
    std::vector<int> kinds;
    EXPECT_TRUE(WaitUntil([&] {
        std::vector<uint8_t> packet;
        while (m_host.session->PopMessage(packet))
            if (packet[4] == 2)
                kinds.push_back(packet[2]);
        return m_host.lines.size() == 1;
    }));
    EXPECT_TRUE(kinds.empty());
    EXPECT_EQ(m_host.lines, (std::vector<std::pair<std::string, int32_t>>{{"from Ann", 1}}));
    // Ann heard nothing of it before her own line.
    EXPECT_EQ(AppDataBefore(*ann, "from Ann", 2), 0);
}

TEST_F(SessionLoopback, APlayerHasAtMostItsTextAllowanceAppliedAndRelayedAndIsEndedForKeepingOn)
{
    platform::ManualClock clock(1000);
    auto flood = RawPlayer(m_host, "Flood", 1);
    auto ann = RawPlayer(m_host, "Ann", 2);
    auto linesFrom = [&](int32_t sender) {
        int n = 0;
        for (const auto& line : m_host.lines)
            n += line.second == sender;
        return n;
    };
    // Twelve lines at once, then a game message the host queues behind them: the burst of eight is taken.
    Bytes lines;
    for (int i = 0; i < 12; ++i) {
        const Bytes frame = LineFrame(1, kTargetAll, "burst " + std::to_string(i));
        lines.insert(lines.end(), frame.begin(), frame.end());
    }
    const uint8_t zeros[4] = {};
    flood->Send(lines);
    flood->Send(nettest::Frame(GNSYS_APP_DATA, 0, MakeGamePacket(1, 36, 0, zeros, sizeof zeros)));
    EXPECT_TRUE(WaitUntil([&] { return m_host.session->QueuedBytesFrom(1) == 9 * kGamePacketSize; }));
    // A quarter second later one more line is allowed.
    clock.Advance(1000 / CTextAllowance::kLinesPerSecond);
    flood->Send(LineFrame(1, kTargetAll, "a line later"));
    Settle({}, [&] { return !m_host.lines.empty() && m_host.lines.back().first == "a line later"; });
    EXPECT_EQ(linesFrom(1), static_cast<int>(CTextAllowance::kBurstLines) + 1);
    EXPECT_EQ(AppDataBefore(*ann, "a line later", 1), static_cast<int>(CTextAllowance::kBurstLines));

    // A hundred more at once: none is taken, and the flooder is ended.
    lines.clear();
    for (int i = 0; i < 100; ++i) {
        const Bytes frame = LineFrame(1, kTargetAll, "flood " + std::to_string(i));
        lines.insert(lines.end(), frame.begin(), frame.end());
    }
    flood->SendWhole(lines);
    EXPECT_TRUE(flood->SeesClose());
    m_host.session->SendTextMessage("mark", -1, 0, 0);
    EXPECT_EQ(AppDataBefore(*ann, "mark", 1), 0);
    m_host.Pump();
    EXPECT_EQ(linesFrom(1), static_cast<int>(CTextAllowance::kBurstLines) + 1);

    // Someone typing four lines a second is never cut.
    for (int i = 0; i < 3 * static_cast<int>(CTextAllowance::kBurstLines); ++i) {
        ann->Send(LineFrame(2, kTargetAll, "typed " + std::to_string(i)));
        Settle({}, [&] { return !m_host.lines.empty() && m_host.lines.back().first == "typed " + std::to_string(i); });
        clock.Advance(1000 / CTextAllowance::kLinesPerSecond);
    }
    EXPECT_EQ(linesFrom(2), 3 * static_cast<int>(CTextAllowance::kBurstLines));
}

TEST_F(SessionLoopback, ADroppedPlayersConnectionIsClosedOnceTheDropIsSent)
{
    platform::ManualClock clock(1000);
    const int port = m_host.session->GetTcpPort();
    auto ann = RawJoin(port, "Ann", 1);
    auto hung = RawJoin(port, "Hung", 2);
    const int hungPort = hung->LocalPort();
    auto drop = [&](int32_t id) {
        uint8_t payload[8] = {};
        WriteI32At(payload, id);
        m_host.session->SendGameMessage(40, payload, sizeof payload);
    };
    // Ann reads the drop and sees the end at once.
    drop(1);
    EXPECT_EQ(GameMessageId(ann->ReadFrameOfType(GNSYS_APP_DATA)), 40);
    EXPECT_TRUE(ann->SeesClose(1000));
    ann->Close();
    EXPECT_TRUE(WaitUntil([&] { return m_host.session->FindConnection(1) == nullptr; }));

    // A program that hangs and never reads is closed after the grace.
    drop(2);
    EXPECT_FALSE(WaitUntil([&] { return !nettest::HoldsSocket(port, hungPort); }, 300));
    clock.Advance(CNetGameSession::kDropGraceMs + 1);
    EXPECT_TRUE(WaitUntil([&] { return !nettest::HoldsSocket(port, hungPort); }));
    EXPECT_EQ(m_host.session->FindConnection(2), nullptr);
}

TEST_F(SessionLoopback, ADropGoesOnceAndNotToTheNextPlayerOnTheId)
{
    const int port = m_host.session->GetTcpPort();
    auto ann = RawJoin(port, "Ann", 1);
    uint8_t payload[8] = {};
    WriteI32At(payload, 1);
    m_host.session->SendGameMessage(40, payload, sizeof payload);
    EXPECT_TRUE(ann->SeesClose());
    ann->Close();
    EXPECT_TRUE(WaitUntil([&] { return m_host.session->FindConnection(1) == nullptr; }));
    // Bob takes the id before the host's window thread has heard of Ann's leaving; the game posts the drop
    // again (it does so until the player is gone), and Bob must not get it.
    auto bob = RawJoin(port, "Bob", 1);
    m_host.session->SendGameMessage(40, payload, sizeof payload);
    m_host.session->SendTextMessage("still here", -1, 0, 0);
    EXPECT_EQ(GameMessageId(bob->ReadFrameOfType(GNSYS_APP_DATA)), -1);
    // Once Ann's leaving is applied, a drop of Bob is his.
    m_host.Pump();
    m_host.session->SendGameMessage(40, payload, sizeof payload);
    EXPECT_EQ(GameMessageId(bob->ReadFrameOfType(GNSYS_APP_DATA)), 40);
    EXPECT_TRUE(bob->SeesClose());
}

} // namespace
