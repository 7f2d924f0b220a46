// The frame's draw order in play: an open menu lies over the bar and the EOC screen; screenshots of each bar menu.
#include "core/display/CDisplay.h"
#include "tests/game/screens/hud/HUDFixture.h"
#include "tests/support/DisplayFixtures.h"

namespace {

using P = HudPoints;

class HUDDrawOrderTest : public HUDFixture {
public:
    // The back buffer of a fresh frame.
    platform::PixelSurface Frame()
    {
        Game().Draw();
        return *Game().m_pDisplay->GetBackBuffer()->GetPixels();
    }
    // Pixels of the open menu's box that differ between two frames.
    int Differences(const platform::PixelSurface& a, const platform::PixelSurface& b, int top, int bottom)
    {
        CPopupMenu* menu = View()->GetOpenMenu();
        int n = 0;
        for (int y = std::max(menu->GetY(), top); y < std::min(menu->GetY() + menu->GetHeight(), bottom); ++y)
            for (int x = menu->GetX(); x < menu->GetX() + menu->GetWidth(); ++x)
                n += a.GetPixel(x, y) != b.GetPixel(x, y);
        return n;
    }
};

// Each bar menu opens over the bar: the part of its box inside the bar differs from the bar without it.
TEST_F(HUDDrawOrderTest, BarMenusLieOverTheBar)
{
    const struct {
        int x, y;
        bool right;
        const char* file;
    } menus[] = {{P::kCommandX, P::kCommandY, false, "hud_menu_command.bmp"},
                 {P::kOptionsX, P::kOptionsY, false, "hud_menu_options.bmp"},
                 {P::kFiltersX, P::kFiltersY, true, "hud_menu_filters.bmp"},
                 {P::kOverlaysX, P::kOverlaysY, true, "hud_menu_overlays.bmp"},
                 {P::kMessagesX, P::kMessagesY, true, "hud_menu_msg_filters.bmp"}};
    for (const auto& m : menus) {
        SCOPED_TRACE(m.file);
        View()->SetShown(false);
        Hud().OnMouseMove(m.x, m.y, 0);
        const platform::PixelSurface closed = Frame();
        Click(m.x, m.y, m.right);
        ASSERT_TRUE(View()->IsShown());
        const platform::PixelSurface open = Frame();
        CPopupMenu* menu = View()->GetOpenMenu();
        if (menu->GetY() + menu->GetHeight() > 448) {
            EXPECT_GT(Differences(closed, open, 448, 600), 0);
        }
        EXPECT_GT(Differences(closed, open, 0, 600), 0);
        EXPECT_TRUE(fixtures::SaveSurfaceBmp(open, m.file));
    }
}

// "OK" in a check-mark menu is drawn as a plain command line, without a check box before it.
TEST_F(HUDDrawOrderTest, CheckMarkMenusShowOKWithoutACheckBox)
{
    // Pixels left of the text, in the middle rows of a line, that break its run of background: a check box.
    auto boxPixels = [](const platform::PixelSurface& line) {
        int n = 0;
        for (int y = line.Height() / 4; y < line.Height() * 3 / 4; ++y)
            for (int x = 4; x < 22; ++x)
                n += line.GetPixel(x, y) != line.GetPixel(3, y);
        return n;
    };
    for (int slot : {kHudMenuFilters, kHudMenuOverlays, kHudMenuMsgFilters}) {
        SCOPED_TRACE(slot);
        CPopupMenu* menu = Hud().GetMenu(slot);
        ASSERT_TRUE(menu && menu->GetCount() > 1);
        ASSERT_TRUE(View()->Open(menu, 100, 100));
        View()->Render();
        const CPopupMenuItem* ok = menu->GetItem(menu->GetCount() - 1);
        ASSERT_STREQ(ok->szText, "OK");
        EXPECT_EQ(boxPixels(*ok->pSurface->GetPixels()), 0);
        EXPECT_GT(boxPixels(*menu->GetItem(0)->pSurface->GetPixels()), 0) << "the other lines keep their boxes";
    }
}

// A squad's order menu opened low on the map keeps its lower items over the bar.
TEST_F(HUDDrawOrderTest, OrderMenuLiesOverTheBar)
{
    CentreOn(m_squad);
    Game().SelectSquad(m_squad);
    const platform::PixelSurface closed = Frame();
    Game().OpenOrderMenu(m_squad, 300, 420);
    ASSERT_TRUE(View()->IsShown());
    const platform::PixelSurface open = Frame();
    if (View()->GetOpenMenu()->GetY() + View()->GetOpenMenu()->GetHeight() > 448) {
        EXPECT_GT(Differences(closed, open, 448, 600), 0);
    }
    EXPECT_TRUE(fixtures::SaveSurfaceBmp(open, "hud_order_menu.bmp"));
}

// A menu opened over the EOC screen (its chief list) is drawn above it; the EOC window leaves the bar whole.
TEST_F(HUDDrawOrderTest, MenuLiesOverTheEOCScreen)
{
    const platform::PixelSurface bar = Frame();
    Game().m_pEOC->Open();
    ASSERT_TRUE(Game().m_pEOC->m_bShown);
    const platform::PixelSurface closed = Frame();
    EXPECT_TRUE(fixtures::SaveSurfaceBmp(closed, "hud_eoc_command.bmp"));
    int covered = 0;
    for (int y = 448; y < 600; ++y)
        for (int x = 0; x < 800; ++x)
            covered += bar.GetPixel(x, y) != closed.GetPixel(x, y);
    EXPECT_EQ(covered, 0);
    ASSERT_TRUE(View()->Open(Hud().GetMenu(kHudMenuCommand), 300, 200));
    View()->Render();
    EXPECT_GT(Differences(closed, Frame(), 0, 600), 0);
}

} // namespace
