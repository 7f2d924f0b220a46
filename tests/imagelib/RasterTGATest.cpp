// Tests of the TGA codec: written bytes, run-length packets across rows, origins, pixel and colour-map encodings,
// failures, and ImageMagick, netpbm and stb_image.
#include "CodecTestUtil.h"
#include "imagelib/RasterTGA.h"

#include <gtest/gtest.h>

using namespace rastertest;

namespace {

std::vector<uint8_t> Header(uint8_t type, uint16_t w, uint16_t h, uint8_t depth, uint8_t desc = 0, uint8_t cmapType = 0,
                            uint16_t cmapLength = 0, uint8_t entrySize = 0, uint8_t idLength = 0)
{
    Bytes b;
    b.u8(idLength).u8(cmapType).u8(type).u16(0).u16(cmapLength).u8(entrySize).u16(0).u16(0).u16(w).u16(h);
    b.u8(depth).u8(desc);
    return b.v;
}

std::vector<uint8_t> Cat(std::vector<uint8_t> a, const std::vector<uint8_t>& b)
{
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

// Colour of the image at (x, row from the top) as red, green, blue and alpha (255 without alpha).
std::vector<int> At(CRaster& img, int x, int fromTop)
{
    int y = static_cast<int>(img.GetHeight()) - 1 - fromTop;
    RGBQUAD c = img.GetPixelColor(x, y, false);
    return {c.rgbRed, c.rgbGreen, c.rgbBlue, img.AlphaIsValid() ? img.AlphaGet(x, y) : 255};
}

} // namespace

TEST(RasterTGA, WrittenBytes)
{
    // 2 × 2 at 24 bits: 18 + 12 bytes, rows from the bottom without padding.
    CRaster img(2, 2, 24, RASTER_FORMAT_BMP);
    img.SetPixelColor(0, 0, RGBQUAD{1, 2, 3, 0});
    img.SetPixelColor(1, 0, RGBQUAD{4, 5, 6, 0});
    img.SetPixelColor(0, 1, RGBQUAD{7, 8, 9, 0});
    img.SetPixelColor(1, 1, RGBQUAD{10, 11, 12, 0});
    std::vector<uint8_t> f = EncodeAs(img, RASTER_FORMAT_TGA);
    EXPECT_EQ(f, Cat(Header(2, 2, 2, 24), {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12}));
    ASSERT_EQ(f.size(), 30u);

    // 8 bits: the 256-entry map as blue, green, red, then one byte per pixel.
    CRaster pal(3, 2, 8, RASTER_FORMAT_BMP);
    pal.SetPaletteColor(4, 40, 50, 60);
    pal.SetPixelIndex(2, 1, 4);
    f = EncodeAs(pal, RASTER_FORMAT_TGA);
    ASSERT_EQ(f.size(), 18u + 768 + 6);
    EXPECT_EQ(std::vector<uint8_t>(f.begin(), f.begin() + 18), Header(1, 3, 2, 8, 0, 1, 256, 24));
    EXPECT_EQ(std::vector<uint8_t>(f.begin() + 18 + 12, f.begin() + 18 + 15), (std::vector<uint8_t>{60, 50, 40}));
    EXPECT_EQ(f.back(), 4);

    // 24 bits with alpha: 32-bit pixels, alpha scaled by the image's maximum.
    CRaster rgba(1, 1, 24, RASTER_FORMAT_BMP);
    rgba.SetPixelColor(0, 0, RGBQUAD{1, 2, 3, 0});
    rgba.AlphaCreate();
    rgba.AlphaSetMax(128);
    f = EncodeAs(rgba, RASTER_FORMAT_TGA);
    EXPECT_EQ(f, Cat(Header(2, 1, 1, 32), {1, 2, 3, 128}));
}

TEST(RasterTGA, RoundTripAndRefusedDepths)
{
    for (uint32_t bpp : {8u, 24u, 32u}) {
        CRaster img = MakePattern(13, 7, bpp == 32 ? 24 : bpp);
        if (bpp == 32) {
            img.AlphaCreate();
            for (int y = 0; y < 7; ++y)
                for (int x = 0; x < 13; ++x)
                    img.AlphaSet(x, y, static_cast<uint8_t>(x * 19 + y * 3));
        }
        CRaster back;
        // The type-0 chain finds the file too.
        ASSERT_TRUE(DecodeAs(back, EncodeAs(img, RASTER_FORMAT_TGA), RASTER_FORMAT_UNKNOWN)) << back.GetLastError();
        EXPECT_EQ(back.GetType(), RASTER_FORMAT_TGA);
        EXPECT_EQ(ComparePixels(back, img), "") << bpp;
        ASSERT_EQ(back.AlphaIsValid(), bpp == 32);
        if (bpp == 32) {
            EXPECT_EQ(back.AlphaGet(12, 6), img.AlphaGet(12, 6));
            EXPECT_EQ(back.AlphaGet(3, 1), img.AlphaGet(3, 1));
        }
    }
    for (uint32_t bpp : {1u, 4u}) {
        CRaster img(4, 4, bpp, RASTER_FORMAT_BMP);
        EXPECT_TRUE(EncodeAs(img, RASTER_FORMAT_TGA).empty());
        EXPECT_STREQ(img.GetLastError(), "Bit depth must be 8 or 24");
    }
    CRaster img = MakePattern(40, 30, 24);
    for (int limit : {10, 300}) {
        CLimitedFile out(limit);
        EXPECT_FALSE(img.Encode(&out, RASTER_FORMAT_TGA));
        EXPECT_STREQ(img.GetLastError(), "write error");
    }
}

TEST(RasterTGA, PacketsCrossRows)
{
    // Width 4, three rows from the bottom: raw A B C, raw D | E F, run of 5 G (2 + 3 columns), raw H.
    const std::vector<uint8_t> data = {0x02, 1, 1, 1, 2, 2, 2,    3, 3, 3, 0x02, 4, 4, 4,
                                       5,    5, 5, 6, 6, 6, 0x84, 7, 7, 7, 0x00, 8, 8, 8};
    CRaster img;
    ASSERT_TRUE(DecodeAs(img, Cat(Header(10, 4, 3, 24), data), RASTER_FORMAT_TGA)) << img.GetLastError();
    const int want[3][4] = {{1, 2, 3, 4}, {5, 6, 7, 7}, {7, 7, 7, 8}};
    for (int y = 0; y < 3; ++y)
        for (int x = 0; x < 4; ++x)
            EXPECT_EQ(img.GetPixelColor(x, y).rgbRed, want[y][x]) << x << "," << y;

    // The stream stands right after the pixels: a second picture follows.
    std::vector<uint8_t> two = Cat(Header(10, 4, 3, 24), data);
    two = Cat(two, Cat(Header(2, 1, 1, 24), {9, 9, 9}));
    CRasterMemFile stream(two.data(), static_cast<uint32_t>(two.size()));
    CRaster first, second;
    ASSERT_TRUE(first.Decode(&stream, RASTER_FORMAT_TGA));
    EXPECT_EQ(stream.Tell(), static_cast<int32_t>(18 + data.size()));
    ASSERT_TRUE(second.Decode(&stream, RASTER_FORMAT_TGA)) << second.GetLastError();
    EXPECT_EQ(second.GetPixelColor(0, 0).rgbRed, 9);

    // A last packet cut mid-row leaves the rest of that row as created.
    CRaster cut;
    ASSERT_TRUE(DecodeAs(cut, Cat(Header(10, 4, 2, 24), {0x84, 9, 9, 9, 0x01, 5, 5, 5}), RASTER_FORMAT_TGA));
    EXPECT_EQ(cut.GetPixelColor(0, 1).rgbRed, 9);
    EXPECT_EQ(cut.GetPixelColor(1, 1).rgbRed, 5);
    EXPECT_EQ(cut.GetPixelColor(2, 1).rgbRed, 0);
}

TEST(RasterTGA, EveryOriginReadsTheSamePicture)
{
    // A 3 × 2 picture with alpha, stored from each corner, raw and in one-row raw packets.
    auto px = [](int x, int top) {
        return std::vector<uint8_t>{uint8_t(x), uint8_t(top), uint8_t(x * 10 + top), uint8_t(200 + x)};
    };
    for (uint8_t desc : {0x00, 0x10, 0x20, 0x30}) {
        for (bool rle : {false, true}) {
            std::vector<uint8_t> f = Header(rle ? 10 : 2, 3, 2, 32, desc);
            for (int n = 0; n < 2; ++n) {
                int top = (desc & 0x20) ? n : 1 - n;
                if (rle)
                    f.push_back(2);
                for (int k = 0; k < 3; ++k) {
                    std::vector<uint8_t> p = px((desc & 0x10) ? 2 - k : k, top);
                    f.insert(f.end(), p.begin(), p.end());
                }
            }
            CRaster img;
            ASSERT_TRUE(DecodeAs(img, f, RASTER_FORMAT_TGA)) << img.GetLastError();
            for (int top = 0; top < 2; ++top)
                for (int x = 0; x < 3; ++x) {
                    std::vector<uint8_t> p = px(x, top);
                    EXPECT_EQ(At(img, x, top), (std::vector<int>{p[2], p[1], p[0], p[3]}))
                        << int(desc) << " " << rle << " " << x << "," << top;
                }
        }
    }
}

TEST(RasterTGA, PixelAndColourMapEncodings)
{
    // 16-bit 0x7FFF is 248 in every channel; 15 bits read the same way.
    for (uint8_t depth : {15, 16}) {
        CRaster img;
        ASSERT_TRUE(DecodeAs(img, Cat(Header(2, 2, 1, depth), {0xFF, 0x7F, 0x1F, 0x80}), RASTER_FORMAT_TGA));
        EXPECT_EQ(At(img, 0, 0), (std::vector<int>{248, 248, 248, 255}));
        EXPECT_EQ(At(img, 1, 0), (std::vector<int>{0, 0, 248, 255}));
    }
    // Colour-map entries are read by their size.
    struct Case {
        uint8_t entrySize;
        std::vector<uint8_t> entries;
    } cases[] = {
        {16, {0x00, 0x00, 0x00, 0x7C}},
        {15, {0x00, 0x00, 0x00, 0xFC}},
        {24, {0, 0, 0, 0, 0, 248}},
        {32, {0, 0, 0, 9, 0, 0, 248, 9}},
    };
    for (const Case& c : cases) {
        CRaster img;
        std::vector<uint8_t> f = Cat(Cat(Header(1, 2, 1, 8, 0, 1, 2, c.entrySize), c.entries), {1, 0});
        ASSERT_TRUE(DecodeAs(img, f, RASTER_FORMAT_TGA)) << img.GetLastError();
        EXPECT_EQ(At(img, 0, 0), (std::vector<int>{248, 0, 0, 255})) << int(c.entrySize);
        EXPECT_EQ(At(img, 1, 0), (std::vector<int>{0, 0, 0, 255})) << int(c.entrySize);
    }
    // Grey pictures get the grey palette; an identifier is skipped.
    CRaster grey;
    ASSERT_TRUE(DecodeAs(grey, Cat(Header(3, 2, 1, 8, 0, 0, 0, 0, 3), {'a', 'b', 'c', 7, 200}), RASTER_FORMAT_TGA));
    EXPECT_EQ(At(grey, 1, 0), (std::vector<int>{200, 200, 200, 255}));
}

TEST(RasterTGA, ColourMapStartsAtItsFirstIndex)
{
    // A 12 x 6 picture whose map holds entries 39-46, raw and run-length; the tools read it, stb_image refuses it.
    const bool magick = HaveTool("/usr/bin/convert"), netpbm = HaveTool("/usr/bin/tgatoppm");
    if (!magick && !netpbm)
        GTEST_SKIP() << "neither netpbm nor ImageMagick installed";
    std::vector<uint8_t> map;
    for (uint8_t i = 0; i < 8; ++i)
        map.insert(map.end(),
                   {static_cast<uint8_t>(i * 30), static_cast<uint8_t>(255 - i * 20), static_cast<uint8_t>(i * 9)});
    std::vector<uint8_t> raw, rle;
    for (uint32_t i = 0; i < 72; ++i)
        raw.push_back(static_cast<uint8_t>(39 + (i * 5 + i / 12) % 8));
    for (uint32_t i = 0; i < 72; i += 8)
        rle.insert(rle.end(), {0x83, static_cast<uint8_t>(39 + i % 8), 0x03, 40, 41, 42, 39});
    for (const auto& [type, pixels] : {std::pair{uint8_t{1}, raw}, std::pair{uint8_t{9}, rle}}) {
        std::vector<uint8_t> head = Header(type, 12, 6, 8, 0x20, 1, 8, 24);
        head[3] = 39;
        std::vector<uint8_t> file = Cat(Cat(head, map), pixels);
        CRaster img;
        ASSERT_TRUE(DecodeAs(img, file, RASTER_FORMAT_TGA)) << img.GetLastError();
        std::string tga = Temp("first.tga"), ppm = Temp("first.ppm");
        WriteBytes(tga, file);
        std::vector<std::string> cmds;
        if (magick)
            cmds.push_back("/usr/bin/convert tga:" + tga + " -auto-orient -depth 8 ppm:" + ppm);
        if (netpbm)
            cmds.push_back("/usr/bin/tgatoppm " + tga + " > " + ppm);
        for (const std::string& cmd : cmds) {
            ASSERT_TRUE(RunTool(cmd)) << cmd;
            Rgb ref;
            ASSERT_TRUE(ParsePpm(ReadBytes(ppm), ref)) << cmd;
            EXPECT_EQ(Compare(img, ref), "") << cmd;
        }
        std::remove(tga.c_str());
        std::remove(ppm.c_str());
    }
}

TEST(RasterTGA, FailureTexts)
{
    struct Case {
        const char* name;
        std::vector<uint8_t> bytes;
        const char* text;
    } cases[] = {
        {"short header", std::vector<uint8_t>(17, 2), "Not a TGA"},
        {"type 32", Header(32, 2, 2, 24), "Unknown TGA image type"},
        {"type 0", Header(0, 2, 2, 24), "Unknown TGA image type"},
        {"depth 12", Header(2, 2, 2, 12), "bad TGA header"},
        {"depth 0", Header(2, 2, 2, 0), "bad TGA header"},
        {"width 0", Header(2, 0, 2, 24), "bad TGA header"},
        {"height 0", Header(2, 2, 0, 24), "bad TGA header"},
        {"map of 300", Header(1, 2, 2, 8, 0, 1, 300, 24), "bad TGA header"},
        {"mapped at 16 bits", Header(1, 2, 2, 16, 0, 1, 2, 24), "bad TGA header"},
        {"grey at 24 bits", Header(11, 2, 2, 24), "bad TGA header"},
        {"true colour at 8 bits", Header(2, 2, 2, 8), "bad TGA header"},
        {"map entries of 8 bits", Header(1, 2, 2, 8, 0, 1, 2, 8), "bad TGA header"},
        {"ends before the last row", Cat(Header(2, 2, 3, 24), std::vector<uint8_t>(12, 1)), "corrupted TGA"},
        {"raw packet ends early", Cat(Header(10, 2, 2, 24), {0x03, 1, 1, 1, 2, 2, 2}), "corrupted TGA"},
        {"map cut", Cat(Header(1, 1, 1, 8, 0, 1, 256, 24), std::vector<uint8_t>(760, 1)), "corrupted TGA"},
        {"identifier cut", Cat(Header(3, 1, 1, 8, 0, 0, 0, 0, 200), {1, 2}), "corrupted TGA"},
        {"size past the data", Cat(Header(2, 65535, 65535, 32), {1, 2, 3, 4}), "corrupted TGA"},
        {"run-length size past the data", Cat(Header(10, 65535, 400, 24), {0xFF, 1, 2, 3}), "corrupted TGA"},
    };
    for (const Case& c : cases) {
        CRaster img;
        EXPECT_FALSE(DecodeAs(img, c.bytes, RASTER_FORMAT_TGA)) << c.name;
        EXPECT_STREQ(img.GetLastError(), c.text) << c.name;
        EXPECT_FALSE(img.IsValid()) << c.name;
    }
    // Past the memory cap.
    const uint64_t cap = CRaster::GetMaxMemory();
    CRaster::SetMaxMemory(1000);
    CRaster img;
    EXPECT_FALSE(DecodeAs(img, Cat(Header(2, 100, 100, 24), std::vector<uint8_t>(30000, 1)), RASTER_FORMAT_TGA));
    EXPECT_STREQ(img.GetLastError(), "RASTER_MAX_MEMORY exceeded");
    CRaster::SetMaxMemory(cap);
}

TEST(RasterTGA, ToolsWriteWeRead)
{
    const bool netpbm = HaveTool("/usr/bin/ppmtotga");
    const bool magick = HaveTool("/usr/bin/convert");
    if (!netpbm && !magick)
        GTEST_SKIP() << "neither netpbm nor ImageMagick installed";
    const bool netpbmBack = HaveTool("/usr/bin/tgatoppm") && HaveTool("/usr/bin/pnmdepth");
    const Rgb colours = MapPicture(37, 11, 20), grey = Grey(37, 11);
    struct Case {
        bool magickTool;
        std::string args;
        Rgb picture;
        bool fiveBits;
    } cases[] = {
        // ImageMagick stores rows top first whatever its header says: flipped first, its file is a true
        // bottom-up one.
        {true, "-flip", colours, false},
        {true, "-flip -compress RLE", colours, false},
        {true, "-orient TopLeft", colours, false},
        {true, "-orient TopLeft -compress RLE", colours, false},
        {true, "-flip -depth 5", colours, true},
        {true, "-orient TopLeft -depth 5 -compress RLE", colours, true},
        {true, "-flip -type Palette", colours, false},
        {true, "-orient TopLeft -type Palette -compress RLE", colours, false},
        {true, "-flip -type Grayscale -compress RLE", grey, false},
        {true, "-orient TopLeft -type Grayscale", grey, false},
        {false, "-rgb -norle", colours, false},
        {false, "-rgb", colours, false},
        {false, "-cmap -norle", colours, false},
        {false, "-cmap", colours, false},
        {false, "-cmap16", colours, true},
        {false, "-mono -norle", grey, false},
        {false, "-mono", grey, false},
    };
    for (const Case& c : cases) {
        if ((c.magickTool && !magick) || (!c.magickTool && !netpbm) || (c.fiveBits && !c.magickTool && !netpbmBack))
            continue;
        std::string ppm = Temp("in.ppm"), tga = Temp("tool.tga");
        WriteBytes(ppm, MakePpm(c.picture));
        std::string cmd = c.magickTool ? "/usr/bin/convert " + ppm + " " + c.args + " tga:" + tga
                                       : "/usr/bin/ppmtotga " + c.args + " " + ppm + " > " + tga;
        ASSERT_TRUE(RunTool(cmd)) << cmd;
        CRaster img;
        ASSERT_TRUE(img.Load(tga.c_str(), RASTER_FORMAT_TGA)) << cmd << ": " << img.GetLastError();
        if (!c.fiveBits) {
            EXPECT_EQ(Compare(img, c.picture), "") << cmd;
        } else {
            // Five-bit channels: the tool's own reading, scaled back to 5 bits, is what we read.
            std::string back = Temp("back.ppm");
            ASSERT_TRUE(RunTool(c.magickTool ? "/usr/bin/convert tga:" + tga + " -auto-orient -depth 8 ppm:" + back
                                             : "/usr/bin/tgatoppm " + tga + " | /usr/bin/pnmdepth 255 > " + back));
            Rgb ref;
            ASSERT_TRUE(ParsePpm(ReadBytes(back), ref)) << cmd;
            for (uint8_t& v : ref.px)
                v = static_cast<uint8_t>((v * 31 + 127) / 255 << 3);
            EXPECT_EQ(Compare(img, ref), "") << cmd;
            std::remove(back.c_str());
        }
        std::remove(ppm.c_str());
        std::remove(tga.c_str());
    }
    // Alpha, raw and run-length, from each vertical origin.
    if (magick) {
        Rgba pic;
        pic.w = 9;
        pic.h = 5;
        for (int i = 0; i < pic.w * pic.h; ++i)
            for (uint8_t v : {uint8_t(i / 3 * 5), uint8_t(200 - i / 3), uint8_t(i * 3), uint8_t(i / 2 * 11 + 1)})
                pic.px.push_back(v);
        std::string pam = Temp("in.pam"), tga = Temp("alpha.tga");
        WriteBytes(pam, MakePam(pic));
        for (std::string args : {"-flip", "-flip -compress RLE", "-orient TopLeft -compress RLE"}) {
            ASSERT_TRUE(RunTool("/usr/bin/convert " + pam + " " + args + " tga:" + tga));
            CRaster img;
            ASSERT_TRUE(img.Load(tga.c_str(), RASTER_FORMAT_TGA)) << img.GetLastError();
            ASSERT_TRUE(img.AlphaIsValid()) << args;
            for (int r = 0; r < pic.h; ++r)
                for (int x = 0; x < pic.w; ++x) {
                    const uint8_t* p = pic.at(x, r);
                    EXPECT_EQ(At(img, x, r), std::vector<int>(p, p + 4)) << args << " " << x << "," << r;
                }
        }
        std::remove(pam.c_str());
        std::remove(tga.c_str());
    }
}

TEST(RasterTGA, ToolsReadOurs)
{
    const bool netpbm = HaveTool("/usr/bin/tgatoppm");
    const bool magick = HaveTool("/usr/bin/convert");
    struct Case {
        Rgb picture;
        uint32_t bpp;
        bool alpha;
    } cases[] = {
        {MapPicture(37, 11, 200), 8, false},
        {MapPicture(37, 11, 20), 24, false},
        {MapPicture(37, 11, 20), 24, true},
    };
    for (const Case& c : cases) {
        CRaster img = FromRgb(c.picture, c.bpp);
        if (c.alpha) {
            img.AlphaCreate();
            for (int y = 0; y < c.picture.h; ++y)
                for (int x = 0; x < c.picture.w; ++x)
                    img.AlphaSet(x, y, static_cast<uint8_t>(x * 7 + y));
        }
        std::string tga = Temp("ours.tga"), ppm = Temp("ours.ppm");
        ASSERT_TRUE(img.Save(tga.c_str(), RASTER_FORMAT_TGA));
        std::vector<std::string> cmds;
        if (netpbm)
            cmds.push_back("/usr/bin/tgatoppm " + tga + " > " + ppm);
        if (magick)
            cmds.push_back("/usr/bin/convert tga:" + tga + " -auto-orient -depth 8 ppm:" + ppm);
        for (const std::string& cmd : cmds) {
            ASSERT_TRUE(RunTool(cmd)) << cmd;
            Rgb ref;
            ASSERT_TRUE(ParsePpm(ReadBytes(ppm), ref)) << cmd;
            EXPECT_EQ(Compare(img, ref), "") << cmd;
        }
#ifdef ZR_HAVE_STB
        std::vector<uint8_t> bytes = ReadBytes(tga);
        EXPECT_EQ(Compare(img, StbDecode(bytes)), "") << "stb_image " << c.bpp;
        if (c.alpha) {
            int w = 0, h = 0, n = 0;
            uint8_t* p = stbi_load_from_memory(bytes.data(), static_cast<int>(bytes.size()), &w, &h, &n, 4);
            ASSERT_TRUE(p);
            // Top row, column 5: alpha 5 × 7 + (height - 1).
            EXPECT_EQ(p[5 * 4 + 3], 5 * 7 + c.picture.h - 1);
            stbi_image_free(p);
        }
#endif
        std::remove(tga.c_str());
        std::remove(ppm.c_str());
    }
}
