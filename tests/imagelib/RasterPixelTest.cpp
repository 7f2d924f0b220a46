// Tests of pixel, palette, alpha and selection operations and of the flips, on asymmetric fixtures.
#include "imagelib/Raster.h"
#include "RasterTestUtil.h"

#include <gtest/gtest.h>

using namespace rastertest;

TEST(RasterPixels, IndexPlacesByDepth)
{
    CRaster one(16, 2, 1, 1);
    one.SetPixelIndex(9, 1, 1);
    EXPECT_EQ(one.GetBits(1)[1], 0x40); // bit 6 of byte 1
    EXPECT_EQ(one.GetBits(0)[1], 0);
    EXPECT_EQ(one.GetPixelIndex(9, 1), 1);

    CRaster four(5, 2, 4, 1);
    four.SetPixelIndex(2, 0, 0xA);
    four.SetPixelIndex(3, 0, 0x5);
    four.SetPixelIndex(4, 1, 0x3);
    EXPECT_EQ(four.GetBits(0)[1], 0xA5);
    EXPECT_EQ(four.GetBits(1)[2], 0x30);
    EXPECT_EQ(four.GetPixelIndex(3, 0), 5);

    // Outside: the transparent index, else the first pixel byte.
    EXPECT_EQ(four.GetPixelIndex(5, 0), 0);
    four.SetTransIndex(3);
    EXPECT_EQ(four.GetPixelIndex(5, 0), 3);
    four.SetPixelIndex(-1, 0, 9); // ignored
    CRaster rgb(2, 2, 24, 1);
    EXPECT_EQ(rgb.GetPixelIndex(0, 0), 0);
}

TEST(RasterPixels, ColorsCountRowsFromTheBottom)
{
    for (uint32_t bpp : {1u, 4u, 8u, 24u}) {
        CRaster img = MakePattern(7, 3, bpp);
        // Row 0 is the first stored row.
        RGBQUAD c = img.GetPixelColor(1, 0, false);
        if (bpp == 24) {
            EXPECT_EQ(img.GetBits(0)[3], c.rgbBlue);
            EXPECT_EQ(img.GetBits(0)[5], c.rgbRed);
            EXPECT_TRUE(SameColor(c, PatternColor(1, 0)));
        } else {
            EXPECT_TRUE(SameColor(c, img.GetPaletteColor(img.GetPixelIndex(1, 0))));
        }
        // Outside without a transparent index: pixel (0, 0).
        EXPECT_TRUE(SameColor(img.GetPixelColor(-3, 9), img.GetPixelColor(0, 0)));
    }
    CRaster rgb(3, 3, 24, 1);
    RGBQUAD t{1, 2, 3, 0};
    rgb.SetTransColor(t);
    rgb.SetTransIndex(0);
    EXPECT_TRUE(SameColor(rgb.GetPixelColor(5, 5), t));
    CRaster none;
    EXPECT_EQ(none.GetPixelColor(0, 0).rgbRed, 0);
}

TEST(RasterPixels, NearestIndexPicksSmallestDistanceAndCaches)
{
    CRaster img(4, 4, 4, 1);
    img.SetPaletteColor(0, 0, 0, 0);
    img.SetPaletteColor(1, 250, 10, 10);
    img.SetPaletteColor(2, 10, 240, 10);
    for (uint8_t i = 3; i < 16; ++i)
        img.SetPaletteColor(i, 255, 255, 255);
    RGBQUAD reddish{20, 20, 200, 0};
    img.SetPixelColor(1, 2, reddish);
    EXPECT_EQ(img.GetPixelIndex(1, 2), 1);
    EXPECT_EQ(img.GetNearestIndex(reddish), 1);
    // A palette change clears the cache.
    img.SetPaletteColor(5, 200, 20, 20);
    EXPECT_EQ(img.GetNearestIndex(reddish), 5);
    // Important colours beyond the palette are never searched.
    CRaster two(2, 2, 1, 1);
    two.SetClrImportant(200);
    EXPECT_EQ(two.GetClrImportant(), 2u);
    EXPECT_LT(two.GetNearestIndex(RGBQUAD{255, 255, 255, 0}), 2);
}

TEST(RasterPixels, BlendLineAndTransparency)
{
    CRaster img(10, 6, 24, 1);
    img.SetPixelColor(2, 2, RGBQUAD{200, 100, 0, 0});
    img.BlendPixelColor(2, 2, RGBQUAD{0, 0, 255, 0}, 0.5f);
    RGBQUAD c = img.GetPixelColor(2, 2);
    EXPECT_EQ(c.rgbBlue, 100);
    EXPECT_EQ(c.rgbGreen, 50);
    EXPECT_EQ(c.rgbRed, 127);

    img.DrawLine(0, 0, 9, 3, RasterRGB(255, 0, 0));
    EXPECT_EQ(img.GetPixelColor(0, 0).rgbRed, 255);
    EXPECT_EQ(img.GetPixelColor(9, 3).rgbRed, 255);
    int count = 0;
    for (int y = 0; y < 6; ++y)
        for (int x = 0; x < 10; ++x)
            count += img.GetPixelColor(x, y).rgbRed == 255;
    EXPECT_EQ(count, 10);
    img.DrawLine(-50, -50, 100, 100, RasterRGB(0, 9, 0)); // clipped, no crash

    EXPECT_FALSE(img.IsTransparent(0, 0));
    ASSERT_TRUE(img.AlphaCreate());
    img.AlphaSet(4, 4, 0);
    EXPECT_TRUE(img.IsTransparent(4, 4));
    img.SetTransColor(RGBQUAD{200, 100, 0, 0});
    img.SetPixelColor(1, 1, RGBQUAD{200, 100, 0, 0});
    img.SetTransIndex(0);
    EXPECT_TRUE(img.IsTransparent(1, 1));
    EXPECT_FALSE(img.IsTransparent(4, 4));
}

TEST(RasterPalette, SetGrayStdBlendSwap)
{
    CRaster g(3, 3, 4, 1);
    g.SetGrayPalette();
    EXPECT_EQ(g.GetPaletteColor(15).rgbRed, 255);
    EXPECT_EQ(g.GetPaletteColor(3).rgbGreen, 51);
    EXPECT_FALSE(g.IsGrayScale());
    CRaster g8(3, 3, 8, 1);
    g8.SetGrayPalette();
    EXPECT_TRUE(g8.IsGrayScale());

    CRaster s(3, 3, 8, 1);
    s.SetStdPalette();
    struct Entry {
        int i;
        uint8_t r, g, b;
    } entries[] = {{8, 192, 220, 192},  {9, 166, 202, 240},  {10, 255, 240, 212}, {16, 255, 170, 0},
                   {21, 80, 50, 0},     {34, 255, 212, 212}, {40, 254, 0, 0},     {45, 80, 0, 0},
                   {226, 242, 242, 242}, {245, 14, 14, 14},   {246, 255, 251, 240}, {255, 255, 255, 255}};
    for (const Entry& e : entries) {
        RGBQUAD c = s.GetPaletteColor(static_cast<uint8_t>(e.i));
        EXPECT_EQ(c.rgbRed, e.r) << e.i;
        EXPECT_EQ(c.rgbGreen, e.g) << e.i;
        EXPECT_EQ(c.rgbBlue, e.b) << e.i;
    }
    CRaster s4(3, 3, 4, 1);
    s4.SetStdPalette();
    EXPECT_EQ(s4.GetPaletteColor(7).rgbRed, 192);
    EXPECT_EQ(s4.GetPaletteColor(12).rgbBlue, 255);

    CRaster b(2, 2, 1, 1);
    b.SetPaletteColor(0, 100, 100, 100);
    b.BlendPalette(RasterRGB(10, 20, 30), 150);
    EXPECT_EQ(b.GetPaletteColor(0).rgbRed, 10);
    EXPECT_EQ(b.GetPaletteColor(0).rgbBlue, 30);

    CRaster w = MakePattern(5, 3, 4);
    CRaster before(w);
    uint8_t a = w.GetPixelIndex(0, 0), c = w.GetPixelIndex(4, 2);
    ASSERT_NE(a, c);
    w.SwapIndex(a, c);
    EXPECT_EQ(w.GetPixelIndex(0, 0), c);
    EXPECT_EQ(ComparePixels(w, before), "");
    w.SwapIndex(3, 200); // past the palette: nothing happens
    EXPECT_EQ(ComparePixels(w, before), "");

    CRaster p1(2, 2, 8, 1), p2(2, 2, 8, 1);
    EXPECT_TRUE(p1.IsSamePalette(p2));
    p2.SetPaletteColor(4, RGBQUAD{0, 0, 0, 9});
    EXPECT_FALSE(p1.IsSamePalette(p2, true));
    EXPECT_TRUE(p1.IsSamePalette(p2, false));
    uint8_t reds[2] = {5, 6};
    p1.SetPalette(2, reds);
    EXPECT_EQ(p1.GetPaletteColor(1).rgbBlue, 6);
    EXPECT_EQ(CRaster::RGBQUADtoRGB(CRaster::RGBtoRGBQUAD(0x123456)), 0x123456u);
}

TEST(RasterAlpha, ChannelOperations)
{
    CRaster img = MakePattern(4, 3, 24);
    EXPECT_FALSE(img.AlphaFlip());
    ASSERT_TRUE(img.AlphaCreate());
    EXPECT_EQ(img.AlphaGet(3, 2), 255);
    img.AlphaSet(0, 0, 10);
    img.AlphaSet(3, 2, 20);
    EXPECT_EQ(img.AlphaGet(9, 9), 0);
    EXPECT_EQ(img.AlphaGetPointer(9, 9), nullptr);
    ASSERT_TRUE(img.AlphaFlip());
    EXPECT_EQ(img.AlphaGet(0, 2), 10);
    ASSERT_TRUE(img.AlphaMirror());
    EXPECT_EQ(img.AlphaGet(3, 2), 10);
    EXPECT_EQ(img.AlphaGet(0, 0), 20);
    img.AlphaInvert();
    EXPECT_EQ(img.AlphaGet(0, 0), 235);

    CRaster colour = MakePattern(4, 3, 24);
    EXPECT_FALSE(img.AlphaSet(colour));
    CRaster gray(4, 3, 8, 1);
    gray.SetGrayPalette();
    gray.SetPixelIndex(1, 1, 77);
    ASSERT_TRUE(img.AlphaSet(gray));
    EXPECT_EQ(img.AlphaGet(1, 1), 77);

    CRaster split;
    ASSERT_TRUE(img.AlphaSplit(&split));
    EXPECT_EQ(split.GetPixelIndex(1, 1), 77);
    CRaster copy = MakePattern(4, 3, 8);
    ASSERT_TRUE(copy.AlphaCopy(img));
    EXPECT_EQ(copy.AlphaGet(1, 1), 77);
}

TEST(RasterAlpha, StripBlendsOverTheTransparentColour)
{
    CRaster img(2, 1, 24, 1);
    img.SetPixelColor(0, 0, RGBQUAD{255, 255, 255, 0});
    img.SetPixelColor(1, 0, RGBQUAD{255, 255, 255, 0});
    ASSERT_TRUE(img.AlphaCreate());
    img.AlphaSet(0, 0, 0);
    img.SetTransColor(RGBQUAD{0, 0, 100, 0});
    img.AlphaStrip();
    EXPECT_FALSE(img.AlphaIsValid());
    EXPECT_EQ(img.GetPixelColor(0, 0).rgbRed, 100);
    EXPECT_EQ(img.GetPixelColor(0, 0).rgbBlue, 0);
    EXPECT_EQ(img.GetPixelColor(1, 0).rgbBlue, 255);

    CRaster pal(2, 1, 8, 1);
    pal.SetPaletteColor(1, RGBQUAD{200, 200, 200, 0});
    pal.SetPaletteColor(0, RGBQUAD{100, 100, 100, 255});
    pal.SetPixelIndex(1, 0, 1);
    ASSERT_TRUE(pal.AlphaPaletteIsValid());
    CRaster palSplit;
    ASSERT_TRUE(pal.AlphaPaletteSplit(&palSplit));
    EXPECT_EQ(palSplit.GetPixelIndex(0, 0), 255);
    pal.AlphaStrip();
    EXPECT_EQ(pal.GetBpp(), 24);
    EXPECT_EQ(pal.GetPixelColor(0, 0).rgbBlue, 100);
    EXPECT_EQ(pal.GetPixelColor(1, 0).rgbBlue, 0);
}

TEST(RasterSelection, RectEllipsePolygonColourPixel)
{
    CRaster img(20, 16, 24, 1);
    EXPECT_TRUE(img.SelectionIsInside(3, 3));
    EXPECT_FALSE(img.SelectionIsInside(20, 3));
    ASSERT_TRUE(img.SelectionAddRect(RASTERRECT{10, 10, 0, 0}));
    RASTERRECT box;
    img.SelectionGetBox(box);
    EXPECT_EQ(box.left, 0);
    EXPECT_EQ(box.right, 10);
    EXPECT_EQ(box.bottom, 0);
    EXPECT_EQ(box.top, 10);
    EXPECT_TRUE(img.SelectionIsInside(9, 9));
    EXPECT_FALSE(img.SelectionIsInside(10, 9));
    EXPECT_FALSE(img.SelectionIsInside(9, 10));

    EXPECT_FALSE(img.SelectionAddEllipse(RASTERRECT{2, 5, 8, 5}));
    ASSERT_TRUE(img.SelectionClear());
    ASSERT_TRUE(img.SelectionAddEllipse(RASTERRECT{10, 2, 18, 14}));
    EXPECT_TRUE(img.SelectionIsInside(14, 8));
    EXPECT_FALSE(img.SelectionIsInside(10, 2));
    EXPECT_FALSE(img.SelectionIsInside(17, 13));

    ASSERT_TRUE(img.SelectionClear());
    RasterPOINT tri[3] = {{0, 0}, {12, 0}, {0, 12}};
    ASSERT_TRUE(img.SelectionAddPolygon(tri, 3));
    EXPECT_TRUE(img.SelectionIsInside(2, 2));
    EXPECT_TRUE(img.SelectionIsInside(6, 6));
    EXPECT_FALSE(img.SelectionIsInside(9, 9));
    RasterPOINT far[3] = {{-2000000000, 0}, {2000000000, 5}, {0, 2000000000}};
    EXPECT_TRUE(img.SelectionAddPolygon(far, 3));

    CRaster c = MakePattern(6, 4, 24);
    ASSERT_TRUE(c.SelectionAddColor(PatternColor(4, 3)));
    EXPECT_TRUE(c.SelectionIsInside(4, 3));
    EXPECT_FALSE(c.SelectionIsInside(3, 4));
    c.SelectionGetBox(box);
    EXPECT_EQ(box.left, 4);
    EXPECT_EQ(box.bottom, 3);
    EXPECT_TRUE(c.SelectionAddPixel(0, 0));
    EXPECT_FALSE(c.SelectionAddPixel(6, 0));
    ASSERT_TRUE(c.SelectionInvert());
    EXPECT_FALSE(c.SelectionIsInside(0, 0));
    CRaster mask;
    ASSERT_TRUE(c.SelectionSplit(&mask));
    EXPECT_EQ(mask.GetPixelIndex(1, 1), 255);
    CRaster other(6, 4, 8, 1);
    ASSERT_TRUE(other.SelectionCopy(c));
    EXPECT_FALSE(other.SelectionIsInside(0, 0));
    EXPECT_TRUE(other.SelectionDelete());
    EXPECT_FALSE(other.SelectionClear());
}

TEST(RasterFlips, FlipAndMirrorAtEveryDepth)
{
    for (uint32_t bpp : {1u, 4u, 8u, 24u}) {
        CRaster img = MakePattern(7, 3, bpp);
        ASSERT_TRUE(img.AlphaCreate());
        img.AlphaSet(1, 0, 33);
        img.SelectionAddPixel(0, 0);
        CRaster orig(img);
        ASSERT_TRUE(img.Flip());
        EXPECT_FALSE(img.SelectionIsValid());
        for (int y = 0; y < 3; ++y)
            for (int x = 0; x < 7; ++x)
                ASSERT_TRUE(SameColor(img.GetPixelColor(x, y), orig.GetPixelColor(x, 2 - y))) << bpp;
        EXPECT_EQ(img.AlphaGet(1, 2), 33);
        ASSERT_TRUE(img.Flip());
        ASSERT_TRUE(img.Mirror());
        for (int y = 0; y < 3; ++y)
            for (int x = 0; x < 7; ++x)
                ASSERT_TRUE(SameColor(img.GetPixelColor(x, y), orig.GetPixelColor(6 - x, y))) << bpp;
        EXPECT_EQ(img.AlphaGet(5, 0), 33);
        EXPECT_TRUE(img.IsSamePalette(orig) || bpp == 24);
    }
    CRaster empty;
    EXPECT_FALSE(empty.Flip());
    EXPECT_FALSE(empty.Mirror());
}
