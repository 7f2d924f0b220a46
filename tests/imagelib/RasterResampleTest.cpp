// Tests of resizing: the interpolating resampler, the three fast modes and the quick shrink.
#include "imagelib/Raster.h"
#include "RasterTestUtil.h"

#include <gtest/gtest.h>

using namespace rastertest;

namespace {

// The truncated mean of the k x k block whose lower left pixel is (x0, y0), per channel.
RGBQUAD BlockMean(CRaster& img, int x0, int y0, int k)
{
    int b = 0, g = 0, r = 0;
    for (int y = y0; y < y0 + k; ++y)
        for (int x = x0; x < x0 + k; ++x) {
            RGBQUAD c = img.GetPixelColor(x, y, false);
            b += c.rgbBlue;
            g += c.rgbGreen;
            r += c.rgbRed;
        }
    const int n = k * k;
    return RGBQUAD{static_cast<uint8_t>(b / n), static_cast<uint8_t>(g / n), static_cast<uint8_t>(r / n), 0};
}

// Every channel within tol of the other's.
bool Near(RGBQUAD a, RGBQUAD b, int tol)
{
    return std::abs(a.rgbBlue - b.rgbBlue) <= tol && std::abs(a.rgbGreen - b.rgbGreen) <= tol &&
           std::abs(a.rgbRed - b.rgbRed) <= tol;
}

CRaster Solid(uint32_t w, uint32_t h, uint8_t v)
{
    CRaster img(w, h, 24, RASTER_FORMAT_BMP);
    img.Clear(v);
    return img;
}

} // namespace

TEST(RasterResample, SizesAndCopies)
{
    CRaster img = MakePattern(6, 4, 24), copy(img), out;
    for (int mode : {0, 1, 2}) {
        EXPECT_FALSE(img.Resample(0, 10, mode, &out));
        EXPECT_FALSE(img.Resample(-3, 10, mode, &out));
    }
    EXPECT_FALSE(img.Resample2(0, 10));
    EXPECT_FALSE(img.QIShrink(0, 2));
    EXPECT_FALSE(img.QIShrink(7, 4, &out));
    EXPECT_STREQ(img.GetLastError(), "QIShrink can't enlarge image");
    img.SelectionAddPixel(1, 1);
    CRaster a, b, c;
    ASSERT_TRUE(img.Resample(6, 4, 0, &a));
    ASSERT_TRUE(img.Resample2(6, 4, CRaster::InterpolationBicubic, CRaster::OverflowRepeat, &b));
    ASSERT_TRUE(img.QIShrink(6, 4, &c));
    for (CRaster* r : {&a, &b, &c}) {
        EXPECT_EQ(ComparePixels(*r, copy), "");
        EXPECT_TRUE(r->SelectionIsValid());
    }
    CRaster empty;
    EXPECT_FALSE(empty.Resample(2, 2));
    EXPECT_FALSE(empty.Resample2(2, 2));
    EXPECT_FALSE(empty.QIShrink(1, 1));
}

TEST(RasterResample, AveragingHalvesIntoBlockMeans)
{
    CRaster img = MakePattern(4, 4, 24), orig(img);
    ASSERT_TRUE(img.Resample(2, 2, 0));
    ASSERT_EQ(img.GetWidth(), 2u);
    for (int y = 0; y < 2; ++y)
        for (int x = 0; x < 2; ++x)
            EXPECT_TRUE(Near(img.GetPixelColor(x, y, false), BlockMean(orig, 2 * x, 2 * y, 2), 0)) << x << "," << y;
    // The quick shrink likewise, three blocks a side.
    CRaster six = MakePattern(6, 6, 24);
    six.AlphaCreate();
    six.AlphaSet(0, 0, 0); // block (0, 0): alpha 0, 255, 255, 255
    CRaster q;
    ASSERT_TRUE(six.QIShrink(3, 3, &q));
    for (int y = 0; y < 3; ++y)
        for (int x = 0; x < 3; ++x)
            EXPECT_TRUE(Near(q.GetPixelColor(x, y, false), BlockMean(six, 2 * x, 2 * y, 2), 0)) << x << "," << y;
    EXPECT_EQ(q.AlphaGet(0, 0), 191);
    // And the area resampler: 2 x 2 areas centred on the blocks.
    CRaster r2;
    ASSERT_TRUE(orig.Resample2(2, 2, CRaster::InterpolationBicubic, CRaster::OverflowRepeat, &r2));
    for (int y = 0; y < 2; ++y)
        for (int x = 0; x < 2; ++x)
            EXPECT_TRUE(Near(r2.GetPixelColor(x, y, false), BlockMean(orig, 2 * x, 2 * y, 2), 0)) << x << "," << y;
}

TEST(RasterResample, FastModesTakeTheirPixels)
{
    CRaster img = MakePattern(4, 4, 24), out;
    // Nearest: from 4 to 2 columns, source columns 0 and 2.
    ASSERT_TRUE(img.Resample(2, 4, 1, &out));
    for (int y = 0; y < 4; ++y) {
        EXPECT_TRUE(SameColor(out.GetPixelColor(0, y), img.GetPixelColor(0, y)));
        EXPECT_TRUE(SameColor(out.GetPixelColor(1, y), img.GetPixelColor(2, y)));
    }
    // Mode 0 shrinking one axis only is bilinear at whole source points: the same columns.
    ASSERT_TRUE(img.Resample(2, 4, 0, &out));
    EXPECT_TRUE(SameColor(out.GetPixelColor(1, 3), img.GetPixelColor(2, 3)));
    // Mode 0 enlarging: half way between two pixels is their truncated mean.
    CRaster two(2, 1, 24, RASTER_FORMAT_BMP);
    two.SetPixelColor(1, 0, RGBQUAD{101, 50, 255, 0});
    ASSERT_TRUE(two.Resample(4, 1, 0, &out));
    EXPECT_TRUE(SameColor(out.GetPixelColor(1, 0), RGBQUAD{50, 25, 127, 0}));
    EXPECT_TRUE(SameColor(out.GetPixelColor(3, 0), RGBQUAD{101, 50, 255, 0}));
    // A palette image in mode 0 keeps its palette and goes through it.
    CRaster pal = MakePattern(4, 4, 8);
    ASSERT_TRUE(pal.Resample(2, 2, 0, &out));
    EXPECT_EQ(out.GetBpp(), 8);
    EXPECT_TRUE(out.IsSamePalette(pal));
    EXPECT_TRUE(SameColor(out.GetPixelColor(1, 1), pal.GetPixelColor(2, 2)));
    // B-spline keeps a flat picture flat (within the weights' float rounding).
    CRaster flat = Solid(5, 5, 200);
    ASSERT_TRUE(flat.Resample(9, 3, 2, &out));
    for (int y = 0; y < 3; ++y)
        for (int x = 0; x < 9; ++x)
            ASSERT_TRUE(Near(out.GetPixelColor(x, y), RGBQUAD{200, 200, 200, 0}, 1));
}

TEST(RasterResample, AlphaIsAlwaysTheNearestPixel)
{
    CRaster img = MakePattern(8, 8, 24);
    img.AlphaCreate();
    for (int y = 0; y < 8; ++y)
        for (int x = 0; x < 8; ++x)
            img.AlphaSet(x, y, static_cast<uint8_t>(x * 30 + y));
    for (int mode : {0, 1, 2}) {
        CRaster out;
        ASSERT_TRUE(img.Resample(4, 4, mode, &out));
        for (int y = 0; y < 4; ++y)
            for (int x = 0; x < 4; ++x)
                ASSERT_EQ(out.AlphaGet(x, y), img.AlphaGet(2 * x, 2 * y)) << mode;
    }
}

TEST(RasterResample, WhiteStaysWhiteThroughLargeShrinks)
{
    // Past a 92-fold shrink the averaging sums leave 32 bits; the quotients never pass 255.
    struct Case {
        uint32_t from, to;
    } cases[] = {{1000, 10}, {4200, 1}};
    for (const Case& c : cases) {
        CRaster white = Solid(c.from, c.from, 255);
        for (int pass = 0; pass < 2; ++pass) {
            CRaster out;
            ASSERT_TRUE(pass ? white.QIShrink(c.to, c.to, &out) : white.Resample(c.to, c.to, 0, &out));
            for (uint32_t y = 0; y < c.to; ++y)
                for (uint32_t x = 0; x < c.to; ++x)
                    ASSERT_TRUE(SameColor(out.GetPixelColor(x, y), RGBQUAD{255, 255, 255, 0}))
                        << c.from << " pass " << pass << " " << x << "," << y;
        }
    }
    // Odd scales never write past the last column or row.
    CRaster odd = MakePattern(97, 61, 24), out;
    for (int n : {96, 59, 13, 2, 1}) {
        ASSERT_TRUE(odd.Resample(n, n < 61 ? n : 60, 0, &out));
        ASSERT_TRUE(odd.QIShrink(n, n < 61 ? n : 60, &out));
    }
}

TEST(RasterResample, Resample2Methods)
{
    // Enlarging a flat picture with interpolating kernels keeps it flat, also at the edges.
    const CRaster::InterpolationMethod methods[] = {CRaster::InterpolationNearestNeighbour,
                                                    CRaster::InterpolationBilinear, CRaster::InterpolationBicubic,
                                                    CRaster::InterpolationBicubic2, CRaster::InterpolationCatrom};
    CRaster flat = Solid(3, 2, 90), out;
    for (auto m : methods) {
        ASSERT_TRUE(flat.Resample2(7, 5, m, CRaster::OverflowRepeat, &out));
        ASSERT_EQ(out.GetWidth(), 7u);
        for (int y = 0; y < 5; ++y)
            for (int x = 0; x < 7; ++x)
                ASSERT_TRUE(Near(out.GetPixelColor(x, y), RGBQUAD{90, 90, 90, 0}, 1)) << m;
    }
    // Twice the size with nearest pixels: each source pixel becomes a 2 x 2 block.
    CRaster img = MakePattern(3, 3, 24);
    ASSERT_TRUE(img.Resample2(6, 6, CRaster::InterpolationNearestNeighbour, CRaster::OverflowRepeat, &out));
    for (int y = 0; y < 6; ++y)
        for (int x = 0; x < 6; ++x)
            ASSERT_TRUE(SameColor(out.GetPixelColor(x, y), img.GetPixelColor(x / 2, y / 2))) << x << "," << y;
    // Palette images keep their palette; with averaging turned off a shrink samples points: (1.5, 1.5) x 2 - 0.5.
    CRaster pal = MakePattern(6, 6, 8);
    ASSERT_TRUE(pal.Resample2(3, 3, CRaster::InterpolationNearestNeighbour, CRaster::OverflowRepeat, &out, true));
    EXPECT_TRUE(out.IsSamePalette(pal));
    EXPECT_TRUE(SameColor(out.GetPixelColor(1, 1), pal.GetPixelColor(3, 3)));
    // An escape stops after the first row but still hands the picture over.
    CRaster esc = MakePattern(4, 4, 24);
    esc.SetEscape(1);
    ASSERT_TRUE(esc.Resample2(8, 8, CRaster::InterpolationBilinear));
    EXPECT_EQ(esc.GetWidth(), 8u);
}

TEST(RasterResample, Resample2IsThePointLookupAtEveryPixel)
{
    CRaster img = MakePattern(19, 15, 24);
    img.AlphaCreate();
    for (int y = 0; y < 15; ++y)
        for (int x = 0; x < 19; ++x)
            img.AlphaSet(x, y, static_cast<uint8_t>(x * 11 + y * 5));
    const int methods[] = {CRaster::InterpolationBilinear,         CRaster::InterpolationBicubic,
                           CRaster::InterpolationLanczos,          CRaster::InterpolationCatrom,
                           CRaster::InterpolationNearestNeighbour, 99};
    for (int m : methods) {
        const auto method = static_cast<CRaster::InterpolationMethod>(m);
        CRaster out;
        ASSERT_TRUE(img.Resample2(41, 33, method, CRaster::OverflowMirror, &out));
        const float xs = 19.0f / 41, ys = 15.0f / 33;
        for (int j = 0; j < 33; ++j)
            for (int i = 0; i < 41; ++i) {
                RGBQUAD want = img.GetPixelColorInterpolated((i + 0.5f) * xs - 0.5f, (j + 0.5f) * ys - 0.5f, method,
                                                             CRaster::OverflowMirror);
                ASSERT_TRUE(SameColor(out.GetPixelColor(i, j), want)) << m << " " << i << "," << j;
                ASSERT_EQ(out.AlphaGet(i, j), want.rgbReserved) << m << " " << i << "," << j;
            }
    }
}
