// The HUD's info panel selection, message panel layouts and redraws, the banner, and a screenshot of the bar.
#include "core/display/CDisplay.h"
#include "core/world/StationData.h"
#include "game/app/GameMessages.h"
#include "tests/game/screens/hud/HUDFixture.h"
#include "platform/system/Clock.h"
#include "tests/support/DisplayFixtures.h"

namespace {

using P = HudPoints;

class HUDPanelTest : public HUDFixture {};

TEST_F(HUDPanelTest, HoveringTheMessagePanelExpandsIt)
{
    Game().m_uMessageState = 0x2;
    const int before = Hud().m_nMessageRedraws;
    EXPECT_EQ(Hud().OnMouseMove(P::kMessagesX, P::kMessagesY, 0), 1);
    EXPECT_EQ(Hud().m_nHover, 15);
    EXPECT_EQ(Game().m_bMessagePanelOpen, 1);
    EXPECT_TRUE(Game().IsMessagePanelOpen());
    EXPECT_EQ(Hud().m_nMessageRedraws, before + 1);
    // Expanded with state bit 0x2 the panel is the taller layout.
    const int tall = Hud().MessagePanelWidth();
    EXPECT_GT(tall, 0);
    // Back over the map the panel folds.
    EXPECT_EQ(Hud().OnMouseMove(P::kMessagesX, 200, 0), 0);
    EXPECT_EQ(Game().m_bMessagePanelOpen, 0);
    EXPECT_EQ(Hud().m_nMessageRedraws, before + 2);
}

TEST_F(HUDPanelTest, MessagesDrawTheVisiblePage)
{
    Game().AddMessage("First line", -1, 0, 0, -3);
    Game().AddMessage("Second line", -1, 0, RGB(200, 0, 0), -3);
    EXPECT_EQ(Hud().DrawMessages(), Game().FillMessageLogView());
    EXPECT_GE(Hud().DrawMessages(), 2);
    RECT rect{};
    platform::gdi::DeviceContext* dc = Hud().BeginMessageText(&rect);
    ASSERT_NE(dc, nullptr);
    EXPECT_EQ(rect.left, 10);
    EXPECT_EQ(rect.top, 5);
    EXPECT_EQ(rect.bottom, 19);
    EXPECT_EQ(rect.right - rect.left, Hud().MessagePanelWidth());
    Hud().EndMessageText(dc);
}

// A line that reached the log on the role screen (wrapped there for its 70 characters) is wrapped again for the
// message panel: nothing is drawn in the panel's strip beside its scroll buttons.
TEST_F(HUDPanelTest, LinesFromTheRoleScreenWrapToThePanel)
{
    auto frame = [&] {
        Game().Draw();
        return *Game().m_pDisplay->GetBackBuffer()->GetPixels();
    };
    const platform::PixelSurface before = frame();
    const uint32_t mode = Game().m_uMode;
    Game().m_uMode = (mode & ~kModeRunning) | kModeRoleSelect;
    const std::string text = "Bob: all four crews are on the role screen now, the host starts when everyone is ready";
    Game().AddMessage(text, -1, 0, 0, 7);
    Game().m_uMode = mode;
    Hud().DrawMessages();
    const platform::PixelSurface after = frame();
    EXPECT_TRUE(fixtures::SaveSurfaceBmp(after, "hud_role_line.bmp"));
    // The panel (art row 48) holds its text up to 34 pixels from its right edge.
    const int right = 524 + 250, x0 = right - 32, y0 = 452, y1 = 452 + 110;
    int strip = 0, ink = 0;
    for (int y = y0; y < y1; ++y) {
        for (int x = x0; x < right - 1; ++x)
            strip += before.GetPixel(x, y) != after.GetPixel(x, y);
        for (int x = 534; x < x0; ++x)
            ink += before.GetPixel(x, y) != after.GetPixel(x, y);
    }
    EXPECT_EQ(strip, 0);
    EXPECT_GT(ink, 100);
    ASSERT_GE(Hud().m_aMessageRows.size(), 2u);
    for (const std::string& row : Hud().m_aMessageRows)
        EXPECT_LT(Hud().MeasureMessageText(row), Hud().MessagePanelWidth()) << row;
    std::string shown;
    for (const std::string& row : Hud().m_aMessageRows)
        shown += row + " ";
    EXPECT_NE(shown.find("when everyone is ready"), std::string::npos) << shown;
}

TEST_F(HUDPanelTest, InfoSelectionDropsWhatIsGone)
{
    // A squad of the scenario stays shown; one that left both managers is dropped.
    Hud().ShowInfo(HUD::kInfoSquad, m_squad);
    Hud().DrawInfoPanel(nullptr, -1);
    EXPECT_EQ(Hud().m_pInfoObject, m_squad);
    static const int stranger = 0;
    Hud().ShowInfo(HUD::kInfoSquad, &stranger);
    Hud().DrawInfoPanel(nullptr, -1);
    EXPECT_EQ(Hud().m_pInfoObject, nullptr);
    EXPECT_EQ(Hud().m_nInfoKind, HUD::kInfoNone);
    // A feature sprite no longer in the incident world likewise.
    Hud().ShowInfo(HUD::kInfoSprite, &stranger);
    Hud().DrawInfoPanel(nullptr, -1);
    EXPECT_EQ(Hud().m_pInfoObject, nullptr);
    // The periodic redraw's clock value does not replace the kind.
    Hud().ShowInfo(HUD::kInfoSquad, m_squad);
    Hud().DrawInfoPanel(nullptr, 123456);
    EXPECT_EQ(Hud().m_nInfoKind, HUD::kInfoSquad);
}

TEST_F(HUDPanelTest, UnitPageAsksForTheUnitRecord)
{
    int asked = 0;
    Hud().m_fnUnitInfo = [&](int section, int unit, CHudUnitInfo& out) {
        ++asked;
        EXPECT_EQ(section, 1);
        EXPECT_EQ(unit, 4);
        out.strName = "Staging Area Manager";
        out.nDescription = 1;
        return true;
    };
    Hud().ShowUnitInfo(1, 4);
    Hud().DrawInfoPanel(nullptr, -1);
    EXPECT_EQ(asked, 1);
    EXPECT_EQ(Hud().m_nInfoKind, HUD::kInfoUnit);
}

TEST_F(HUDPanelTest, CommandButtonBlinksWhileAnIAPWaitsForThisPlayer)
{
    CSurface* back = Game().m_pDisplay->GetBackBuffer();
    const uint32_t now = platform::GetTickCount();
    Game().m_uMode |= kModeIAPApproval;
    Hud().m_bBlink = false;
    Hud().m_uLastBlink = now - 501;
    Hud().Draw(back);
    EXPECT_TRUE(Hud().m_bBlink);
    Hud().Draw(back); // within 500 ms: no flip
    EXPECT_TRUE(Hud().m_bBlink);
    // A networked player without the Zoranth role sees no blink.
    Game().m_uMode &= ~kModeSingle;
    Game().GetLocalPlayerInfo()->uRoleFlags = kRolePlanningChief;
    Hud().m_uLastBlink = now - 501;
    Hud().Draw(back);
    EXPECT_TRUE(Hud().m_bBlink);
    // Planning's review state blinks for the Planning chief.
    Game().m_uMode = (Game().m_uMode & ~kModeIAPApproval) | kModeIAPReview;
    Hud().Draw(back);
    EXPECT_FALSE(Hud().m_bBlink);
}

// A screenshot of the bar with a station selected, messages, the paused banner and the save dialog open.
TEST_F(HUDPanelTest, Screenshot)
{
    CSprite* station = nullptr;
    for (CSprite* s = Game().m_pAreaSprites->GetHead(); s; s = s->m_pNext)
        if (s->Kind() == kStationSprite && s->m_pStationData && s->m_pStationData->GetResource(0))
            station = s;
    ASSERT_NE(station, nullptr);
    Hud().ShowInfo(HUD::kInfoStation, station);
    Game().AddMessage("Welcome to Millbrook.", -1, 0, RGB(20, 20, 120), -3);
    Game().AddMessage("Fire reported near the school.", -1, 0, RGB(160, 20, 20), -3);
    Hud().m_strChat = "Send two engines";
    Hud().DrawChatEntry();
    Hud().DrawMessages();
    Hud().OnMouseMove(P::kOptionsX, P::kOptionsY, 0);
    Hud().OpenSaveDialog();
    Hud().m_aSaveNames[HUD::kTypingSlot] = "Before the storm";
    Hud().OnSaveDialogMouse(0, 0, 0);
    Game().Draw();
    CSurface* back = Game().m_pDisplay->GetBackBuffer();
    ASSERT_NE(back, nullptr);
    EXPECT_TRUE(fixtures::SaveSurfaceBmp(*back->GetPixels(), "hud_screenshot.bmp"));
    // The banner says "Scenario Saving": its row differs from the clean bar there.
    EXPECT_TRUE(Game().m_uMode & kModeSaving);
}

} // namespace
