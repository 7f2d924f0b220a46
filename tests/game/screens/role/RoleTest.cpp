// Role selection over the demo layout: the grid table, the take and leave rules of the roles, Ready, the
// drop column, the chat line, the all-ready close, and the grid without a session.
#include "tests/game/screens/lobby/FrontEndFixture.h"
#include "tests/support/DisplayFixtures.h"

#include "core/display/CDisplay.h"
#include "core/util/ByteStream.h"
#include "net/session/NetGameSession.h"

#include <cstring>
#include <fstream>

namespace {

namespace fs = std::filesystem;

class RoleTest : public FrontEndFixture {
protected:
    void SetUp() override
    {
        FrontEndFixture::SetUp();
        ASSERT_TRUE(Game().m_pRole);
        auto add = [this](int32_t key, int32_t kind, const char* name) {
            CAgencyRecord r;
            r.m_nKind = kind;
            std::strncpy(r.m_szName, name, sizeof r.m_szName - 1);
            m_roles[key] = r;
        };
        add(0, 0, "Millbrook Police");
        add(1, 1, "Millbrook Fire");
        add(4, 4, "County EMS");
        add(5, 5, "Civilians");
        add(6, 6, "Suspect");
    }
    // A session of `count` players with ids 100, 101, ...; the local player is `local`.
    void MakeSession(int count, int local, std::vector<uint32_t> flags = {})
    {
        Game().m_pSession = std::make_unique<CNetGameSession>();
        for (int i = 0; i < count; ++i) {
            CSessionPlayer& p = Game().m_pSession->Slot(i);
            p.m_uFlags = 1;
            p.m_nPlayerId = 100 + i;
            p.m_strName = "Player " + std::to_string(i);
            p.m_uRoleFlags = i < static_cast<int>(flags.size()) ? flags[static_cast<size_t>(i)] : 0;
        }
        Game().m_pSession->SetLocalPlayerId(100 + local);
        Game().m_uMode = (Game().m_uMode & ~kModeLobby) | kModeRoleSelect;
        Role().Open(true, &m_roles);
    }
    RoleIF& Role() { return *Game().m_pRole; }
    uint32_t Flags(int slot) { return Game().m_pSession->Slot(slot).m_uRoleFlags; }
    bool ClickCell(int row, int column)
    {
        const CScreenRect rc = Role().CellRect(row, column);
        EXPECT_GT(rc.width, 0);
        return Role().OnClick(rc.x + rc.width / 2, rc.y + rc.height / 2, 1);
    }
    bool ClickOn(const CScreenRect& rc)
    {
        EXPECT_GT(rc.width, 0);
        return Role().OnClick(rc.x + rc.width / 2, rc.y + rc.height / 2, 1);
    }
    bool Said(const std::string& text) const
    {
        for (const CLogLine& line : m_game->m_log.m_messages.aLines)
            if (line.strText.find(text) != std::string::npos)
                return true;
        return false;
    }
    // The last message 32 posted: player id and flags.
    std::pair<int32_t, uint32_t> LastRoles() const
    {
        for (auto it = m_posts.rbegin(); it != m_posts.rend(); ++it)
            if (it->first == kGmPlayerRoles) {
                CByteReader r(it->second.data(), it->second.size());
                int32_t id = 0;
                uint32_t flags = 0;
                r.ReadI32(id);
                r.ReadU32(flags);
                EXPECT_EQ(it->second.size(), 8u);
                return {id, flags};
            }
        return {-1, 0};
    }
    CRoleMap m_roles;
};

TEST_F(RoleTest, GridTableReadsTheOriginAndStepsAndRefusesBadLines)
{
    const fs::path dir = m_dir / "grids";
    fs::create_directories(dir);
    struct Case {
        const char* line;
        bool ok;
    } cases[] = {{"196,40,44,11", true}, {"0, 0, 10, 10", true}, {"196,40,44", false}, {"a,b,c,d", false}, {"", false},
                 {"10,10,70,10", false},   // column 12 at 850
                 {"10,400,10,10", false}}; // row 23 at 630
    for (const Case& c : cases) {
        std::ofstream(dir / "Grid.csv") << "h1\nh2\nx0,y0,dx,dy\n" << c.line << "\n";
        CRoleMenuData grid;
        EXPECT_EQ(grid.Load(dir.string(), "Grid.csv"), c.ok) << c.line;
        EXPECT_EQ(grid.m_bLoaded, c.ok) << c.line;
        if (c.ok && std::string(c.line) == "196,40,44,11") {
            EXPECT_EQ(grid.CellX(12), 196 + 12 * 44);
            EXPECT_EQ(grid.CellY(23), 40 + 23 * 11);
        }
    }
    platform::ClearRecordedMessages();
    CRoleMenuData grid;
    EXPECT_FALSE(grid.Load(dir.string(), "Role_Menu.csv"));
    ASSERT_FALSE(platform::RecordedMessages().empty());
    EXPECT_EQ(platform::RecordedMessages().back().title, "Failed to open file");
}

TEST_F(RoleTest, GridValuesLeftOfOrAboveTheScreenAreMovedToItsEdgeWithOneMessageEach)
{
    const fs::path dir = m_dir / "grids";
    fs::create_directories(dir);
    const struct {
        const char* szLine;
        bool bLoaded;
        std::vector<std::string> fields; // one message per damaged value, in order
        int32_t x0, y0, dx, dy;
    } cases[] = {
        {"196,40,44,11", true, {}, 196, 40, 44, 11},
        {"-50,40,44,11", true, {"x0"}, 0, 40, 44, 11},
        {"196,-99999999999999999999,44,-3", true, {"y0", "dy"}, 196, 0, 44, 0},
        {"-500,40,100,11", true, {"x0", "dx"}, 0, 40, 66, 11},
        {"196,40,x,11", false, {"dx"}, 0, 0, 0, 0},
    };
    for (const auto& c : cases) {
        std::ofstream(dir / "Grid.csv") << "h1\nh2\nx0,y0,dx,dy\n" << c.szLine << "\n";
        platform::ClearRecordedMessages();
        ClearScreenFatal();
        CRoleMenuData grid;
        EXPECT_EQ(grid.Load(dir.string(), "Grid.csv"), c.bLoaded) << c.szLine;
        EXPECT_FALSE(ScreenFatalPending()) << c.szLine;
        const auto shown = platform::RecordedMessages();
        ASSERT_EQ(shown.size(), c.fields.size()) << c.szLine;
        for (size_t i = 0; i < shown.size(); ++i) {
            EXPECT_EQ(shown[i].title, "Damaged data file");
            EXPECT_NE(shown[i].text.find("Grid.csv\", row 4, field \"" + c.fields[i] + "\""), std::string::npos)
                << shown[i].text;
        }
        if (c.bLoaded) {
            EXPECT_EQ(grid.CellX(0), c.x0) << c.szLine;
            EXPECT_EQ(grid.CellY(0), c.y0) << c.szLine;
            EXPECT_EQ(grid.CellX(1) - grid.CellX(0), c.dx) << c.szLine;
            EXPECT_EQ(grid.CellY(1) - grid.CellY(0), c.dy) << c.szLine;
        }
    }
}

TEST_F(RoleTest, ALonePlayerCannotLeaveTheTopRoleNorTakeItTwice)
{
    MakeSession(1, 0, {RoleIF::kTopRole | 0x1});
    ClickCell(0, RoleIF::kTopRoleColumn);
    EXPECT_TRUE(Said("...Can't leave role unassigned - you are the only player..."));
    EXPECT_EQ(Flags(0), RoleIF::kTopRole | 0x1);
    EXPECT_EQ(CountPosts(kGmPlayerRoles), 0);
    EXPECT_EQ(LastSound(), 2);
    ClickCell(0, 0); // Police: nobody else holds it
    EXPECT_EQ(Flags(0) & 0x1, 0x1u);
    ClickCell(0, 1); // Fire: free to take
    EXPECT_EQ(Flags(0), RoleIF::kTopRole | 0x3);
    EXPECT_EQ(LastRoles(), (std::pair<int32_t, uint32_t>{100, RoleIF::kTopRole | 0x3}));
    EXPECT_EQ(LastSound(), 0);
}

TEST_F(RoleTest, TwoPlayersPassTheTopRole)
{
    MakeSession(2, 1, {RoleIF::kTopRole, 0});
    ClickCell(1, RoleIF::kTopRoleColumn);
    EXPECT_TRUE(Said("...Only one player can be ZR at a time - ask other player to drop first..."));
    EXPECT_EQ(Flags(1), 0u);
    // The holder drops it (as the other machine would), then this player takes it.
    Game().m_pSession->SetLocalPlayerId(100);
    ClickCell(0, RoleIF::kTopRoleColumn);
    EXPECT_EQ(Flags(0), 0u);
    Game().m_pSession->SetLocalPlayerId(101);
    ClickCell(1, RoleIF::kTopRoleColumn);
    EXPECT_EQ(Flags(1), RoleIF::kTopRole);
    EXPECT_EQ(LastRoles(), (std::pair<int32_t, uint32_t>{101, RoleIF::kTopRole}));
}

TEST_F(RoleTest, ARoleMayBeLeftOnlyWhenAnotherPlayerHoldsIt)
{
    MakeSession(2, 0, {0x1, 0x3});
    ClickCell(0, 0);
    EXPECT_EQ(Flags(0), 0u);
    ClickCell(0, 0);
    ClickCell(1, 1); // another player's row
    EXPECT_TRUE(Said("...Can't change anyone's role assignments but your own..."));
    Game().m_pSession->SetLocalPlayerId(101);
    ClickCell(1, 1);
    EXPECT_TRUE(Said("...Can't leave role unassigned - ask another player to take it first..."));
    EXPECT_EQ(Flags(1), 0x3u);
}

TEST_F(RoleTest, ClicksOnOtherRowsTheReadyColumnOrARunningScenarioChangeNothing)
{
    MakeSession(2, 1, {0, 0});
    const size_t posts = m_posts.size();
    ClickCell(0, 0);
    ClickCell(1, RoleIF::kReadyColumn);
    Game().m_uMode |= kModeRunning;
    ClickCell(1, 0);
    EXPECT_TRUE(Said("The scenario has already started - your role is limited to \"Observer\""));
    EXPECT_EQ(m_posts.size(), posts);
    EXPECT_EQ(Flags(0) | Flags(1), 0u);
}

TEST_F(RoleTest, CiviliansAndThreatsAreNotRoleColumns)
{
    MakeSession(1, 0);
    EXPECT_TRUE(Role().IsRoleColumn(0));
    EXPECT_FALSE(Role().IsRoleColumn(2)); // not in the scenario's agencies
    EXPECT_FALSE(Role().IsRoleColumn(5));
    EXPECT_FALSE(Role().IsRoleColumn(6));
    EXPECT_TRUE(Role().IsRoleColumn(RoleIF::kTopRoleColumn));
    EXPECT_TRUE(Role().IsRoleColumn(RoleIF::kDropColumn));
}

TEST_F(RoleTest, ReadyNeedsATopRoleHolderAndClearsTheNonRoleBits)
{
    MakeSession(2, 1, {0, 0x1 | 0x20 | 0x40});
    ClickOn(Role().m_rcMain);
    EXPECT_TRUE(Said("... One person must take the ZR role..."));
    EXPECT_EQ(CountPosts(kGmPlayerRoles), 0);
    Game().m_pSession->Slot(0).m_uRoleFlags = RoleIF::kTopRole;
    ClickOn(Role().m_rcMain);
    EXPECT_TRUE(Said("The scenario will load and start when all players say they are ready"));
    EXPECT_EQ(Flags(1), RoleIF::kReady | 0x1);
    EXPECT_EQ(LastRoles(), (std::pair<int32_t, uint32_t>{101, RoleIF::kReady | 0x1}));
    ClickOn(Role().m_rcMain); // not ready again
    EXPECT_EQ(Flags(1), 0x1u);
}

TEST_F(RoleTest, OnlyTheAuthorityDropsAndNeverTheHostRow)
{
    MakeSession(3, 0);
    ClickCell(0, RoleIF::kDropColumn);
    EXPECT_EQ(Flags(0), 0u);
    EXPECT_EQ(CountPosts(kGmPlayerRoles), 0);
    ClickCell(2, RoleIF::kDropColumn);
    EXPECT_EQ(Flags(2), RoleIF::kDrop);
    EXPECT_EQ(LastRoles(), (std::pair<int32_t, uint32_t>{102, RoleIF::kDrop}));
    Game().m_bAuthority = false;
    Game().m_pSession->SetLocalPlayerId(101);
    ClickCell(1, RoleIF::kDropColumn);
    EXPECT_EQ(Flags(1), 0u);
}

TEST_F(RoleTest, ChatLineHoldsAHundredFortyCharactersAndSends)
{
    MakeSession(2, 0);
    Type(std::string(140, 'c'));
    m_sounds.clear();
    Type("d");
    EXPECT_EQ(Role().m_strChat, std::string(140, 'c'));
    EXPECT_EQ(m_sounds, std::vector<int>{2});
    Role().m_strChat = "Fire crews to the east side";
    ClickOn(Role().m_rcSend);
    EXPECT_TRUE(Role().m_strChat.empty());
    EXPECT_TRUE(Said("Fire crews to the east side"));
    const auto out = Game().m_pSession->TakeOutbound();
    EXPECT_FALSE(out.empty());
    Type("\b");
    EXPECT_EQ(LastSound(), 2);
}

TEST_F(RoleTest, AllReadyKeyLetsTheNextClickStartTheScenario)
{
    MakeSession(1, 0, {RoleIF::kTopRole | RoleIF::kReady});
    EXPECT_FALSE(Role().OnClick(1, 1, 1));
    Role().OnKey(0xFFFF);
    EXPECT_TRUE(Role().m_bDone);
    EXPECT_TRUE(Role().OnClick(1, 1, 0));
    EXPECT_FALSE(Role().m_bShown);
}

TEST_F(RoleTest, ReopenedInPlayOnlyReturns)
{
    MakeSession(1, 0, {0x1});
    Game().m_uMode |= kModeRolesReopened;
    Role().Open(true, &m_roles);
    EXPECT_TRUE(Role().m_bReturnMode);
    EXPECT_FALSE(ClickCell(0, 1));
    EXPECT_EQ(Flags(0), 0x1u);
    EXPECT_TRUE(ClickOn(Role().m_rcMain));
}

TEST_F(RoleTest, WithoutASessionTheGridServesTheLocalPlayer)
{
    Game().GetLocalPlayerInfo()->uRoleFlags = 0;
    Role().Open(true, &m_roles);
    ASSERT_EQ(Role().m_aPlayers.size(), 1u);
    EXPECT_EQ(Role().m_nLocalRow, 0);
    ClickCell(0, 1);
    EXPECT_EQ(Game().GetLocalRoleFlags(), 0x2u);
    Role().GrantAllRoles(Game().GetLocalPlayerInfo()->nPlayerId);
    EXPECT_EQ(Game().GetLocalRoleFlags(), RoleIF::kAllRoles);
    EXPECT_EQ(LastRoles().second, RoleIF::kAllRoles);
}

TEST_F(RoleTest, ExitQuitsAndScrollKeysMoveTheLog)
{
    MakeSession(1, 0);
    Role().m_strChat = "bye";
    ClickOn(Role().m_rcExit);
    EXPECT_TRUE(Game().m_uMode & kModeQuit);
    EXPECT_TRUE(Role().m_strChat.empty());
    EXPECT_FALSE(Role().m_bShown);
}

// With the demo scenario's own agencies every shown column's heading stays whole: no ink within two pixels of
// the line between two shown columns (a cut or overlapping heading runs there), ink over each shown column.
TEST_F(RoleTest, HeadingsOfTheDemoAgenciesStayInTheirColumns)
{
    Game().m_strScenarioName = "Millbrook.zri";
    ASSERT_TRUE(Game().LoadScenario());
    ASSERT_TRUE(Game().m_pSprites);
    m_roles = Game().m_pSprites->GetAgencies();
    MakeSession(3, 1, {RoleIF::kTopRole | 0x1, 0x2, 0x10});
    CSurface* back = Game().m_pDisplay->GetBackBuffer();
    Game().m_pDisplay->Clear(true);
    Role().Draw(back);
    const platform::PixelSurface& pixels = *back->GetPixels();
    EXPECT_TRUE(fixtures::SaveSurfaceBmp(pixels, "role_demo_headings.bmp"));
    const CScreenRect first = Role().CellRect(0, 0), second = Role().CellRect(0, 1);
    const int dx = second.x - first.x;
    // The heading band: the rows just above the grid, inside its frame.
    const int top = first.y - 22, bottom = first.y - 2, left = first.x;
    const uint32_t paper = pixels.GetPixel(left + 1, top + 1);
    auto inkIn = [&](int x0, int x1) {
        int n = 0;
        for (int y = top; y < bottom; ++y)
            for (int x = x0; x < x1; ++x)
                n += pixels.GetPixel(x, y) != paper;
        return n;
    };
    for (int c = 0; c < CRoleMenuData::kColumns; ++c) {
        SCOPED_TRACE(c);
        if (c > 0 && Role().IsRoleColumn(c - 1) && Role().IsRoleColumn(c)) {
            EXPECT_EQ(inkIn(left + c * dx - 2, left + c * dx + 2), 0) << "a heading runs to its column's edge";
        }
        if (Role().IsRoleColumn(c)) {
            EXPECT_GT(inkIn(left + c * dx + 1, left + (c + 1) * dx - 1), 10);
        }
    }
}

TEST_F(RoleTest, ScreenshotOfFourPlayers)
{
    MakeSession(4, 1, {RoleIF::kTopRole | 0x1, 0x2 | RoleIF::kReady, 0x10, 0});
    Game().AddMessage("Welcome to the Millbrook drill", -1, 0, 0, -3);
    Game().AddMessage("Player 2 takes EMS; the Command Post goes by the town hall car park once the engines are "
                      "in and the wind has been checked against the chemical plume",
                      -1, 0, 0, 101);
    Role().m_strChat = std::string(30, 'x') + " the end of a long line typed into the entry stays in view";
    const CScreenRect hover = Role().CellRect(1, 0);
    Role().OnMouseMove(hover.x + 1, hover.y + 1, 0);
    CSurface* back = Game().m_pDisplay->GetBackBuffer();
    Game().m_pDisplay->Clear(true);
    Role().Draw(back);
    const platform::PixelSurface* pixels = back->GetPixels();
    ASSERT_TRUE(pixels);
    const CScreenRect set = Role().CellRect(0, 0), clear = Role().CellRect(0, 1);
    EXPECT_NE(pixels->GetPixel(set.x + set.width / 2, set.y + set.height / 2),
              pixels->GetPixel(clear.x + clear.width / 2, clear.y + clear.height / 2));
    EXPECT_TRUE(fixtures::SaveSurfaceBmp(*pixels, "role_screenshot.bmp"));
}

} // namespace
