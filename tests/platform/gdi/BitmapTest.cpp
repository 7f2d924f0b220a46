// Tests of BMP decoding across depths and layouts, its refusals of broken files, and copying into surfaces.
#include "platform/gdi/Bitmap.h"

#include "support/DisplayFixtures.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <unistd.h>

using namespace platform::gdi;

namespace {

COLORREF Pattern(int x, int y)
{
    return RGB(x * 40, y * 60, 200 - x * 10);
}

COLORREF Entry(int i)
{
    return RGB(i * 10, 255 - i, i + 1);
}

// A run-length BMP (compression 1 at 8 bits, 2 at 4 bits) with a full palette of Entry colours.
std::vector<uint8_t> RleBmp(int w, int h, int bits, const std::vector<uint8_t>& data)
{
    const uint32_t entries = 1u << bits, off = 54 + 4 * entries;
    std::vector<uint8_t> v = {'B', 'M'};
    fixtures::Put32(v, off + static_cast<uint32_t>(data.size()));
    fixtures::Put32(v, 0);
    fixtures::Put32(v, off);
    fixtures::Put32(v, 40);
    fixtures::Put32(v, static_cast<uint32_t>(w));
    fixtures::Put32(v, static_cast<uint32_t>(h));
    fixtures::Put16(v, 1);
    fixtures::Put16(v, static_cast<uint32_t>(bits));
    fixtures::Put32(v, bits == 8 ? 1 : 2);
    fixtures::Put32(v, static_cast<uint32_t>(data.size()));
    for (int i = 0; i < 4; ++i)
        fixtures::Put32(v, 0);
    for (uint32_t i = 0; i < entries; ++i) {
        COLORREF c = Entry(static_cast<int>(i));
        v.insert(v.end(), {static_cast<uint8_t>(GetBValue(c)), static_cast<uint8_t>(GetGValue(c)),
                           static_cast<uint8_t>(GetRValue(c)), 0});
    }
    v.insert(v.end(), data.begin(), data.end());
    return v;
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

TEST(BmpDecode, RunLengthBitmapsDecode)
{
    struct Case {
        const char* name;
        int w, h, bits;
        std::vector<uint8_t> data;
        std::vector<std::vector<int>> rowsFromTop; // palette indices
    } cases[] = {
        {"runs, end of line, skipped pixels", 4, 2, 8, {3, 5, 1, 6, 0, 0, 2, 7, 0, 1}, {{7, 7, 0, 0}, {5, 5, 5, 6}}},
        {"absolute run with padding", 4, 2, 8, {0, 3, 1, 2, 3, 0, 1, 9, 0, 0, 0, 1}, {{0, 0, 0, 0}, {1, 2, 3, 9}}},
        {"delta", 4, 2, 8, {1, 4, 0, 2, 2, 1, 1, 8, 0, 1}, {{0, 0, 0, 8}, {4, 0, 0, 0}}},
        {"run past the row end", 4, 2, 8, {255, 3, 0, 0, 1, 2, 0, 1}, {{2, 0, 0, 0}, {3, 3, 3, 3}}},
        {"no end-of-bitmap mark", 4, 2, 8, {4, 1, 0, 0, 2, 9}, {{9, 9, 0, 0}, {1, 1, 1, 1}}},
        {"delta above the last row", 4, 2, 8, {0, 2, 0, 5, 4, 1, 0, 1}, {{0, 0, 0, 0}, {0, 0, 0, 0}}},
        {"absolute run cut short", 4, 1, 8, {2, 6, 0, 4, 1}, {{6, 6, 0, 0}}},
        {"4-bit runs alternate nibbles", 5, 2, 4, {5, 0x12, 0, 0, 3, 0x34, 0, 1}, {{3, 4, 3, 0, 0}, {1, 2, 1, 2, 1}}},
        {"4-bit absolute runs",
         5,
         2,
         4,
         {0, 5, 0x12, 0x34, 0x50, 0, 0, 0, 0, 3, 0xAB, 0xC0, 0, 1},
         {{10, 11, 12, 0, 0}, {1, 2, 3, 4, 5}}},
    };
    for (const Case& c : cases) {
        std::vector<uint8_t> bytes = RleBmp(c.w, c.h, c.bits, c.data);
        Bitmap bitmap;
        std::string error;
        ASSERT_TRUE(DecodeBmp(bytes.data(), bytes.size(), bitmap, &error)) << c.name << ": " << error;
        ASSERT_EQ(bitmap.width, c.w);
        ASSERT_EQ(bitmap.height, c.h);
        for (int y = 0; y < c.h; ++y)
            for (int x = 0; x < c.w; ++x)
                EXPECT_EQ(bitmap.At(x, y), Entry(c.rowsFromTop[y][x])) << c.name << " at " << x << "," << y;
    }
    // Refused: a coding that does not fit the depth, and top-down run-length files.
    std::vector<uint8_t> wrongDepth = RleBmp(4, 1, 4, {0, 1});
    wrongDepth[30] = 1;
    std::vector<uint8_t> topDown = RleBmp(4, 1, 8, {0, 1});
    topDown[22] = topDown[23] = topDown[24] = topDown[25] = 0xFF;
    for (const auto& bytes : {wrongDepth, topDown}) {
        Bitmap bitmap;
        std::string error;
        EXPECT_FALSE(DecodeBmp(bytes.data(), bytes.size(), bitmap, &error));
        EXPECT_FALSE(error.empty());
    }
}

TEST(BmpDecode, ImageMagickRunLengthFileReadsAsImageMagickReadsIt)
{
    if (access("/usr/bin/convert", X_OK) != 0)
        GTEST_SKIP() << "ImageMagick not installed";
    const int w = 37, h = 11;
    std::string ppm = "P6\n" + std::to_string(w) + " " + std::to_string(h) + "\n255\n";
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            ppm += {static_cast<char>((x / 5) * 30), static_cast<char>((y / 3) * 60 + (x > y ? 7 : 0)),
                    static_cast<char>(255 - x / 4)};
    const std::string dir = fixtures::TestFolder();
    ASSERT_TRUE(fixtures::WriteFile(dir + "/in.ppm", std::vector<uint8_t>(ppm.begin(), ppm.end())));
    // ImageMagick's own reading of its file is the reference (its palette reduction may move colours).
    const std::string cmd = "/usr/bin/convert " + dir + "/in.ppm -type Palette -compress RLE BMP3:" + dir +
                            "/rle8.bmp && /usr/bin/convert BMP3:" + dir + "/rle8.bmp -depth 8 ppm:" + dir + "/back.ppm";
    ASSERT_EQ(std::system((cmd + " 2>/dev/null").c_str()), 0);
    auto read = [&](const std::string& name) {
        std::vector<uint8_t> v;
        if (FILE* f = std::fopen((dir + "/" + name).c_str(), "rb")) {
            int c;
            while ((c = std::fgetc(f)) != EOF)
                v.push_back(static_cast<uint8_t>(c));
            std::fclose(f);
        }
        return v;
    };
    std::vector<uint8_t> bmp = read("rle8.bmp"), back = read("back.ppm");
    ASSERT_GT(bmp.size(), 34u);
    ASSERT_EQ(bmp[30], 1) << "ImageMagick wrote no RLE8";
    const size_t head = ppm.size() - static_cast<size_t>(w) * h * 3;
    ASSERT_EQ(back.size(), ppm.size());
    Bitmap bitmap;
    std::string error;
    ASSERT_TRUE(DecodeBmp(bmp.data(), bmp.size(), bitmap, &error)) << error;
    ASSERT_EQ(bitmap.width, w);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            const uint8_t* p = &back[head + (static_cast<size_t>(y) * w + x) * 3];
            EXPECT_EQ(bitmap.At(x, y), RGB(p[0], p[1], p[2])) << x << "," << y;
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
