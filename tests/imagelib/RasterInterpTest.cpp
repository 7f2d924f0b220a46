// Tests of the interpolating lookups: kernels, overflow rules, point and area colours.
#include "imagelib/Raster.h"
#include "RasterTestUtil.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

using namespace rastertest;

namespace {

using IM = CRaster::InterpolationMethod;
using OM = CRaster::OverflowMethod;

const RGBQUAD kRepl{7, 8, 9, 99};

bool SameQuad(RGBQUAD a, RGBQUAD b)
{
    return SameColor(a, b) && a.rgbReserved == b.rgbReserved;
}

} // namespace

TEST(RasterInterp, KernelValues)
{
    struct Case {
        float (*kernel)(float);
        float t, want;
    } cases[] = {
        {CRaster::KernelBSpline, 0, 4.0f / 6},
        {CRaster::KernelBSpline, 1, 1.0f / 6},
        {CRaster::KernelBSpline, -1.5f, 0.125f / 6},
        {CRaster::KernelBSpline, 2.5f, 0},
        {CRaster::KernelLinear, -0.25f, 0.75f},
        {CRaster::KernelLinear, 1.5f, 0},
        {CRaster::KernelCubic, 0, 1},
        {CRaster::KernelCubic, 1, 0},
        {CRaster::KernelCubic, -1.5f, -0.125f},
        {CRaster::KernelBox, -0.5f, 1},
        {CRaster::KernelBox, 0.5f, 0},
        {CRaster::KernelHermite, 0.5f, 0.5f},
        {CRaster::KernelHamming, -0.5f, 0.54f},
        {CRaster::KernelSinc, 0, 1},
        {CRaster::KernelSinc, 0.5f, 0.6366198f},
        {CRaster::KernelBlackman, 0, 1},
        {CRaster::KernelBlackman, 1, 0},
        {CRaster::KernelBessel, 0, 0.7853982f},
        {CRaster::KernelGaussian, 0, 0.7978846f},
        {CRaster::KernelGaussian, 1, 0.7978846f * 0.1353353f},
        {CRaster::KernelQuadratic, 0, 0.75f},
        {CRaster::KernelQuadratic, 1, 0.125f},
        {CRaster::KernelMitchell, 0, 8.0f / 9},
        {CRaster::KernelMitchell, -1, 1.0f / 18},
        {CRaster::KernelMitchell, 2, 0},
        {CRaster::KernelCatrom, 0, 1},
        {CRaster::KernelCatrom, 1, 0},
        {CRaster::KernelCatrom, -0.5f, 0.5625f},
    };
    for (const Case& c : cases)
        EXPECT_NEAR(c.kernel(c.t), c.want, 2e-6) << c.t;
    EXPECT_NEAR(CRaster::KernelGeneralizedCubic(0, -0.5f), 1, 1e-6);
    EXPECT_NEAR(CRaster::KernelGeneralizedCubic(1, -0.5f), 0, 1e-6);
    EXPECT_NEAR(CRaster::KernelGeneralizedCubic(1.5f, -0.5f), -0.0625f, 1e-6);
    EXPECT_NEAR(CRaster::KernelLanczosSinc(0, 6), 1, 1e-6);
    EXPECT_NEAR(CRaster::KernelLanczosSinc(3, 6), 0, 1e-6);
    EXPECT_EQ(CRaster::KernelLanczosSinc(6.5f, 6), 0);
    // The Bessel kernel against the library's J1, on both sides of the approximation's switch at 8.
    for (float t : {0.3f, 1.0f, -1.7f, 2.9f, 4.2f, -6.1f})
        EXPECT_NEAR(CRaster::KernelBessel(t), std::cyl_bessel_j(1.0, std::fabs(3.1415927 * t)) / (2 * std::fabs(t)),
                    2e-6)
            << t;
}

TEST(RasterInterp, WholeCoordinatesHitThePixel)
{
    const IM methods[] = {CRaster::InterpolationNearestNeighbour,
                          CRaster::InterpolationBilinear,
                          CRaster::InterpolationBicubic,
                          CRaster::InterpolationBicubic2,
                          CRaster::InterpolationBox,
                          CRaster::InterpolationHermite,
                          CRaster::InterpolationCatrom,
                          static_cast<IM>(99)};
    for (uint32_t bpp : {8u, 24u}) {
        CRaster img = MakePattern(7, 6, bpp);
        img.AlphaCreate();
        img.AlphaSet(2, 3, 44);
        img.AlphaSet(0, 0, 45);
        for (IM m : methods) {
            // Inside (the direct paths) and at a corner (every neighbour through the overflow rule).
            EXPECT_TRUE(
                SameQuad(img.GetPixelColorInterpolated(2.0f, 3.0f, m, CRaster::OverflowColor), img.GetPixelColor(2, 3)))
                << bpp << " " << m;
            EXPECT_TRUE(SameQuad(img.GetPixelColorInterpolated(0.0f, 0.0f, m, CRaster::OverflowRepeat),
                                 img.GetPixelColor(0, 0)))
                << bpp << " " << m;
        }
        EXPECT_NEAR(img.GetPixelColorInterpolated(2.0f, 3.0f, CRaster::InterpolationLanczos).rgbRed,
                    img.GetPixelColor(2, 3).rgbRed, 1);
    }
}

TEST(RasterInterp, BilinearWeights)
{
    CRaster img(2, 2, 24, RASTER_FORMAT_BMP);
    const uint8_t v[4] = {10, 200, 31, 100}; // (0,0), (1,0), (0,1), (1,1)
    for (int i = 0; i < 4; ++i)
        img.SetPixelColor(i & 1, i >> 1, RGBQUAD{v[i], 0, 0, 0});
    img.AlphaCreate();
    // 64/256 each at the centre: (10 + 200 + 31 + 100) * 64 >> 8.
    EXPECT_EQ(img.GetPixelColorInterpolated(0.5f, 0.5f).rgbBlue, 85);
    EXPECT_EQ(img.GetPixelColorInterpolated(0.5f, 0.5f).rgbReserved, 255);
    // At (0.25, 0.75): weights 48, 16, 144, 48 out of 256.
    EXPECT_EQ(img.GetPixelColorInterpolated(0.25f, 0.75f).rgbBlue, (48 * 10 + 16 * 200 + 144 * 31 + 48 * 100) >> 8);
    // Half outside: the float path with the overflow rule's colours.
    EXPECT_EQ(img.GetPixelColorInterpolated(1.5f, 0.0f, CRaster::InterpolationBilinear, CRaster::OverflowColor, &kRepl)
                  .rgbBlue,
              (200 + 7) / 2);
    // A palette image takes the float path throughout.
    CRaster pal = MakePattern(2, 2, 8);
    const int want = (pal.GetPixelColor(0, 0).rgbRed + pal.GetPixelColor(1, 0).rgbRed + pal.GetPixelColor(0, 1).rgbRed +
                      pal.GetPixelColor(1, 1).rgbRed) /
                     4;
    EXPECT_NEAR(pal.GetPixelColorInterpolated(0.5f, 0.5f).rgbRed, want, 1);
}

TEST(RasterInterp, OverflowRules)
{
    CRaster img = MakePattern(5, 4, 24);
    auto px = [&](int x, int y) { return img.GetPixelColor(x, y); };
    // Integer coordinates moved inside.
    struct Move {
        OM method;
        int x, y, wx, wy;
    } moves[] = {
        {CRaster::OverflowWrap, -1, 0, 4, 0},
        {CRaster::OverflowWrap, 11, -9, 1, 3},
        {CRaster::OverflowRepeat, -7, 9, 0, 3},
        {CRaster::OverflowMirror, -1, 0, 1, 0},
        {CRaster::OverflowMirror, 5, 4, 4, 3},
        {CRaster::OverflowColor, -1, 0, -1, 0},
        {CRaster::OverflowWrap, INT32_MIN, INT32_MAX, (INT32_MIN % 5 + 5) % 5, INT32_MAX % 4},
    };
    for (const Move& m : moves) {
        int32_t x = m.x, y = m.y;
        img.OverflowCoordinates(x, y, m.method);
        EXPECT_EQ(x, m.wx) << m.method << " " << m.x;
        EXPECT_EQ(y, m.wy) << m.method << " " << m.y;
    }
    float fx = -0.5f, fy = 4.5f;
    img.OverflowCoordinates(fx, fy, CRaster::OverflowWrap);
    EXPECT_FLOAT_EQ(fx, 4.5f);
    EXPECT_FLOAT_EQ(fy, 0.5f);
    fx = 5.5f;
    fy = -2.0f;
    img.OverflowCoordinates(fx, fy, CRaster::OverflowMirror);
    EXPECT_FLOAT_EQ(fx, 3.5f);
    EXPECT_FLOAT_EQ(fy, 2.0f);

    // Colours of outside points.
    const RGBQUAD white{255, 255, 255, 0}, trans{1, 2, 3, 0};
    EXPECT_TRUE(SameQuad(img.GetPixelColorWithOverflow(-1, 0, CRaster::OverflowColor, &kRepl), kRepl));
    EXPECT_TRUE(SameQuad(img.GetPixelColorWithOverflow(-1, 0, CRaster::OverflowColor), white));
    EXPECT_TRUE(SameQuad(img.GetPixelColorWithOverflow(-1, 0, static_cast<OM>(0), &kRepl), kRepl));
    EXPECT_TRUE(SameQuad(img.GetPixelColorWithOverflow(-1, 0, CRaster::OverflowBackground, &kRepl), kRepl));
    EXPECT_TRUE(SameQuad(img.GetPixelColorWithOverflow(9, 2, CRaster::OverflowRepeat), px(4, 2)));
    EXPECT_TRUE(SameQuad(img.GetPixelColorWithOverflow(-1, 2, CRaster::OverflowMirror), px(1, 2)));
    EXPECT_TRUE(SameQuad(img.GetPixelColorWithOverflow(-1, 2, CRaster::OverflowWrap), px(4, 2)));
    img.SetTransIndex(0);
    img.SetTransColor(trans);
    EXPECT_TRUE(SameQuad(img.GetPixelColorWithOverflow(-1, 0, CRaster::OverflowBackground, &kRepl), trans));
    EXPECT_TRUE(SameQuad(img.GetPixelColorWithOverflow(-1, 0, CRaster::OverflowTransparent, &kRepl), trans));
    img.AlphaCreate();
    RGBQUAD clear = kRepl;
    clear.rgbReserved = 0;
    EXPECT_TRUE(SameQuad(img.GetPixelColorWithOverflow(-1, 0, CRaster::OverflowTransparent, &kRepl), clear));
    CRaster pal = MakePattern(3, 3, 4);
    pal.SetTransIndex(5);
    EXPECT_TRUE(SameColor(pal.GetPixelColorWithOverflow(3, 0, CRaster::OverflowBackground), pal.GetPaletteColor(5)));
    CRaster empty;
    EXPECT_TRUE(SameQuad(empty.GetPixelColorWithOverflow(0, 0, CRaster::OverflowRepeat, &kRepl), kRepl));
}

TEST(RasterInterp, FarAndUndefinedPointsAreOutside)
{
    CRaster img = MakePattern(5, 4, 24);
    EXPECT_TRUE(SameQuad(
        img.GetPixelColorInterpolated(-5, -5, CRaster::InterpolationBilinear, CRaster::OverflowColor, &kRepl), kRepl));
    EXPECT_TRUE(SameQuad(img.GetPixelColorInterpolated(-5, -5, CRaster::InterpolationBilinear, CRaster::OverflowRepeat),
                         img.GetPixelColor(0, 0)));
    const float nan = std::numeric_limits<float>::quiet_NaN(), inf = std::numeric_limits<float>::infinity();
    const float bad[] = {nan, inf, -inf, 3e9f, -1.5e9f, 1e38f};
    for (int m = 0; m <= 17; ++m)
        for (int o = 0; o <= 7; ++o)
            for (float v : bad) {
                RGBQUAD c = img.GetPixelColorInterpolated(v, 1.5f, static_cast<IM>(m), static_cast<OM>(o), &kRepl);
                if (o <= 3 || o == 7) {
                    EXPECT_TRUE(SameQuad(c, kRepl)) << m << " " << o << " " << v;
                }
                img.GetPixelColorInterpolated(2.0f, v, static_cast<IM>(m), static_cast<OM>(o), &kRepl);
                img.GetAreaColorInterpolated(v, 2.0f, 3.0f, 3.0f, static_cast<IM>(m), static_cast<OM>(o), &kRepl);
                img.GetAreaColorInterpolated(2.0f, 2.0f, v, 0.5f, static_cast<IM>(m), static_cast<OM>(o), &kRepl);
            }
    // Infinity clamps to the edge under the repeat rule.
    EXPECT_TRUE(
        SameQuad(img.GetPixelColorInterpolated(inf, 1.0f, CRaster::InterpolationBicubic, CRaster::OverflowRepeat),
                 img.GetPixelColor(4, 1)));
}

TEST(RasterInterp, AreaColours)
{
    CRaster img = MakePattern(6, 5, 24);
    const IM bic = CRaster::InterpolationBicubic;
    // Small areas are point lookups.
    EXPECT_TRUE(
        SameQuad(img.GetAreaColorInterpolated(2.3f, 1.6f, 1, 1, bic), img.GetPixelColorInterpolated(2.3f, 1.6f, bic)));
    // A 2 x 2 area on pixel centres averages the four pixels.
    for (int c = 0; c < 3; ++c) {
        auto ch = [&](int x, int y) {
            RGBQUAD q = img.GetPixelColor(x, y);
            return c == 0 ? q.rgbBlue : c == 1 ? q.rgbGreen : q.rgbRed;
        };
        RGBQUAD got = img.GetAreaColorInterpolated(2.5f, 1.5f, 2, 2, bic);
        EXPECT_EQ(c == 0   ? got.rgbBlue
                  : c == 1 ? got.rgbGreen
                           : got.rgbRed,
                  (ch(2, 1) + ch(3, 1) + ch(2, 2) + ch(3, 2)) / 4);
    }
    // A thin area: three pixels wide, half a pixel high, centred on row 2.
    RGBQUAD thin = img.GetAreaColorInterpolated(2.0f, 2.0f, 3, 0.5f, CRaster::InterpolationNearestNeighbour);
    EXPECT_NEAR(
        thin.rgbRed,
        (img.GetPixelColor(1, 2).rgbRed + img.GetPixelColor(2, 2).rgbRed + img.GetPixelColor(3, 2).rgbRed) / 3.0, 1);
    // No area, or one of a size no picture has: the replacement colour, at once.
    EXPECT_TRUE(SameQuad(img.GetAreaColorInterpolated(2, 2, 5, 0, bic, CRaster::OverflowColor, &kRepl), kRepl));
    EXPECT_TRUE(SameQuad(img.GetAreaColorInterpolated(2, 2, -3, 4, bic, CRaster::OverflowColor, &kRepl), kRepl));
    EXPECT_TRUE(SameQuad(img.GetAreaColorInterpolated(2, 2, 1e8f, 1e8f, bic, CRaster::OverflowWrap, &kRepl), kRepl));
    float r = 0, g = 0, b = 0, a = 0;
    CRaster::AddAveragingCont(RGBQUAD{1, 2, 3, 4}, 0.5f, r, g, b, a);
    EXPECT_FLOAT_EQ(r, 1.5f);
    EXPECT_FLOAT_EQ(a, 2.0f);
}
