// Tests of the BMP codec: round trips, header variants, bit fields, run-length streams and hostile headers.
#include "imagelib/RasterBMP.h"
#include "RasterTestUtil.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <unistd.h>

using namespace rastertest;

namespace {

// Decodes bytes as a BMP; the image and the result.
bool DecodeBytes(CRaster& img, const std::vector<uint8_t>& bytes)
{
    return img.Decode(const_cast<uint8_t*>(bytes.data()), static_cast<uint32_t>(bytes.size()), RASTER_FORMAT_BMP);
}

// An 8-bit (or 4-bit) file with a gray palette of `colors` entries and the given pixel bytes.
std::vector<uint8_t> PaletteFile(int32_t w, int32_t h, uint16_t bits, uint32_t compression,
                                 const std::vector<uint8_t>& pixels, uint32_t colors)
{
    Bytes b;
    uint32_t off = 14 + 40 + colors * 4;
    FileHeader(b, off + static_cast<uint32_t>(pixels.size()), off);
    InfoHeader(b, w, h, bits, compression, static_cast<uint32_t>(pixels.size()), colors);
    for (uint32_t i = 0; i < colors; ++i)
        b.u8(i).u8(i).u8(i).u8(0);
    b.v.insert(b.v.end(), pixels.begin(), pixels.end());
    return b.v;
}

std::vector<uint8_t> Row(CRaster& img, int y)
{
    std::vector<uint8_t> r;
    for (int x = 0; x < static_cast<int>(img.GetWidth()); ++x)
        r.push_back(img.GetPixelIndex(x, y));
    return r;
}

} // namespace

TEST(RasterBMP, RoundTripsAtEveryDepth)
{
    for (uint32_t bpp : {1u, 4u, 8u, 24u}) {
        for (uint32_t w : {1u, 7u, 33u}) {
            CRaster img = MakePattern(w, 5, bpp);
            img.SetXDPI(200);
            std::vector<uint8_t> bytes = EncodeBmp(img);
            CRaster back;
            ASSERT_TRUE(DecodeBytes(back, bytes)) << back.GetLastError();
            EXPECT_EQ(back.GetBpp(), bpp);
            EXPECT_EQ(ComparePixels(back, img), "") << bpp << " " << w;
            EXPECT_TRUE(bpp == 24 || back.IsSamePalette(img));
            EXPECT_EQ(back.GetXDPI(), 200);
            EXPECT_EQ(back.GetType(), RASTER_FORMAT_BMP);
        }
    }
}

TEST(RasterBMP, FileLayout)
{
    CRaster rgb = MakePattern(3, 2, 24);
    std::vector<uint8_t> a = EncodeBmp(rgb);
    ASSERT_EQ(a.size(), 78u);
    EXPECT_EQ(a[0], 'B');
    EXPECT_EQ(a[1], 'M');
    EXPECT_EQ(rasterbytes::Get32(&a[2]), 78u);
    EXPECT_EQ(rasterbytes::Get32(&a[10]), 54u);
    EXPECT_EQ(rasterbytes::Get32(&a[14]), 40u);
    EXPECT_EQ(a[54], PatternColor(0, 0).rgbBlue);

    CRaster pal = MakePattern(3, 2, 8);
    std::vector<uint8_t> b = EncodeBmp(pal);
    EXPECT_EQ(rasterbytes::Get32(&b[10]), 1078u);
    EXPECT_EQ(rasterbytes::Get32(&b[14 + 32]), 256u);
}

TEST(RasterBMP, BareBitmapAndTopDown)
{
    CRaster img = MakePattern(6, 4, 8);
    std::vector<uint8_t> file = EncodeBmp(img);
    std::vector<uint8_t> bare(file.begin() + 14, file.end());
    CRaster a;
    ASSERT_TRUE(DecodeBytes(a, bare));
    EXPECT_EQ(ComparePixels(a, img), "");

    // The same picture stored top-down.
    std::vector<uint8_t> top = file;
    rasterbytes::Put32(&top[22], static_cast<uint32_t>(-4));
    uint32_t off = rasterbytes::Get32(&file[10]);
    for (int y = 0; y < 4; ++y)
        std::copy(file.begin() + off + y * 8, file.begin() + off + (y + 1) * 8, top.begin() + off + (3 - y) * 8);
    CRaster b;
    ASSERT_TRUE(DecodeBytes(b, top));
    EXPECT_EQ(b.GetHeight(), 4u);
    EXPECT_EQ(ComparePixels(b, img), "");
}

TEST(RasterBMP, OldAndExtendedHeaders)
{
    // OS/2 1.x: 12-byte header, 3-byte palette entries.
    Bytes os2;
    FileHeader(os2, 14 + 12 + 6 + 4, 14 + 12 + 6);
    os2.u32(12).u16(3).u16(1).u16(1).u16(1);
    os2.raw({10, 20, 30, 40, 50, 60});
    os2.raw({0xA0, 0, 0, 0});
    CRaster a;
    ASSERT_TRUE(DecodeBytes(a, os2.v)) << a.GetLastError();
    EXPECT_EQ(a.GetPaletteColor(1).rgbBlue, 40);
    EXPECT_EQ(a.GetPaletteColor(1).rgbRed, 60);
    EXPECT_EQ(a.GetPaletteColor(1).rgbReserved, 0);
    EXPECT_EQ(a.GetPixelIndex(0, 0), 1);
    EXPECT_EQ(a.GetPixelIndex(1, 0), 0);
    EXPECT_EQ(a.GetPixelIndex(2, 0), 1);

    // OS/2 2.x: 64 bytes, the last 24 skipped.
    Bytes os22;
    FileHeader(os22, 0, 14 + 64);
    InfoHeader(os22, 1, 1, 24, 0, 4, 0, 64);
    os22.fill(24, 0xEE).raw({1, 2, 3, 0});
    CRaster b;
    ASSERT_TRUE(DecodeBytes(b, os22.v)) << b.GetLastError();
    EXPECT_EQ(b.GetPixelColor(0, 0).rgbRed, 3);

    // 108-byte header: accepted only with the exact image size, one plane, no compression and no colour count.
    auto v4 = [](uint32_t sizeImage) {
        Bytes f;
        FileHeader(f, 0, 14 + 108);
        InfoHeader(f, 2, 1, 24, 0, sizeImage, 0, 108);
        f.fill(68, 0).raw({1, 2, 3, 4, 5, 6, 0, 0});
        return f.v;
    };
    CRaster c;
    EXPECT_FALSE(DecodeBytes(c, v4(0)));
    EXPECT_STREQ(c.GetLastError(), "Error reading BMP info");
    ASSERT_TRUE(DecodeBytes(c, v4(8))) << c.GetLastError();
    EXPECT_EQ(c.GetPixelColor(1, 0).rgbRed, 6);
}

TEST(RasterBMP, BitFieldsAt16And32Bits)
{
    // 2 × 1 pixels at 16 bits: 5-5-5 by default.
    Bytes f555;
    FileHeader(f555, 0, 54);
    InfoHeader(f555, 2, 1, 16, 0);
    f555.u16(0x7C00).u16(0x001F);
    CRaster a;
    ASSERT_TRUE(DecodeBytes(a, f555.v));
    EXPECT_EQ(a.GetBpp(), 24);
    EXPECT_EQ(a.GetPixelColor(0, 0).rgbRed, 248);
    EXPECT_EQ(a.GetPixelColor(1, 0).rgbBlue, 248);

    // 5-6-5 through bit fields after the header.
    Bytes f565;
    FileHeader(f565, 0, 66);
    InfoHeader(f565, 2, 1, 16, 3);
    f565.u32(0xF800).u32(0x07E0).u32(0x001F);
    f565.u16(0x07E0).u16(0xF81F);
    CRaster b;
    ASSERT_TRUE(DecodeBytes(b, f565.v));
    EXPECT_EQ(b.GetPixelColor(0, 0).rgbGreen, 252);
    EXPECT_EQ(b.GetPixelColor(0, 0).rgbRed, 0);
    EXPECT_EQ(b.GetPixelColor(1, 0).rgbRed, 248);
    EXPECT_EQ(b.GetPixelColor(1, 0).rgbBlue, 248);

    // Masks that would drive negative shifts: each channel by its own mask.
    Bytes odd;
    FileHeader(odd, 0, 66);
    InfoHeader(odd, 1, 1, 16, 3);
    odd.u32(0x000F).u32(0x0000).u32(0xFFF0);
    odd.u16(0x123F).u16(0);
    CRaster c;
    ASSERT_TRUE(DecodeBytes(c, odd.v));
    EXPECT_EQ(c.GetPixelColor(0, 0).rgbRed, 0xF0);
    EXPECT_EQ(c.GetPixelColor(0, 0).rgbGreen, 0);
    EXPECT_EQ(c.GetPixelColor(0, 0).rgbBlue, 0x12);

    // 32 bits plain: the fourth byte is dropped.
    Bytes p32;
    FileHeader(p32, 0, 54);
    InfoHeader(p32, 2, 1, 32, 0);
    p32.raw({1, 2, 3, 4, 5, 6, 7, 8});
    CRaster d;
    ASSERT_TRUE(DecodeBytes(d, p32.v));
    EXPECT_EQ(d.GetBpp(), 24);
    EXPECT_FALSE(d.AlphaIsValid());
    EXPECT_EQ(d.GetPixelColor(1, 0).rgbBlue, 5);
    EXPECT_EQ(d.GetPixelColor(1, 0).rgbRed, 7);

    // 32 bits with bit fields in red-green-blue-alpha byte order, as a bare bitmap (masks before the pixels).
    Bytes rgba;
    InfoHeader(rgba, 1, 1, 32, 3);
    rgba.u32(0x000000FF).u32(0x0000FF00).u32(0x00FF0000);
    rgba.raw({10, 20, 30, 40});
    CRaster e;
    ASSERT_TRUE(DecodeBytes(e, rgba.v));
    EXPECT_EQ(e.GetPixelColor(0, 0).rgbRed, 10);
    EXPECT_EQ(e.GetPixelColor(0, 0).rgbGreen, 20);
    EXPECT_EQ(e.GetPixelColor(0, 0).rgbBlue, 30);
}

TEST(RasterBMP, RefusedHeadersAndCompressions)
{
    struct Case {
        int32_t w, h;
        uint16_t bits;
        uint32_t compression;
        const char* text;
    } cases[] = {
        {0, 1, 8, 0, "Error reading BMP info"},
        {-3, 1, 8, 0, "Error reading BMP info"},
        {1, 0, 8, 0, "Error reading BMP info"},
        {1, INT32_MIN, 8, 0, "Error reading BMP info"},
        {1, 1, 7, 0, "Error reading BMP info"},
        {1, 1, 0, 0, "Error reading BMP info"},
        {1, 1, 64, 0, "Error reading BMP info"},
        {65535, 65535, 24, 0, "BMP picture too large for its image data"},
        {0x7FFFFFFF, -0x7FFFFFFF, 32, 0, "BMP picture too large for its image data"},
        {1, 1, 24, 1, "unknown compression"},
        {1, 1, 32, 2, "unknown compression"},
        {1, 1, 8, 4, "compression type not supported"},
        {1, 1, 4, 3, "compression type not supported"},
    };
    for (const Case& c : cases) {
        Bytes f;
        FileHeader(f, 0, 0);
        InfoHeader(f, c.w, c.h, c.bits, c.compression);
        f.fill(64, 0);
        CRaster img;
        EXPECT_FALSE(DecodeBytes(img, f.v)) << c.w << "x" << c.h << "x" << c.bits;
        EXPECT_STREQ(img.GetLastError(), c.text) << c.w << "x" << c.h << "x" << c.bits;
    }
    uint8_t tiny[5] = {'B', 'M', 0, 0, 0};
    CRaster img;
    EXPECT_FALSE(img.Decode(tiny, 5, RASTER_FORMAT_BMP));
    EXPECT_STREQ(img.GetLastError(), "Not a BMP");
    CRasterBMP codec;
    EXPECT_FALSE(codec.Decode(nullptr));
}

TEST(RasterBMP, DimensionsOnlyAndCancel)
{
    CRaster src = MakePattern(9, 4, 24);
    std::vector<uint8_t> bytes = EncodeBmp(src);
    CRaster dims;
    dims.SetEscape(-1);
    ASSERT_TRUE(DecodeBytes(dims, bytes));
    EXPECT_STREQ(dims.GetLastError(), "output dimensions returned");
    EXPECT_EQ(dims.GetWidth(), 9u);
    EXPECT_EQ(dims.GetHeight(), 4u);
    EXPECT_FALSE(dims.IsValid());
    CRaster cancel;
    cancel.SetEscape(1);
    EXPECT_FALSE(DecodeBytes(cancel, bytes));
    EXPECT_STREQ(cancel.GetLastError(), "Cancelled");
}

TEST(RasterBMP, ShortPixelDataLeavesZeros)
{
    CRaster src = MakePattern(4, 4, 24);
    std::vector<uint8_t> bytes = EncodeBmp(src);
    bytes.resize(54 + 12 * 2); // two rows of four pixels
    CRaster img;
    ASSERT_TRUE(DecodeBytes(img, bytes));
    EXPECT_TRUE(SameColor(img.GetPixelColor(3, 1), PatternColor(3, 1)));
    EXPECT_EQ(img.GetPixelColor(0, 3).rgbRed, 0);
    EXPECT_EQ(img.GetPixelColor(0, 2).rgbGreen, 0);

    // Stored top-down: the two rows read are the top ones; the bottom rows stay zero.
    rasterbytes::Put32(&bytes[22], static_cast<uint32_t>(-4));
    CRaster top;
    ASSERT_TRUE(DecodeBytes(top, bytes));
    for (int x = 0; x < 4; ++x) {
        EXPECT_TRUE(SameColor(top.GetPixelColor(x, 3), PatternColor(x, 0))) << x;
        EXPECT_TRUE(SameColor(top.GetPixelColor(x, 2), PatternColor(x, 1))) << x;
        EXPECT_TRUE(SameColor(top.GetPixelColor(x, 1), RGBQUAD{0, 0, 0, 0})) << x;
        EXPECT_TRUE(SameColor(top.GetPixelColor(x, 0), RGBQUAD{0, 0, 0, 0})) << x;
    }
}

TEST(RasterBMP, PictureItsDataCannotFillIsRefused)
{
    const char* const text = "BMP picture too large for its image data";
    // Uncompressed rows are bounded by the file's size, runs by the 255 units each two bytes can give.
    auto plainRows = [](int32_t w, int32_t h, size_t rows) {
        const size_t stride = (static_cast<size_t>(w) + 31) / 32 * 4;
        std::vector<uint8_t> px(stride * rows);
        for (size_t i = 0; i < px.size(); ++i)
            px[i] = static_cast<uint8_t>(i * 7);
        return PaletteFile(w, h, 1, 0, px, 2);
    };
    auto fullRuns = [](int32_t w, int32_t rows) {
        std::vector<uint8_t> data;
        for (int32_t y = 0; y < rows; ++y) {
            for (int32_t x = 0; x < w; x += 255)
                data.insert(data.end(), {static_cast<uint8_t>(std::min(255, w - x)), static_cast<uint8_t>(y)});
            data.insert(data.end(), {0, 0});
        }
        return data;
    };
    struct Case {
        const char* name;
        std::vector<uint8_t> bytes;
        bool reads;
    } cases[] = {
        {"62 bytes claiming 1 bit x 65535 x 32767", PaletteFile(65535, 32767, 1, 0, {}, 2), false},
        {"1,080 bytes of 8-bit runs claiming 30000 x 30000", PaletteFile(30000, 30000, 8, 1, {0, 1}, 256), false},
        {"4-bit runs claiming 30000 x 30000", PaletteFile(30000, 30000, 4, 2, {0, 1}, 16), false},
        {"4100 x 4100 with every row", plainRows(4100, 4100, 4100), true},
        {"4100 x 4100 one row short", plainRows(4100, 4100, 4099), false},
        {"4100 x 4100 of runs", PaletteFile(4100, 4100, 8, 1, fullRuns(4100, 4100), 256), true},
        {"4100 x 4100 with runs for 100 rows", PaletteFile(4100, 4100, 8, 1, fullRuns(4100, 100), 256), false},
        {"4096 x 4096 needs no data", PaletteFile(4096, 4096, 1, 0, {}, 2), true},
    };
    ASSERT_EQ(cases[0].bytes.size(), 62u);
    ASSERT_EQ(cases[1].bytes.size(), 1080u);
    for (const Case& c : cases) {
        CRaster img;
        EXPECT_EQ(DecodeBytes(img, c.bytes), c.reads) << c.name;
        EXPECT_EQ(img.IsValid(), c.reads) << c.name;
        if (!c.reads) {
            EXPECT_STREQ(img.GetLastError(), text) << c.name;
        }
    }
    CRaster runs;
    ASSERT_TRUE(DecodeBytes(runs, cases[5].bytes));
    EXPECT_EQ(runs.GetPixelIndex(4099, 4099), 4099 % 256);

    // From a file: its size bounds the rows the same way.
    const std::string path = testing::TempDir() + "bmp_bomb_" + std::to_string(getpid()) + ".bmp";
    FILE* out = std::fopen(path.c_str(), "wb");
    ASSERT_NE(out, nullptr);
    std::fwrite(cases[0].bytes.data(), 1, cases[0].bytes.size(), out);
    std::fclose(out);
    CRaster loaded;
    EXPECT_FALSE(loaded.Load(path.c_str(), RASTER_FORMAT_BMP));
    EXPECT_STREQ(loaded.GetLastError(), text);
    std::remove(path.c_str());

    // A picture its data fills still meets the memory cap.
    const uint64_t cap = CRaster::GetMaxMemory();
    CRaster::SetMaxMemory(1u << 20);
    CRaster capped;
    EXPECT_FALSE(DecodeBytes(capped, cases[3].bytes));
    EXPECT_STREQ(capped.GetLastError(), "RASTER_MAX_MEMORY exceeded");
    CRaster::SetMaxMemory(cap);
}

TEST(RasterBMP, FileUnderAMegabyteNeverMakesAQuarterGigabyte)
{
    // Files of 1 MiB less a byte, their data as dense as each coding allows, claiming pictures of 256 MiB or more.
    struct Case {
        int32_t w, h;
        uint16_t bits;
        uint32_t compression;
    } cases[] = {
        {65535, 32768, 1, 0}, {32768, 16384, 4, 0}, {16384, 16384, 8, 0},  {9500, 9500, 16, 0},
        {9500, 9500, 24, 0},  {9500, 9500, 32, 0},  {16384, 16384, 8, 1},  {32768, 16384, 4, 2},
        {65535, 32768, 1, 1}, {16384, 16384, 8, 2}, {32768, 16384, 4, 1},
    };
    for (const Case& c : cases) {
        const uint32_t held = c.bits <= 8 ? c.bits : 24;
        const uint64_t bytes = (static_cast<uint64_t>(c.w) * held + 31) / 32 * 4 * static_cast<uint64_t>(c.h);
        ASSERT_GE(bytes, 256ull << 20) << c.w << "x" << c.h << "x" << c.bits;
        const uint32_t colors = c.bits <= 8 ? 1u << c.bits : 0;
        std::vector<uint8_t> data(((1u << 20) - 1) - 54 - colors * 4);
        for (size_t i = 0; i < data.size(); ++i)
            data[i] = c.compression && i % 2 == 0 ? 255 : static_cast<uint8_t>(i);
        std::vector<uint8_t> f = PaletteFile(c.w, c.h, c.bits, c.compression, data, colors);
        ASSERT_EQ(f.size(), (1u << 20) - 1);
        CRaster img;
        EXPECT_FALSE(DecodeBytes(img, f)) << c.w << "x" << c.h << "x" << c.bits << " coding " << c.compression;
        EXPECT_STREQ(img.GetLastError(), "BMP picture too large for its image data");
    }
}

TEST(RasterBMP, HugeColourCountIsCut)
{
    Bytes f;
    FileHeader(f, 0, 0);
    InfoHeader(f, 2, 1, 8, 0, 4, 0xFFFFFFFF);
    for (int i = 0; i < 256; ++i)
        f.u8(i).u8(i).u8(i).u8(0);
    f.raw({7, 9, 0, 0});
    CRaster img;
    ASSERT_TRUE(DecodeBytes(img, f.v));
    EXPECT_EQ(img.GetPixelIndex(1, 0), 9);
    EXPECT_EQ(img.GetPaletteColor(200).rgbRed, 200);
}

TEST(RasterBMP, RunLength8)
{
    struct Case {
        const char* name;
        int32_t w, h;
        std::vector<uint8_t> data;
        std::vector<std::vector<uint8_t>> rows; // bottom row first
    } cases[] = {
        {"runs and end of line", 4, 2, {3, 5, 1, 6, 0, 0, 4, 7, 0, 1}, {{5, 5, 5, 6}, {7, 7, 7, 7}}},
        {"odd absolute run with padding", 4, 2, {0, 3, 1, 2, 3, 0xFF, 1, 9, 0, 0, 2, 8, 0, 1}, {{1, 2, 3, 9}, {8, 8, 0, 0}}},
        {"delta leaves zeros", 5, 3, {1, 4, 0, 2, 3, 1, 2, 6, 0, 1}, {{4, 0, 0, 0, 0}, {0, 0, 0, 0, 6}, {0, 0, 0, 0, 0}}},
        {"missing end of bitmap", 3, 2, {3, 1, 0, 0, 2, 2}, {{1, 1, 1}, {2, 2, 0}}},
        {"run past the row is clipped, next row decodes", 4, 2, {8, 3, 0, 0, 4, 9, 0, 1}, {{3, 3, 3, 3}, {9, 9, 9, 9}}},
        {"absolute run past the row is clipped", 2, 2, {0, 5, 1, 2, 3, 4, 5, 0, 0, 0, 2, 7, 0, 1}, {{1, 2}, {7, 7}}},
        {"deltas beyond the image end quietly", 3, 2, {0, 2, 200, 200, 5, 5, 0, 0, 0, 3, 1, 2, 3, 0}, {{0, 0, 0}, {0, 0, 0}}},
        {"end of bitmap stops", 2, 2, {2, 4, 0, 1, 2, 5}, {{4, 4}, {0, 0}}},
    };
    for (const Case& c : cases) {
        CRaster img;
        ASSERT_TRUE(DecodeBytes(img, PaletteFile(c.w, c.h, 8, 1, c.data, 256))) << c.name;
        for (int y = 0; y < c.h; ++y)
            EXPECT_EQ(Row(img, y), c.rows[y]) << c.name << " row " << y;
    }
}

TEST(RasterBMP, RunLength4)
{
    struct Case {
        const char* name;
        int32_t w, h;
        std::vector<uint8_t> data;
        std::vector<std::vector<uint8_t>> rows;
    } cases[] = {
        {"runs alternate nibbles", 5, 1, {3, 0x12, 2, 0x34, 0, 1}, {{1, 2, 1, 3, 4}}},
        {"absolute run of three is padded", 4, 2, {0, 3, 0xAB, 0xC0, 1, 0x70, 0, 0, 4, 0x56, 0, 1}, {{10, 11, 12, 7}, {5, 6, 5, 6}}},
        {"absolute run of five", 6, 1, {0, 5, 0x12, 0x34, 0x50, 0, 0, 1}, {{1, 2, 3, 4, 5, 0}}},
        {"delta counts pixels", 6, 2, {1, 0x90, 0, 2, 3, 1, 2, 0x88, 0, 1}, {{9, 0, 0, 0, 0, 0}, {0, 0, 0, 0, 8, 8}}},
        {"run past the row is clipped", 3, 2, {9, 0x12, 0, 0, 2, 0x33, 0, 1}, {{1, 2, 1}, {3, 3, 0}}},
        {"stream ends without a marker", 4, 2, {4, 0x5A}, {{5, 10, 5, 10}, {0, 0, 0, 0}}},
    };
    for (const Case& c : cases) {
        CRaster img;
        ASSERT_TRUE(DecodeBytes(img, PaletteFile(c.w, c.h, 4, 2, c.data, 16))) << c.name;
        for (int y = 0; y < c.h; ++y)
            EXPECT_EQ(Row(img, y), c.rows[y]) << c.name << " row " << y;
    }
}

TEST(RasterBMP, EncoderChecksItsWrites)
{
    CRaster img = MakePattern(4, 4, 24);
    // A read-only stream over a fixed buffer that refuses to grow is simulated by a stream without a buffer.
    CRasterMemFile closed;
    EXPECT_FALSE(img.Encode(&closed, RASTER_FORMAT_BMP));
    EXPECT_STREQ(img.GetLastError(), "write error");
}
