// Tests of device bitmaps: packing at every depth, DIB reads and writes across depths, surface exchange.
#include "platform/gdi/DeviceBitmap.h"

#include <gtest/gtest.h>

using namespace platform::gdi;

namespace {

// Asymmetric in x and y so row-order and packing mistakes show.
COLORREF Pattern(int x, int y)
{
    return RGB(x * 37 + y, 255 - y * 41, (x * 11) ^ (y * 90));
}

std::vector<COLORREF> EightColours()
{
    return {RGB(0, 0, 0),    RGB(255, 0, 0),    RGB(0, 255, 0),     RGB(0, 0, 255),
            RGB(10, 20, 30), RGB(200, 100, 50), RGB(255, 255, 255), RGB(1, 2, 3)};
}

} // namespace

TEST(DeviceBitmap, EveryDepthRoundTripsThroughItsOwnDib)
{
    for (int bits : {1, 4, 8, 16, 24, 32}) {
        SCOPED_TRACE(bits);
        DeviceBitmap b;
        ASSERT_TRUE(b.Create(7, 3, bits, EightColours()));
        const uint32_t mask = bits >= 24 ? 0xFFFFFFu : bits == 16 ? 0xFFFFu : (1u << std::min(bits, 3)) - 1;
        for (int y = 0; y < 3; ++y)
            for (int x = 0; x < 7; ++x)
                b.SetRaw(x, y, static_cast<uint32_t>(x * 0x10305 + y * 0x7001 + x * y) & mask);
        std::vector<uint8_t> dib;
        std::vector<COLORREF> table;
        ASSERT_TRUE(b.GetDIBits(bits, dib, &table));
        EXPECT_EQ(dib.size(), DibRowBytes(7, bits) * 3);
        DeviceBitmap c;
        ASSERT_TRUE(c.Create(7, 3, bits, EightColours()));
        ASSERT_TRUE(c.SetDIBits(bits, dib.data(), dib.size(), table));
        std::vector<uint8_t> again;
        ASSERT_TRUE(c.GetDIBits(bits, again, nullptr));
        EXPECT_EQ(again, dib);
        if (bits == 16)
            continue; // 16-bit DIBs are 5-5-5: the bitmap's low green bit is not carried
        for (int y = 0; y < 3; ++y)
            for (int x = 0; x < 7; ++x) {
                ASSERT_EQ(c.GetRaw(x, y), b.GetRaw(x, y)) << x << "," << y;
                ASSERT_EQ(c.GetPixel(x, y), b.GetPixel(x, y));
            }
    }
}

TEST(DeviceBitmap, DibRowsAreBottomUpAndPackedHighBitsFirst)
{
    DeviceBitmap b;
    ASSERT_TRUE(b.Create(10, 2, 1));
    b.SetRaw(0, 0, 1);
    b.SetRaw(9, 0, 1);
    b.SetRaw(1, 1, 1);
    std::vector<uint8_t> dib;
    ASSERT_TRUE(b.GetDIBits(1, dib, nullptr));
    ASSERT_EQ(dib.size(), 8u);
    // Bottom row (y = 1) first.
    EXPECT_EQ(dib[0], 0x40);
    EXPECT_EQ(dib[1], 0x00);
    EXPECT_EQ(dib[4], 0x80);
    EXPECT_EQ(dib[5], 0x40);

    DeviceBitmap c;
    ASSERT_TRUE(c.Create(2, 2, 24));
    c.SetPixel(0, 0, RGB(1, 2, 3));
    c.SetPixel(1, 1, RGB(4, 5, 6));
    ASSERT_TRUE(c.GetDIBits(32, dib, nullptr));
    EXPECT_EQ(dib, (std::vector<uint8_t>{0, 0, 0, 0, 6, 5, 4, 0, 3, 2, 1, 0, 0, 0, 0, 0}));
}

TEST(DeviceBitmap, ConversionToTrueColourGivesExactColours)
{
    for (int bits : {8, 16, 24, 32}) {
        SCOPED_TRACE(bits);
        std::vector<COLORREF> pal;
        for (int i = 0; i < 256; ++i)
            pal.push_back(Pattern(i % 16, i / 16));
        DeviceBitmap b;
        ASSERT_TRUE(b.Create(16, 9, bits, pal));
        for (int y = 0; y < 9; ++y)
            for (int x = 0; x < 16; ++x)
                b.SetPixel(x, y, Pattern(x, y));
        std::vector<uint8_t> dib;
        ASSERT_TRUE(b.GetDIBits(24, dib, nullptr));
        const size_t pitch = DibRowBytes(16, 24);
        for (int y = 0; y < 9; ++y)
            for (int x = 0; x < 16; ++x) {
                const uint8_t* p = dib.data() + (8 - y) * pitch + 3 * x;
                COLORREF want =
                    bits == 16 ? platform::Rgb565ToColorRef(platform::ColorRefTo565(Pattern(x, y))) : Pattern(x, y);
                ASSERT_EQ(RGB(p[2], p[1], p[0]), want) << x << "," << y;
            }
    }
}

TEST(DeviceBitmap, PaletteDepthsKeepIndicesUpwardAndMapToStandardTablesDownward)
{
    DeviceBitmap b;
    ASSERT_TRUE(b.Create(4, 1, 4, EightColours()));
    for (int x = 0; x < 4; ++x)
        b.SetRaw(x, 0, static_cast<uint32_t>(x + 4));
    std::vector<uint8_t> dib;
    std::vector<COLORREF> table;
    ASSERT_TRUE(b.GetDIBits(8, dib, &table));
    ASSERT_EQ(table.size(), 256u);
    EXPECT_EQ(table[5], RGB(200, 100, 50));
    EXPECT_EQ(dib[1], 5);

    DeviceBitmap t;
    ASSERT_TRUE(t.Create(2, 1, 24));
    t.SetPixel(0, 0, RGB(250, 250, 240));
    t.SetPixel(1, 0, RGB(20, 10, 0));
    ASSERT_TRUE(t.GetDIBits(1, dib, &table));
    EXPECT_EQ(table, StandardPalette(1));
    EXPECT_EQ(dib[0], 0x80);
}

TEST(DeviceBitmap, SurfacesConvertBothWays)
{
    platform::PixelSurface s;
    ASSERT_TRUE(s.Create(3, 2));
    for (int i = 0; i < 6; ++i)
        s.Data()[i] = static_cast<uint16_t>(0x1234 * (i + 1));
    DeviceBitmap b;
    ASSERT_TRUE(b.FromSurface(s));
    EXPECT_EQ(b.BitCount(), 16);
    platform::PixelSurface back;
    ASSERT_TRUE(b.ToSurface(back));
    EXPECT_TRUE(std::equal(s.Data(), s.Data() + 6, back.Data()));

    DeviceBitmap t;
    ASSERT_TRUE(t.Create(1, 1, 32));
    t.SetPixel(0, 0, RGB(255, 0, 255));
    ASSERT_TRUE(t.ToSurface(back));
    EXPECT_EQ(back.GetPixel(0, 0), 0xF81F);
}

TEST(DeviceBitmap, RefusesBadDepthsSizesAndShortBuffers)
{
    DeviceBitmap b;
    for (auto [w, h, bits] : {std::tuple{0, 1, 8}, {1, -1, 8}, {4, 4, 2}, {4, 4, 12}, {20000, 1, 24}})
        EXPECT_FALSE(b.Create(w, h, bits)) << w << "x" << h << "@" << bits;
    EXPECT_TRUE(b.Empty());
    std::vector<uint8_t> dib;
    EXPECT_FALSE(b.GetDIBits(24, dib, nullptr));

    ASSERT_TRUE(b.Create(5, 5, 24));
    b.SetPixel(2, 2, RGB(9, 9, 9));
    std::string why;
    EXPECT_FALSE(b.GetDIBits(2, dib, nullptr, &why));
    EXPECT_FALSE(why.empty());
    std::vector<uint8_t> shortBuf(DibRowBytes(5, 24) * 5 - 1, 0xFF);
    EXPECT_FALSE(b.SetDIBits(24, shortBuf.data(), shortBuf.size(), {}, &why));
    EXPECT_EQ(b.GetPixel(2, 2), RGB(9, 9, 9));
    EXPECT_EQ(b.GetPixel(5, 0), CLR_INVALID);
}
