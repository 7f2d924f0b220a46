// Tests of DIB memory blocks: copy out, read back by the block's own layout, and refusal of broken blocks.
#include "imagelib/Raster.h"
#include "RasterTestUtil.h"

#include <gtest/gtest.h>

using namespace rastertest;

TEST(RasterHandle, RoundTripAtEveryDepth)
{
    for (uint32_t bpp : {1u, 4u, 8u, 24u}) {
        CRaster img = MakePattern(11, 4, bpp);
        img.SetXDPI(72);
        RasterDibBlock block = img.CopyToHandle();
        ASSERT_EQ(block.size(), img.GetSize());
        CRaster back;
        ASSERT_TRUE(back.CreateFromHANDLE(block)) << bpp;
        EXPECT_EQ(back.GetBpp(), bpp);
        EXPECT_EQ(ComparePixels(back, img), "") << bpp;
        EXPECT_EQ(back.GetXDPI(), 72);
        EXPECT_EQ(back.GetType(), 0u);
    }
    CRaster empty;
    EXPECT_TRUE(empty.CopyToHandle().empty());
}

TEST(RasterHandle, ThirtyTwoBitsWithoutBitFieldsReadsNoMasks)
{
    Bytes b;
    InfoHeader(b, 2, 1, 32, 0);
    b.raw({1, 2, 3, 0xFF, 4, 5, 6, 0xFF});
    CRaster img;
    ASSERT_TRUE(img.CreateFromHANDLE(b.v));
    EXPECT_EQ(img.GetBpp(), 24);
    EXPECT_EQ(img.GetPixelColor(0, 0).rgbBlue, 1);
    EXPECT_EQ(img.GetPixelColor(1, 0).rgbRed, 6);

    // With bit fields the masks follow a 40-byte header, or sit inside a longer one.
    Bytes f;
    InfoHeader(f, 1, 1, 32, 3);
    f.u32(0x000000FF).u32(0x0000FF00).u32(0x00FF0000).raw({10, 20, 30, 0});
    ASSERT_TRUE(img.CreateFromHANDLE(f.v));
    EXPECT_EQ(img.GetPixelColor(0, 0).rgbRed, 10);
    EXPECT_EQ(img.GetPixelColor(0, 0).rgbBlue, 30);
    Bytes v5;
    InfoHeader(v5, 1, 1, 16, 3, 0, 0, 124);
    v5.u32(0xF800).u32(0x07E0).u32(0x001F).fill(124 - 52, 0).u16(0x001F).u16(0);
    ASSERT_TRUE(img.CreateFromHANDLE(v5.v));
    EXPECT_EQ(img.GetPixelColor(0, 0).rgbBlue, 248);
    EXPECT_EQ(img.GetPixelColor(0, 0).rgbRed, 0);
}

TEST(RasterHandle, OldHeaderRunsAndTopDown)
{
    Bytes core;
    core.u32(12).u16(2).u16(1).u16(1).u16(8);
    for (int i = 0; i < 256; ++i)
        core.u8(i).u8(255 - i).u8(7);
    core.raw({3, 200, 0, 0});
    CRaster img;
    ASSERT_TRUE(img.CreateFromHANDLE(core.v));
    EXPECT_EQ(img.GetPixelIndex(1, 0), 200);
    EXPECT_EQ(img.GetPaletteColor(3).rgbGreen, 252);

    Bytes rle;
    InfoHeader(rle, 4, 2, 8, 1, 0, 2);
    rle.u32(0).u32(0x00FFFFFF);
    rle.raw({9, 1, 0, 0, 2, 1, 0, 1}); // a run past the row is clipped
    ASSERT_TRUE(img.CreateFromHANDLE(rle.v));
    EXPECT_EQ(img.GetPixelIndex(3, 0), 1);
    EXPECT_EQ(img.GetPixelIndex(1, 1), 1);
    EXPECT_EQ(img.GetPixelIndex(2, 1), 0);

    Bytes top;
    InfoHeader(top, 1, -2, 24, 0);
    top.raw({1, 1, 1, 0, 2, 2, 2, 0});
    ASSERT_TRUE(img.CreateFromHANDLE(top.v));
    EXPECT_EQ(img.GetPixelColor(0, 1).rgbRed, 1);
    EXPECT_EQ(img.GetPixelColor(0, 0).rgbRed, 2);
}

TEST(RasterHandle, BrokenBlocksAreRefused)
{
    struct Case {
        const char* name;
        std::vector<uint8_t> block;
        const char* text;
    };
    auto header = [](int32_t w, int32_t h, uint16_t bits, uint32_t comp, size_t pixels, uint32_t clr = 0) {
        Bytes b;
        InfoHeader(b, w, h, bits, comp, 0, clr);
        b.fill(pixels, 0);
        return b.v;
    };
    std::vector<Case> cases = {
        {"empty", {}, ""},
        {"short header", {40, 0, 0, 0, 1, 0}, ""},
        {"rows missing", header(4, 4, 24, 0, 47), ""},
        {"palette missing", header(4, 1, 8, 0, 100), ""},
        {"zero width", header(0, 1, 24, 0, 4), ""},
        {"bit count 2", header(4, 1, 2, 0, 64), ""},
        {"masks missing", header(1, 1, 32, 3, 4), ""},
        {"huge", header(65535, 65535, 24, 0, 0), ""},
        {"compression 4", header(1, 1, 8, 4, 1024), "compression type not supported"},
        {"compression 1 at 24 bits", header(1, 1, 24, 1, 4), "unknown compression"},
        {"runs that cannot fill it", header(30000, 30000, 8, 1, 1024 + 16), "DIB picture too large for its image data"},
    };
    for (const Case& c : cases) {
        CRaster img;
        EXPECT_FALSE(img.CreateFromHANDLE(c.block)) << c.name;
        if (*c.text) {
            EXPECT_STREQ(img.GetLastError(), c.text) << c.name;
        }
        EXPECT_FALSE(img.IsValid()) << c.name;
    }
}

TEST(RasterHandle, ResolutionExtremesSaturate)
{
    // Pixels per metre from a block become dots per inch and back without leaving the int range.
    struct Case {
        int32_t pels;
        int32_t dpi;
        int32_t pelsAfter;
    } cases[] = {
        {INT32_MAX, 54546085, INT32_MAX},
        {2147483000, 54546068, 2147482992},
        {3780, 96, 3780},
        {40, 1, 39},
        {1, 96, 3780},
        {0, 96, 3780},
        {INT32_MIN, 96, 3780},
    };
    for (const Case& c : cases) {
        Bytes b;
        InfoHeader(b, 1, 1, 24, 0);
        b.raw({1, 2, 3, 0});
        rasterbytes::Put32(&b.v[24], static_cast<uint32_t>(c.pels));
        rasterbytes::Put32(&b.v[28], static_cast<uint32_t>(c.pels));
        CRaster img;
        ASSERT_TRUE(img.CreateFromHANDLE(b.v)) << c.pels;
        EXPECT_EQ(img.GetXDPI(), c.dpi) << c.pels;
        EXPECT_EQ(img.GetYDPI(), c.dpi) << c.pels;
        EXPECT_EQ(img.GetHeader().biXPelsPerMeter, c.pelsAfter) << c.pels;
        EXPECT_EQ(img.GetHeader().biYPelsPerMeter, c.pelsAfter) << c.pels;
    }
    CRaster img;
    img.SetXDPI(INT32_MAX);
    EXPECT_EQ(img.GetXDPI(), INT32_MAX);
    EXPECT_EQ(img.GetHeader().biXPelsPerMeter, INT32_MAX);
    img.SetYDPI(54546084);
    EXPECT_EQ(img.GetHeader().biYPelsPerMeter, 2147483622);
}
