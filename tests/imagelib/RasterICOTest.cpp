// Tests of the icon codec: file layout, masks to transparency and back, directory choices, hostile files, and
// ImageMagick and netpbm as oracles.
#include "imagelib/RasterICO.h"
#include "GifTestUtil.h"
#include "OracleUtil.h"

#include <gtest/gtest.h>

using namespace rastertest;

namespace {

struct IcoImage {
    uint32_t w, h, bits;
    std::vector<uint8_t> palette; // 4 bytes per entry
    std::vector<uint8_t> xorData;
    std::vector<uint8_t> mask;
    uint32_t clrUsed = 0;
};

uint32_t RowBytes(uint32_t w, uint32_t bits)
{
    return ((w * bits + 31) / 32) * 4;
}

// An icon file of the images, each after the directory in turn.
std::vector<uint8_t> IcoFile(const std::vector<IcoImage>& images, uint16_t type = 1)
{
    Bytes b;
    b.u16(0).u16(type).u16(static_cast<uint32_t>(images.size()));
    uint32_t offset = 6 + 16 * static_cast<uint32_t>(images.size());
    for (const IcoImage& im : images) {
        uint32_t size = 40 + static_cast<uint32_t>(im.palette.size() + im.xorData.size() + im.mask.size());
        b.u8(im.w).u8(im.h).u8(0).u8(0).u16(0).u16(im.bits).u32(size).u32(offset);
        offset += size;
    }
    for (const IcoImage& im : images) {
        InfoHeader(b, static_cast<int32_t>(im.w), static_cast<int32_t>(im.h * 2), static_cast<uint16_t>(im.bits), 0,
                   static_cast<uint32_t>(im.xorData.size()), im.clrUsed);
        b.v.insert(b.v.end(), im.palette.begin(), im.palette.end());
        b.v.insert(b.v.end(), im.xorData.begin(), im.xorData.end());
        b.v.insert(b.v.end(), im.mask.begin(), im.mask.end());
    }
    return b.v;
}

// A palette image of the given depth: entry i has colour (i, 2i, 255 - i); pixel (x, y) from the bottom holds
// index f(x, y).
template <class F> IcoImage PaletteIcon(uint32_t w, uint32_t h, uint32_t bits, F index)
{
    IcoImage im{w, h, bits, {}, {}, {}};
    for (uint32_t i = 0; i < (1u << bits); ++i)
        im.palette.insert(im.palette.end(),
                          {static_cast<uint8_t>(255 - i), static_cast<uint8_t>(2 * i), static_cast<uint8_t>(i), 0});
    im.xorData.assign(static_cast<size_t>(RowBytes(w, bits)) * h, 0);
    for (uint32_t y = 0; y < h; ++y)
        for (uint32_t x = 0; x < w; ++x) {
            uint8_t v = static_cast<uint8_t>(index(x, y));
            uint8_t& byte = im.xorData[y * RowBytes(w, bits) + x * bits / 8];
            if (bits == 8)
                byte = v;
            else if (bits == 4)
                byte |= static_cast<uint8_t>((x & 1) ? v : v << 4);
            else
                byte |= static_cast<uint8_t>((v & 1) << (7 - (x & 7)));
        }
    im.mask.assign(static_cast<size_t>(RowBytes(w, 1)) * h, 0);
    return im;
}

void SetMaskBit(IcoImage& im, uint32_t x, uint32_t y)
{
    im.mask[y * RowBytes(im.w, 1) + x / 8] |= static_cast<uint8_t>(0x80 >> (x & 7));
}

bool DecodeIco(CRaster& img, const std::vector<uint8_t>& bytes, int32_t frame = 0)
{
    img.SetFrame(frame);
    return img.Decode(const_cast<uint8_t*>(bytes.data()), static_cast<uint32_t>(bytes.size()), RASTER_FORMAT_ICO);
}

// The picture as RGBA, transparent pixels with alpha 0.
Rgba RgbaOf(CRaster& img)
{
    Rgba r;
    r.w = static_cast<int>(img.GetWidth());
    r.h = static_cast<int>(img.GetHeight());
    for (int y = r.h - 1; y >= 0; --y)
        for (int x = 0; x < r.w; ++x) {
            RGBQUAD c = img.GetPixelColor(x, y, false);
            bool clear = img.IsTransparent(x, y) || (img.AlphaIsValid() && img.AlphaGet(x, y) == 0);
            r.px.insert(r.px.end(), {c.rgbRed, c.rgbGreen, c.rgbBlue, static_cast<uint8_t>(clear ? 0 : 255)});
        }
    return r;
}

// Test pictures with transparency at each depth the writer takes.
CRaster Transparent(uint32_t bpp)
{
    CRaster img = MakePattern(19, 11, bpp);
    if (bpp == 24) {
        img.SetTransColor(PatternColor(3, 4));
        img.SetTransIndex(0);
    } else if (bpp == 8) {
        // Some indices unused, so the reader can turn the mask into a transparent index.
        for (int y = 0; y < 11; ++y)
            for (int x = 0; x < 19; ++x)
                img.SetPixelIndex(x, y, static_cast<uint8_t>((x + y) % 40));
        img.SetTransIndex(7);
    } else {
        img.SetTransIndex(1);
    }
    return img;
}

} // namespace

TEST(RasterICO, SixteenColourIconLayout)
{
    CRaster img = MakePattern(32, 32, 4);
    std::vector<uint8_t> f = EncodeAs(img, RASTER_FORMAT_ICO);
    ASSERT_EQ(f.size(), 766u);
    EXPECT_EQ(rasterbytes::Get16(&f[0]), 0);
    EXPECT_EQ(rasterbytes::Get16(&f[2]), 1);
    EXPECT_EQ(rasterbytes::Get16(&f[4]), 1);
    EXPECT_EQ(f[6], 32);
    EXPECT_EQ(f[7], 32);
    EXPECT_EQ(f[8], 16);
    EXPECT_EQ(rasterbytes::Get16(&f[10]), 0);
    EXPECT_EQ(rasterbytes::Get16(&f[12]), 4);
    EXPECT_EQ(rasterbytes::Get32(&f[14]), 744u);
    EXPECT_EQ(rasterbytes::Get32(&f[18]), 22u);
    RASTERINFOHEADER bih = rasterbytes::ReadInfoHeader(&f[22]);
    EXPECT_EQ(bih.biHeight, 64);
    EXPECT_EQ(bih.biBitCount, 4);
    EXPECT_EQ(bih.biSizeImage, 512u);

    CRaster back;
    ASSERT_TRUE(DecodeIco(back, f)) << back.GetLastError();
    EXPECT_EQ(back.GetType(), RASTER_FORMAT_ICO);
    EXPECT_EQ(TopDownIndices(back), TopDownIndices(img));
    EXPECT_TRUE(back.IsSamePalette(img, false));
    EXPECT_FALSE(back.IsTransparent());
    EXPECT_FALSE(back.AlphaIsValid());
}

TEST(RasterICO, TransparencyRoundTrips)
{
    for (uint32_t bpp : {1u, 4u, 8u, 24u}) {
        CRaster img = Transparent(bpp);
        CRaster back;
        ASSERT_TRUE(DecodeIco(back, EncodeAs(img, RASTER_FORMAT_ICO))) << bpp;
        EXPECT_EQ(back.GetBpp(), bpp);
        EXPECT_EQ(CompareRgba(back, RgbaOf(img)), "") << bpp;
    }
    // An alpha channel is written as 32-bit pixels and read back whole.
    CRaster rgba = MakePattern(15, 6, 24);
    rgba.AlphaCreate();
    for (int y = 0; y < 6; ++y)
        for (int x = 0; x < 15; ++x)
            rgba.AlphaSet(x, y, static_cast<uint8_t>((x * 17 + y * 40) % 256));
    std::vector<uint8_t> f = EncodeAs(rgba, RASTER_FORMAT_ICO);
    EXPECT_EQ(rasterbytes::Get16(&f[12]), 32);
    CRaster back;
    ASSERT_TRUE(DecodeIco(back, f));
    ASSERT_TRUE(back.AlphaIsValid());
    EXPECT_EQ(ComparePixels(back, rgba), "");
    for (int y = 0; y < 6; ++y)
        for (int x = 0; x < 15; ++x)
            EXPECT_EQ(back.AlphaGet(x, y), rgba.AlphaGet(x, y)) << x << "," << y;
}

TEST(RasterICO, MasksBecomeTransparency)
{
    // Frame 2 of three images is the third entry; frame 3 does not exist.
    auto byFrame = [](uint32_t n) { return PaletteIcon(4 + n, 3, 4, [n](uint32_t, uint32_t) { return n + 1; }); };
    std::vector<uint8_t> three = IcoFile({byFrame(0), byFrame(1), byFrame(2)});
    CRaster third;
    ASSERT_TRUE(DecodeIco(third, three, 2));
    EXPECT_EQ(third.GetWidth(), 6u);
    EXPECT_EQ(third.GetPixelIndex(0, 0), 3);
    EXPECT_EQ(third.GetNumFrames(), 3);
    CRaster none;
    EXPECT_FALSE(DecodeIco(none, three, 3));
    EXPECT_EQ(none.GetNumFrames(), 3);

    // 16 colours, index 15 unused, some pixels masked: index 15 marks them, no alpha channel.
    IcoImage sixteen = PaletteIcon(8, 4, 4, [](uint32_t x, uint32_t y) { return (x + 8 * y) % 15; });
    SetMaskBit(sixteen, 1, 0);
    SetMaskBit(sixteen, 6, 3);
    CRaster a;
    ASSERT_TRUE(DecodeIco(a, IcoFile({sixteen})));
    EXPECT_EQ(a.GetTransIndex(), 15);
    EXPECT_FALSE(a.AlphaIsValid());
    EXPECT_EQ(a.GetPixelIndex(1, 0), 15);
    EXPECT_EQ(a.GetPixelIndex(6, 3), 15);
    EXPECT_EQ(a.GetPixelIndex(2, 1), 10);

    // 24 bits, every masked pixel black: black is the transparent colour, no alpha channel.
    IcoImage rgb{5, 2, 24, {}, std::vector<uint8_t>(RowBytes(5, 24) * 2, 90), std::vector<uint8_t>(8, 0)};
    for (uint32_t x : {0u, 3u}) {
        std::fill_n(rgb.xorData.begin() + x * 3, 3, 0);
        SetMaskBit(rgb, x, 0);
    }
    CRaster b;
    ASSERT_TRUE(DecodeIco(b, IcoFile({rgb})));
    EXPECT_TRUE(b.IsTransparent());
    EXPECT_TRUE(SameColor(b.GetTransColor(), RGBQUAD{0, 0, 0, 0}));
    EXPECT_FALSE(b.AlphaIsValid());
    // Masked pixels of two colours keep the alpha channel instead; so does a masked colour that opaque pixels
    // show too.
    for (int variant = 0; variant < 2; ++variant) {
        IcoImage other = rgb;
        if (variant == 0)
            other.xorData[0] = 1;
        else
            std::fill_n(other.xorData.begin() + 6, 3, 0);
        CRaster c;
        ASSERT_TRUE(DecodeIco(c, IcoFile({other})));
        EXPECT_FALSE(c.IsTransparent()) << variant;
        ASSERT_TRUE(c.AlphaIsValid());
        EXPECT_EQ(c.AlphaGet(0, 0), 0);
        EXPECT_EQ(c.AlphaGet(2, 0), 255);
    }

    // 32 bits, 15 pixels wide: rows lie at width × 4 bytes each.
    IcoImage wide{15, 3, 32, {}, {}, std::vector<uint8_t>(12, 0)};
    for (uint32_t i = 0; i < 45; ++i)
        wide.xorData.insert(wide.xorData.end(), {static_cast<uint8_t>(i), 1, 2, static_cast<uint8_t>(200 + i % 50)});
    CRaster d;
    ASSERT_TRUE(DecodeIco(d, IcoFile({wide})));
    EXPECT_EQ(d.GetPixelColor(14, 2, false).rgbBlue, 44);
    EXPECT_EQ(d.GetPixelColor(0, 1, false).rgbBlue, 15);
    EXPECT_EQ(d.AlphaGet(14, 2), 244);
    // Fourth bytes all zero: the mask alone decides.
    for (size_t i = 3; i < wide.xorData.size(); i += 4)
        wide.xorData[i] = 0;
    SetMaskBit(wide, 2, 1);
    CRaster z;
    ASSERT_TRUE(DecodeIco(z, IcoFile({wide})));
    EXPECT_EQ(z.AlphaGet(2, 1), 0);
    EXPECT_EQ(z.AlphaGet(3, 1), 255);

    // A mask of all ones: transparent index 0 and the colours inverted.
    IcoImage full = PaletteIcon(8, 2, 1, [](uint32_t x, uint32_t) { return x & 1; });
    std::fill(full.mask.begin(), full.mask.end(), 0xFF);
    CRaster e;
    ASSERT_TRUE(DecodeIco(e, IcoFile({full})));
    EXPECT_EQ(e.GetTransIndex(), 0);
    EXPECT_EQ(e.GetPaletteColor(0).rgbBlue, 0); // was 255

    // A colour table shorter than the depth: the pixels follow it at once.
    IcoImage shortTable = PaletteIcon(4, 1, 8, [](uint32_t x, uint32_t) { return x; });
    shortTable.palette.resize(4 * 4);
    shortTable.clrUsed = 4;
    CRaster f;
    ASSERT_TRUE(DecodeIco(f, IcoFile({shortTable})));
    EXPECT_EQ(TopDownIndices(f), (std::vector<uint8_t>{0, 1, 2, 3}));
    EXPECT_EQ(f.GetPaletteColor(3).rgbRed, 3);
}

TEST(RasterICO, FailureTexts)
{
    IcoImage one = PaletteIcon(4, 4, 4, [](uint32_t, uint32_t) { return 1; });
    std::vector<uint8_t> good = IcoFile({one});
    auto with = [&](size_t at, uint8_t value) {
        std::vector<uint8_t> f = good;
        f[at] = value;
        return f;
    };
    std::vector<uint8_t> past = good;
    rasterbytes::Put32(&past[18], 5000);
    struct Case {
        std::vector<uint8_t> bytes;
        int32_t frame;
        const char* text;
    } cases[] = {
        {{0, 0, 1}, 0, "Not an ICO"},
        {with(0, 1), 0, "Not an ICO"},
        {with(2, 3), 0, "Not an ICO"},
        {std::vector<uint8_t>(good.begin(), good.begin() + 12), 0, "Corrupted ICO"},
        {good, 1, "ICO frame not found"},
        {good, -1, "ICO frame not found"},
        {with(6, 0), 0, "Unsupported ICO size"},
        {with(7, 0), 0, "Unsupported ICO size"},
        {past, 0, "Corrupted ICO"},
        {with(22 + 14, 16), 0, "Unsupported ICO bit count"},
        {with(22 + 14, 2), 0, "Unsupported ICO bit count"},
    };
    for (const Case& c : cases) {
        CRaster img;
        EXPECT_FALSE(DecodeIco(img, c.bytes, c.frame)) << c.text;
        EXPECT_STREQ(img.GetLastError(), c.text);
        EXPECT_FALSE(img.IsValid());
    }
    // Cut inside the pixels: what is missing stays zero.
    CRaster cut;
    std::vector<uint8_t> shortFile(good.begin(), good.end() - 30);
    rasterbytes::Put32(&shortFile[14], 40);
    ASSERT_TRUE(DecodeIco(cut, shortFile));
    EXPECT_EQ(cut.GetPixelIndex(0, 0), 1);
    EXPECT_EQ(cut.GetPixelIndex(3, 3), 0);

    CRaster big = MakePattern(256, 2, 8);
    uint8_t* buf = nullptr;
    int32_t size = 0;
    EXPECT_FALSE(big.Encode(buf, size, RASTER_FORMAT_ICO));
    EXPECT_STREQ(big.GetLastError(), "Can't save this image as icon");
}

TEST(RasterICO, EncoderChecksItsWrites)
{
    CRaster four = MakePattern(32, 32, 4), rgba = MakePattern(5, 3, 24);
    ASSERT_TRUE(rgba.AlphaCreate());
    rgba.AlphaSet(1, 1, 0);
    for (CRaster* img : {&four, &rgba}) {
        auto write = [&](CRasterFile* f) { return img->Encode(f, RASTER_FORMAT_ICO); };
        EXPECT_EQ(EveryShortWriteFails(write, *img, "write error"), "") << img->GetBpp();
    }
}

TEST(RasterICO, ToolsReadOurs)
{
    const bool magick = HaveTool("/usr/bin/convert"), netpbm = HaveTool("/usr/bin/winicontopam");
    if (!magick && !netpbm)
        GTEST_SKIP() << "neither ImageMagick nor netpbm installed";
    std::vector<CRaster> images;
    for (uint32_t bpp : {1u, 4u, 8u, 24u})
        images.push_back(Transparent(bpp));
    images.push_back(MakePattern(16, 16, 8));
    for (CRaster& img : images) {
        std::string ico = Temp("ours.ico"), out = Temp("ours.pam");
        ASSERT_TRUE(img.Save(ico.c_str(), RASTER_FORMAT_ICO));
        std::vector<std::string> cmds;
        if (magick)
            cmds.push_back("/usr/bin/convert " + ico + " -depth 8 pam:" + out);
        if (netpbm)
            cmds.push_back("/usr/bin/winicontopam " + ico + " > " + out);
        for (const std::string& cmd : cmds) {
            ASSERT_TRUE(RunTool(cmd)) << cmd;
            Rgba ref;
            ASSERT_TRUE(ParsePam(ReadBytes(out), ref)) << cmd;
            EXPECT_EQ(CompareRgba(img, ref), "") << cmd << " bpp " << img.GetBpp();
        }
        std::remove(ico.c_str());
        std::remove(out.c_str());
    }
}

TEST(RasterICO, ToolsWriteIconsWeRead)
{
    const bool magick = HaveTool("/usr/bin/convert"), netpbm = HaveTool("/usr/bin/pamtowinicon");
    if (!magick && !netpbm)
        GTEST_SKIP() << "neither ImageMagick nor netpbm installed";
    // Pictures of 2, 12, 200 and more colours with a masked diagonal band.
    for (int colors : {2, 12, 200, 300}) {
        Rgb map = MapPicture(21, 13, std::min(colors, 256));
        Rgba ref;
        ref.w = map.w;
        ref.h = map.h;
        for (int i = 0; i < map.w * map.h; ++i) {
            int x = i % map.w, y = i / map.w;
            bool clear = std::abs(x - y) < 2;
            const uint8_t* p = &map.px[static_cast<size_t>(i) * 3];
            uint8_t extra = colors > 256 ? static_cast<uint8_t>(x) : 0;
            ref.px.insert(ref.px.end(),
                          {p[0], static_cast<uint8_t>(p[1] ^ extra), p[2], static_cast<uint8_t>(clear ? 0 : 255)});
        }
        std::string pam = Temp("in.pam"), ico = Temp("tool.ico");
        WriteBytes(pam, MakePam(ref));
        std::vector<std::string> cmds;
        if (magick)
            cmds.push_back("/usr/bin/convert " + pam + " " + ico);
        if (netpbm)
            cmds.push_back("/usr/bin/pamtowinicon " + pam + " > " + ico);
        for (const std::string& cmd : cmds) {
            ASSERT_TRUE(RunTool(cmd)) << cmd;
            CRaster img;
            ASSERT_TRUE(img.Load(ico.c_str(), RASTER_FORMAT_ICO)) << cmd << ": " << img.GetLastError();
            EXPECT_EQ(CompareRgba(img, ref), "") << cmd << " colours " << colors;
        }
        std::remove(pam.c_str());
        std::remove(ico.c_str());
    }
}
