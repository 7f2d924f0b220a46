// The ".cur" decoder on generated files: 32-bit with alpha, 1-bit with its mask, hot spot, and refusals.
#include "platform/window/CursorFile.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

namespace {

void Put16(std::vector<uint8_t>& b, uint16_t v)
{
    b.push_back(static_cast<uint8_t>(v));
    b.push_back(static_cast<uint8_t>(v >> 8));
}

void Put32(std::vector<uint8_t>& b, uint32_t v)
{
    for (int i = 0; i < 4; ++i)
        b.push_back(static_cast<uint8_t>(v >> (8 * i)));
}

// A cursor file of one w x h image at `bits` per pixel; `pixel` gives the stored value of (x, y) (top row
// first) and `masked` the AND bit.
std::vector<uint8_t> MakeCursor(int w, int h, int bits, int hotX, int hotY, uint32_t (*pixel)(int, int),
                                bool (*masked)(int, int))
{
    const size_t xorStride = ((w * bits + 31) / 32) * 4, andStride = ((w + 31) / 32) * 4;
    const size_t palette = bits == 1 ? 8 : 0;
    const uint32_t length = static_cast<uint32_t>(40 + palette + (xorStride + andStride) * h);
    std::vector<uint8_t> b;
    Put16(b, 0);
    Put16(b, 2);
    Put16(b, 1);
    b.push_back(static_cast<uint8_t>(w));
    b.push_back(static_cast<uint8_t>(h));
    b.push_back(0);
    b.push_back(0);
    Put16(b, static_cast<uint16_t>(hotX));
    Put16(b, static_cast<uint16_t>(hotY));
    Put32(b, length);
    Put32(b, 22);
    Put32(b, 40);
    Put32(b, static_cast<uint32_t>(w));
    Put32(b, static_cast<uint32_t>(h * 2));
    Put16(b, 1);
    Put16(b, static_cast<uint16_t>(bits));
    for (int i = 0; i < 6; ++i)
        Put32(b, 0);
    if (bits == 1) {
        Put32(b, 0x000000); // black
        Put32(b, 0xFFFFFF); // white
    }
    for (int row = h - 1; row >= 0; --row) { // bottom-up
        std::vector<uint8_t> line(xorStride, 0);
        for (int x = 0; x < w; ++x) {
            const uint32_t v = pixel(x, row);
            if (bits == 32)
                for (int k = 0; k < 4; ++k)
                    line[x * 4 + k] = static_cast<uint8_t>(v >> (8 * k));
            else if (v)
                line[x / 8] |= static_cast<uint8_t>(0x80 >> (x % 8));
        }
        b.insert(b.end(), line.begin(), line.end());
    }
    for (int row = h - 1; row >= 0; --row) {
        std::vector<uint8_t> line(andStride, 0);
        for (int x = 0; x < w; ++x)
            if (masked(x, row))
                line[x / 8] |= static_cast<uint8_t>(0x80 >> (x % 8));
        b.insert(b.end(), line.begin(), line.end());
    }
    return b;
}

TEST(CursorFileTest, ThirtyTwoBitWithAlpha)
{
    auto bytes = MakeCursor(
        32, 32, 32, 5, 7, [](int x, int y) { return x == y ? 0xFF112233u : 0x00000000u; },
        [](int, int) { return false; });
    platform::DecodedCursor c;
    std::string error;
    ASSERT_TRUE(platform::DecodeCursorFile(bytes.data(), bytes.size(), c, &error)) << error;
    EXPECT_EQ(c.nWidth, 32);
    EXPECT_EQ(c.nHeight, 32);
    EXPECT_EQ(c.nHotX, 5);
    EXPECT_EQ(c.nHotY, 7);
    EXPECT_EQ(c.aPixels[3 * 32 + 3], 0xFF112233u);
    EXPECT_EQ(c.aPixels[3 * 32 + 4] >> 24, 0u); // transparent
}

TEST(CursorFileTest, OneBitTakesItsMask)
{
    auto bytes = MakeCursor(
        16, 16, 1, 0, 0, [](int x, int) { return x < 8 ? 1u : 0u; }, [](int, int y) { return y >= 8; });
    platform::DecodedCursor c;
    ASSERT_TRUE(platform::DecodeCursorFile(bytes.data(), bytes.size(), c));
    EXPECT_EQ(c.aPixels[0], 0xFFFFFFFFu);       // white, shown (top row)
    EXPECT_EQ(c.aPixels[12], 0xFF000000u);      // black, shown
    EXPECT_EQ(c.aPixels[9 * 16 + 0] >> 24, 0u); // masked out (lower half)
}

TEST(CursorFileTest, MalformedFilesAreRefused)
{
    auto good = MakeCursor(
        32, 32, 32, 0, 0, [](int, int) { return 0xFF000000u; }, [](int, int) { return false; });
    platform::DecodedCursor c;
    for (size_t cut : {size_t(0), size_t(5), size_t(22), size_t(60), good.size() - 1}) {
        EXPECT_FALSE(platform::DecodeCursorFile(good.data(), cut, c)) << cut;
    }
    auto icon = good;
    icon[2] = 1; // an icon, not a cursor
    EXPECT_FALSE(platform::DecodeCursorFile(icon.data(), icon.size(), c));
    auto huge = good;
    huge[22 + 4] = 0xFF;
    huge[22 + 5] = 0xFF; // width 65535
    EXPECT_FALSE(platform::DecodeCursorFile(huge.data(), huge.size(), c));
    auto offset = good;
    offset[18] = 0xF0; // image offset past the end
    EXPECT_FALSE(platform::DecodeCursorFile(offset.data(), offset.size(), c));
    EXPECT_FALSE(platform::DecodeCursorFile(nullptr, 100, c));
}

TEST(CursorFileTest, HeadlessLoadGivesNoCursorAndNoCrash)
{
    EXPECT_EQ(platform::LoadCursorFromFile("/nonexistent/x.cur"), nullptr);
    platform::ShowCursorHandle(nullptr);
    platform::FreeCursorHandle(nullptr);
}

} // namespace
