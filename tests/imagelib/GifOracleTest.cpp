// GIF codec against independent coders: giflib and stb_image in-process, ImageMagick and netpbm programs.
#include "GifTestUtil.h"
#include "OracleUtil.h"

#include <gtest/gtest.h>

#include <gif_lib.h>

#include <cstdio>
#include <cstring>
#include <unistd.h>

using namespace rastertest;

namespace {

struct GiflibImage {
    int l = 0, t = 0, w = 0, h = 0;
    bool interlace = false;
    std::vector<uint8_t> px; // top row first
    std::vector<rgb_color> map;
    int trans = -1;
};

struct GiflibFile {
    int w = 0, h = 0;
    std::vector<rgb_color> global;
    std::vector<GiflibImage> images;
};

std::vector<rgb_color> FromMap(const ColorMapObject* m)
{
    std::vector<rgb_color> out;
    if (m)
        for (int i = 0; i < m->ColorCount; ++i)
            out.push_back(rgb_color{m->Colors[i].Red, m->Colors[i].Green, m->Colors[i].Blue});
    return out;
}

ColorMapObject* ToMap(const std::vector<rgb_color>& c)
{
    if (c.empty())
        return nullptr;
    int n = 2;
    while (n < static_cast<int>(c.size()))
        n *= 2;
    std::vector<GifColorType> colors(static_cast<size_t>(n), GifColorType{0, 0, 0});
    for (size_t i = 0; i < c.size(); ++i)
        colors[i] = GifColorType{c[i].r, c[i].g, c[i].b};
    return GifMakeMapObject(n, colors.data());
}

bool GiflibDecode(const std::vector<uint8_t>& bytes, GiflibFile& out)
{
    struct Src {
        const std::vector<uint8_t>* b;
        size_t pos;
    } src{&bytes, 0};
    InputFunc read = [](GifFileType* g, GifByteType* buf, int n) -> int {
        Src* s = static_cast<Src*>(g->UserData);
        size_t k = std::min(static_cast<size_t>(n), s->b->size() - s->pos);
        std::memcpy(buf, s->b->data() + s->pos, k);
        s->pos += k;
        return static_cast<int>(k);
    };
    int err = 0;
    GifFileType* g = DGifOpen(&src, read, &err);
    if (!g)
        return false;
    bool ok = DGifSlurp(g) == GIF_OK;
    if (ok) {
        out.w = g->SWidth;
        out.h = g->SHeight;
        out.global = FromMap(g->SColorMap);
        for (int i = 0; i < g->ImageCount; ++i) {
            const SavedImage& s = g->SavedImages[i];
            GiflibImage img;
            img.l = s.ImageDesc.Left;
            img.t = s.ImageDesc.Top;
            img.w = s.ImageDesc.Width;
            img.h = s.ImageDesc.Height;
            img.px.assign(s.RasterBits, s.RasterBits + static_cast<size_t>(img.w) * img.h);
            img.map = FromMap(s.ImageDesc.ColorMap);
            GraphicsControlBlock gcb;
            if (DGifSavedExtensionToGCB(g, i, &gcb) == GIF_OK)
                img.trans = gcb.TransparentColor;
            out.images.push_back(img);
        }
    }
    DGifCloseFile(g, &err);
    return ok;
}

std::vector<uint8_t> GiflibEncode(const GiflibFile& f)
{
    std::vector<uint8_t> out;
    OutputFunc write = [](GifFileType* g, const GifByteType* b, int n) -> int {
        static_cast<std::vector<uint8_t>*>(g->UserData)
            ->insert(static_cast<std::vector<uint8_t>*>(g->UserData)->end(), b, b + n);
        return n;
    };
    int err = 0;
    GifFileType* g = EGifOpen(&out, write, &err);
    EGifSetGifVersion(g, true);
    ColorMapObject* gm = ToMap(f.global);
    EGifPutScreenDesc(g, f.w, f.h, 8, 0, gm);
    for (const GiflibImage& im : f.images) {
        if (im.trans >= 0) {
            GraphicsControlBlock gcb{DISPOSAL_UNSPECIFIED, false, 0, im.trans};
            GifByteType ext[4];
            EGifGCBToExtension(&gcb, ext);
            EGifPutExtension(g, GRAPHICS_EXT_FUNC_CODE, 4, ext);
        }
        ColorMapObject* lm = ToMap(im.map);
        EGifPutImageDesc(g, im.l, im.t, im.w, im.h, im.interlace, lm);
        std::vector<int> rows;
        if (im.interlace) {
            for (auto [start, step] : {std::pair{0, 8}, {4, 8}, {2, 4}, {1, 2}})
                for (int r = start; r < im.h; r += step)
                    rows.push_back(r);
        } else {
            for (int r = 0; r < im.h; ++r)
                rows.push_back(r);
        }
        for (int r : rows) {
            std::vector<GifPixelType> line(im.px.begin() + r * im.w, im.px.begin() + (r + 1) * im.w);
            EGifPutLine(g, line.data(), im.w);
        }
        GifFreeMapObject(lm);
    }
    EGifCloseFile(g, &err);
    GifFreeMapObject(gm);
    return out;
}

std::vector<uint8_t> Noise(size_t n, uint32_t colors, uint32_t seed)
{
    std::vector<uint8_t> v(n);
    for (uint8_t& x : v) {
        seed = seed * 1103515245u + 12345u;
        x = static_cast<uint8_t>((seed >> 16) % colors);
    }
    return v;
}

// A map-like plane: flat areas, a few lines.
std::vector<uint8_t> MapPlane(int w, int h, uint32_t colors)
{
    std::vector<uint8_t> v(static_cast<size_t>(w) * h);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            v[static_cast<size_t>(y) * w + x] = static_cast<uint8_t>(
                (x % 50 < 2 || y % 37 < 2) ? colors - 1 : ((x / 23) * 3 + (y / 19) * 5) % (colors - 1));
    return v;
}

CRaster ImageOf(int w, int h, uint32_t bpp, const std::vector<uint8_t>& px, const std::vector<rgb_color>& pal)
{
    CRaster img(static_cast<uint32_t>(w), static_cast<uint32_t>(h), bpp, RASTER_FORMAT_GIF);
    img.SetPalette(pal.data(), static_cast<uint32_t>(pal.size()));
    for (size_t i = 0; i < px.size(); ++i)
        img.SetPixelIndex(static_cast<int>(i % w), static_cast<int>(h - 1 - i / w), px[i]);
    return img;
}

std::vector<rgb_color> PaletteOf(CRaster& img)
{
    std::vector<rgb_color> out;
    for (uint32_t i = 0; i < img.GetNumColors(); ++i) {
        RGBQUAD c = img.GetPaletteColor(static_cast<uint8_t>(i));
        out.push_back(rgb_color{c.rgbRed, c.rgbGreen, c.rgbBlue});
    }
    return out;
}

bool SameColors(const std::vector<rgb_color>& a, const std::vector<rgb_color>& b)
{
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](rgb_color x, rgb_color y) {
               return x.r == y.r && x.g == y.g && x.b == y.b;
           });
}

size_t DataBytes(const std::vector<uint8_t>& f)
{
    // Bytes of image data: everything after the first image descriptor's code size byte, less sub-block lengths.
    size_t at = 13 + ((f[10] & 0x80) ? 3u << ((f[10] & 7) + 1) : 0);
    while (at < f.size() && f[at] != 0x2C) {
        at += 2;
        while (at < f.size() && f[at])
            at += f[at] + 1u;
        ++at;
    }
    at += 10 + ((f[at + 9] & 0x80) ? 3u << ((f[at + 9] & 7) + 1) : 0) + 1;
    size_t n = 0;
    while (at < f.size() && f[at]) {
        n += f[at];
        at += f[at] + 1u;
    }
    return n;
}

// Every frame of a file as ImageMagick composes them; with `complains` the frames it writes while it also reports
// an error are taken too.
std::vector<Rgba> MagickFrames(const std::vector<uint8_t>& gif, bool complains = false)
{
    std::vector<Rgba> out;
    const std::string in = Temp("frames.gif");
    WriteBytes(in, gif);
    if (RunTool("/usr/bin/convert " + in + " -coalesce +adjoin -depth 8 " + Temp("frame-%d.pam")) || complains)
        for (int i = 0;; ++i) {
            const std::string f = Temp("frame-" + std::to_string(i) + ".pam");
            Rgba frame;
            if (access(f.c_str(), R_OK) != 0 || !ParsePam(ReadBytes(f), frame))
                break;
            out.push_back(frame);
            std::remove(f.c_str());
        }
    std::remove(in.c_str());
    return out;
}

#ifdef ZR_HAVE_STB
// Every frame of a file as stb_image composes them.
std::vector<Rgba> StbFrames(const std::vector<uint8_t>& gif)
{
    std::vector<Rgba> out;
    int* delays = nullptr;
    int w = 0, h = 0, n = 0, comp = 0;
    uint8_t* p = stbi_load_gif_from_memory(gif.data(), static_cast<int>(gif.size()), &delays, &w, &h, &n, &comp, 4);
    if (!p)
        return out;
    const size_t bytes = static_cast<size_t>(w) * h * 4;
    for (int i = 0; i < n; ++i) {
        Rgba frame;
        frame.w = w;
        frame.h = h;
        frame.px.assign(p + bytes * i, p + bytes * (i + 1));
        out.push_back(frame);
    }
    stbi_image_free(p);
    stbi_image_free(delays);
    return out;
}
#endif

} // namespace

TEST(GifOracle, GiflibReadsEveryModeAndDepth)
{
    struct Plane {
        int w, h;
        bool noise;
    } planes[] = {{7, 5, true}, {300, 90, true}, {128, 96, false}};
    for (uint32_t mode : {RASTER_GIF_LZW, RASTER_GIF_NONE, RASTER_GIF_RLE})
        for (uint32_t bpp : {1u, 4u, 8u})
            for (const Plane& p : planes) {
                uint32_t colors = 1u << bpp;
                std::vector<uint8_t> px =
                    p.noise ? Noise(static_cast<size_t>(p.w) * p.h, colors, 5) : MapPlane(p.w, p.h, colors);
                CRaster img = ImageOf(p.w, p.h, bpp, px, TestColors(colors));
                img.SetCodecOption(mode, RASTER_FORMAT_GIF);
                GiflibFile g;
                ASSERT_TRUE(GiflibDecode(EncodeAs(img, RASTER_FORMAT_GIF), g)) << mode << " " << bpp;
                ASSERT_EQ(g.images.size(), 1u);
                EXPECT_EQ(g.images[0].px, px) << "mode " << mode << " bpp " << bpp << " " << p.w << "x" << p.h;
                EXPECT_TRUE(SameColors(g.global, TestColors(colors)));
            }
}

TEST(GifOracle, GiflibReadsAnimationsAndMosaics)
{
    CRaster a = ImageOf(6, 4, 8, Noise(24, 256, 1), TestColors(256));
    CRaster b = ImageOf(3, 2, 4, Noise(6, 16, 2), TestColors(16));
    b.SetOffset(2, 1);
    b.SetTransIndex(5);
    CRaster* frames[] = {&a, &b};
    CRasterGIF writer;
    CRasterMemFile mf;
    mf.Open();
    ASSERT_TRUE(writer.Encode(&mf, frames, 2));
    GiflibFile g;
    ASSERT_TRUE(GiflibDecode(std::vector<uint8_t>(mf.GetBuffer(false), mf.GetBuffer(false) + mf.Size()), g));
    ASSERT_EQ(g.images.size(), 2u);
    EXPECT_EQ(g.images[0].px, TopDownIndices(a));
    EXPECT_EQ(g.images[1].px, TopDownIndices(b));
    EXPECT_EQ(g.images[1].l, 2);
    EXPECT_EQ(g.images[1].t, 1);
    EXPECT_EQ(g.images[1].trans, 5);
    EXPECT_TRUE(SameColors(g.images[1].map, TestColors(16)));

    // The tiles of a true-colour picture, laid out by their offsets, give the picture back.
    CRaster rgb = MakePattern(40, 33, 24);
    GiflibFile m;
    ASSERT_TRUE(GiflibDecode(EncodeAs(rgb, RASTER_FORMAT_GIF), m));
    Rgb out;
    out.w = m.w;
    out.h = m.h;
    out.px.assign(static_cast<size_t>(m.w) * m.h * 3, 0);
    for (const GiflibImage& t : m.images)
        for (int y = 0; y < t.h; ++y)
            for (int x = 0; x < t.w; ++x) {
                rgb_color c = t.map[t.px[static_cast<size_t>(y) * t.w + x]];
                uint8_t* p = &out.px[(static_cast<size_t>(t.t + y) * m.w + t.l + x) * 3];
                p[0] = c.r;
                p[1] = c.g;
                p[2] = c.b;
            }
    EXPECT_EQ(m.images.size(), 9u);
    EXPECT_EQ(Compare(rgb, out), "");
}

TEST(GifOracle, WeReadGiflibFiles)
{
    struct Case {
        uint32_t colors;
        bool interlace, local, transparent;
        int w, h;
    } cases[] = {{2, false, false, false, 13, 7},   {16, true, false, false, 9, 9},
                 {256, false, true, false, 40, 30}, {256, true, false, true, 33, 21},
                 {4, true, true, true, 5, 2},       {256, false, false, false, 200, 150}};
    for (const Case& c : cases) {
        GiflibFile f;
        f.w = c.w;
        f.h = c.h;
        GiflibImage im;
        im.w = c.w;
        im.h = c.h;
        im.interlace = c.interlace;
        im.px = c.w == 200 ? Noise(static_cast<size_t>(c.w) * c.h, c.colors, 9) : MapPlane(c.w, c.h, c.colors);
        (c.local ? im.map : f.global) = TestColors(c.colors);
        if (c.transparent)
            im.trans = 1;
        f.images.push_back(im);
        std::vector<uint8_t> bytes = GiflibEncode(f);
        CRasterGIF gif;
        ASSERT_TRUE(DecodeGif(gif, bytes)) << c.colors;
        EXPECT_EQ(TopDownIndices(gif), im.px) << c.colors << (c.interlace ? " interlaced" : "");
        EXPECT_EQ(gif.GetTransIndex(), c.transparent ? 1 : -1);
        std::vector<rgb_color> pal = PaletteOf(gif);
        pal.resize(c.colors);
        EXPECT_TRUE(SameColors(pal, TestColors(c.colors))) << c.colors;
    }

    // Two frames: the second overlays a rectangle.
    GiflibFile f;
    f.w = 8;
    f.h = 6;
    f.global = TestColors(16);
    GiflibImage first{0, 0, 8, 6, false, MapPlane(8, 6, 16), {}, -1};
    GiflibImage second{3, 2, 4, 3, true, Noise(12, 16, 4), {}, -1};
    f.images = {first, second};
    CRasterGIF gif;
    gif.SetFrame(1);
    ASSERT_TRUE(DecodeGif(gif, GiflibEncode(f)));
    std::vector<uint8_t> want = first.px;
    for (int y = 0; y < 3; ++y)
        for (int x = 0; x < 4; ++x)
            want[static_cast<size_t>(2 + y) * 8 + 3 + x] = second.px[static_cast<size_t>(y) * 4 + x];
    EXPECT_EQ(TopDownIndices(gif), want);
}

TEST(GifOracle, LzwSizeMatchesGiflib)
{
    struct Case {
        int w, h;
        bool noise;
    } cases[] = {{256, 256, false}, {512, 384, false}, {128, 128, true}};
    for (const Case& c : cases) {
        std::vector<uint8_t> px = c.noise ? Noise(static_cast<size_t>(c.w) * c.h, 256, 3) : MapPlane(c.w, c.h, 256);
        CRaster img = ImageOf(c.w, c.h, 8, px, TestColors(256));
        size_t ours = DataBytes(EncodeAs(img, RASTER_FORMAT_GIF));
        GiflibFile f;
        f.w = c.w;
        f.h = c.h;
        f.global = TestColors(256);
        f.images.push_back(GiflibImage{0, 0, c.w, c.h, false, px, {}, -1});
        size_t theirs = DataBytes(GiflibEncode(f));
        EXPECT_NEAR(static_cast<double>(ours), static_cast<double>(theirs), theirs * 0.03) << c.w << "x" << c.h;
    }
}

TEST(GifOracle, StbReadsOurs)
{
#ifndef ZR_HAVE_STB
    GTEST_SKIP() << "stb_image (libstb-dev) not installed";
#else
    for (uint32_t mode : {RASTER_GIF_LZW, RASTER_GIF_NONE, RASTER_GIF_RLE})
        for (uint32_t bpp : {1u, 4u, 8u}) {
            CRaster img = MakePattern(37, 19, bpp);
            img.SetCodecOption(mode, RASTER_FORMAT_GIF);
            Rgb ref = StbDecode(EncodeAs(img, RASTER_FORMAT_GIF));
            ASSERT_EQ(ref.w, 37) << mode << " " << bpp;
            EXPECT_EQ(Compare(img, ref), "") << mode << " " << bpp;
        }
#endif
}

// A tool writes a GIF of each map picture (the arguments with the palette size); we read it pixel-exact.
void ToolWritesFilesWeRead(const std::string& tool, const std::vector<std::pair<int, std::string>>& cases)
{
    for (const auto& [colors, args] : cases) {
        Rgb ref = MapPicture(53, 29, colors);
        std::string ppm = Temp("gif_in.ppm"), gif = Temp("gif_tool.gif");
        WriteBytes(ppm, MakePpm(ref));
        std::string cmd = tool == "convert" ? "/usr/bin/convert " + ppm + " " + args + " " + gif
                                            : "/usr/bin/pamtogif " + args + " " + ppm + " > " + gif;
        ASSERT_TRUE(RunTool(cmd)) << cmd;
        CRaster img;
        ASSERT_TRUE(img.Load(gif.c_str(), RASTER_FORMAT_GIF)) << cmd << ": " << img.GetLastError();
        EXPECT_EQ(Compare(img, ref), "") << cmd;
        std::remove(ppm.c_str());
        std::remove(gif.c_str());
    }
}

// A tool reads what we write (each depth, the modes at 8 bits; mosaics where the tool lays out frames).
void ToolReadsOurs(const std::string& tool)
{
    struct Case {
        uint32_t bpp, mode;
    } cases[] = {{1, RASTER_GIF_LZW},  {4, RASTER_GIF_LZW}, {8, RASTER_GIF_LZW},
                 {8, RASTER_GIF_NONE}, {8, RASTER_GIF_RLE}, {24, RASTER_GIF_LZW}};
    for (const Case& c : cases) {
        if (tool != "convert" && c.bpp == 24)
            continue;
        CRaster img = MakePattern(c.bpp == 24 ? 40 : 23, c.bpp == 24 ? 33 : 11, c.bpp);
        img.SetCodecOption(c.mode, RASTER_FORMAT_GIF);
        std::string gif = Temp("ours.gif"), out = Temp("ours.ppm");
        ASSERT_TRUE(img.Save(gif.c_str(), RASTER_FORMAT_GIF));
        std::string cmd = tool == "convert" ? "/usr/bin/convert " + gif + (c.bpp == 24 ? " -layers flatten" : "") +
                                                  " -depth 8 ppm:" + out
                                            : "/usr/bin/giftopnm " + gif + " | /usr/bin/ppmtoppm > " + out;
        ASSERT_TRUE(RunTool(cmd)) << cmd;
        Rgb ref;
        ASSERT_TRUE(ParsePpm(ReadBytes(out), ref)) << cmd;
        EXPECT_EQ(Compare(img, ref), "") << cmd << " mode " << c.mode;
        std::remove(gif.c_str());
        std::remove(out.c_str());
    }
}

TEST(GifOracle, ImageMagickWritesFilesWeRead)
{
    if (!HaveTool("/usr/bin/convert"))
        GTEST_SKIP() << "ImageMagick not installed";
    ToolWritesFilesWeRead("convert", {{2, ""}, {256, "-interlace GIF"}});
    // An animation of two full frames with their own tables: frame 1 is the second picture.
    Rgb a = MapPicture(20, 10, 40), b = MapPicture(20, 10, 7);
    std::string pa = Temp("a.ppm"), pb = Temp("b.ppm"), gif = Temp("anim.gif");
    WriteBytes(pa, MakePpm(a));
    WriteBytes(pb, MakePpm(b));
    ASSERT_TRUE(RunTool("/usr/bin/convert " + pa + " " + pb + " " + gif));
    CRasterGIF img;
    img.SetFrame(1);
    CRasterIOFile file;
    ASSERT_TRUE(file.Open(gif.c_str(), "rb"));
    ASSERT_TRUE(img.Decode(&file));
    EXPECT_EQ(img.GetNumFrames(), 2);
    EXPECT_EQ(Compare(img, b), "");
    for (const std::string& p : {pa, pb, gif})
        std::remove(p.c_str());
}

TEST(GifOracle, NetpbmWritesFilesWeRead)
{
    if (!HaveTool("/usr/bin/pamtogif"))
        GTEST_SKIP() << "netpbm not installed";
    ToolWritesFilesWeRead("netpbm", {{2, ""}, {12, "-interlace"}, {256, "-interlace"}});
}

TEST(GifOracle, ImageMagickReadsOurs)
{
    if (!HaveTool("/usr/bin/convert"))
        GTEST_SKIP() << "ImageMagick not installed";
    ToolReadsOurs("convert");
}

TEST(GifOracle, NetpbmReadsOurs)
{
    if (!HaveTool("/usr/bin/giftopnm") || !HaveTool("/usr/bin/ppmtoppm"))
        GTEST_SKIP() << "netpbm not installed";
    ToolReadsOurs("netpbm");
}

// Animations and screens the peers agree on, each frame composed as they compose it.
TEST(GifOracle, ComposedFramesMatchThePeers)
{
    if (!HaveTool("/usr/bin/convert"))
        GTEST_SKIP() << "ImageMagick not installed";
    const rgb_color white{255, 255, 255}, red{255, 0, 0}, blue{0, 0, 255}, green{0, 255, 0};
    const std::vector<rgb_color> four = {white, red, blue, green};
    // A later frame's own table must not recolour what earlier frames left.
    GifFile squares(40, 30, {white, red});
    squares.Image(0, 0, 40, 30, std::vector<uint8_t>(1200, 0), {}, false, 2);
    squares.Image(5, 5, 10, 10, std::vector<uint8_t>(100, 1), {}, false, 2);
    squares.Image(25, 15, 10, 10, std::vector<uint8_t>(100, 0), {blue, white}, false, 2);
    // The same with index 0 clear in the first frame, which leaves the screen's right half uncovered.
    GifFile clear(40, 30, {white, red});
    clear.Gce(1, 0, 0).Image(0, 0, 20, 30, Noise(600, 2, 3), {}, false, 2);
    clear.Image(15, 5, 20, 10, std::vector<uint8_t>(200, 1), {green, blue}, false, 2);
    // More colours than one palette holds: a second frame of 256 new colours over a first of 256.
    std::vector<rgb_color> others(256);
    for (uint32_t i = 0; i < 256; ++i)
        others[i] = rgb_color{static_cast<uint8_t>(i), static_cast<uint8_t>(i / 2), 7};
    GifFile many(32, 16, TestColors(256));
    many.Gce(1, 0, 255).Image(0, 0, 32, 16, Noise(512, 256, 4));
    many.Image(8, 4, 16, 8, Noise(128, 255, 5), others); // stb_image would keep 255 clear here too
    // A frame reaching past the screen is clipped to it.
    GifFile past(8, 8, four);
    past.Image(4, 2, 8, 9, Noise(72, 4, 6), {}, true, 2);
    // Without transparency the uncovered screen shows the background index, clamped to the table; with it, clear.
    GifFile background(8, 8, four);
    background.b.v[11] = 1;
    background.Gce(0, 0, 255).Image(2, 2, 4, 4, std::vector<uint8_t>(16, 2), {}, false, 2);
    GifFile beyond(8, 8, four);
    beyond.b.v[11] = 200;
    beyond.Image(2, 2, 4, 3, std::vector<uint8_t>(12, 2), {}, false, 2);
    GifFile transparent(8, 8, four);
    transparent.b.v[11] = 1;
    transparent.Gce(1, 0, 3).Image(2, 2, 4, 4, std::vector<uint8_t>(16, 2), {}, false, 2);
    // Disposal 0 to 3 in turn: 3 puts back what its frame covered (part of the frame before), and frames follow.
    // Index 3 is clear from the first frame on, so disposal 2 leaves the screen clear as ImageMagick does.
    GifFile disposals(8, 6, four);
    disposals.Gce((0 << 2) | 1, 0, 3).Image(0, 0, 8, 6, std::vector<uint8_t>(48, 0), {}, false, 2);
    disposals.Gce(1 << 2, 0, 0).Image(1, 1, 3, 3, std::vector<uint8_t>(9, 1), {}, false, 2);
    disposals.Gce(3 << 2, 0, 0).Image(2, 2, 4, 3, Noise(12, 4, 7), {}, false, 2);
    disposals.Gce(2 << 2, 0, 0).Image(5, 0, 3, 2, std::vector<uint8_t>(6, 3), {}, false, 2);
    disposals.Gce(3 << 2, 0, 0).Image(0, 3, 3, 3, std::vector<uint8_t>(9, 2), {}, false, 2);
    disposals.Gce(0 << 2, 0, 0).Image(6, 4, 2, 2, {3, 1, 1, 3}, {}, false, 2);
    // Disposal 3 over frames whose colours outgrow the picture's palette: the picture goes from 4 to 8 bits, or to
    // 24 bits with clear parts, between keeping an area and putting it back.
    std::vector<rgb_color> sixteen(others.begin(), others.begin() + 16);
    GifFile restoreWide(16, 8, TestColors(16));
    restoreWide.Image(0, 0, 16, 8, Noise(128, 16, 8), {}, false, 4);
    restoreWide.Gce(3 << 2, 0, 0).Image(2, 1, 8, 4, Noise(32, 16, 9), sixteen, false, 4);
    restoreWide.Image(0, 6, 4, 2, Noise(8, 16, 11), {}, false, 4);
    std::vector<uint8_t> holes = Noise(512, 256, 12);
    for (size_t i = 0; i < holes.size(); i += 3)
        holes[i] = 255;
    GifFile restoreDeep(32, 16, TestColors(256));
    restoreDeep.Gce(1, 0, 255).Image(0, 0, 32, 16, holes);
    restoreDeep.Gce(3 << 2, 0, 0).Image(4, 2, 16, 8, Noise(128, 255, 13), others);
    restoreDeep.Gce((3 << 2) | 1, 0, 5).Image(10, 6, 12, 8, Noise(96, 256, 14), others);
    restoreDeep.Image(0, 12, 8, 4, Noise(32, 256, 15));
    // A frame wholly beside the screen counts as a frame and draws nothing; the frames after it keep their numbers.
    GifFile offScreen(8, 6, four);
    offScreen.Image(0, 0, 8, 6, Noise(48, 4, 12), {}, false, 2);
    offScreen.Gce(2 << 2, 0, 0).Image(9, 0, 4, 4, std::vector<uint8_t>(16, 1), {}, false, 2);
    offScreen.Image(2, 2, 3, 3, std::vector<uint8_t>(9, 3), {}, false, 2);
    // ImageMagick's own animation: a frame put back by disposal 3, then frames left in place.
    std::vector<uint8_t> magickWritten;
    {
        const Rgb pictures[] = {MapPicture(20, 12, 9), MapPicture(8, 6, 5), MapPicture(5, 5, 3), MapPicture(4, 3, 7)};
        std::string cmd = "/usr/bin/convert +dither";
        const char* steps[] = {"-dispose none", "-dispose previous -page +6+3", "-dispose none -page +12+5",
                               "-dispose none -page +1+8"};
        for (int i = 0; i < 4; ++i) {
            const std::string ppm = Temp("step" + std::to_string(i) + ".ppm");
            WriteBytes(ppm, MakePpm(pictures[i]));
            cmd += std::string(" ") + steps[i] + " " + ppm;
        }
        const std::string gif = Temp("disposals.gif");
        ASSERT_TRUE(RunTool(cmd + " " + gif)) << cmd;
        magickWritten = ReadBytes(gif);
        std::remove(gif.c_str());
        for (int i = 0; i < 4; ++i)
            std::remove(Temp("step" + std::to_string(i) + ".ppm").c_str());
    }
    struct Case {
        const char* name;
        std::vector<uint8_t> bytes;
        bool stb; // stb_image refuses frames past the screen and paints the background index even under transparency
        bool magickComplains = false;
    } cases[] = {
        {"local table", squares.End(), true},
        {"clear parts", clear.End(), true},
        {"too many colours", many.End(), true},
        {"past the screen", past.End(), false},
        {"background index", background.End(), false},
        {"background beyond the table", beyond.End(), false},
        {"transparent", transparent.End(), false},
        // stb_image puts back the wrong picture for disposal 3; ImageMagick composes an off-screen frame while it
        // reports it as an error.
        {"every disposal", disposals.End(), false},
        {"ImageMagick's disposals", magickWritten, false},
        {"restore over a wider picture", restoreWide.End(), false},
        {"restore over a deeper picture", restoreDeep.End(), false},
        {"frame off the screen", offScreen.End(), false, true},
    };
    for (const Case& c : cases) {
        std::vector<Rgba> magick = MagickFrames(c.bytes, c.magickComplains);
        ASSERT_FALSE(magick.empty()) << c.name;
#ifdef ZR_HAVE_STB
        std::vector<Rgba> stb = c.stb ? StbFrames(c.bytes) : std::vector<Rgba>{};
        if (c.stb) {
            ASSERT_EQ(stb.size(), magick.size()) << c.name;
        }
#endif
        GiflibFile slurped;
        if (GiflibDecode(c.bytes, slurped)) {
            EXPECT_EQ(slurped.images.size(), magick.size()) << c.name << " (giflib)";
        }
        for (size_t n = 0; n < magick.size(); ++n) {
            CRasterGIF gif;
            gif.SetFrame(static_cast<int32_t>(n));
            if (!DecodeGif(gif, c.bytes)) {
                ADD_FAILURE() << c.name << ": " << gif.GetLastError();
                continue;
            }
            EXPECT_EQ(gif.GetNumFrames(), static_cast<int32_t>(magick.size())) << c.name;
            EXPECT_EQ(CompareRgba(gif, magick[n]), "") << c.name << " frame " << n << " (ImageMagick)";
#ifdef ZR_HAVE_STB
            if (c.stb) {
                EXPECT_EQ(CompareRgba(gif, stb[n]), "") << c.name << " frame " << n << " (stb_image)";
            }
#endif
        }
    }
}
