// Tests of the PCX codec: written bytes, round trips, plane layouts, short lines, failures, netpbm and ImageMagick.
#include "CodecTestUtil.h"
#include "imagelib/RasterPCX.h"

#include <gtest/gtest.h>

using namespace rastertest;

namespace {

// A 128-byte header; the colour map is up to 16 entries of red, green, blue.
std::vector<uint8_t> Header(uint8_t bpp, uint8_t planes, uint16_t xmax, uint16_t ymax, uint16_t lineBytes,
                            const std::vector<uint8_t>& colormap = {}, uint16_t xmin = 0, uint16_t ymin = 0)
{
    Bytes b;
    b.u8(10).u8(5).u8(1).u8(bpp).u16(xmin).u16(ymin).u16(xmax).u16(ymax).u16(72).u16(72);
    std::vector<uint8_t> map = colormap;
    map.resize(48, 0);
    b.v.insert(b.v.end(), map.begin(), map.end());
    b.u8(0).u8(planes).u16(lineBytes).u16(1).fill(58, 0);
    return b.v;
}

std::vector<uint8_t> Cat(std::vector<uint8_t> a, const std::vector<uint8_t>& b)
{
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

std::vector<uint8_t> Data(const std::vector<uint8_t>& file)
{
    return std::vector<uint8_t>(file.begin() + 128, file.end());
}

// Indices of the image's top row.
std::vector<int> TopRow(CRaster& img)
{
    std::vector<int> out;
    for (int x = 0; x < static_cast<int>(img.GetWidth()); ++x)
        out.push_back(img.GetPixelIndex(x, static_cast<int>(img.GetHeight()) - 1));
    return out;
}

} // namespace

TEST(RasterPCX, WrittenBytes)
{
    // 3 × 1 at 24 bits: each plane's row run-length coded, then one 0 byte to the even line length of 4.
    CRaster rgb(3, 1, 24, RASTER_FORMAT_BMP);
    rgb.SetPixelColor(0, 0, RGBQUAD{7, 1, 10, 0});
    rgb.SetPixelColor(1, 0, RGBQUAD{7, 2, 10, 0});
    rgb.SetPixelColor(2, 0, RGBQUAD{7, 3, 0xC5, 0});
    std::vector<uint8_t> f = EncodeAs(rgb, RASTER_FORMAT_PCX);
    ASSERT_EQ(f.size(), 128u + 12);
    EXPECT_EQ(std::vector<uint8_t>(f.begin(), f.begin() + 4), (std::vector<uint8_t>{10, 5, 1, 8}));
    EXPECT_EQ(rasterbytes::Get16(&f[8]), 2);
    EXPECT_EQ(rasterbytes::Get16(&f[10]), 0);
    EXPECT_EQ(rasterbytes::Get16(&f[12]), 96);
    EXPECT_EQ(f[65], 3);
    EXPECT_EQ(rasterbytes::Get16(&f[66]), 4);
    EXPECT_EQ(rasterbytes::Get16(&f[68]), 1);
    EXPECT_EQ(Data(f), (std::vector<uint8_t>{0xC2, 10, 0xC1, 0xC5, 0, 1, 2, 3, 0, 0xC3, 7, 0}));

    // A row of 100 equal bytes is 63 + 37; the palette follows its mark.
    CRaster wide(100, 1, 8, RASTER_FORMAT_BMP);
    wide.SetPaletteColor(9, 1, 2, 3);
    wide.Clear(9);
    f = EncodeAs(wide, RASTER_FORMAT_PCX);
    ASSERT_EQ(f.size(), 128u + 4 + 1 + 768);
    EXPECT_EQ(std::vector<uint8_t>(f.begin() + 128, f.begin() + 133), (std::vector<uint8_t>{0xFF, 9, 0xE5, 9, 12}));
    EXPECT_EQ(std::vector<uint8_t>(f.begin() + 133 + 27, f.begin() + 136 + 27), (std::vector<uint8_t>{1, 2, 3}));
    EXPECT_EQ(rasterbytes::Get16(&f[68]), 0);

    // A single byte of 0xC0 or more takes a count of 1; the odd width pads.
    CRaster one(1, 1, 8, RASTER_FORMAT_BMP);
    one.Clear(0xC5);
    f = EncodeAs(one, RASTER_FORMAT_PCX);
    EXPECT_EQ(std::vector<uint8_t>(f.begin() + 128, f.begin() + 131), (std::vector<uint8_t>{0xC1, 0xC5, 0}));

    // One-bit planes go through the buffer writer: 16 set pixels are a run of two 0xFF bytes.
    CRaster bits(16, 1, 1, RASTER_FORMAT_BMP);
    bits.SetGrayPalette();
    bits.Clear(1);
    f = EncodeAs(bits, RASTER_FORMAT_PCX);
    EXPECT_EQ(Data(f), (std::vector<uint8_t>{0xC2, 0xFF}));
    EXPECT_EQ(f[3], 1);
    EXPECT_EQ(f[65], 1);
    EXPECT_EQ(std::vector<uint8_t>(f.begin() + 16, f.begin() + 22), (std::vector<uint8_t>{0, 0, 0, 255, 255, 255}));
}

TEST(RasterPCX, RoundTripEveryDepth)
{
    for (uint32_t bpp : {1u, 4u, 8u, 24u}) {
        for (bool alpha : {false, true}) {
            if (alpha && bpp != 24)
                continue;
            CRaster img = bpp == 1 ? FromRgb(BlackWhite(13, 7), 1) : MakePattern(13, 7, bpp);
            if (alpha) {
                img.AlphaCreate();
                for (int y = 0; y < 7; ++y)
                    for (int x = 0; x < 13; ++x)
                        img.AlphaSet(x, y, static_cast<uint8_t>(x * 19 + y * 3));
            }
            std::vector<uint8_t> f = EncodeAs(img, RASTER_FORMAT_PCX);
            CRaster back;
            // The type-0 chain finds the file too.
            ASSERT_TRUE(DecodeAs(back, f, RASTER_FORMAT_UNKNOWN)) << bpp << ": " << back.GetLastError();
            EXPECT_EQ(back.GetType(), RASTER_FORMAT_PCX);
            EXPECT_EQ(back.GetBpp(), bpp);
            EXPECT_EQ(ComparePixels(back, img), "") << bpp;
            EXPECT_EQ(back.AlphaIsValid(), alpha);
            if (alpha) {
                EXPECT_EQ(back.AlphaGet(12, 0), img.AlphaGet(12, 0));
            }
        }
    }
    // A 1-bit image whose palette is white, black is written inverted and reads back as black, white.
    CRaster inv(10, 3, 1, RASTER_FORMAT_BMP);
    inv.SetPaletteColor(0, 255, 255, 255);
    inv.SetPaletteColor(1, 0, 0, 0);
    inv.SetPixelIndex(2, 1, 1);
    CRaster back;
    ASSERT_TRUE(DecodeAs(back, EncodeAs(inv, RASTER_FORMAT_PCX), RASTER_FORMAT_PCX));
    EXPECT_TRUE(SameColor(back.GetPaletteColor(0), RGBQUAD{0, 0, 0, 0}));
    EXPECT_EQ(ComparePixels(back, inv), "");
    EXPECT_EQ(back.GetPixelIndex(2, 1), 0);
}

TEST(RasterPCX, PlanesOfOneBitGiveIndices)
{
    const std::vector<uint8_t> map = {0, 0, 0, 10, 20, 30, 40, 50, 60, 70, 80, 90, 1, 2, 3, 4, 5, 6, 7, 8, 9};
    struct Case {
        uint8_t planes;
        std::vector<uint8_t> row;
        std::vector<int> indices;
    } cases[] = {
        {2, {0xAA, 0xC1, 0xCC}, {3, 2, 1, 0, 3, 2, 1, 0}},
        {3, {0xAA, 0xC1, 0xCC, 0xC1, 0xF0}, {7, 6, 5, 4, 3, 2, 1, 0}},
        {4, {0xAA, 0xC1, 0xCC, 0xC1, 0xF0, 0x01}, {7, 6, 5, 4, 3, 2, 1, 8}},
    };
    for (const Case& c : cases) {
        CRaster img;
        ASSERT_TRUE(DecodeAs(img, Cat(Header(1, c.planes, 7, 0, 1, map), c.row), RASTER_FORMAT_PCX))
            << img.GetLastError();
        EXPECT_EQ(img.GetBpp(), 4) << int(c.planes);
        EXPECT_EQ(TopRow(img), c.indices) << int(c.planes);
        EXPECT_TRUE(SameColor(img.GetPaletteColor(6), RGBQUAD{9, 8, 7, 0}));
    }
    // Packed pixels of 2 bits in one plane: most significant bits first.
    CRaster packed;
    ASSERT_TRUE(DecodeAs(packed, Cat(Header(2, 1, 4, 0, 2, map), {0x1B, 0x80}), RASTER_FORMAT_PCX));
    EXPECT_EQ(TopRow(packed), (std::vector<int>{0, 1, 2, 3, 2}));
}

TEST(RasterPCX, ShortLinesReadOnlyTheirBytes)
{
    // Each line holds fewer bytes than the width needs: the missing pixels are 0.
    CRaster idx;
    std::vector<uint8_t> f = Cat(Header(8, 1, 4, 1, 2), {5, 6, 7, 8, 12});
    f.resize(f.size() + 768, 0);
    ASSERT_TRUE(DecodeAs(idx, f, RASTER_FORMAT_PCX)) << idx.GetLastError();
    EXPECT_EQ(TopRow(idx), (std::vector<int>{5, 6, 0, 0, 0}));
    EXPECT_EQ(idx.GetPixelIndex(1, 0), 8);

    CRaster rgb;
    ASSERT_TRUE(DecodeAs(rgb, Cat(Header(8, 3, 2, 0, 2), {1, 2, 3, 4, 5, 6}), RASTER_FORMAT_PCX));
    EXPECT_TRUE(SameColor(rgb.GetPixelColor(1, 0), RGBQUAD{6, 4, 2, 0}));
    EXPECT_TRUE(SameColor(rgb.GetPixelColor(2, 0), RGBQUAD{0, 0, 0, 0}));

    CRaster bits;
    ASSERT_TRUE(DecodeAs(bits, Cat(Header(1, 1, 19, 0, 2), {0xC2, 0xFF}), RASTER_FORMAT_PCX));
    EXPECT_EQ(bits.GetPixelIndex(15, 0), 1);
    EXPECT_EQ(bits.GetPixelIndex(16, 0), 0);
    EXPECT_EQ(bits.GetPixelIndex(19, 0), 0);

    CRaster planes;
    ASSERT_TRUE(DecodeAs(planes, Cat(Header(1, 2, 9, 0, 1), {0xC2, 0xFF}), RASTER_FORMAT_PCX));
    EXPECT_EQ(TopRow(planes), (std::vector<int>{3, 3, 3, 3, 3, 3, 3, 3, 0, 0}));
}

TEST(RasterPCX, WhatIsReadCanBeWritten)
{
    // n bytes of value v as runs.
    auto runs = [](size_t n, uint8_t v) {
        std::vector<uint8_t> out;
        for (; n >= 63; n -= 63)
            out.insert(out.end(), {0xFF, v});
        if (n)
            out.insert(out.end(), {static_cast<uint8_t>(0xC0 | n), v});
        return out;
    };
    struct Case {
        const char* name;
        uint8_t bpp, planes;
        uint32_t width;
        uint16_t lineBytes;
        bool read;
    } cases[] = {
        {"24 bits, 65534 wide", 8, 3, 65534, 65534, true},
        {"24 bits, 65536 wide with short lines", 8, 3, 65536, 23, false},
        {"24 bits, 65535 wide", 8, 3, 65535, 65535, false},
        {"8 bits, 65535 wide", 8, 1, 65535, 65535, false},
        {"1 bit, 65536 wide", 1, 1, 65536, 8192, true},
        {"4 planes of 1 bit, 65536 wide", 1, 4, 65536, 8192, true},
    };
    for (const Case& c : cases) {
        std::vector<uint8_t> f = Cat(Header(c.bpp, c.planes, static_cast<uint16_t>(c.width - 1), 0, c.lineBytes),
                                     runs(size_t{c.lineBytes} * c.planes, 0x5A));
        if (c.bpp == 8 && c.planes == 1) {
            f.push_back(12);
            f.resize(f.size() + 768, 7);
        }
        CRaster img;
        ASSERT_EQ(DecodeAs(img, f, RASTER_FORMAT_PCX), c.read) << c.name << ": " << img.GetLastError();
        if (!c.read) {
            EXPECT_STREQ(img.GetLastError(), "Image too large for PCX") << c.name;
            continue;
        }
        std::vector<uint8_t> again = EncodeAs(img, RASTER_FORMAT_PCX);
        ASSERT_FALSE(again.empty()) << c.name << ": " << img.GetLastError();
        CRaster back;
        ASSERT_TRUE(DecodeAs(back, again, RASTER_FORMAT_PCX)) << c.name;
        EXPECT_EQ(ComparePixels(back, img), "") << c.name;
    }
}

TEST(RasterPCX, FailureTexts)
{
    std::vector<uint8_t> notPcx = Header(8, 1, 3, 3, 4), encoding = notPcx;
    notPcx[0] = 11;
    encoding[2] = 0;
    std::vector<uint8_t> noMark = Cat(Header(8, 1, 1, 0, 2), {1, 2, 11});
    noMark.resize(noMark.size() + 768, 0);
    struct Case {
        const char* name;
        std::vector<uint8_t> bytes;
        const char* text;
    } cases[] = {
        {"short header", std::vector<uint8_t>(100, 10), "Can't read PCX image"},
        {"manufacturer", notPcx, "Error: Not a PCX file"},
        {"encoding", encoding, "PCX file has unknown encoding scheme"},
        {"five planes", Header(1, 5, 3, 3, 2), "Can't handle image with more than 4 planes"},
        {"x max below x min", Header(8, 1, 3, 3, 4, {}, 4, 0), "Bad PCX image size"},
        {"y max below y min", Header(8, 1, 3, 3, 4, {}, 0, 9), "Bad PCX image size"},
        {"no planes", Header(8, 0, 3, 3, 4), "PCX image has no planes"},
        {"one plane of 3 bits", Header(3, 1, 3, 3, 4), "Can't handle packed pixels of this depth"},
        {"two planes of 2 bits", Cat(Header(2, 2, 3, 0, 2), {0, 0, 0, 0}), "Can't handle more than 1 bit per pixel"},
        {"two planes of 8 bits", Cat(Header(8, 2, 3, 0, 4), {0xC8, 0}), "Can't handle more than 1 bit per pixel"},
        {"run past the block", Cat(Header(8, 1, 1, 1, 2), {0, 0xC5, 1}), "repeat count spans end of image"},
        {"data cut", Cat(Header(8, 1, 9, 0, 10), {1, 2, 3}), "corrupted PCX"},
        {"run value cut", Cat(Header(8, 1, 1, 0, 2), {0xC2}), "corrupted PCX"},
        {"no palette mark", noMark, "bad color map signature"},
        {"palette cut", Cat(Header(8, 1, 1, 0, 2), {1, 2, 12, 1, 2, 3}), "corrupted PCX"},
        {"size past the data", Cat(Header(8, 1, 3999, 3999, 4000), {0xFF, 0}), "corrupted PCX"},
        {"size past the cap", Header(8, 4, 65533, 65535, 65534), "RASTER_MAX_MEMORY exceeded"},
    };
    for (const Case& c : cases) {
        CRaster img;
        EXPECT_FALSE(DecodeAs(img, c.bytes, RASTER_FORMAT_PCX)) << c.name;
        EXPECT_STREQ(img.GetLastError(), c.text) << c.name;
        EXPECT_FALSE(img.IsValid()) << c.name;
    }

    // Writes that fail: the header, then the data.
    CRaster img = MakePattern(40, 30, 24);
    for (auto [limit, text] : {std::pair{100, "cannot write PCX header"}, {300, "write error"}}) {
        CLimitedFile out(limit);
        EXPECT_FALSE(img.Encode(&out, RASTER_FORMAT_PCX));
        EXPECT_STREQ(img.GetLastError(), text);
    }
}

TEST(RasterPCX, ToolsWriteWeRead)
{
    const bool netpbm = HaveTool("/usr/bin/ppmtopcx");
    const bool magick = HaveTool("/usr/bin/convert");
    if (!netpbm && !magick)
        GTEST_SKIP() << "neither netpbm nor ImageMagick installed";
    struct Case {
        const char* name;
        Rgb picture;
        bool magickTool;
        std::string args;
    } cases[] = {
        {"1 bit", BlackWhite(21, 9), false, ""},
        {"2 planes", MapPicture(21, 9, 4), false, ""},
        {"3 planes", MapPicture(21, 9, 8), false, ""},
        {"4 planes", MapPicture(23, 9, 16), false, ""},
        {"2 bits packed", MapPicture(21, 9, 4), false, "-packed"},
        {"4 bits packed", MapPicture(21, 9, 16), false, "-packed"},
        {"8 bits", MapPicture(37, 11, 200), false, "-8bit"},
        {"24 bits", MapPicture(37, 11, 20), false, "-24bit"},
        {"24 bits", MapPicture(37, 11, 20), true, ""},
        {"8 bits", MapPicture(37, 11, 200), true, "-type Palette"},
    };
    for (const Case& c : cases) {
        if ((c.magickTool && !magick) || (!c.magickTool && !netpbm))
            continue;
        std::string ppm = Temp("in.ppm"), pcx = Temp("tool.pcx");
        WriteBytes(ppm, MakePpm(c.picture));
        std::string cmd = c.magickTool ? "/usr/bin/convert " + ppm + " " + c.args + " pcx:" + pcx
                                       : "/usr/bin/ppmtopcx " + c.args + " " + ppm + " > " + pcx;
        ASSERT_TRUE(RunTool(cmd)) << cmd;
        CRaster img;
        ASSERT_TRUE(img.Load(pcx.c_str(), RASTER_FORMAT_PCX)) << cmd << ": " << img.GetLastError();
        EXPECT_EQ(Compare(img, c.picture), "") << cmd;
        std::remove(ppm.c_str());
        std::remove(pcx.c_str());
    }
    // ImageMagick writes alpha as a fourth plane.
    if (magick) {
        Rgba pic;
        pic.w = 9;
        pic.h = 5;
        for (int i = 0; i < pic.w * pic.h; ++i)
            for (uint8_t v : {uint8_t(i * 5), uint8_t(200 - i), uint8_t(i * 3), uint8_t(i * 11 + 1)})
                pic.px.push_back(v);
        std::string pam = Temp("in.pam"), pcx = Temp("alpha.pcx");
        WriteBytes(pam, MakePam(pic));
        ASSERT_TRUE(RunTool("/usr/bin/convert " + pam + " pcx:" + pcx));
        CRaster img;
        ASSERT_TRUE(img.Load(pcx.c_str(), RASTER_FORMAT_PCX)) << img.GetLastError();
        ASSERT_TRUE(img.AlphaIsValid());
        for (int r = 0; r < pic.h; ++r)
            for (int x = 0; x < pic.w; ++x) {
                RGBQUAD c = img.GetPixelColor(x, pic.h - 1 - r, false);
                const uint8_t* p = pic.at(x, r);
                EXPECT_EQ(std::vector<int>({c.rgbRed, c.rgbGreen, c.rgbBlue, img.AlphaGet(x, pic.h - 1 - r)}),
                          std::vector<int>(p, p + 4))
                    << x << "," << r;
            }
        std::remove(pam.c_str());
        std::remove(pcx.c_str());
    }
}

TEST(RasterPCX, ToolsReadOurs)
{
    const bool netpbm = HaveTool("/usr/bin/pcxtoppm");
    const bool magick = HaveTool("/usr/bin/convert");
    if (!netpbm && !magick)
        GTEST_SKIP() << "neither netpbm nor ImageMagick installed";
    struct Case {
        const char* name;
        Rgb picture;
        uint32_t bpp;
    } cases[] = {
        {"1 bit", BlackWhite(21, 9), 1},
        {"4 bits", MapPicture(21, 9, 16), 4},
        {"8 bits", MapPicture(37, 11, 200), 8},
        {"24 bits", MapPicture(37, 11, 20), 24},
    };
    for (const Case& c : cases) {
        CRaster img = FromRgb(c.picture, c.bpp);
        std::string pcx = Temp("ours.pcx"), ppm = Temp("ours.ppm");
        ASSERT_TRUE(img.Save(pcx.c_str(), RASTER_FORMAT_PCX)) << c.name;
        std::vector<std::pair<std::string, Rgb>> runs;
        if (netpbm)
            runs.push_back({"/usr/bin/pcxtoppm " + pcx + " > " + ppm, c.picture});
        // ImageMagick takes a 1-bit file's 1 as black.
        if (magick)
            runs.push_back(
                {"/usr/bin/convert pcx:" + pcx + " -depth 8 ppm:" + ppm, c.bpp == 1 ? Inverted(c.picture) : c.picture});
        for (const auto& [cmd, expect] : runs) {
            ASSERT_TRUE(RunTool(cmd)) << cmd;
            Rgb ref;
            ASSERT_TRUE(ParsePpm(ReadBytes(ppm), ref)) << cmd;
            CRaster want = FromRgb(expect, 24);
            EXPECT_EQ(Compare(want, ref), "") << cmd;
        }
        std::remove(pcx.c_str());
        std::remove(ppm.c_str());
    }
}
