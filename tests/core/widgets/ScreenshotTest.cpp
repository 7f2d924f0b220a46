// Draws a whole frame headless (keyed art, text in two fonts, an open pop-up menu), checks it and writes it as
// popup_screenshot.bmp in the test's build folder for a person to look at.
#include "core/display/CDisplay.h"
#include "core/sound/CSoundManager.h"
#include "core/widgets/CPopupMenuView.h"
#include "platform/display/PresentTarget.h"
#include "platform/gdi/DeviceContext.h"
#include "platform/system/MessageBox.h"
#include "PopupFixture.h"

#include <gtest/gtest.h>

namespace {

// A 48 x 48 sprite: a red disc with a white cross, magenta around it.
COLORREF Sprite(int x, int y)
{
    int dx = x - 24, dy = y - 24;
    if (dx * dx + dy * dy > 22 * 22)
        return RGB(255, 0, 255);
    if ((dx > -3 && dx < 3 && dy > -14 && dy < 14) || (dy > -3 && dy < 3 && dx > -14 && dx < 14))
        return RGB(255, 255, 255);
    return RGB(200, 30, 30);
}

} // namespace

TEST(Screenshot, KeyedArtTwoFontsAndAnOpenMenu)
{
    platform::SetMessageEcho(false);
    const std::string dir = fixtures::TestFolder();
    fixtures::WritePopupFrame(dir);
    ASSERT_TRUE(fixtures::WriteFile(dir + "/GUI/Sprite.bmp", fixtures::MakeBmp24(48, 48, Sprite)));
    // A ground of tiles to show the key working over something other than a flat colour.
    ASSERT_TRUE(fixtures::WriteFile(dir + "/GUI/Ground.bmp", fixtures::MakeBmp24(64, 64, [](int x, int y) {
                                        return ((x / 16 + y / 16) % 2) ? RGB(70, 110, 60) : RGB(90, 130, 70);
                                    })));

    platform::NullPresentTarget window(800, 600);
    CDisplay display(&window, 800, 600, 16, RGB(20, 30, 60), true);
    platform::FakeSoundBackend backend;
    CSoundManager sound("Sounds", &backend);
    CPopupMenuView view("PopupMenu.txt", &display, dir.c_str(), &sound);
    ASSERT_TRUE(view.IsUsable());
    CSurface* back = display.GetBackBuffer();
    ASSERT_EQ(display.Clear(true), DD_OK);

    int w = 0, h = 0;
    CSurface* ground = display.BitmapToSurface(dir + "/GUI/Ground.bmp", &w, &h, true);
    ASSERT_TRUE(ground);
    RECT groundRect{0, 0, 64, 64};
    for (int y = 0; y < 448; y += 64)
        for (int x = 0; x < 800; x += 64)
            back->BltFast(x, y, ground, &groundRect, DDBLTFAST_NOCOLORKEY);

    CSurface* sprite = display.BitmapToSurface(dir + "/GUI/Sprite.bmp", &w, &h, true);
    ASSERT_TRUE(sprite);
    DDCOLORKEY key{display.ColorMatch(sprite, RGB(255, 0, 255)), RGB(255, 0, 255)};
    sprite->SetColorKey(DDCKEY_SRCBLT, &key);
    RECT spriteRect{0, 0, 48, 48};
    back->BltFast(100, 100, sprite, &spriteRect, DDBLTFAST_SRCCOLORKEY); // keyed: the ground shows around it
    back->BltFast(200, 100, sprite, &spriteRect, DDBLTFAST_NOCOLORKEY);  // plain: a magenta square

    // Text in two fonts on the HUD band.
    platform::gdi::FontDesc titleDesc;
    titleDesc.height = 24;
    platform::gdi::FontDesc boldDesc;
    boldDesc.height = 14;
    boldDesc.weight = platform::gdi::FW_BOLD;
    auto title = platform::gdi::Font::Create(titleDesc);
    auto bold = platform::gdi::Font::Create(boldDesc);
    ASSERT_TRUE(title && bold);
    platform::gdi::DeviceContext* dc = nullptr;
    ASSERT_EQ(back->GetDC(&dc), DD_OK);
    dc->SetBkMode(platform::gdi::TRANSPARENT);
    dc->SelectFont(title.get());
    dc->SetTextColor(RGB(255, 255, 255));
    RECT titleRect{20, 460, 780, 500};
    dc->DrawText("Zoranth - Incident Command", -1, &titleRect,
                 platform::gdi::DT_SINGLELINE | platform::gdi::DT_VCENTER);
    dc->SelectFont(bold.get());
    dc->SetTextColor(RGB(255, 210, 60));
    RECT boldRect{20, 510, 780, 540};
    dc->DrawText("Resource Points: 250   Wind 12 mph NW", -1, &boldRect,
                 platform::gdi::DT_SINGLELINE | platform::gdi::DT_VCENTER);
    back->ReleaseDC(dc);

    // An order menu with check marks, one line checked, one disabled, the pointer on the second line.
    CPopupMenu menu(1, true);
    menu.AddItem("Move", 1);
    menu.AddItem("Assault", 2);
    menu.AddItem("Defuse Bomb", 3);
    menu.AddItem("Give First Aid", 4);
    menu.SetChecked(0, true);
    menu.SetEnabled(2, false);
    ASSERT_TRUE(view.Open(&menu, 400, 150));
    ASSERT_TRUE(view.Render());
    view.OnMouseMove(450, 150 + fixtures::kEdgeHeight + fixtures::kItemHeight + 5, 0);
    view.Draw(back);
    ASSERT_EQ(display.Present(), DD_OK);

    const platform::PixelSurface& frame = *display.GetPrimary()->GetPixels();
    ASSERT_TRUE(fixtures::SaveSurfaceBmp(frame, "popup_screenshot.bmp"));

    // What a person should see, checked at a few places.
    EXPECT_EQ(frame.GetPixel(102, 102), platform::ColorRefTo565(RGB(90, 130, 70)));   // ground around the keyed disc
    EXPECT_EQ(frame.GetPixel(202, 102), 0xF81F);                                      // plain copy keeps magenta
    EXPECT_EQ(frame.GetPixel(124, 124), platform::ColorRefTo565(RGB(255, 255, 255))); // the cross
    EXPECT_EQ(frame.GetPixel(400, 150), platform::ColorRefTo565(RGB(90, 130, 70)));   // rounded corner is keyed
    EXPECT_EQ(frame.GetPixel(401 + 8, 150 + fixtures::kEdgeHeight + 8),
              platform::ColorRefTo565(RGB(30, 120, 30))); // the check mark of the first line
    int hoverInk = 0, titleInk = 0, boldInk = 0;
    for (int y = 0; y < 600; ++y)
        for (int x = 0; x < 800; ++x) {
            uint16_t p = frame.GetPixel(x, y);
            hoverInk += y >= 180 && y < 200 && x >= 400 && x < 550 && p == platform::ColorRefTo565(0x326418);
            titleInk += y >= 460 && y < 500 && p == 0xFFFF;
            boldInk += y >= 510 && y < 540 && p == platform::ColorRefTo565(RGB(255, 210, 60));
        }
    EXPECT_GT(hoverInk, 10);
    EXPECT_GT(titleInk, 50);
    EXPECT_GT(boldInk, 30);
    delete ground;
    delete sprite;
    platform::SetMessageEcho(true);
}
