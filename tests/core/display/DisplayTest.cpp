// Tests of the display: start-up and its failures, clearing, presenting, colour matching and the art loaders.
#include "core/display/CDisplay.h"

#include "platform/display/PresentTarget.h"
#include "platform/gdi/DeviceContext.h"
#include "platform/system/MessageBox.h"
#include "support/DisplayFixtures.h"

#include <gtest/gtest.h>

namespace {

constexpr COLORREF kMagenta = 0xFF00FF;
constexpr uint16_t kMagentaPixel = 0xF81F;

// Art: a 16 x 8 picture, magenta but for a green 4 x 4 square at (2, 2) and a red column at x 12.
COLORREF Art(int x, int y)
{
    if (x >= 2 && x < 6 && y >= 2 && y < 6)
        return RGB(0, 255, 0);
    if (x == 12)
        return RGB(255, 0, 0);
    return kMagenta;
}

class DisplayTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        platform::SetMessageEcho(false);
        platform::ClearRecordedMessages();
        m_dir = fixtures::TestFolder();
        m_art = m_dir + "/art.bmp";
        ASSERT_TRUE(fixtures::WriteFile(m_art, fixtures::MakeBmp24(16, 8, Art)));
    }
    void TearDown() override
    {
        platform::ClearRecordedMessages();
        platform::SetMessageEcho(true);
    }
    std::string m_dir, m_art;
    platform::NullPresentTarget m_window{800, 600};
    CDisplay m_display{&m_window, 800, 600, 16, 0, true};
};

uint16_t Pixel(CSurface* s, int x, int y)
{
    return s->GetPixels()->GetPixel(x, y);
}

} // namespace

TEST_F(DisplayTest, StartsWithBackBufferOfTheAskedSize)
{
    ASSERT_TRUE(m_display.IsUsable());
    EXPECT_EQ(m_display.GetBackBuffer()->GetWidth(), 800);
    EXPECT_EQ(m_display.GetBackBuffer()->GetHeight(), 600);
    EXPECT_EQ(m_display.GetBackBufferRect(), (RECT{0, 0, 800, 600}));
    EXPECT_EQ(m_display.GetFillRecord().dwSize, 100u);
    EXPECT_TRUE(platform::RecordedMessages().empty());
}

TEST_F(DisplayTest, ColorMatchGivesFiveSixFivePixelsAndLeavesTheSurfaceAsItWas)
{
    CSurface* back = m_display.GetBackBuffer();
    back->GetPixels()->SetPixel(0, 0, 0x1234);
    EXPECT_EQ(m_display.ColorMatch(back, kMagenta), 0xF81Fu);
    EXPECT_EQ(m_display.ColorMatch(back, 0xFF8264), (12u << 11) | (32u << 5) | 31u);
    EXPECT_EQ(Pixel(back, 0, 0), 0x1234);
    CSurface empty;
    EXPECT_EQ(m_display.ColorMatch(&empty, kMagenta), 0xFFFFFFFFu);
    EXPECT_EQ(m_display.ColorMatch(nullptr, kMagenta), 0xFFFFFFFFu);
}

TEST_F(DisplayTest, ClearFillsWithTheClearColourOnlyWhenAsked)
{
    platform::NullPresentTarget window(800, 448);
    CDisplay editor(&window, 800, 448, 16, 0xFF8264, true); // the area-map editor's display
    CSurface* back = editor.GetBackBuffer();
    back->GetPixels()->Fill(nullptr, 0x0001);
    EXPECT_EQ(editor.Clear(false), DD_OK);
    EXPECT_EQ(Pixel(back, 400, 200), 0x0001);
    EXPECT_EQ(editor.Clear(true), DD_OK);
    EXPECT_EQ(Pixel(back, 0, 0), platform::ColorRefTo565(0xFF8264));
    EXPECT_EQ(Pixel(back, 799, 447), platform::ColorRefTo565(0xFF8264));
}

TEST_F(DisplayTest, PresentCopiesTheBackBufferToThePrimaryAndTheWindow)
{
    m_display.GetBackBuffer()->GetPixels()->SetPixel(10, 20, 0xBEEF);
    EXPECT_EQ(m_display.Present(), DD_OK);
    EXPECT_EQ(m_window.PresentCount(), 1);
    EXPECT_EQ(Pixel(m_display.GetPrimary(), 10, 20), 0xBEEF);
    m_window.SetFailPresents(true);
    EXPECT_NE(m_display.Present(), DD_OK);
    CDisplay headless(nullptr, 64, 48, 16, 0, true);
    EXPECT_EQ(headless.Present(), DD_OK);
}

TEST_F(DisplayTest, FailedStartReportsAndLeavesADisplayThatRefusesToDraw)
{
    CDisplay failed(&m_window, 800, 600, 24, 0, false);
    EXPECT_FALSE(failed.IsUsable());
    EXPECT_EQ(failed.GetBackBuffer(), nullptr);
    ASSERT_EQ(platform::RecordedMessages().size(), 1u);
    EXPECT_EQ(platform::RecordedMessages()[0].title, "MAIN_WINDOW");
    EXPECT_EQ(failed.Clear(false), DD_OK);
    EXPECT_EQ(failed.Clear(true), DDERR_NOTINITIALIZED);
    EXPECT_EQ(failed.Present(), DDERR_NOTINITIALIZED);
    EXPECT_EQ(m_window.PresentCount(), 0);

    CDisplay tooLarge(&m_window, 100000, 600, 16, 0, true);
    EXPECT_FALSE(tooLarge.IsUsable());
    EXPECT_EQ(tooLarge.Present(), DDERR_NOTINITIALIZED);
}

TEST_F(DisplayTest, UpdateBoundsMovesTheWindowRectangleOnlyWhenWindowed)
{
    m_window.SetOrigin(POINT{0, 0});
    EXPECT_EQ(m_display.UpdateBounds(&m_window, 30, 40), DD_OK);
    EXPECT_EQ(m_display.GetWindowRect(), (RECT{30, 40, 830, 640}));
    CDisplay full(&m_window, 800, 600, 16, 0, false);
    RECT before = full.GetWindowRect();
    EXPECT_EQ(full.UpdateBounds(&m_window, 30, 40), DD_OK);
    EXPECT_EQ(full.GetWindowRect(), before);
}

TEST_F(DisplayTest, BitmapLoadsAtItsOwnSizeOrCroppedOneToOne)
{
    int w = 0, h = 0;
    CSurface* whole = m_display.BitmapToSurface(m_art, &w, &h, true);
    ASSERT_TRUE(whole);
    EXPECT_EQ(w, 16);
    EXPECT_EQ(h, 8);
    EXPECT_EQ(Pixel(whole, 12, 7), platform::ColorRefTo565(RGB(255, 0, 0)));

    int cw = 8, ch = 0;
    CSurface* crop = m_display.BitmapToSurface(m_art, &cw, &ch, true);
    ASSERT_TRUE(crop);
    EXPECT_EQ(crop->GetWidth(), 8);
    EXPECT_EQ(ch, 8);
    for (int y = 0; y < 8; ++y)
        for (int x = 0; x < 8; ++x)
            EXPECT_EQ(Pixel(crop, x, y), platform::ColorRefTo565(Art(x, y))) << x << "," << y;
    delete whole;
    delete crop;
    EXPECT_TRUE(platform::RecordedMessages().empty());
}

TEST_F(DisplayTest, MissingBitmapReportsOnlyWhenAskedWithTheWholePath)
{
    int w = 0, h = 0;
    EXPECT_EQ(m_display.BitmapToSurface("missing.bmp", &w, &h, false), nullptr);
    EXPECT_TRUE(platform::RecordedMessages().empty());
    std::string longPath = std::string(600, 'd') + "/missing.bmp";
    EXPECT_EQ(m_display.BitmapToSurface(longPath, &w, &h, true), nullptr);
    ASSERT_EQ(platform::RecordedMessages().size(), 1u);
    EXPECT_EQ(platform::RecordedMessages()[0].title, "BitmapToSurface");
    EXPECT_EQ(platform::RecordedMessages()[0].text, " Couldn't load " + longPath + "\n");
    EXPECT_EQ(platform::RecordedDebugOutput().back(), " Couldn't load " + longPath + "\n");
}

TEST_F(DisplayTest, KeyAppliesOnlyWhenTheBlitAsksForIt)
{
    int w = 0, h = 0;
    CSurface* art = m_display.BitmapToSurface(m_art, &w, &h, false);
    ASSERT_TRUE(art);
    DDCOLORKEY key{m_display.ColorMatch(art, kMagenta), kMagenta};
    ASSERT_EQ(art->SetColorKey(DDCKEY_SRCBLT, &key), DD_OK);
    CSurface* back = m_display.GetBackBuffer();
    back->GetPixels()->Fill(nullptr, 0x0841);
    RECT all{0, 0, w, h};
    EXPECT_EQ(back->BltFast(100, 100, art, &all, DDBLTFAST_SRCCOLORKEY), DD_OK);
    EXPECT_EQ(back->BltFast(200, 100, art, &all, DDBLTFAST_NOCOLORKEY), DD_OK);
    EXPECT_EQ(Pixel(back, 100, 100), 0x0841);                          // magenta skipped
    EXPECT_EQ(Pixel(back, 103, 103), platform::ColorRefTo565(0xFF00)); // art drawn
    EXPECT_EQ(Pixel(back, 200, 100), kMagentaPixel);                   // plain copy keeps magenta
    // Blt applies the key with DDBLT_KEYSRC and stretches to the destination rectangle.
    RECT dest{300, 100, 332, 116};
    EXPECT_EQ(back->Blt(&dest, art, &all, DDBLT_KEYSRC | DDBLT_WAIT, nullptr), DD_OK);
    EXPECT_EQ(Pixel(back, 300, 100), 0x0841);
    EXPECT_EQ(Pixel(back, 306, 106), platform::ColorRefTo565(0xFF00));
    RECT inverted{10, 10, 0, 0};
    EXPECT_EQ(back->BltFast(0, 0, art, &inverted, 0), DDERR_INVALIDRECT);
    delete art;
}

TEST_F(DisplayTest, TileCutFromAGeneratedSheet)
{
    // A sheet of 4 x 4 tiles of 8 pixels, each tile one colour.
    auto tileColour = [](int row, int col) { return RGB(row * 60, col * 60, 100); };
    ASSERT_TRUE(fixtures::WriteFile(
        m_dir + "/sheet.bmp", fixtures::MakeBmp24(32, 32, [&](int x, int y) { return tileColour(y / 8, x / 8); })));
    int w = 32, h = 32;
    CSurface* sheet = m_display.BitmapToSurface(m_dir + "/sheet.bmp", &w, &h, true);
    ASSERT_TRUE(sheet);
    CSurface* tile = m_display.CreateTileSurface(sheet, 2, 1, 8);
    ASSERT_TRUE(tile);
    EXPECT_EQ(tile->GetWidth(), 8);
    for (int y = 0; y < 8; ++y)
        for (int x = 0; x < 8; ++x)
            ASSERT_EQ(Pixel(tile, x, y), platform::ColorRefTo565(tileColour(2, 1)));
    EXPECT_EQ(m_display.CreateTileSurface(sheet, 4, 0, 8), nullptr);
    EXPECT_EQ(m_display.CreateTileSurface(sheet, 0, 0, 0), nullptr);
    EXPECT_EQ(m_display.CreateTileSurface(nullptr, 0, 0, 8), nullptr);
    delete tile;
    delete sheet;
}

TEST_F(DisplayTest, KeyedSurfaceIsAPlainCopyOverTheFillColourWithAMagentaKey)
{
    platform::NullPresentTarget window(64, 64);
    CDisplay display(&window, 64, 64, 16, RGB(0, 0, 255), true);
    int w = 0, h = 0;
    CSurface* art = display.BitmapToSurface(m_art, &w, &h, false);
    ASSERT_TRUE(art);
    CSurface* keyed = display.CreateKeyedSurface(art, 20, 8);
    ASSERT_TRUE(keyed);
    EXPECT_TRUE(keyed->HasColorKey());
    EXPECT_EQ(Pixel(keyed, 0, 0), kMagentaPixel);                            // copied, key not applied
    EXPECT_EQ(Pixel(keyed, 18, 0), platform::ColorRefTo565(RGB(0, 0, 255))); // beyond the source: fill colour
    CSurface* back = display.GetBackBuffer();
    back->GetPixels()->Fill(nullptr, 0x0841);
    RECT all{0, 0, 20, 8};
    back->BltFast(0, 0, keyed, &all, DDBLTFAST_SRCCOLORKEY);
    EXPECT_EQ(Pixel(back, 0, 0), 0x0841);
    EXPECT_EQ(Pixel(back, 12, 0), platform::ColorRefTo565(RGB(255, 0, 0)));
    delete keyed;
    delete art;
}

TEST_F(DisplayTest, SurfacesOutliveTheDisplay)
{
    auto* display = new CDisplay(nullptr, 32, 32, 16, 0, true);
    int w = 0, h = 0;
    CSurface* art = display->BitmapToSurface(m_art, &w, &h, false);
    delete display;
    ASSERT_TRUE(art);
    EXPECT_EQ(art->GetWidth(), 16);
    art->Release();
    delete art;
}

TEST_F(DisplayTest, DeviceContextAndLockAreExclusive)
{
    CSurface* back = m_display.GetBackBuffer();
    platform::gdi::DeviceContext* dc = nullptr;
    ASSERT_EQ(back->GetDC(&dc), DD_OK);
    platform::gdi::DeviceContext* second = nullptr;
    EXPECT_EQ(back->GetDC(&second), DDERR_DCALREADYCREATED);
    CSurfaceDesc desc;
    EXPECT_EQ(back->Lock(nullptr, &desc, 0, nullptr), DDERR_SURFACEBUSY);
    EXPECT_EQ(back->ReleaseDC(dc), DD_OK);
    RECT part{10, 5, 20, 6};
    ASSERT_EQ(back->Lock(&part, &desc, 0, nullptr), DD_OK);
    static_cast<uint16_t*>(desc.GetDesc()->lpSurface)[0] = 0x4321;
    EXPECT_EQ(desc.GetDesc()->lPitch, 1600);
    EXPECT_EQ(desc.GetDesc()->ddpfPixelFormat.dwRGBBitCount, 16u);
    EXPECT_EQ(back->Unlock(&part), DD_OK);
    EXPECT_EQ(back->Unlock(&part), DDERR_NOTLOCKED);
    EXPECT_EQ(Pixel(back, 10, 5), 0x4321);
    RECT outside{790, 0, 801, 1};
    EXPECT_EQ(back->Lock(&outside, &desc, 0, nullptr), DDERR_INVALIDRECT);
    EXPECT_FALSE(back->IsLost());
    EXPECT_EQ(back->Restore(), DD_OK);
}
