// Tests of the wireless bitmap codec: layout, sizes as multi-byte integers, failures, and netpbm and ImageMagick.
#include "imagelib/RasterWBMP.h"
#include "GifTestUtil.h"
#include "OracleUtil.h"

#include <gtest/gtest.h>

using namespace rastertest;

namespace {

// A 1-bit picture with black entry 0 and white entry 1; pixel (x, y) from the top is white where the pattern says.
bool White(int x, int y)
{
    return ((x * 3 + y * 7) % 5) < 2 || x == y;
}

CRaster Picture(uint32_t w, uint32_t h)
{
    CRaster img(w, h, 1, RASTER_FORMAT_BMP);
    img.SetGrayPalette();
    for (int y = 0; y < static_cast<int>(h); ++y)
        for (int x = 0; x < static_cast<int>(w); ++x)
            img.SetPixelIndex(x, static_cast<int>(h) - 1 - y, White(x, y) ? 1 : 0);
    return img;
}

bool DecodeWbmp(CRaster& img, const std::vector<uint8_t>& bytes)
{
    return img.Decode(const_cast<uint8_t*>(bytes.data()), static_cast<uint32_t>(bytes.size()), RASTER_FORMAT_WBMP);
}

// A PBM (P4): 1 is black.
std::vector<uint8_t> MakePbm(uint32_t w, uint32_t h)
{
    std::string head = "P4\n" + std::to_string(w) + " " + std::to_string(h) + "\n";
    std::vector<uint8_t> out(head.begin(), head.end());
    uint32_t rowBytes = (w + 7) / 8;
    for (uint32_t y = 0; y < h; ++y) {
        std::vector<uint8_t> row(rowBytes, 0);
        for (uint32_t x = 0; x < w; ++x)
            if (!White(static_cast<int>(x), static_cast<int>(y)))
                row[x / 8] |= static_cast<uint8_t>(0x80 >> (x % 8));
        out.insert(out.end(), row.begin(), row.end());
    }
    return out;
}

// Whether every pixel of the image is white exactly where the pattern is.
std::string ComparePattern(CRaster& img, uint32_t w, uint32_t h)
{
    if (img.GetWidth() != w || img.GetHeight() != h)
        return "size differs";
    for (int y = 0; y < static_cast<int>(h); ++y)
        for (int x = 0; x < static_cast<int>(w); ++x) {
            bool white = img.GetPixelColor(x, static_cast<int>(h) - 1 - y, false).rgbRed == 255;
            if (white != White(x, y))
                return "pixel " + std::to_string(x) + "," + std::to_string(y) + " from the top";
        }
    return "";
}

} // namespace

TEST(RasterWBMP, LayoutAndRoundTrip)
{
    struct Case {
        uint32_t w, h;
        std::vector<uint8_t> head;
    } cases[] = {{9, 3, {0, 0, 9, 3}},
                 {127, 2, {0, 0, 127, 2}},
                 {128, 1, {0, 0, 0x81, 0x00, 1}},
                 {255, 255, {0, 0, 0x81, 0x7F, 0x81, 0x7F}}};
    for (const Case& c : cases) {
        CRaster img = Picture(c.w, c.h);
        std::vector<uint8_t> f = EncodeAs(img, RASTER_FORMAT_WBMP);
        ASSERT_EQ(f.size(), c.head.size() + (c.w + 7) / 8 * c.h) << c.w;
        EXPECT_TRUE(std::equal(c.head.begin(), c.head.end(), f.begin())) << c.w;
        // The first byte after the header is the top row's first eight pixels, white as 1.
        uint8_t first = 0;
        for (int x = 0; x < 8 && x < static_cast<int>(c.w); ++x)
            first |= static_cast<uint8_t>(White(x, 0) << (7 - x));
        EXPECT_EQ(f[c.head.size()] & (0xFF << (8 - std::min<uint32_t>(8, c.w))), first) << c.w;
        CRaster back;
        ASSERT_TRUE(DecodeWbmp(back, f)) << back.GetLastError();
        EXPECT_EQ(back.GetType(), RASTER_FORMAT_WBMP);
        EXPECT_TRUE(SameColor(back.GetPaletteColor(0), RGBQUAD{0, 0, 0, 0}));
        EXPECT_TRUE(SameColor(back.GetPaletteColor(1), RGBQUAD{255, 255, 255, 0}));
        EXPECT_EQ(ComparePattern(back, c.w, c.h), "") << c.w;
    }
    // A palette with white first is written the right way round.
    CRaster inverted = Picture(10, 4);
    inverted.SetPaletteColor(0, 255, 255, 255);
    inverted.SetPaletteColor(1, 0, 0, 0);
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 10; ++x)
            inverted.SetPixelIndex(x, y, inverted.GetPixelIndex(x, y) ? 0 : 1);
    CRaster back;
    ASSERT_TRUE(DecodeWbmp(back, EncodeAs(inverted, RASTER_FORMAT_WBMP)));
    EXPECT_EQ(ComparePattern(back, 10, 4), "");
}

TEST(RasterWBMP, FailureTexts)
{
    struct Case {
        std::vector<uint8_t> bytes;
        const char* text;
    } cases[] = {
        {{0, 0, 5}, "Not a WBMP"},
        {{0, 0, 0x81}, "Not a WBMP"},
        {{1, 0, 2, 2, 0, 0}, "Unsupported WBMP type"},
        {{0x81, 0, 0, 2, 2}, "Unsupported WBMP type"},
        {{0, 0, 0, 2}, "Corrupted WBMP"},
        {{0, 0, 2, 0}, "Corrupted WBMP"},
        {{0, 0, 0x81, 0x80, 0x80, 0x80, 0x80, 1, 1}, "Corrupted WBMP"},
        // 8 bytes claiming 65535 x 65535 pixels (512 MiB): refused before any memory is taken.
        {{0, 0, 0x83, 0xFF, 0x7F, 0x83, 0xFF, 0x7F}, "WBMP picture too large for its image data"},
        {{0, 0, 0xFF, 0xFF, 0x7F, 0xFF, 0xFF, 0x7F}, "WBMP picture too large for its image data"},
    };
    for (const Case& c : cases) {
        CRaster img;
        EXPECT_FALSE(DecodeWbmp(img, c.bytes));
        EXPECT_STREQ(img.GetLastError(), c.text);
    }
    // Short pixel data leaves black rows, as long as the picture needs no data (up to 4096 x 4096) or its rows are
    // all there.
    CRaster cut;
    ASSERT_TRUE(DecodeWbmp(cut, {0, 0, 8, 3, 0xFF}));
    EXPECT_EQ(cut.GetPixelIndex(0, 2), 1);
    EXPECT_EQ(cut.GetPixelIndex(0, 0), 0);
    std::vector<uint8_t> big = {0, 0, 0xA0, 0x04, 0xA0, 0x04}; // 4100 x 4100
    big.resize(big.size() + 513 * 4100, 0x0F);
    struct Size {
        std::vector<uint8_t> bytes;
        bool reads;
    } sizes[] = {
        {{0, 0, 0xA0, 0x00, 0xA0, 0x00}, true},
        {big, true},
        {std::vector<uint8_t>(big.begin(), big.end() - 513), false},
        // 1 MiB claiming 65535 x 32768 (256 MiB).
        {[] {
             std::vector<uint8_t> f = {0, 0, 0x83, 0xFF, 0x7F, 0x82, 0x80, 0x00};
             f.resize((1u << 20) - 1, 0x55);
             return f;
         }(),
         false},
    };
    for (const Size& s : sizes) {
        CRaster img;
        EXPECT_EQ(DecodeWbmp(img, s.bytes), s.reads) << s.bytes.size();
        if (!s.reads) {
            EXPECT_STREQ(img.GetLastError(), "WBMP picture too large for its image data");
        }
    }

    for (auto [w, h, bpp] : {std::tuple{256u, 1u, 1u}, {1u, 256u, 1u}, {8u, 8u, 4u}}) {
        CRaster img(w, h, bpp, RASTER_FORMAT_BMP);
        uint8_t* buf = nullptr;
        int32_t size = 0;
        EXPECT_FALSE(img.Encode(buf, size, RASTER_FORMAT_WBMP));
        EXPECT_STREQ(img.GetLastError(), "Can't save this image as WBMP");
    }
}

TEST(RasterWBMP, EncoderChecksItsWrites)
{
    // Two-byte sizes and a row of 17 bytes.
    CRaster img = MakePattern(130, 3, 1);
    auto write = [&](CRasterFile* f) { return img.Encode(f, RASTER_FORMAT_WBMP); };
    EXPECT_EQ(EveryShortWriteFails(write, img, "write error"), "");
}

TEST(RasterWBMP, ToolsAgree)
{
    const bool netpbm =
        HaveTool("/usr/bin/pbmtowbmp") && HaveTool("/usr/bin/wbmptopbm") && HaveTool("/usr/bin/ppmtoppm");
    const bool magick = HaveTool("/usr/bin/convert");
    if (!netpbm && !magick)
        GTEST_SKIP() << "neither netpbm nor ImageMagick installed";
    // The tools write wide and narrow pictures (sizes past 127 take two bytes); we read them.
    for (auto [w, h] : {std::pair{13u, 5u}, {300u, 2u}}) {
        std::string pbm = Temp("in.pbm"), wbmp = Temp("tool.wbmp");
        WriteBytes(pbm, MakePbm(w, h));
        std::vector<std::string> cmds;
        if (netpbm)
            cmds.push_back("/usr/bin/pbmtowbmp " + pbm + " > " + wbmp);
        if (magick)
            cmds.push_back("/usr/bin/convert " + pbm + " wbmp:" + wbmp);
        for (const std::string& cmd : cmds) {
            ASSERT_TRUE(RunTool(cmd)) << cmd;
            CRaster img;
            ASSERT_TRUE(img.Load(wbmp.c_str(), RASTER_FORMAT_WBMP)) << cmd << ": " << img.GetLastError();
            EXPECT_EQ(ComparePattern(img, w, h), "") << cmd;
        }
        std::remove(pbm.c_str());
        std::remove(wbmp.c_str());
    }
    // They read ours.
    CRaster img = Picture(200, 7);
    std::string wbmp = Temp("ours.wbmp"), ppm = Temp("ours.ppm");
    ASSERT_TRUE(img.Save(wbmp.c_str(), RASTER_FORMAT_WBMP));
    std::vector<std::string> cmds;
    if (netpbm)
        cmds.push_back("/usr/bin/wbmptopbm " + wbmp + " | /usr/bin/ppmtoppm > " + ppm);
    if (magick)
        cmds.push_back("/usr/bin/convert wbmp:" + wbmp + " -depth 8 ppm:" + ppm);
    for (const std::string& cmd : cmds) {
        ASSERT_TRUE(RunTool(cmd)) << cmd;
        Rgb ref;
        ASSERT_TRUE(ParsePpm(ReadBytes(ppm), ref)) << cmd;
        EXPECT_EQ(Compare(img, ref), "") << cmd;
    }
    std::remove(wbmp.c_str());
    std::remove(ppm.c_str());
}
