// BMP codec against independent decoders and encoders: stb_image in-process, netpbm and ImageMagick programs.
#include "imagelib/Raster.h"
#include "OracleUtil.h"
#include "RasterTestUtil.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>

using namespace rastertest;

namespace {

bool DecodeFile(CRaster& img, const std::string& path)
{
    return img.Load(path.c_str(), RASTER_FORMAT_BMP);
}

} // namespace

TEST(BmpOracle, StbDecodesOurOutput)
{
#ifndef ZR_HAVE_STB
    GTEST_SKIP() << "stb_image (libstb-dev) not installed";
#else
    for (uint32_t bpp : {1u, 4u, 8u, 24u}) {
        CRaster img = MakePattern(13, 7, bpp);
        Rgb ref = StbDecode(EncodeBmp(img));
        ASSERT_EQ(ref.w, 13) << bpp;
        EXPECT_EQ(Compare(img, ref), "") << bpp;
    }
#endif
}

TEST(BmpOracle, BitFieldFilesAgreeWithStb)
{
#ifndef ZR_HAVE_STB
    GTEST_SKIP() << "stb_image (libstb-dev) not installed";
#else
    struct Case {
        uint16_t bits;
        uint32_t r, g, b;
        int tolerance;
    } cases[] = {{16, 0xF800, 0x07E0, 0x001F, 7},
                 {16, 0x7C00, 0x03E0, 0x001F, 7},
                 {32, 0x00FF0000, 0x0000FF00, 0x000000FF, 0},
                 {32, 0x0000FF00, 0x00FF0000, 0xFF000000, 0}};
    for (const Case& c : cases) {
        const int w = 5, h = 3;
        Bytes f;
        uint32_t off = 14 + 40 + 12;
        FileHeader(f, 0, off);
        InfoHeader(f, w, h, c.bits, 3);
        f.u32(c.r).u32(c.g).u32(c.b);
        uint32_t seed = 7;
        int rowBytes = ((w * c.bits + 31) / 32) * 4;
        for (int y = 0; y < h; ++y) {
            for (int x = 0; x < w; ++x) {
                seed = seed * 1103515245 + 12345;
                if (c.bits == 16)
                    f.u16(seed >> 8);
                else
                    f.u32(seed);
            }
            f.fill(static_cast<size_t>(rowBytes - w * c.bits / 8), 0);
        }
        Rgb ref = StbDecode(f.v);
        CRaster img;
        ASSERT_TRUE(img.Decode(f.v.data(), static_cast<uint32_t>(f.v.size()), RASTER_FORMAT_BMP)) << img.GetLastError();
        ASSERT_EQ(ref.w, w);
        EXPECT_EQ(Compare(img, ref, c.tolerance), "") << c.bits << " bits, red mask " << c.r;
    }
#endif
}

TEST(BmpOracle, NetpbmFilesDecode)
{
    if (!HaveTool("/usr/bin/ppmtobmp") || !HaveTool("/usr/bin/bmptopnm"))
        GTEST_SKIP() << "netpbm not installed";
    struct Case {
        int bpp, colors;
        const char* flags;
    } cases[] = {{1, 2, "-bpp 1"},      {4, 12, "-bpp 4"},      {8, 40, "-bpp 8"},        {24, 200, "-bpp 24"},
                 {1, 2, "-os2 -bpp 1"}, {8, 40, "-os2 -bpp 8"}, {24, 200, "-os2 -bpp 24"}};
    for (const Case& c : cases) {
        Rgb ref = MapPicture(37, 19, c.colors);
        std::string ppm = Temp("in.ppm"), bmp = Temp("netpbm.bmp");
        WriteBytes(ppm, MakePpm(ref));
        ASSERT_TRUE(RunTool(std::string("/usr/bin/ppmtobmp ") + c.flags + " " + ppm + " > " + bmp)) << c.flags;
        CRaster img;
        ASSERT_TRUE(DecodeFile(img, bmp)) << c.flags << ": " << img.GetLastError();
        EXPECT_EQ(img.GetBpp(), c.bpp) << c.flags;
        EXPECT_EQ(Compare(img, ref), "") << c.flags;
        std::remove(ppm.c_str());
        std::remove(bmp.c_str());
    }
}

TEST(BmpOracle, NetpbmAndImageMagickDecodeOurOutput)
{
    bool netpbm = HaveTool("/usr/bin/bmptopnm") && HaveTool("/usr/bin/ppmtoppm");
    bool magick = HaveTool("/usr/bin/convert");
    if (!netpbm && !magick)
        GTEST_SKIP() << "neither netpbm nor ImageMagick installed";
    for (uint32_t bpp : {1u, 4u, 8u, 24u}) {
        CRaster img = MakePattern(21, 9, bpp);
        std::string bmp = Temp("ours.bmp"), out = Temp("ours.ppm");
        ASSERT_TRUE(img.Save(bmp.c_str(), RASTER_FORMAT_BMP));
        if (netpbm) {
            ASSERT_TRUE(RunTool("/usr/bin/bmptopnm " + bmp + " | /usr/bin/ppmtoppm > " + out)) << bpp;
            Rgb ref;
            ASSERT_TRUE(ParsePpm(ReadBytes(out), ref)) << bpp;
            EXPECT_EQ(Compare(img, ref), "") << "netpbm " << bpp;
        }
        if (magick) {
            ASSERT_TRUE(RunTool("/usr/bin/convert " + bmp + " -depth 8 ppm:" + out)) << bpp;
            Rgb ref;
            ASSERT_TRUE(ParsePpm(ReadBytes(out), ref)) << bpp;
            EXPECT_EQ(Compare(img, ref), "") << "ImageMagick " << bpp;
        }
        std::remove(bmp.c_str());
        std::remove(out.c_str());
    }
}

TEST(BmpOracle, ImageMagickFilesDecode)
{
    if (!HaveTool("/usr/bin/convert"))
        GTEST_SKIP() << "ImageMagick not installed";
    struct Case {
        int colors;
        const char* args;
        uint32_t compression;
    } cases[] = {{40, "-type Palette -compress RLE BMP3:", 1},
                 {200, "-type Palette -compress RLE BMP3:", 1},
                 {3, "-type Palette -compress None BMP3:", 0},
                 {200, "-type TrueColor ", 0}};
    for (const Case& c : cases) {
        Rgb ref = MapPicture(53, 23, c.colors);
        std::string ppm = Temp("im.ppm"), bmp = Temp("im.bmp");
        WriteBytes(ppm, MakePpm(ref));
        ASSERT_TRUE(RunTool("/usr/bin/convert " + ppm + " " + c.args + bmp)) << c.args;
        std::vector<uint8_t> bytes = ReadBytes(bmp);
        ASSERT_GT(bytes.size(), 54u);
        EXPECT_EQ(rasterbytes::Get32(&bytes[30]), c.compression) << c.args;
        CRaster img;
        ASSERT_TRUE(DecodeFile(img, bmp)) << c.args << ": " << img.GetLastError();
        EXPECT_EQ(Compare(img, ref), "") << c.args << " " << c.colors;
        std::remove(ppm.c_str());
        std::remove(bmp.c_str());
    }
}
