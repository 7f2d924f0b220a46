// Tests of the image object's graphics glue: device bitmaps in and out, drawing into device contexts, text, icons.
#include "imagelib/gdi/RasterGdi.h"
#include "platform/gdi/Font.h"
#include "RasterTestUtil.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <functional>
#include <vector>

using namespace rastertest;
using platform::ColorRefTo565;
using platform::PixelSurface;
using platform::Rgb565ToColorRef;
using platform::gdi::Bitmap;
using platform::gdi::DeviceContext;

namespace {

uint16_t To565(RGBQUAD c)
{
    return ColorRefTo565(RGB(c.rgbRed, c.rgbGreen, c.rgbBlue));
}

bool HaveFont()
{
    return !platform::gdi::FindFontFile("Arial", false, false).empty();
}

} // namespace

TEST(RasterGdi, CreateFromDeviceBitmapsGivesExactPixels)
{
    PixelSurface s;
    ASSERT_TRUE(s.Create(5, 3));
    for (int y = 0; y < 3; ++y)
        for (int x = 0; x < 5; ++x)
            s.SetPixel(x, y, static_cast<uint16_t>(x * 4099 + y * 977));
    CRaster img(10, 10, 24, RASTER_FORMAT_BMP);
    ASSERT_TRUE(img.CreateFromHBITMAP(s));
    EXPECT_EQ(img.GetBpp(), 24);
    EXPECT_EQ(img.GetType(), RASTER_FORMAT_BMP);
    for (int y = 0; y < 3; ++y)
        for (int x = 0; x < 5; ++x) {
            COLORREF c = Rgb565ToColorRef(s.GetPixel(x, y));
            RGBQUAD q = img.GetPixelColor(x, 2 - y); // the surface's top row is the image's last row
            ASSERT_EQ(RGB(q.rgbRed, q.rgbGreen, q.rgbBlue), c) << x << "," << y;
        }

    Bitmap b;
    b.width = 3;
    b.height = 2;
    b.pixels = {RGB(1, 2, 3), RGB(4, 5, 6), RGB(7, 8, 9), RGB(10, 11, 12), RGB(13, 14, 15), RGB(16, 17, 18)};
    ASSERT_TRUE(img.CreateFromHBITMAP(b));
    EXPECT_EQ(img.GetPixelColor(2, 1).rgbRed, 7);
    EXPECT_EQ(img.GetPixelColor(0, 0).rgbBlue, 12);
    Bitmap back;
    ASSERT_TRUE(img.MakeBitmap(back));
    EXPECT_EQ(back.pixels, b.pixels);

    EXPECT_FALSE(img.CreateFromHBITMAP(PixelSurface()));
    Bitmap broken;
    broken.width = 4;
    broken.height = 4;
    EXPECT_FALSE(img.CreateFromHBITMAP(broken));
}

TEST(RasterGdi, MakeDeviceBitmapAndSaveLikeTheMapDialog)
{
    // The area-map editor's path: a device bitmap into a 24-bit image, saved as BMP, read back.
    CRaster pattern = MakePattern(8, 6, 24);
    PixelSurface s;
    ASSERT_TRUE(pattern.MakeBitmap(s));
    EXPECT_EQ(s.GetPixel(3, 0), To565(pattern.GetPixelColor(3, 5)));
    CRaster img(8, 6, 24, RASTER_FORMAT_BMP);
    ASSERT_TRUE(img.CreateFromHBITMAP(s));
    std::string path = testing::TempDir() + "raster_gdi_map.bmp";
    ASSERT_TRUE(img.Save(path.c_str(), img.GetType()));
    CRaster loaded(path.c_str(), RASTER_FORMAT_BMP);
    EXPECT_EQ(ComparePixels(loaded, img), "");
    std::remove(path.c_str());
}

TEST(RasterGdi, DrawAtOwnSizeAndTwice)
{
    CRaster img = MakePattern(4, 3, 8);
    PixelSurface s;
    ASSERT_TRUE(s.Create(20, 20));
    DeviceContext dc(s);
    EXPECT_EQ(img.Draw(&dc, 2, 1), 1);
    for (int y = 0; y < 3; ++y)
        for (int x = 0; x < 4; ++x)
            ASSERT_EQ(s.GetPixel(2 + x, 1 + y), To565(img.GetPixelColor(x, 2 - y))) << x << "," << y;
    EXPECT_EQ(s.GetPixel(1, 1), 0);
    EXPECT_EQ(s.GetPixel(6, 1), 0);

    PixelSurface big;
    ASSERT_TRUE(big.Create(8, 6));
    DeviceContext dc2(big);
    EXPECT_EQ(img.Draw(&dc2, 0, 0, 8, 6), 1);
    for (int y = 0; y < 6; ++y)
        for (int x = 0; x < 8; ++x)
            ASSERT_EQ(big.GetPixel(x, y), To565(img.GetPixelColor(x / 2, 2 - y / 2))) << x << "," << y;

    // A clip rectangle keeps the rest untouched; nothing to draw gives 0.
    PixelSurface c;
    ASSERT_TRUE(c.Create(4, 3));
    DeviceContext dc3(c);
    RECT clip{0, 0, 2, 3};
    img.Draw(&dc3, 0, 0, -1, -1, &clip);
    EXPECT_NE(c.GetPixel(1, 0), 0);
    EXPECT_EQ(c.GetPixel(2, 0), 0);
    EXPECT_EQ(img.Draw(nullptr), 0);
    EXPECT_EQ(img.Draw(&dc3, 0, 0, 0, 5), 0);
    img.Enable(false);
    EXPECT_EQ(img.Draw(&dc3), 0);
}

TEST(RasterGdi, SmoothDrawIsBilinearWithEdgesRepeated)
{
    CRaster img(2, 1, 24, RASTER_FORMAT_BMP);
    img.SetPixelColor(1, 0, RGBQUAD{200, 200, 200, 0});
    PixelSurface s;
    ASSERT_TRUE(s.Create(4, 1));
    DeviceContext dc(s);
    EXPECT_EQ(img.Draw(&dc, 0, 0, 4, 1, nullptr, true), 1);
    // Target column c samples x = c / 2 - 0.5: the left edge repeats, the middle blends half and half.
    const uint8_t want[] = {0, 0, 100, 200};
    for (int x = 0; x < 4; ++x)
        EXPECT_EQ(s.GetPixel(x, 0), To565(RGBQUAD{want[x], want[x], want[x], 0})) << x;
}

TEST(RasterGdi, DrawBlendsAlphaAndSkipsTransparentPixels)
{
    CRaster img(2, 1, 24, 1);
    img.SetPixelColor(0, 0, RGBQUAD{0, 0, 248, 0});
    img.SetPixelColor(1, 0, RGBQUAD{0, 252, 0, 0});
    ASSERT_TRUE(img.AlphaCreate());
    img.AlphaSet(0, 0, 128);
    img.AlphaSet(1, 0, 0);
    PixelSurface s;
    ASSERT_TRUE(s.Create(2, 1));
    s.Fill(nullptr, ColorRefTo565(RGB(0, 0, 248)));
    DeviceContext dc(s);
    ASSERT_EQ(img.Draw(&dc), 1);
    // a = ((255 + 1) × 128) >> 8 = 128: (destination × 127 + source × 128) >> 8 per channel.
    COLORREF d = Rgb565ToColorRef(ColorRefTo565(RGB(0, 0, 248)));
    int r = (GetRValue(d) * 127 + 248 * 128) >> 8, b = (GetBValue(d) * 127) >> 8;
    EXPECT_EQ(s.GetPixel(0, 0), ColorRefTo565(RGB(r, 0, b)));
    EXPECT_EQ(s.GetPixel(1, 0), ColorRefTo565(RGB(0, 0, 248)));

    CRaster pal = MakePattern(3, 1, 8);
    pal.SetTransIndex(pal.GetPixelIndex(1, 0));
    PixelSurface t;
    ASSERT_TRUE(t.Create(3, 1));
    t.Fill(nullptr, 0x1234);
    DeviceContext dct(t);
    ASSERT_EQ(pal.Draw(&dct), 1);
    EXPECT_EQ(t.GetPixel(1, 0), 0x1234);
    EXPECT_EQ(t.GetPixel(0, 0), To565(pal.GetPixelColor(0, 0)));
    t.Fill(nullptr, 0x1234);
    ASSERT_EQ(pal.Draw2(&dct, 0, 0), 1);
    EXPECT_EQ(t.GetPixel(1, 0), 0x1234);
    EXPECT_EQ(t.GetPixel(2, 0), To565(pal.GetPixelColor(2, 0)));
}

TEST(RasterGdi, StretchOperationsAndTiles)
{
    CRaster img = MakePattern(3, 2, 24);
    PixelSurface s;
    ASSERT_TRUE(s.Create(6, 4));
    s.Fill(nullptr, 0x5555);
    DeviceContext dc(s);
    ASSERT_EQ(img.Stretch(&dc, 0, 0, 6, 4, RASTER_SRCINVERT), 1);
    EXPECT_NE(s.GetPixel(0, 0), 0x5555);
    ASSERT_EQ(img.Stretch(&dc, 0, 0, 6, 4, RASTER_SRCINVERT), 1);
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 6; ++x)
            ASSERT_EQ(s.GetPixel(x, y), 0x5555);
    ASSERT_EQ(img.Stretch(&dc, 0, 0, 6, 4), 1);
    EXPECT_EQ(s.GetPixel(5, 3), To565(img.GetPixelColor(2, 0)));

    PixelSurface tiles;
    ASSERT_TRUE(tiles.Create(7, 5));
    DeviceContext dt(tiles);
    RECT area{0, 0, 7, 5};
    ASSERT_EQ(img.Tile(&dt, &area), 1);
    EXPECT_EQ(tiles.GetPixel(3, 2), tiles.GetPixel(0, 0));
    EXPECT_EQ(tiles.GetPixel(6, 4), To565(img.GetPixelColor(0, 1)));
}

TEST(RasterGdi, DrawStringPutsTheBottomLineOnTheRowFromTheTop)
{
    if (!HaveFont())
        GTEST_SKIP() << "no TrueType font for Arial (fonts-liberation2)";
    CRaster img(120, 60, 24, 1);
    RGBQUAD red{0, 0, 255, 0};
    ASSERT_EQ(img.DrawString(nullptr, 10, 40, "Hg", red, "Arial", 24), 1);
    int count = 0, lowest = 1000, leftmost = 1000;
    for (int y = 0; y < 60; ++y)
        for (int x = 0; x < 120; ++x) {
            RGBQUAD c = img.GetPixelColor(x, y);
            if (c.rgbRed == 255) {
                ++count;
                lowest = std::min(lowest, y);
                leftmost = std::min(leftmost, x);
            } else {
                ASSERT_EQ(c.rgbRed, 0);
            }
        }
    EXPECT_GT(count, 20);
    EXPECT_GE(lowest, 60 - 1 - 40); // nothing below row 40 from the top
    EXPECT_GE(leftmost, 10);
    CRaster none;
    EXPECT_EQ(none.DrawString(nullptr, 0, 0, "x", red, "Arial"), 1);
}

TEST(RasterGdi, DrawStringExCorrectsTheRecordAndDrawsABox)
{
    tagRasterTextInfo info;
    CRaster::InitTextInfo(&info);
    EXPECT_STREQ(info.text, "Sample Text 01234");
    EXPECT_EQ(info.lfont.lfHeight, -36);
    EXPECT_STREQ(info.lfont.lfFaceName, "Arial");
    EXPECT_EQ(info.fcolor, 0xA0FFFFu);
    EXPECT_EQ(info.b_round, 20);
    CRaster none;
    EXPECT_EQ(none.DrawStringEx(nullptr, 0, 0, &info), -1);
    if (!HaveFont())
        GTEST_SKIP() << "no TrueType font for Arial (fonts-liberation2)";
    CRaster img(400, 100, 24, 1);
    info.align = 7;
    info.b_round = 90;
    info.b_opacity = 3;
    std::strcpy(info.text, "Map\rLegend");
    ASSERT_EQ(img.DrawStringEx(nullptr, 200, 90, &info), 1);
    EXPECT_EQ(info.align, 1);
    EXPECT_EQ(info.b_round, 10);
    EXPECT_EQ(info.b_opacity, 0);
    RGBQUAD back = CRaster::RGBtoRGBQUAD(info.bcolor), fore = CRaster::RGBtoRGBQUAD(info.fcolor);
    int boxPixels = 0, textPixels = 0, minX = 400, maxX = 0;
    for (int y = 0; y < 100; ++y)
        for (int x = 0; x < 400; ++x) {
            RGBQUAD c = img.GetPixelColor(x, y);
            if (SameColor(c, back))
                ++boxPixels;
            if (SameColor(c, fore))
                ++textPixels;
            if (SameColor(c, back) || SameColor(c, fore)) {
                minX = std::min(minX, x);
                maxX = std::max(maxX, x);
            }
        }
    EXPECT_GT(boxPixels, 500);
    EXPECT_GT(textPixels, 50);
    EXPECT_NEAR((minX + maxX) / 2.0, 200, 3); // centred on x
}

TEST(RasterGdi, IconMaskBecomesAlpha)
{
    RasterIcon icon;
    icon.color.width = icon.mask.width = 2;
    icon.color.height = icon.mask.height = 1;
    icon.color.pixels = {RGB(10, 20, 30), RGB(40, 50, 60)};
    icon.mask.pixels = {RGB(255, 255, 255), RGB(0, 0, 0)};
    CRaster img;
    ASSERT_TRUE(img.CreateFromHICON(icon));
    EXPECT_TRUE(img.AlphaIsValid());
    EXPECT_EQ(img.AlphaGet(0, 0), 0);
    EXPECT_EQ(img.AlphaGet(1, 0), 255);
    EXPECT_EQ(img.GetPixelColor(1, 0, false).rgbRed, 40);
}

TEST(RasterGdi, CreateFromDeviceBitmapsOfEveryDepthGivesExactPixels)
{
    using platform::gdi::DeviceBitmap;
    auto colour = [](int x, int y) { return RGB(x * 50 + 3, 250 - y * 60, (x * 7) ^ (y * 33)); };
    std::vector<COLORREF> pal;
    for (int i = 0; i < 256; ++i)
        pal.push_back(colour(i % 5, i / 5));
    struct Case {
        int bits;
        int wantBpp;
    };
    for (Case c : {Case{32, 24}, Case{24, 24}, Case{16, 24}, Case{8, 8}, Case{4, 4}, Case{1, 1}}) {
        SCOPED_TRACE(c.bits);
        DeviceBitmap b;
        ASSERT_TRUE(b.Create(5, 3, c.bits, pal));
        for (int y = 0; y < 3; ++y)
            for (int x = 0; x < 5; ++x)
                b.SetPixel(x, y, colour(x, y));
        CRaster img(2, 2, 8, RASTER_FORMAT_BMP);
        ASSERT_TRUE(img.CreateFromHBITMAP(b));
        EXPECT_EQ(img.GetBpp(), c.wantBpp);
        EXPECT_EQ(img.GetType(), RASTER_FORMAT_BMP);
        for (int y = 0; y < 3; ++y)
            for (int x = 0; x < 5; ++x) {
                RGBQUAD q = img.GetPixelColor(x, 2 - y); // the bitmap's top row is the image's last row
                ASSERT_EQ(RGB(q.rgbRed, q.rgbGreen, q.rgbBlue), b.GetPixel(x, y)) << x << "," << y;
                if (c.bits <= 8) {
                    ASSERT_EQ(img.GetPixelIndex(x, 2 - y), b.GetRaw(x, y));
                }
            }
        DeviceBitmap back;
        ASSERT_TRUE(img.MakeBitmap(back));
        EXPECT_EQ(back.BitCount(), c.wantBpp);
        for (int y = 0; y < 3; ++y)
            for (int x = 0; x < 5; ++x)
                ASSERT_EQ(back.GetPixel(x, y), b.GetPixel(x, y)) << x << "," << y;
    }
}

TEST(RasterGdi, CreateFromDeviceBitmapTakesAGivenPaletteAndRefusesEmptyOnes)
{
    platform::gdi::DeviceBitmap b;
    ASSERT_TRUE(b.Create(2, 1, 1, {RGB(0, 0, 0), RGB(255, 255, 255)}));
    b.SetRaw(1, 0, 1);
    CRaster img;
    const std::vector<COLORREF> pal{RGB(10, 20, 30), RGB(200, 0, 100)};
    ASSERT_TRUE(img.CreateFromHBITMAP(b, &pal));
    RGBQUAD q = img.GetPixelColor(1, 0);
    EXPECT_EQ(RGB(q.rgbRed, q.rgbGreen, q.rgbBlue), RGB(200, 0, 100));
    EXPECT_EQ(img.GetPixelColor(0, 0).rgbBlue, 30);

    platform::gdi::DeviceBitmap empty;
    EXPECT_FALSE(img.CreateFromHBITMAP(empty));
    EXPECT_FALSE(img.IsValid());
}

TEST(RasterGdi, SelectionToRegionGivesRowRunsCountedFromTheBottom)
{
    CRaster img(6, 3, 8, RASTER_FORMAT_BMP);
    platform::gdi::Region region;
    EXPECT_FALSE(img.SelectionToHRGN(region));
    ASSERT_TRUE(img.SelectionCreate());
    ASSERT_TRUE(img.SelectionAddPixel(0, 0));
    ASSERT_TRUE(img.SelectionAddPixel(1, 0));
    ASSERT_TRUE(img.SelectionAddPixel(5, 0));
    ASSERT_TRUE(img.SelectionAddPixel(2, 2));
    *img.SelectionGetPointer(3, 2) = 254; // partly selected: left out
    ASSERT_TRUE(img.SelectionToHRGN(region));
    const auto& rects = region.Rects();
    ASSERT_EQ(rects.size(), 3u);
    auto as = [](const RECT& r) { return std::vector<int>{r.left, r.top, r.right, r.bottom}; };
    EXPECT_EQ(as(rects[0]), (std::vector<int>{0, 0, 2, 1}));
    EXPECT_EQ(as(rects[1]), (std::vector<int>{5, 0, 6, 1}));
    EXPECT_EQ(as(rects[2]), (std::vector<int>{2, 2, 3, 3}));
}

TEST(RasterGdi, DrawingKeepsInsideTheClipRegion)
{
    CRaster img(4, 4, 24, RASTER_FORMAT_BMP);
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 4; ++x)
            img.SetPixelColor(x, y, RGBQUAD{255, 255, 255, 0});
    platform::gdi::Region clip(RECT{0, 0, 2, 1});
    clip.AddRect(RECT{3, 2, 8, 3});
    using Op = std::function<void(DeviceContext&)>;
    const std::vector<Op> ops = {
        [&](DeviceContext& dc) { img.Draw(&dc, 0, 0, 8, 4); },
        [&](DeviceContext& dc) { img.Draw2(&dc, 0, 0, 8, 4); },
        [&](DeviceContext& dc) { img.Stretch(&dc, 0, 0, 8, 4, RASTER_SRCCOPY); },
        [&](DeviceContext& dc) { dc.FillSolidRect(RECT{0, 0, 8, 4}, RGB(255, 255, 255)); },
        [&](DeviceContext& dc) {
            for (int y = 0; y < 4; ++y)
                for (int x = 0; x < 8; ++x)
                    dc.SetPixel(x, y, RGB(255, 255, 255));
        },
    };
    for (size_t i = 0; i < ops.size(); ++i) {
        SCOPED_TRACE(i);
        PixelSurface s;
        ASSERT_TRUE(s.Create(8, 4));
        DeviceContext dc(s);
        dc.SelectClipRgn(&clip);
        RECT box = dc.GetClipBox();
        EXPECT_EQ((std::vector<int>{box.left, box.top, box.right, box.bottom}), (std::vector<int>{0, 0, 8, 3}));
        ops[i](dc);
        for (int y = 0; y < 4; ++y)
            for (int x = 0; x < 8; ++x)
                ASSERT_EQ(s.GetPixel(x, y), clip.Contains(x, y) ? 0xFFFF : 0) << x << "," << y;
    }

    PixelSurface s;
    ASSERT_TRUE(s.Create(8, 4));
    DeviceContext dc(s);
    dc.IntersectClipRect(RECT{1, 1, 3, 2});
    img.Draw(&dc, 0, 0, 8, 4);
    dc.SelectClipRgn(nullptr);
    EXPECT_FALSE(dc.HasClipRegion());
    EXPECT_EQ(s.GetPixel(1, 1), 0xFFFF);
    EXPECT_EQ(s.GetPixel(2, 1), 0xFFFF);
    EXPECT_EQ(s.GetPixel(3, 1), 0);
    EXPECT_EQ(s.GetPixel(1, 0), 0);
}

TEST(RasterGdi, DeviceIconKeepsItsDepthAndMaskBecomesAlpha)
{
    platform::gdi::Icon icon;
    ASSERT_TRUE(icon.color.Create(3, 2, 8, {RGB(0, 0, 0), RGB(200, 10, 20), RGB(5, 6, 7)}));
    ASSERT_TRUE(icon.mask.Create(3, 2, 1, {RGB(0, 0, 0), RGB(255, 255, 255)}));
    icon.color.SetRaw(0, 0, 1);
    icon.color.SetRaw(2, 1, 2);
    icon.mask.SetRaw(1, 0, 1);
    icon.mask.SetRaw(2, 1, 1);
    CRaster img;
    ASSERT_TRUE(img.CreateFromHICON(icon));
    EXPECT_EQ(img.GetBpp(), 8);
    EXPECT_EQ(img.GetPixelIndex(0, 1), 1); // the icon's top row is the image's last row
    EXPECT_EQ(img.GetPixelIndex(2, 0), 2);
    ASSERT_TRUE(img.AlphaIsValid());
    EXPECT_EQ(img.AlphaGet(0, 1), 255);
    EXPECT_EQ(img.AlphaGet(1, 1), 0);
    EXPECT_EQ(img.AlphaGet(2, 0), 0);
    EXPECT_EQ(img.AlphaGet(0, 0), 255);

    icon.mask.Reset(); // no mask: no alpha channel
    ASSERT_TRUE(img.CreateFromHICON(icon));
    EXPECT_FALSE(img.AlphaIsValid());
}

TEST(RasterGdi, DrawStringUnderlinesUnderTheText)
{
    if (!HaveFont())
        GTEST_SKIP() << "no TrueType font for Arial (fonts-liberation2)";
    const RGBQUAD red{0, 0, 255, 0};
    CRaster plain(120, 60, 24, 1), under(120, 60, 24, 1);
    ASSERT_EQ(plain.DrawString(nullptr, 10, 40, "mm", red, "Arial", 24, 400, 0, 0), 1);
    ASSERT_EQ(under.DrawString(nullptr, 10, 40, "mm", red, "Arial", 24, 400, 0, 1), 1);
    auto longestRun = [](CRaster& img, int y) {
        int best = 0, run = 0;
        for (int x = 0; x < 120; ++x) {
            run = img.GetPixelColor(x, y).rgbRed == 255 ? run + 1 : 0;
            best = std::max(best, run);
        }
        return best;
    };
    int lineRow = -1;
    for (int y = 0; y < 60; ++y) {
        ASSERT_LE(longestRun(plain, y), longestRun(under, y));
        if (longestRun(under, y) >= 25 && longestRun(plain, y) == 0)
            lineRow = y;
    }
    ASSERT_GE(lineRow, 0) << "no underline";
    // The rule sits below the text's lowest plain row.
    for (int y = 0; y <= lineRow; ++y)
        EXPECT_EQ(longestRun(plain, y), 0) << y;
}
