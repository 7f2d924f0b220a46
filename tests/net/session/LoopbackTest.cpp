// Sessions over loopback sockets: joining with the version check, records and log lines on every machine,
// text lines reaching each player once, leaving and a clean rejoin, pings, and the version cases.
#include "net/NetTestPeer.h"
#include "net/session/NetGameSession.h"
#include "net/transport/NetPlayer.h"
#include "platform/system/MessageBox.h"

#include <gtest/gtest.h>

#include <atomic>
#include <memory>
#include <string>
#include <thread>
#include <vector>

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
