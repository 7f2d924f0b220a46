// Whole games over loopback sessions in one process: a host and clients join through the lobby's quick starts,
// receive the host's files, share the role grid, start together, chat once each; late and mismatched joins are
// refused; a dropped player leaves and its id comes back clean.
#include "game/app/Game.h"
#include "game/screens/briefing/BriefingIF.h"
#include "game/screens/hud/HUD.h"
#include "game/screens/lobby/MPlayIF.h"
#include "game/screens/role/RoleIF.h"
#include "net/session/NetGameSession.h"
#include "net/transport/NetPlayer.h"
#include "platform/system/Clock.h"
#include "platform/system/MessageBox.h"
#include "tests/game/app/DemoGame.h"
#include "tests/net/NetTestPeer.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;
constexpr uint32_t kF4 = 0x73;
constexpr uint32_t kF6 = 0x75;

// One player's program: its own copy of the demo data and a game at the lobby.
struct Player {
    fs::path dir;
    std::unique_ptr<CGame> game;
    std::vector<int> exits;

    ~Player()
    {
        game.reset();
        std::error_code ec;
        fs::remove_all(dir, ec);
    }
    CGame& G() { return *game; }
    RoleIF& Role() { return *game->m_pRole; }
    int32_t Id() { return game->m_pSession ? game->m_pSession->GetLocalPlayerId() : -1; }
    int CountLines(const std::string& text)
    {
        int n = 0;
        for (const CLogLine& line : game->m_log.m_messages.aLines)
            n += line.strText.find(text) != std::string::npos;
        return n;
    }
    void Click(const CScreenRect& rc)
    {
        const int x = rc.x + rc.width / 2, y = rc.y + rc.height / 2;
        game->OnMouse(0x201, 1, static_cast<int32_t>((static_cast<uint32_t>(y) << 16) | static_cast<uint32_t>(x)), 1);
    }
};

class NetGameTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        platform::SetMessageEcho(false);
        platform::ClearRecordedMessages();
        m_clock = std::make_unique<platform::ManualClock>(50000);
        ASSERT_FALSE(demo_game::DemoData().empty());
    }
    void TearDown() override
    {
        m_players.clear();
        m_clock.reset();
    }

    Player& NewPlayer(int port)
    {
        auto p = std::make_unique<Player>();
        p->dir = demo_game::CDemoGame::CopyDemoData();
        CGameConfig config;
        config.strBaseFolder = p->dir.string();
        config.fnExit = [raw = p.get()](int code) { raw->exits.push_back(code); };
        config.fnPlaySound = [](int, float) {};
        config.nTcpPort = port;
        config.nUdpPort = 0;
        config.strBindAddress = "127.0.0.1";
        p->game = std::make_unique<CGame>(config);
        p->game->InitDisplay(nullptr);
        p->game->m_uMode |= kModeSkipSplash;
        p->game->LoadFrontEnd();
        m_players.push_back(std::move(p));
        return *m_players.back();
    }
    Player& Host()
    {
        Player& host = NewPlayer(0);
        host.G().OnKeyDown(kF4, 3);
        EXPECT_TRUE(host.G().m_pSession && host.G().m_pSession->IsHost());
        return host;
    }
    // A client that joins the first player by the quick start while the host answers.
    Player& Join(const std::string& name, const std::string& version = "1.0")
    {
        Player& host = *m_players.front();
        Player& client = NewPlayer(host.G().m_pSession->GetTcpPort());
        client.G().m_strProductVersion = version;
        client.G().m_pLobby->m_strPlayerName = name;
        client.G().m_fnWhileWaiting = [this] { Tick(false); };
        client.G().OnKeyDown(kF6, 3);
        client.G().m_fnWhileWaiting = nullptr;
        return client;
    }
    // One pass of every game's tick on a clock moved by 20 ms; `allClients` false ticks the host alone.
    void Tick(bool all = true)
    {
        m_clock->Advance(20);
        for (size_t i = 0; i < m_players.size() && (all || i == 0); ++i)
            if (m_players[i]->game)
                m_players[i]->game->Tick();
    }
    bool Until(const std::function<bool()>& done)
    {
        return nettest::WaitUntil(
            [&] {
                Tick();
                return done();
            },
            20000);
    }

    std::unique_ptr<platform::ManualClock> m_clock;
    std::vector<std::unique_ptr<Player>> m_players;
};

TEST_F(NetGameTest, ThreePlayersJoinShareTheRolesStartTogetherAndChatOnceEach)
{
    Player& host = Host();
    Player& ann = Join("Ann");
    Player& bob = Join("Bob");
    for (Player* p : {&ann, &bob}) {
        ASSERT_TRUE(p->G().m_pSession) << p->G().m_pLobby->m_strNotice;
        EXPECT_TRUE(p->G().m_uMode & kModeBriefing);
        EXPECT_FALSE(p->G().m_bAuthority);
        // The host's files, byte for byte.
        for (const char* file : {"Millbrook.zri", "Millbrook.zra", "Millbrook.csv", "Maps/Millbrook_Area.bmp"})
            EXPECT_EQ(demo_game::ReadFileText(p->dir / "ScenarioFromHost" / file),
                      demo_game::ReadFileText(host.dir / file))
                << file;
        ASSERT_TRUE(p->G().m_pMap);
    }
    EXPECT_EQ(ann.Id(), 1);
    EXPECT_EQ(bob.Id(), 2);

    // Everyone into role selection; the grids list the three players.
    for (Player* p : {&host, &ann, &bob})
        p->G().OnKeyDown(kF4, 3);
    ASSERT_TRUE(Until([&] {
        for (Player* p : {&host, &ann, &bob}) {
            p->Role().RefreshPlayers();
            if (!(p->G().m_uMode & kModeRoleSelect) || p->Role().m_aPlayers.size() != 3)
                return false;
        }
        return true;
    }));

    // Ann takes column 0 (the host still holds it too); Bob may not take the Zoranth from the host.
    ann.Click(ann.Role().CellRect(ann.Role().m_nLocalRow, 0));
    bob.Click(bob.Role().CellRect(bob.Role().m_nLocalRow, RoleIF::kTopRoleColumn));
    EXPECT_EQ(bob.CountLines("Only one player can be ZR at a time"), 1);
    ASSERT_TRUE(Until([&] {
        CSessionPlayer* seen = host.G().m_pSession->FindPlayer(1);
        CSessionPlayer* onBob = bob.G().m_pSession->FindPlayer(1);
        return seen && (seen->m_uRoleFlags & 0x1) && onBob && (onBob->m_uRoleFlags & 0x1);
    }));
    EXPECT_TRUE(host.G().GetLocalRoleFlags() & RoleIF::kTopRole);

    // A line from the role screen reaches each player once.
    ann.Role().m_strChat = "Engine 3 east";
    ann.Click(ann.Role().m_rcSend);
    ASSERT_TRUE(Until([&] { return bob.CountLines("Engine 3 east") == 1 && ann.CountLines("Engine 3 east") == 1; }));
    EXPECT_EQ(host.CountLines("Engine 3 east"), 1);

    // All ready: the host starts and everyone follows into play.
    ASSERT_TRUE(Until([&] {
        for (Player* p : {&ann, &bob}) {
            CSessionPlayer* h = p->G().m_pSession->FindPlayer(0);
            if (!h || !(h->m_uRoleFlags & RoleIF::kTopRole))
                return false;
        }
        return true;
    }));
    for (Player* p : {&host, &ann, &bob})
        p->Click(p->Role().m_rcMain);
    ASSERT_TRUE(Until([&] { return host.G().m_pHUD && ann.G().m_pHUD && bob.G().m_pHUD; }));
    ASSERT_TRUE(Until([&] { return (host.G().m_uMode & kModeRunning) && (bob.G().m_uMode & kModeRunning); }));

    // A client's pause waits for the host's copy, which then reaches everyone.
    ann.G().PostGameSignal(kGmPause);
    EXPECT_FALSE(ann.G().m_uMode & kModePaused);
    ASSERT_TRUE(Until([&] { return (ann.G().m_uMode & kModePaused) && (bob.G().m_uMode & kModePaused); }));
    EXPECT_TRUE(host.G().m_uMode & kModePaused);

    // In-game chat through the HUD's line: once each.
    for (char c : std::string("Water on the school\r"))
        bob.G().OnChatKey(static_cast<uint8_t>(c));
    ASSERT_TRUE(Until([&] { return ann.CountLines("Water on the school") == 1; }));
    EXPECT_EQ(host.CountLines("Water on the school"), 1);
    EXPECT_EQ(bob.CountLines("Water on the school"), 1);

    // A late join is refused with the lobby's text, and leaves no session.
    Player& late = Join("Late");
    EXPECT_FALSE(late.G().m_pSession);
    EXPECT_TRUE(late.G().m_uMode & kModeJoinRefused);
    EXPECT_EQ(late.G().m_pLobby->m_strNotice, "Unable to join - The scenario has already started - Please exit.");
    EXPECT_EQ(late.G().m_pLobby->m_strPlayerName, "Late");
}

TEST_F(NetGameTest, ADroppedPlayerLeavesAndItsIdComesBackClean)
{
    Player& host = Host();
    Player& ann = Join("Ann");
    Player& bob = Join("Bob");
    for (Player* p : {&host, &ann, &bob})
        p->G().OnKeyDown(kF4, 3);
    ASSERT_TRUE(Until([&] {
        host.Role().RefreshPlayers();
        return host.Role().m_aPlayers.size() == 3 && (bob.G().m_uMode & kModeRoleSelect);
    }));
    // Ready needs a Zoranth, which Bob learns from the host's role table.
    ASSERT_TRUE(Until([&] {
        CSessionPlayer* h = bob.G().m_pSession->FindPlayer(0);
        return h && (h->m_uRoleFlags & RoleIF::kTopRole);
    }));
    bob.Click(bob.Role().m_rcMain); // Bob is ready ...
    ASSERT_TRUE(Until([&] { return host.G().m_pSession->FindPlayer(2)->m_uRoleFlags & RoleIF::kReady; }));
    // ... and the host drops him: message 40 reaches Bob alone, whose program ends.
    host.Click(host.Role().CellRect(2, RoleIF::kDropColumn));
    ASSERT_TRUE(Until([&] { return !bob.exits.empty(); }));
    EXPECT_EQ(bob.exits.front(), 0);
    EXPECT_TRUE(ann.exits.empty());
    EXPECT_TRUE(host.exits.empty());
    bob.game.reset(); // the program is gone
    ASSERT_TRUE(Until([&] { return !host.G().m_pSession->FindPlayer(2) && !ann.G().m_pSession->FindPlayer(2); }));
    EXPECT_EQ(ann.CountLines("Bob has left the game"), 1);

    // Cid takes id 2 without Bob's ready or drop marks, and is sent to.
    Player& cid = Join("Cid");
    ASSERT_TRUE(cid.G().m_pSession);
    EXPECT_EQ(cid.Id(), 2);
    ASSERT_TRUE(Until([&] {
        CSessionPlayer* p = host.G().m_pSession->FindPlayer(2);
        return p && p->m_strName == "Cid" && ann.G().m_pSession->FindPlayer(2);
    }));
    EXPECT_EQ(host.G().m_pSession->FindPlayer(2)->m_uRoleFlags & (RoleIF::kReady | RoleIF::kDrop), 0u);
    host.G().SendNotice("Welcome Cid", kMsgChat, 0, -1);
    ASSERT_TRUE(Until([&] { return cid.CountLines("Welcome Cid") == 1; }));
    EXPECT_TRUE(cid.exits.empty());
}

TEST_F(NetGameTest, AHostThatSendsNothingIsGivenUpAfterThirtySeconds)
{
    // A bare session hosts: it lets the client in but never answers its requests.
    CNetConfig config;
    config.nTcpPort = 0;
    config.nUdpPort = 0;
    config.uBindAddress = nettest::kLoopback;
    CNetGameSession host(24, config);
    ASSERT_TRUE(host.StartHost("127.0.0.1", "Mute", 0, false));
    Player& client = NewPlayer(host.GetTcpPort());
    CGame& game = client.G();
    config.nTcpPort = host.GetTcpPort();
    game.m_pSession = std::make_unique<CNetGameSession>(24, config);
    CNetGameSession& session = *game.m_pSession;
    ASSERT_TRUE(session.SetHostAddress("127.0.0.1"));
    ASSERT_TRUE(session.Connect("Pat") && session.SendJoinRequest("Pat", "zrplayer"));
    // It lets Pat in (a host that never does would end the connection after 30 s itself).
    ASSERT_TRUE(nettest::WaitUntil([&] { return host.FindConnection(1) && host.FindConnection(1)->IsJoined(); }));
    ASSERT_TRUE(host.Admit(1));
    game.m_bAuthority = false;
    game.m_uMode |= kModeNetworked;
    uint32_t waited = 0;
    game.m_fnWhileWaiting = [&] {
        m_clock->Advance(1000);
        waited += 1000;
    };
    EXPECT_FALSE(game.RequestFilesFromHost());
    EXPECT_GT(waited, 30000u);
    waited = 0;
    EXPECT_FALSE(game.ReceiveFileFromHost(10, 9, (client.dir / "never.zri").string()));
    EXPECT_GT(waited, 30000u);
    EXPECT_LT(waited, 40000u);
    EXPECT_FALSE(fs::exists(client.dir / "never.zri"));
}

TEST_F(NetGameTest, AnotherVersionIsRefusedWithBothVersions)
{
    Host();
    Player& odd = Join("Odd", "2.5");
    EXPECT_FALSE(odd.G().m_pSession);
    EXPECT_TRUE(odd.G().m_uMode & kModeLobby);
    EXPECT_EQ(odd.G().m_pLobby->m_strNotice, "Unable to join - Host version is 1.0, yours is 2.5 - Please exit.");
}

} // namespace
