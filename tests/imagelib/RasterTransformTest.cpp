// Tests of the geometric transforms: quarter and half turns, free turns, crops, canvas, thumbnails, skew, circles.
#include "imagelib/Raster.h"
#include "RasterTestUtil.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

using namespace rastertest;

namespace {

// A pattern image with an alpha channel whose values also differ per pixel.
CRaster PatternWithAlpha(uint32_t w, uint32_t h, uint32_t bpp)
{
    CRaster img = MakePattern(w, h, bpp);
    img.AlphaCreate();
    for (int y = 0; y < static_cast<int>(h); ++y)
        for (int x = 0; x < static_cast<int>(w); ++x)
            img.AlphaSet(x, y, static_cast<uint8_t>(x * 13 + y * 7));
    return img;
}

bool SamePixel(CRaster& a, int ax, int ay, CRaster& b, int bx, int by)
{
    return SameColor(a.GetPixelColor(ax, ay, false), b.GetPixelColor(bx, by, false)) &&
           a.AlphaGet(ax, ay) == b.AlphaGet(bx, by);
}

const RGBQUAD kMarker{1, 2, 250, 0};

} // namespace

TEST(RasterTransform, QuarterTurnsFollowTheMapAtEveryDepth)
{
    // Sizes past one 64-pixel tile, odd widths, and 1-bit rows with padding bits.
    struct Size {
        uint32_t w, h;
    } sizes[] = {{13, 5}, {70, 131}, {1, 9}};
    for (uint32_t bpp : {1u, 4u, 8u, 24u})
        for (const Size& sz : sizes) {
            CRaster src = PatternWithAlpha(sz.w, sz.h, bpp);
            if (bpp == 1)
                for (uint32_t y = 0; y < sz.h; ++y)
                    src.GetBits(y)[src.GetEffWidth() - 1] |= 0x01; // a padding bit that must not travel
            const int nw = static_cast<int>(sz.h), nh = static_cast<int>(sz.w);
            CRaster left, right;
            ASSERT_TRUE(src.RotateLeft(&left));
            ASSERT_TRUE(src.RotateRight(&right));
            ASSERT_EQ(left.GetWidth(), sz.h);
            ASSERT_EQ(left.GetHeight(), sz.w);
            EXPECT_EQ(left.GetBpp(), bpp);
            EXPECT_TRUE(bpp == 24 || left.IsSamePalette(src));
            for (int y = 0; y < nh; ++y)
                for (int x = 0; x < nw; ++x) {
                    ASSERT_TRUE(SamePixel(left, x, y, src, y, nw - 1 - x)) << bpp << " left " << x << "," << y;
                    ASSERT_TRUE(SamePixel(right, x, y, src, nh - 1 - y, x)) << bpp << " right " << x << "," << y;
                }
            ASSERT_TRUE(left.RotateRight());
            EXPECT_EQ(ComparePixels(left, src), "") << bpp;
        }
}

TEST(RasterTransform, HalfTurnAndDestinations)
{
    for (uint32_t bpp : {4u, 24u}) {
        CRaster src = PatternWithAlpha(5, 3, bpp);
        CRaster copy(src);
        CRaster half;
        ASSERT_TRUE(src.Rotate180(&half));
        EXPECT_EQ(ComparePixels(src, copy), ""); // a destination leaves the source alone
        for (int y = 0; y < 3; ++y)
            for (int x = 0; x < 5; ++x)
                ASSERT_TRUE(SamePixel(half, 4 - x, 2 - y, src, x, y));
        src.SelectionAddPixel(0, 0);
        ASSERT_TRUE(src.Rotate180());
        EXPECT_FALSE(src.SelectionIsValid());
        EXPECT_EQ(ComparePixels(src, half), "");
    }
    CRaster empty;
    EXPECT_FALSE(empty.RotateLeft());
    EXPECT_FALSE(empty.RotateRight());
    EXPECT_FALSE(empty.Rotate180());
}

TEST(RasterTransform, CropTakesTopDownRectangles)
{
    CRaster src = PatternWithAlpha(8, 6, 24);
    src.SetTransIndex(0);
    src.SetTransColor(kMarker);
    // {left, top, right, bottom} -> kept columns and rows (rows from the bottom), or a refusal.
    struct Case {
        RASTERRECT r;
        bool ok;
        int x0, y0, w, h;
    } cases[] = {
        {{2, 1, 5, 4}, true, 2, 2, 3, 3}, {{5, 4, 2, 1}, true, 2, 2, 3, 3},  {{-3, -3, 20, 20}, true, 0, 0, 8, 6},
        {{0, 0, 8, 1}, true, 0, 5, 8, 1}, {{3, 3, 3, 5}, false, 0, 0, 0, 0}, {{0, 2, 8, 2}, false, 0, 0, 0, 0},
    };
    for (const Case& c : cases) {
        CRaster out;
        ASSERT_EQ(src.Crop(c.r, &out), c.ok) << c.r.left << "," << c.r.top;
        if (!c.ok)
            continue;
        ASSERT_EQ(out.GetWidth(), static_cast<uint32_t>(c.w));
        ASSERT_EQ(out.GetHeight(), static_cast<uint32_t>(c.h));
        for (int y = 0; y < c.h; ++y)
            for (int x = 0; x < c.w; ++x)
                ASSERT_TRUE(SamePixel(out, x, y, src, c.x0 + x, c.y0 + y));
        EXPECT_EQ(out.GetTransIndex(), 0);
        EXPECT_TRUE(SameColor(out.GetTransColor(), kMarker));
    }
    for (uint32_t bpp : {1u, 4u}) {
        CRaster small = MakePattern(9, 4, bpp), out;
        ASSERT_TRUE(small.Crop(3, 1, 8, 3, &out));
        for (int y = 0; y < 2; ++y)
            for (int x = 0; x < 5; ++x)
                ASSERT_EQ(out.GetPixelIndex(x, y), small.GetPixelIndex(3 + x, 1 + y)) << bpp;
    }
}

TEST(RasterTransform, ExpandPlacesThePictureOnTheCanvas)
{
    for (uint32_t bpp : {1u, 4u, 8u, 24u}) {
        CRaster src = PatternWithAlpha(5, 3, bpp);
        if (bpp < 24)
            src.SetPaletteColor(static_cast<uint8_t>(src.GetNumColors() - 1), kMarker);
        CRaster out;
        ASSERT_TRUE(src.Expand(2, 1, 3, 4, kMarker, &out)) << bpp; // left, top, right, bottom
        ASSERT_EQ(out.GetWidth(), 10u);
        ASSERT_EQ(out.GetHeight(), 8u);
        EXPECT_FALSE(out.AlphaIsValid());
        for (int y = 0; y < 8; ++y)
            for (int x = 0; x < 10; ++x) {
                const bool in = x >= 2 && x < 7 && y >= 4 && y < 7;
                RGBQUAD want = in ? src.GetPixelColor(x - 2, y - 4, false) : kMarker;
                ASSERT_TRUE(SameColor(out.GetPixelColor(x, y, false), want)) << bpp << " " << x << "," << y;
            }
    }
    CRaster src = MakePattern(4, 3, 24), out;
    ASSERT_TRUE(src.Expand(5, 4, kMarker, &out)); // the odd column right, the odd row at the bottom
    EXPECT_TRUE(SameColor(out.GetPixelColor(0, 1, false), src.GetPixelColor(0, 0, false)));
    EXPECT_TRUE(SameColor(out.GetPixelColor(4, 1, false), kMarker));
    EXPECT_TRUE(SameColor(out.GetPixelColor(0, 0, false), kMarker));
    EXPECT_FALSE(src.Expand(3, 3, kMarker, &out));
    EXPECT_FALSE(src.Expand(-1, 0, 0, 0, kMarker, &out));
    EXPECT_FALSE(src.Expand(INT32_MAX, 0, INT32_MAX, 0, kMarker, &out)); // the size overflows 32 bits
}

TEST(RasterTransform, ThumbnailFitsTheBox)
{
    const RGBQUAD white{255, 255, 255, 0}, canvas{10, 20, 30, 0};
    CRaster wide(200, 100, 24, RASTER_FORMAT_BMP);
    wide.Clear(255);
    CRaster out;
    ASSERT_TRUE(wide.Thumbnail(50, 50, canvas, &out));
    ASSERT_EQ(out.GetWidth(), 50u);
    ASSERT_EQ(out.GetHeight(), 50u);
    // 50 x 25 picture: 13 canvas rows below it (rows count from the bottom) and 12 above.
    for (int y = 0; y < 50; ++y)
        EXPECT_TRUE(SameColor(out.GetPixelColor(25, y, false), y >= 13 && y < 38 ? white : canvas)) << y;

    CRaster small = MakePattern(3, 2, 24);
    ASSERT_TRUE(small.Thumbnail(5, 4, canvas, &out));
    EXPECT_TRUE(SameColor(out.GetPixelColor(1, 1, false), small.GetPixelColor(0, 0, false)));

    // A line thinner than the scale keeps one pixel instead of failing.
    CRaster line(1000, 1, 24, RASTER_FORMAT_BMP);
    line.Clear(255);
    ASSERT_TRUE(line.Thumbnail(10, 10, canvas, &out));
    EXPECT_TRUE(SameColor(out.GetPixelColor(5, 5, false), white));
    EXPECT_TRUE(SameColor(out.GetPixelColor(5, 4, false), canvas));
    EXPECT_FALSE(line.Thumbnail(0, 10, canvas, &out));
}

TEST(RasterTransform, RotateByAnAngleGrowsTheCanvas)
{
    CRaster src = PatternWithAlpha(6, 4, 24);
    src.SetTransIndex(0);
    src.SetTransColor(kMarker);
    CRaster out;
    ASSERT_TRUE(src.Rotate(90, &out));
    ASSERT_EQ(out.GetWidth(), 6u);  // height + 2
    ASSERT_EQ(out.GetHeight(), 8u); // width + 2
    // Column i >= 1, row j < width holds source (width - 1 - j, i - 1); past the picture the outside pixel.
    for (int j = 0; j < 6; ++j) {
        for (int i = 1; i <= 4; ++i)
            ASSERT_TRUE(SamePixel(out, i, j, src, 5 - j, i - 1)) << i << "," << j;
        EXPECT_TRUE(SameColor(out.GetPixelColor(5, j, false), kMarker));
        EXPECT_EQ(out.AlphaGet(5, j), 0);
    }
    const float bad[] = {std::numeric_limits<float>::quiet_NaN(), std::numeric_limits<float>::infinity()};
    for (float a : bad) {
        EXPECT_FALSE(src.Rotate(a, &out));
        EXPECT_FALSE(src.Rotate2(a, &out));
    }
}

TEST(RasterTransform, Rotate2MatchesTheQuarterTurns)
{
    for (uint32_t bpp : {8u, 24u}) {
        CRaster src = PatternWithAlpha(7, 5, bpp);
        CRaster want, got;
        ASSERT_TRUE(src.RotateRight(&want));
        ASSERT_TRUE(src.Rotate2(90, &got));
        EXPECT_EQ(ComparePixels(got, want), "");
        // The general path at a right angle, nearest pixel: the same pixels.
        ASSERT_TRUE(
            src.Rotate2(90, &got, CRaster::InterpolationNearestNeighbour, CRaster::OverflowColor, nullptr, false));
        EXPECT_EQ(ComparePixels(got, want), "") << bpp;
        ASSERT_TRUE(src.RotateLeft(&want));
        ASSERT_TRUE(src.Rotate2(-90, &got));
        EXPECT_EQ(ComparePixels(got, want), "");
        ASSERT_TRUE(src.Rotate180(&want));
        ASSERT_TRUE(src.Rotate2(180, &got));
        EXPECT_EQ(ComparePixels(got, want), "");
        CRaster copy;
        ASSERT_TRUE(src.Rotate2(0, &copy));
        EXPECT_EQ(ComparePixels(copy, src), "");
    }
    // At 45 degrees the corners of the grown canvas lie outside: they take the replacement colour.
    CRaster src = MakePattern(8, 8, 24), out;
    ASSERT_TRUE(src.Rotate2(45, &out, CRaster::InterpolationBicubic, CRaster::OverflowColor, &kMarker, false));
    EXPECT_EQ(out.GetWidth(), 11u);
    EXPECT_TRUE(SameColor(out.GetPixelColor(0, 0, false), kMarker));
    ASSERT_TRUE(src.Rotate2(45, &out, CRaster::InterpolationBilinear, CRaster::OverflowColor, &kMarker, false, true));
    EXPECT_EQ(out.GetWidth(), 8u);
}

TEST(RasterTransform, CropRotatedRectangle)
{
    CRaster src = MakePattern(40, 30, 24), want, got;
    ASSERT_TRUE(src.Crop(5, 6, 15, 12, &want));
    ASSERT_TRUE(src.CropRotatedRectangle(5, 6, 10, 6, 0.0001f, &got));
    EXPECT_EQ(ComparePixels(got, want), "");
    ASSERT_TRUE(src.CropRotatedRectangle(10, 5, 12, 8, 0.3f, &got));
    EXPECT_NEAR(got.GetWidth(), 12, 1);
    EXPECT_NEAR(got.GetHeight(), 8, 1);
    EXPECT_FALSE(src.CropRotatedRectangle(35, 5, 12, 8, 0.3f, &got)); // a corner past the picture
    EXPECT_FALSE(src.CropRotatedRectangle(10, 5, 12, 8, std::numeric_limits<float>::quiet_NaN(), &got));
}

TEST(RasterTransform, SkewShearsRowsAndKeepsTheUnselected)
{
    CRaster src = MakePattern(6, 4, 24);
    src.SetTransIndex(0);
    src.SetTransColor(kMarker);
    CRaster img(src);
    ASSERT_TRUE(img.Skew(1.0f, 0.0f, 0, 0, false));
    // (x, y) takes source (x + y, y); past the right edge the outside pixel.
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 6; ++x) {
            RGBQUAD want = x + y < 6 ? src.GetPixelColor(x + y, y, false) : kMarker;
            ASSERT_TRUE(SameColor(img.GetPixelColor(x, y, false), want)) << x << "," << y;
        }
    CRaster sel(src);
    sel.SelectionAddRect(RASTERRECT{0, 2, 3, 0}); // columns 0-2 of rows 0-1
    ASSERT_TRUE(sel.Skew(1.0f, 0.0f, 0, 0, true));
    EXPECT_TRUE(SameColor(sel.GetPixelColor(0, 1, false), src.GetPixelColor(1, 1, false)));
    EXPECT_TRUE(SameColor(sel.GetPixelColor(4, 1, false), src.GetPixelColor(4, 1, false)));
    EXPECT_TRUE(SameColor(sel.GetPixelColor(0, 3, false), src.GetPixelColor(0, 3, false)));
    CRaster odd(src);
    EXPECT_TRUE(odd.Skew(std::numeric_limits<float>::quiet_NaN(), 1e30f, INT32_MIN, INT32_MAX, false));
}

TEST(RasterTransform, CircleTransformKeepsItsCircle)
{
    CRaster src = MakePattern(9, 7, 24);
    src.SetTransIndex(0);
    src.SetTransColor(kMarker);
    // Radius 0: the distance from the centre (4, 3) to the corner (0, 0), 5. A swirl with a huge coefficient
    // turns by nothing: on the axes through the centre every pixel stays where it was (not mirrored); past the
    // circle lies the outside pixel.
    CRaster img(src);
    ASSERT_TRUE(img.CircleTransform(2, 0, 1e9f));
    for (int y = 0; y < 7; ++y)
        for (int x = 0; x < 9; ++x) {
            const bool in = (4 - x) * (4 - x) + (3 - y) * (3 - y) < 25;
            const RGBQUAD got = img.GetPixelColor(x, y, false);
            if (!in) {
                ASSERT_TRUE(SameColor(got, kMarker)) << x << "," << y;
            } else if (x == 4 || y == 3) {
                ASSERT_TRUE(SameColor(got, src.GetPixelColor(x, y, false))) << x << "," << y;
            }
        }
    CRaster pinch(src);
    ASSERT_TRUE(pinch.CircleTransform(0, 0, 1.0f));
    EXPECT_TRUE(SameColor(pinch.GetPixelColor(4, 3, false), src.GetPixelColor(4, 3, false)));
    EXPECT_TRUE(SameColor(pinch.GetPixelColor(0, 0, false), kMarker));
    for (int type : {1, 3, 4})
        EXPECT_TRUE(CRaster(src).CircleTransform(type, 0, std::numeric_limits<float>::quiet_NaN()));
    EXPECT_FALSE(img.CircleTransform(-1));
}
