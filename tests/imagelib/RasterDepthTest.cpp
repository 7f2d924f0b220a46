// Tests of colour depth changes: grey levels, negatives, raising and lowering the depth, and the eight dithers.
#include "imagelib/Raster.h"
#include "RasterTestUtil.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>

using namespace rastertest;

namespace {

// An 8-bit grey image whose index at (x, y) is level(x, y).
template <class F> CRaster GreyLevels(int w, int h, F level)
{
    CRaster img(static_cast<uint32_t>(w), static_cast<uint32_t>(h), 8, RASTER_FORMAT_BMP);
    img.SetGrayPalette();
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            img.SetPixelIndex(x, y, static_cast<uint8_t>(level(x, y)));
    return img;
}

// The 1-bit rows of an image as text, row 0 (the bottom) first.
std::string Bits(CRaster& img)
{
    std::string s;
    for (int y = 0; y < static_cast<int>(img.GetHeight()); ++y) {
        if (y)
            s += ' ';
        for (int x = 0; x < static_cast<int>(img.GetWidth()); ++x)
            s += static_cast<char>('0' + img.GetPixelIndex(x, y));
    }
    return s;
}

} // namespace

TEST(RasterDepth, GrayScaleLevels)
{
    const RGBQUAD colours[] = {{0, 0, 255, 0}, {255, 255, 255, 0}, {0, 255, 0, 0}, {255, 0, 0, 0}};
    const uint8_t grey[] = {76, 255, 149, 29};
    CRaster rgb(4, 1, 24, RASTER_FORMAT_BMP);
    for (int x = 0; x < 4; ++x)
        rgb.SetPixelColor(x, 0, colours[x]);
    CRaster pal(4, 1, 4, RASTER_FORMAT_BMP);
    for (int x = 0; x < 4; ++x) {
        pal.SetPaletteColor(static_cast<uint8_t>(x + 3), colours[x]);
        pal.SetPixelIndex(x, 0, static_cast<uint8_t>(x + 3));
    }
    pal.SetTransIndex(4); // white
    for (CRaster* img : {&rgb, &pal}) {
        ASSERT_TRUE(img->GrayScale());
        ASSERT_EQ(img->GetBpp(), 8);
        EXPECT_TRUE(img->IsGrayScale());
        for (int x = 0; x < 4; ++x)
            EXPECT_EQ(img->GetPixelIndex(x, 0), grey[x]);
    }
    EXPECT_EQ(pal.GetTransIndex(), 255);
    CRaster eight = MakePattern(5, 3, 8);
    CRaster before(eight);
    ASSERT_TRUE(eight.GrayScale());
    for (int x = 0; x < 5; ++x)
        EXPECT_EQ(eight.GetPixelIndex(x, 1), before.GetPixelGray(x, 1));
    // Rows long enough for the widened loop and its tail: every pixel its own level.
    CRaster wide(301, 3, 24, RASTER_FORMAT_BMP);
    uint32_t seed = 5;
    for (int y = 0; y < 3; ++y)
        for (int x = 0; x < 301; ++x) {
            seed = seed * 1103515245u + 12345u;
            wide.SetPixelColor(x, y,
                               RGBQUAD{static_cast<uint8_t>(seed >> 8), static_cast<uint8_t>(seed >> 16),
                                       static_cast<uint8_t>(seed >> 24), 0});
        }
    CRaster colour(wide);
    ASSERT_TRUE(wide.GrayScale());
    for (int y = 0; y < 3; ++y)
        for (int x = 0; x < 301; ++x)
            ASSERT_EQ(wide.GetPixelIndex(x, y), colour.GetPixelGray(x, y)) << x << "," << y;
}

TEST(RasterDepth, NegativeHonoursTheSelection)
{
    CRaster rgb = MakePattern(4, 3, 24);
    rgb.SetTransColor(RGBQUAD{10, 20, 30, 0});
    CRaster orig(rgb);
    rgb.SelectionAddRect(RASTERRECT{1, 2, 3, 1}); // columns 1-2 of row 1
    ASSERT_TRUE(rgb.Negative());
    for (int y = 0; y < 3; ++y)
        for (int x = 0; x < 4; ++x) {
            RGBQUAD o = orig.GetPixelColor(x, y, false), n = rgb.GetPixelColor(x, y, false);
            const bool in = y == 1 && (x == 1 || x == 2);
            EXPECT_EQ(n.rgbRed, in ? 255 - o.rgbRed : o.rgbRed) << x << "," << y;
            EXPECT_EQ(n.rgbBlue, in ? 255 - o.rgbBlue : o.rgbBlue);
        }
    EXPECT_EQ(rgb.GetTransColor().rgbGreen, 235);

    // A colour palette is inverted whole, selection or not.
    CRaster pal = MakePattern(4, 3, 4);
    RGBQUAD entry = pal.GetPaletteColor(5);
    pal.SelectionAddPixel(0, 0);
    ASSERT_TRUE(pal.Negative());
    EXPECT_EQ(pal.GetPaletteColor(5).rgbRed, 255 - entry.rgbRed);

    // A grey palette keeps its entries; the selected indices turn over.
    CRaster grey = GreyLevels(3, 1, [](int x, int) { return x * 100; });
    grey.SelectionAddRect(RASTERRECT{1, 1, 2, 0});
    ASSERT_TRUE(grey.Negative());
    EXPECT_TRUE(grey.IsGrayScale());
    EXPECT_EQ(grey.GetPixelIndex(0, 0), 0);
    EXPECT_EQ(grey.GetPixelIndex(1, 0), 155);
    CRaster four(2, 1, 4, RASTER_FORMAT_BMP);
    for (int i = 0; i < 16; ++i)
        four.SetPaletteColor(static_cast<uint8_t>(i), static_cast<uint8_t>(i), static_cast<uint8_t>(i),
                             static_cast<uint8_t>(i));
    four.SetPixelIndex(0, 0, 3);
    ASSERT_TRUE(four.Negative());
    EXPECT_EQ(four.GetPixelIndex(0, 0), 12);
}

TEST(RasterDepth, IncreaseKeepsEveryColour)
{
    struct Case {
        uint32_t from, to;
        bool ok;
    } cases[] = {{1, 4, true}, {1, 8, true},  {1, 24, true},  {4, 8, true},  {4, 24, true},  {8, 24, true},
                 {8, 8, true}, {8, 4, false}, {24, 8, false}, {4, 5, false}, {4, 16, false}, {24, 24, true}};
    for (const Case& c : cases) {
        CRaster img = MakePattern(7, 3, c.from);
        CRaster orig(img);
        ASSERT_EQ(img.IncreaseBpp(c.to), c.ok) << c.from << "->" << c.to;
        EXPECT_EQ(img.GetBpp(), c.ok ? c.to : c.from);
        EXPECT_EQ(ComparePixels(img, orig), "") << c.from << "->" << c.to;
    }
    // A transparent index becomes the transparent colour; palette alpha becomes a channel.
    CRaster img = MakePattern(3, 2, 8);
    img.SetTransIndex(img.GetPixelIndex(1, 1));
    img.SetPaletteColor(img.GetPixelIndex(2, 1), RGBQUAD{1, 2, 3, 77});
    RGBQUAD trans = img.GetTransColor();
    ASSERT_TRUE(img.IncreaseBpp(24));
    EXPECT_TRUE(SameColor(img.GetTransColor(), trans));
    ASSERT_TRUE(img.AlphaIsValid());
    EXPECT_EQ(img.AlphaGet(2, 1), 77);
}

TEST(RasterDepth, DecreaseMatchesThePalette)
{
    // Equal depth without an important count: nothing to do.
    CRaster eight = MakePattern(4, 2, 8), same(eight);
    ASSERT_TRUE(eight.DecreaseBpp(8, false));
    EXPECT_EQ(ComparePixels(eight, same), "");
    EXPECT_FALSE(eight.DecreaseBpp(24, false));
    EXPECT_FALSE(eight.DecreaseBpp(2, false));
    CRaster four = MakePattern(4, 2, 4);
    EXPECT_FALSE(four.DecreaseBpp(8, false));

    // 24 -> 8 takes the standard palette's exact colours exactly; 24 -> 1 goes to black and white.
    const RGBQUAD colours[] = {{0, 0, 255, 0}, {240, 202, 166, 0}, {128, 128, 128, 0}, {250, 250, 250, 0}};
    const uint8_t bw[] = {0, 1, 1, 1}; // grey 128 lies nearer to white
    for (uint32_t bits : {8u, 4u, 1u}) {
        CRaster rgb(4, 1, 24, RASTER_FORMAT_BMP);
        for (int x = 0; x < 4; ++x)
            rgb.SetPixelColor(x, 0, colours[x]);
        rgb.AlphaCreate();
        rgb.AlphaSet(2, 0, 9);
        ASSERT_TRUE(rgb.DecreaseBpp(bits, false)) << bits;
        ASSERT_EQ(rgb.GetBpp(), bits);
        EXPECT_EQ(rgb.AlphaGet(2, 0), 9);
        if (bits == 1)
            for (int x = 0; x < 4; ++x)
                EXPECT_EQ(rgb.GetPixelIndex(x, 0), bw[x]);
        else
            for (int x = 0; x < 3; ++x)
                EXPECT_TRUE((bits == 4 && x == 1) || SameColor(rgb.GetPixelColor(x, 0, false), colours[x])) << x;
    }
    // A palette given by the caller.
    const RGBQUAD two[2] = {{0, 0, 200, 0}, {0, 200, 0, 0}};
    CRaster rgb(2, 1, 24, RASTER_FORMAT_BMP);
    rgb.SetPixelColor(0, 0, RGBQUAD{0, 20, 180, 0});
    rgb.SetPixelColor(1, 0, RGBQUAD{0, 190, 30, 0});
    ASSERT_TRUE(rgb.DecreaseBpp(1, false, two));
    EXPECT_EQ(Bits(rgb), "01");
    EXPECT_TRUE(SameColor(rgb.GetPaletteColor(1), two[1]));
}

TEST(RasterDepth, DecreaseFindsWhatTheNearestIndexFinds)
{
    // Every pixel takes the entry GetNearestIndex gives (the first of equal distances, within the important
    // colours), with the error spread pixel by pixel as SetPixelColor would spread it.
    auto reference = [](CRaster src, uint32_t bits, bool diffusion, const RGBQUAD* pal, uint32_t important) {
        CRaster out(src.GetWidth(), src.GetHeight(), bits, src.GetType());
        if (pal)
            out.SetPalette(pal, 1u << bits);
        else if (bits == 1)
            out.SetPaletteColor(1, 255, 255, 255);
        else
            out.SetStdPalette();
        if (important)
            out.SetClrImportant(important);
        const int w = static_cast<int>(src.GetWidth()), h = static_cast<int>(src.GetHeight());
        const int shares[4][3] = {{1, 0, 7}, {-1, 1, 2}, {0, 1, 4}, {1, 1, 1}};
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x) {
                RGBQUAD c = src.GetPixelColor(x, y, false);
                out.SetPixelColor(x, y, c);
                RGBQUAD got = out.GetPixelColor(x, y, false);
                const int e[3] = {c.rgbBlue - got.rgbBlue, c.rgbGreen - got.rgbGreen, c.rgbRed - got.rgbRed};
                for (const auto& sh : shares) {
                    if (!diffusion || !src.IsInside(x + sh[0], y + sh[1]))
                        continue;
                    RGBQUAD n = src.GetPixelColor(x + sh[0], y + sh[1], false);
                    n.rgbBlue = static_cast<uint8_t>(std::clamp(n.rgbBlue + e[0] * sh[2] / 16, 0, 255));
                    n.rgbGreen = static_cast<uint8_t>(std::clamp(n.rgbGreen + e[1] * sh[2] / 16, 0, 255));
                    n.rgbRed = static_cast<uint8_t>(std::clamp(n.rgbRed + e[2] * sh[2] / 16, 0, 255));
                    src.SetPixelColor(x + sh[0], y + sh[1], n, false);
                }
            }
        return out;
    };
    // Many colours; a palette of repeated entries so that ties decide.
    CRaster rgb(67, 43, 24, RASTER_FORMAT_BMP);
    uint32_t seed = 3;
    for (uint32_t y = 0; y < 43; ++y)
        for (uint32_t x = 0; x < 67; ++x) {
            seed = seed * 1103515245u + 12345u;
            rgb.SetPixelColor(static_cast<int>(x), static_cast<int>(y),
                              RGBQUAD{static_cast<uint8_t>(seed >> 24), static_cast<uint8_t>(x * 4),
                                      static_cast<uint8_t>(seed >> 10), 0});
        }
    CRaster eight = MakePattern(67, 43, 8);
    RGBQUAD repeated[256];
    for (uint32_t i = 0; i < 256; ++i)
        repeated[i] = RGBQUAD{static_cast<uint8_t>(i / 8 * 8), static_cast<uint8_t>(i % 3 * 100),
                              static_cast<uint8_t>(i / 64 * 80), 0};
    struct Case {
        CRaster* src;
        uint32_t bits;
        bool diffusion;
        const RGBQUAD* pal;
        uint32_t important;
    } cases[] = {
        {&rgb, 8, false, nullptr, 0},   {&rgb, 8, true, nullptr, 0},    {&rgb, 4, false, nullptr, 0},
        {&rgb, 4, true, nullptr, 0},    {&rgb, 1, false, nullptr, 0},   {&rgb, 1, true, nullptr, 0},
        {&rgb, 8, false, repeated, 0},  {&rgb, 8, true, repeated, 100}, {&rgb, 4, false, repeated, 5},
        {&eight, 4, false, nullptr, 0}, {&eight, 4, true, repeated, 0}, {&eight, 8, false, repeated, 60},
        {&eight, 1, true, nullptr, 0},
    };
    for (const Case& c : cases) {
        CRaster want = reference(*c.src, c.bits, c.diffusion, c.pal, c.important);
        CRaster got(*c.src);
        ASSERT_TRUE(got.DecreaseBpp(c.bits, c.diffusion, c.pal, c.important));
        std::string where;
        for (int y = 0; y < 43 && where.empty(); ++y)
            for (int x = 0; x < 67 && where.empty(); ++x)
                if (got.GetPixelIndex(x, y) != want.GetPixelIndex(x, y))
                    where = std::to_string(x) + "," + std::to_string(y);
        EXPECT_EQ(where, "") << c.src->GetBpp() << " to " << c.bits << (c.diffusion ? " diffused" : "")
                             << (c.pal ? " own palette" : "") << " important " << c.important;
    }
}

TEST(RasterDepth, DecreaseDiffusesSevenTwoFourOne)
{
    // One column of grey 100: the pixel below gets 4/16 of the error (Floyd-Steinberg would give 5/16 and
    // turn the second pixel white instead of the third).
    CRaster col(1, 3, 24, RASTER_FORMAT_BMP);
    col.Clear(100);
    ASSERT_TRUE(col.DecreaseBpp(1, true));
    EXPECT_EQ(Bits(col), "0 0 1");
    // Along a row the next pixel gets 7/16: 100, 143, 51 -> black, white, black.
    CRaster row(3, 1, 24, RASTER_FORMAT_BMP);
    row.Clear(100);
    ASSERT_TRUE(row.DecreaseBpp(1, true));
    EXPECT_EQ(Bits(row), "010");
}

TEST(RasterDepth, DitherMethods)
{
    // Levels x + y + 68 on 4 x 4, worked by hand for each diffusion; ordered dithers of grey 128 light
    // 8 pixels in every 4 x 4 block, where the threshold table lies below the level.
    struct Case {
        int32_t method;
        const char* bits;
    } cases[] = {
        {0, "0000 0101 0000 0101"}, {9, "0000 0101 0000 0101"}, {-3, "0000 0101 0000 0101"}, {2, "0000 0100 0010 0001"},
        {3, "0000 0010 0100 0001"}, {4, "0000 0010 0000 0100"}, {5, "0000 0010 0010 0000"},  {6, "0000 0000 0000 0011"},
    };
    for (const Case& c : cases) {
        CRaster img = GreyLevels(4, 4, [](int x, int y) { return x + y + 68; });
        ASSERT_TRUE(img.Dither(c.method));
        ASSERT_EQ(img.GetBpp(), 1);
        EXPECT_EQ(Bits(img), c.bits) << c.method;
        EXPECT_TRUE(SameColor(img.GetPaletteColor(0), RGBQUAD{0, 0, 0, 0}));
        EXPECT_TRUE(SameColor(img.GetPaletteColor(1), RGBQUAD{255, 255, 255, 0}));
    }
    struct Ordered {
        int32_t method;
        const char* bits;
    } ordered[] = {{1, "1010 0101 1010 0101"}, {7, "1010 0101 1010 0101"}};
    for (const Ordered& c : ordered) {
        CRaster img(4, 4, 24, RASTER_FORMAT_BMP);
        img.Clear(128);
        ASSERT_TRUE(img.Dither(c.method));
        EXPECT_EQ(Bits(img), c.bits) << c.method;
    }
    CRaster white = GreyLevels(4, 1, [](int, int) { return 255; });
    ASSERT_TRUE(white.Dither(1));
    EXPECT_EQ(Bits(white), "1111");
    CRaster one = MakePattern(5, 2, 1), orig(one);
    ASSERT_TRUE(one.Dither(3));
    EXPECT_EQ(ComparePixels(one, orig), "");
}
