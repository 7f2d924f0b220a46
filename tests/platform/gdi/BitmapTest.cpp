// Tests of BMP decoding across depths and layouts, its refusals of broken files, and copying into surfaces.
#include "platform/gdi/Bitmap.h"

#include "support/DisplayFixtures.h"

#include <gtest/gtest.h>

using namespace platform::gdi;

namespace {

COLORREF Pattern(int x, int y)
{
    return RGB(x * 40, y * 60, 200 - x * 10);
}

} // namespace

TEST(BmpDecode, EveryDepthGivesTheSamePicture)
{
    const std::vector<COLORREF> palette = {RGB(0, 0, 0), RGB(255, 0, 255), RGB(10, 200, 30), RGB(255, 255, 255)};
    auto paletteIndex = [](int x, int y) { return (x + y) % 2 ? 1 : 3; };
    struct Case {
        const char* name;
        std::vector<uint8_t> bytes;
        std::function<COLORREF(int, int)> expected;
    };
    std::vector<uint8_t> rgb555 =
        fixtures::MakeBmpBitfields(5, 3, 16, 0x7C00, 0x03E0, 0x001F, [](int x, int y) { return (x << 10) | (y << 5); });
    rgb555[30] = 0; // the same file with plain 16-bit (5-5-5) compression: masks present but ignored
    std::vector<Case> cases = {
        {"24 bottom-up", fixtures::MakeBmp24(5, 3, Pattern), Pattern},
        {"24 top-down", fixtures::MakeBmp24(5, 3, Pattern, true), Pattern},
        {"8 palette", fixtures::MakeBmpIndexed(5, 3, 8, palette, paletteIndex),
         [&](int x, int y) { return palette[paletteIndex(x, y)]; }},
        {"4 palette", fixtures::MakeBmpIndexed(5, 3, 4, palette, paletteIndex),
         [&](int x, int y) { return palette[paletteIndex(x, y)]; }},
        {"1 palette",
         fixtures::MakeBmpIndexed(5, 3, 1, {RGB(0, 0, 0), RGB(255, 0, 255)}, [](int x, int y) { return (x + y) % 2; }),
         [](int x, int y) { return (x + y) % 2 ? RGB(255, 0, 255) : RGB(0, 0, 0); }},
        {"16 5-6-5", fixtures::MakeBmpBitfields(5, 3, 16, 0xF800, 0x07E0, 0x001F, [](int, int) { return 0xF81F; }),
         [](int, int) { return RGB(255, 0, 255); }},
        {"32 masks",
         fixtures::MakeBmpBitfields(5, 3, 32, 0xFF0000, 0xFF00, 0xFF,
                                    [](int x, int y) { return (uint32_t(x * 40) << 16) | (y * 60); }),
         [](int x, int y) { return RGB(x * 40, 0, y * 60); }},
        {"16 5-5-5", rgb555, [](int x, int y) { return RGB((x * 255 + 15) / 31, (y * 255 + 15) / 31, 0); }},
    };
    for (const Case& c : cases) {
        Bitmap bitmap;
        std::string error;
        ASSERT_TRUE(DecodeBmp(c.bytes.data(), c.bytes.size(), bitmap, &error)) << c.name << ": " << error;
        ASSERT_EQ(bitmap.width, 5) << c.name;
        ASSERT_EQ(bitmap.height, 3) << c.name;
        for (int y = 0; y < 3; ++y)
            for (int x = 0; x < 5; ++x)
                EXPECT_EQ(bitmap.At(x, y), c.expected(x, y)) << c.name << " at " << x << "," << y;
    }
}

TEST(BmpDecode, BrokenFilesAreRefusedWithAReason)
{
    const std::vector<uint8_t> good = fixtures::MakeBmp24(4, 4, Pattern);
    auto patched = [&](size_t at, std::vector<uint8_t> bytes) {
        std::vector<uint8_t> v = good;
        for (size_t i = 0; i < bytes.size(); ++i)
            v[at + i] = bytes[i];
        return v;
    };
    struct Case {
        const char* name;
        std::vector<uint8_t> bytes;
    } cases[] = {
        {"empty", {}},
        {"not BM", patched(0, {'P', 'K'})},
        {"truncated pixels", std::vector<uint8_t>(good.begin(), good.end() - 5)},
        {"header size beyond file", patched(14, {0xFF, 0xFF, 0, 0})},
        {"header size 20", patched(14, {20, 0, 0, 0})},
        {"zero width", patched(18, {0, 0, 0, 0})},
        {"huge width", patched(18, {0, 0, 0, 0x10})},
        {"huge height", patched(22, {0xFF, 0xFF, 0xFF, 0x7F})},
        {"most negative height", patched(22, {0, 0, 0, 0x80})},
        {"bit depth 7", patched(28, {7, 0})},
        {"run-length compression", patched(30, {1, 0, 0, 0})},
        {"pixel offset beyond file", patched(10, {0xFF, 0xFF, 0xFF, 0x0F})},
    };
    for (const Case& c : cases) {
        Bitmap bitmap;
        std::string error;
        EXPECT_FALSE(DecodeBmp(c.bytes.data(), c.bytes.size(), bitmap, &error)) << c.name;
        EXPECT_FALSE(error.empty()) << c.name;
        EXPECT_TRUE(bitmap.pixels.empty()) << c.name;
    }
}

TEST(BmpDecode, ShortPaletteReadsMissingEntriesAsBlack)
{
    // The header claims 256 colours but the pixels start after two of them.
    std::vector<uint8_t> bytes =
        fixtures::MakeBmpIndexed(2, 1, 8, {RGB(1, 2, 3), RGB(4, 5, 6)}, [](int x, int) { return x ? 200 : 1; });
    bytes[46] = 0;
    bytes[47] = 1; // colours used 256
    Bitmap bitmap;
    ASSERT_TRUE(DecodeBmp(bytes.data(), bytes.size(), bitmap));
    EXPECT_EQ(bitmap.At(0, 0), RGB(4, 5, 6));
    EXPECT_EQ(bitmap.At(1, 0), 0u);
}

TEST(BmpFile, LoadsByPathAndIgnoresLetterCase)
{
    ASSERT_TRUE(fixtures::WriteFile("Case_Art.bmp", fixtures::MakeBmp24(3, 2, Pattern)));
    Bitmap bitmap;
    std::string error;
    ASSERT_TRUE(LoadBitmapFile("case_art.BMP", bitmap, &error)) << error;
    EXPECT_EQ(bitmap.width, 3);
    EXPECT_FALSE(LoadBitmapFile("no_such_file.bmp", bitmap, &error));
    EXPECT_FALSE(error.empty());
}

TEST(BmpToSurface, OneToOneCropAndBlackOutside)
{
    Bitmap bitmap;
    std::vector<uint8_t> bytes = fixtures::MakeBmp24(4, 4, Pattern);
    ASSERT_TRUE(DecodeBmp(bytes.data(), bytes.size(), bitmap));
    platform::PixelSurface crop, wide;
    ASSERT_TRUE(crop.Create(2, 3));
    StretchBitmapToSurface(bitmap, 0, 0, 2, 3, crop);
    EXPECT_EQ(crop.GetPixel(1, 2), platform::ColorRefTo565(Pattern(1, 2)));
    ASSERT_TRUE(wide.Create(6, 4));
    wide.Fill(nullptr, 0xFFFF);
    StretchBitmapToSurface(bitmap, 0, 0, 6, 4, wide);
    EXPECT_EQ(wide.GetPixel(3, 3), platform::ColorRefTo565(Pattern(3, 3)));
    EXPECT_EQ(wide.GetPixel(5, 0), 0);
}
