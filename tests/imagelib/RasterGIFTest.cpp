// Tests of the GIF codec: round trips in every mode, file layout, animations, mosaics, interlace and hostile data.
#include "GifTestUtil.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <unistd.h>

using namespace rastertest;

namespace {

// Deterministic noise of indices below n.
std::vector<uint8_t> Noise(size_t count, uint32_t n, uint32_t seed = 1)
{
    std::vector<uint8_t> v(count);
    for (uint8_t& x : v) {
        seed = seed * 1103515245u + 12345u;
        x = static_cast<uint8_t>((seed >> 16) % n);
    }
    return v;
}

// An image of the depth whose indices (top row first) are `px`.
CRaster IndexImage(uint32_t w, uint32_t h, uint32_t bpp, const std::vector<uint8_t>& px)
{
    CRaster img = MakePattern(w, h, bpp);
    for (uint32_t i = 0; i < px.size(); ++i)
        img.SetPixelIndex(static_cast<int>(i % w), static_cast<int>(h - 1 - i / w), px[i]);
    return img;
}

// Offset of the first image descriptor in a file this codec wrote for one palette picture.
size_t BodyOffset(const std::vector<uint8_t>& f)
{
    size_t at = 13 + ((f[10] & 0x80) ? 3u << ((f[10] & 7) + 1) : 0);
    while (at < f.size() && f[at] == 0x21) {
        at += 2;
        while (at < f.size() && f[at])
            at += f[at] + 1u;
        ++at;
    }
    return at;
}

} // namespace

TEST(RasterGIF, RoundTripsInEveryModeAndDepth)
{
    struct Size {
        uint32_t w, h;
    } sizes[] = {{1, 1}, {7, 5}, {33, 17}, {300, 90}};
    for (uint32_t mode : {RASTER_GIF_LZW, RASTER_GIF_NONE, RASTER_GIF_RLE})
        for (uint32_t bpp : {1u, 4u, 8u})
            for (const Size& s : sizes) {
                // Noise for the big one fills the table and forces clears; runs exercise the run-length paths.
                std::vector<uint8_t> px = Noise(static_cast<size_t>(s.w) * s.h, 1u << bpp);
                if (s.w == 33)
                    for (size_t i = 0; i < px.size(); ++i)
                        px[i] = static_cast<uint8_t>((i / 40) % (1u << bpp));
                CRaster img = IndexImage(s.w, s.h, bpp, px);
                img.SetCodecOption(mode, RASTER_FORMAT_GIF);
                std::vector<uint8_t> bytes = EncodeAs(img, RASTER_FORMAT_GIF);
                CRasterGIF back;
                ASSERT_TRUE(DecodeGif(back, bytes)) << back.GetLastError();
                EXPECT_EQ(back.GetBpp(), bpp);
                EXPECT_EQ(TopDownIndices(back), px) << "mode " << mode << " bpp " << bpp << " " << s.w << "x" << s.h;
                EXPECT_TRUE(back.IsSamePalette(img, false));
                EXPECT_EQ(back.GetNumFrames(), 1);
            }
}

TEST(RasterGIF, LzwWritesTheLongestStringsItKnows)
{
    // Noise fills the table and clears it again and again; flat areas make long strings; every depth.
    struct Case {
        uint32_t w, h, bpp;
        bool noise;
    } cases[] = {{300, 200, 8, true}, {256, 256, 8, false}, {97, 61, 4, true}, {120, 80, 1, false}};
    for (const Case& c : cases) {
        std::vector<uint8_t> px = Noise(static_cast<size_t>(c.w) * c.h, 1u << c.bpp, 11);
        if (!c.noise)
            for (size_t i = 0; i < px.size(); ++i)
                px[i] = static_cast<uint8_t>((i % c.w / 40 + i / c.w / 30) % (1u << c.bpp));
        CRaster img = IndexImage(c.w, c.h, c.bpp, px);
        std::vector<uint8_t> f = EncodeAs(img, RASTER_FORMAT_GIF);
        const size_t body = BodyOffset(f) + 10;
        ASSERT_LT(body, f.size());
        std::vector<uint8_t> data(f.begin() + static_cast<long>(body), f.end() - 1);
        EXPECT_EQ(data, GreedyLzw(px, c.bpp == 1 ? 2 : static_cast<int>(c.bpp))) << c.w << "x" << c.h << " " << c.bpp;
    }
}

TEST(RasterGIF, RunLengthModeCoversLongRuns)
{
    // One long run, then alternating runs of growing length: the table and clear paths of the run coder.
    std::vector<uint8_t> px(200 * 120, 3);
    for (size_t i = 9000, len = 1; i + len < px.size(); i += len, ++len)
        for (size_t k = 0; k < len; ++k)
            px[i + k] = static_cast<uint8_t>(len % 5);
    for (uint32_t bpp : {1u, 4u, 8u}) {
        std::vector<uint8_t> p = px;
        for (uint8_t& x : p)
            x = static_cast<uint8_t>(x % (1u << bpp));
        CRaster img = IndexImage(200, 120, bpp, p);
        img.SetCodecOption(RASTER_GIF_RLE, RASTER_FORMAT_GIF);
        std::vector<uint8_t> bytes = EncodeAs(img, RASTER_FORMAT_GIF);
        CRasterGIF back;
        ASSERT_TRUE(DecodeGif(back, bytes));
        EXPECT_EQ(TopDownIndices(back), p) << bpp;
        EXPECT_LT(bytes.size(), p.size() / 4) << bpp;
    }
}

TEST(RasterGIF, RunLongerThanTheTableCoversStartsOver)
{
    // 8.6 million pixels of one index: the run coder's codes reach the table's end inside one run.
    CRaster img(4100, 2100, 1, RASTER_FORMAT_GIF);
    img.SetGrayPalette();
    img.Clear(255);
    img.SetPixelIndex(0, 0, 0);
    img.SetCodecOption(RASTER_GIF_RLE, RASTER_FORMAT_GIF);
    std::vector<uint8_t> bytes = EncodeAs(img, RASTER_FORMAT_GIF);
    CRasterGIF back;
    ASSERT_TRUE(DecodeGif(back, bytes));
    EXPECT_EQ(back.GetPixelIndex(0, 0), 0);
    EXPECT_EQ(back.GetPixelIndex(1, 0), 1);
    for (uint32_t y = 1; y < 2100; ++y)
        ASSERT_EQ(std::memcmp(back.GetBits(y), img.GetBits(y), 4100 / 8), 0) << "row " << y;
}

TEST(RasterGIF, HeaderFlagsAndCodeSizes)
{
    struct Case {
        uint32_t bpp;
        uint8_t flags;
        size_t table;
        uint8_t codeSize;
    } cases[] = {{1, 0x80, 6, 2}, {4, 0xE3, 48, 4}, {8, 0xE7, 768, 8}};
    for (const Case& c : cases) {
        CRaster img = MakePattern(5, 3, c.bpp);
        std::vector<uint8_t> f = EncodeAs(img, RASTER_FORMAT_GIF);
        ASSERT_GT(f.size(), 13u);
        EXPECT_EQ(std::string(f.begin(), f.begin() + 6), "GIF89a");
        EXPECT_EQ(rasterbytes::Get16(&f[6]), 5);
        EXPECT_EQ(rasterbytes::Get16(&f[8]), 3);
        EXPECT_EQ(f[10], c.flags) << c.bpp;
        // The graphic control extension follows the table, then the image at offset 0 without a local table.
        size_t gce = 13 + c.table;
        EXPECT_EQ(f[gce], 0x21);
        EXPECT_EQ(f[gce + 1], 0xF9);
        size_t body = BodyOffset(f);
        ASSERT_EQ(f[body], 0x2C);
        EXPECT_EQ(rasterbytes::Get16(&f[body + 1]), 0);
        EXPECT_EQ(rasterbytes::Get16(&f[body + 3]), 0);
        EXPECT_EQ(f[body + 9], 0);
        EXPECT_EQ(f[body + 10], c.codeSize) << c.bpp;
        EXPECT_EQ(f.back(), 0x3B);
    }
}

TEST(RasterGIF, TransparencyDelayCommentAndDisposalAreWritten)
{
    CRasterGIF gif;
    CRaster src = MakePattern(4, 4, 8);
    static_cast<CRaster&>(gif) = src;
    gif.SetTransIndex(9);
    gif.SetFrameDelay(25);
    gif.SetDisposalMethod(2);
    gif.SetComment(std::string(300, 'c').c_str());
    std::vector<uint8_t> f = EncodeGif(gif);
    size_t gce = 13 + 768;
    ASSERT_EQ(f[gce + 1], 0xF9);
    EXPECT_EQ(f[gce + 3], (2 << 2) | 1);
    EXPECT_EQ(rasterbytes::Get16(&f[gce + 4]), 25);
    EXPECT_EQ(f[gce + 6], 9);
    size_t com = gce + 8;
    ASSERT_EQ(f[com + 1], 0xFE);
    EXPECT_EQ(f[com + 2], 255);
    EXPECT_EQ(f[com + 3 + 255], 0);

    CRasterGIF back;
    ASSERT_TRUE(DecodeGif(back, f));
    EXPECT_EQ(back.GetTransIndex(), 9);
    EXPECT_EQ(back.GetFrameDelay(), 25u);
    EXPECT_EQ(back.GetDisposalMethod(), 2);
    char text[256];
    back.GetComment(text);
    EXPECT_EQ(std::string(text), std::string(255, 'c'));
}

TEST(RasterGIF, CommentKeepsItsFirstSubBlock)
{
    GifFile g(2, 1, TestColors(2));
    g.b.raw({0x21, 0xFE}).u8(200).fill(200, 'a').u8(100).fill(100, 'b').u8(0);
    // An empty comment extension is its own terminator.
    g.b.raw({0x21, 0xFE, 0});
    std::vector<uint8_t> f = g.Image(0, 0, 2, 1, {1, 0}, {}, false, 2).End();
    CRasterGIF gif;
    ASSERT_TRUE(DecodeGif(gif, f));
    char text[256];
    gif.GetComment(text);
    EXPECT_EQ(std::string(text), std::string(200, 'a'));
    EXPECT_EQ(TopDownIndices(gif), (std::vector<uint8_t>{1, 0}));
}

TEST(RasterGIF, LoopFieldSurvivesReencoding)
{
    CRaster a = MakePattern(3, 2, 4), b = MakePattern(3, 2, 4);
    CRaster* frames[] = {&a, &b};
    auto loopBlock = [](const std::vector<uint8_t>& f) -> long {
        static const char id[] = "NETSCAPE2.0";
        auto it = std::search(f.begin(), f.end(), id, id + 11);
        return it == f.end() ? -1 : rasterbytes::Get16(&*(it + 13));
    };
    struct Case {
        int32_t loops;
        long field;
    } cases[] = {{1, -1}, {0, 0}, {4, 3}};
    for (const Case& c : cases) {
        CRasterGIF writer;
        writer.SetLoops(c.loops);
        CRasterMemFile mf;
        mf.Open();
        ASSERT_TRUE(writer.Encode(&mf, frames, 2));
        std::vector<uint8_t> f(mf.GetBuffer(false), mf.GetBuffer(false) + mf.Size());
        EXPECT_EQ(loopBlock(f), c.field) << c.loops;
        CRasterGIF back;
        ASSERT_TRUE(DecodeGif(back, f));
        EXPECT_EQ(back.GetLoops(), c.loops == 1 ? 0 : c.loops);
    }
}

TEST(RasterGIF, AnimationComposesFramesOverTheBackground)
{
    // Frame 0 fills the screen with 1; frame 1 puts 2 in a corner rectangle with disposal 2; frame 2 puts 3
    // elsewhere with index 0 transparent.
    std::vector<rgb_color> pal = TestColors(4);
    GifFile g(4, 3, pal);
    g.Gce(0, 10, 0).Image(0, 0, 4, 3, std::vector<uint8_t>(12, 1), {}, false, 2);
    g.Gce(2 << 2, 20, 0).Image(0, 0, 2, 2, {2, 2, 2, 2}, {}, false, 2);
    g.Gce(1, 30, 0).Image(2, 1, 2, 2, {3, 0, 0, 3}, {}, false, 2);
    std::vector<uint8_t> f = g.End();

    std::vector<std::vector<uint8_t>> expect = {
        {1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1},
        {2, 2, 1, 1, 2, 2, 1, 1, 1, 1, 1, 1},
        // Disposal 2 clears only frame 1's rectangle; frame 2's index 0 lets the background through.
        {0, 0, 1, 1, 0, 0, 3, 1, 1, 1, 1, 3},
    };
    for (int32_t n = 0; n < 3; ++n) {
        CRasterGIF gif;
        gif.SetFrame(n);
        ASSERT_TRUE(DecodeGif(gif, f)) << n;
        EXPECT_EQ(gif.GetNumFrames(), 3);
        EXPECT_EQ(gif.GetWidth(), 4u);
        EXPECT_EQ(TopDownIndices(gif), expect[n]) << "frame " << n;
        EXPECT_EQ(gif.GetFrameDelay(), static_cast<uint32_t>(10 * (n + 1)));
        int32_t x = -1, y = -1;
        gif.GetOffset(&x, &y);
        EXPECT_EQ(x, 0);
        EXPECT_EQ(y, 0);
    }
    CRasterGIF gif;
    gif.SetFrame(3);
    EXPECT_FALSE(DecodeGif(gif, f));
    EXPECT_EQ(gif.GetNumFrames(), 3);
}

TEST(RasterGIF, FramesUseTheirOwnTablesAndDeepenThePicture)
{
    // A 2-colour global table, then a frame with a 16-colour local table, then one using the global table again.
    std::vector<rgb_color> global = TestColors(2), local = TestColors(16);
    for (rgb_color& c : local)
        c.b = 200;
    GifFile g(2, 1, global);
    g.Image(0, 0, 2, 1, {0, 1}, {}, false, 2);
    g.Image(0, 0, 1, 1, {9}, local, false, 4);
    g.Image(1, 0, 1, 1, {0}, {}, false, 2);
    std::vector<uint8_t> f = g.End();
    CRasterGIF gif;
    gif.SetFrame(1);
    ASSERT_TRUE(DecodeGif(gif, f));
    EXPECT_EQ(gif.GetBpp(), 4);
    EXPECT_EQ(TopDownIndices(gif), (std::vector<uint8_t>{9, 1}));
    EXPECT_EQ(gif.GetPaletteColor(9).rgbBlue, 200);
    CRasterGIF last;
    last.SetFrame(2);
    ASSERT_TRUE(DecodeGif(last, f));
    EXPECT_EQ(last.GetPaletteColor(0).rgbRed, global[0].r);
    EXPECT_EQ(last.GetPaletteColor(0).rgbBlue, global[0].b);
}

TEST(RasterGIF, AnimationWritesLocalTablesAndOffsets)
{
    CRaster a = MakePattern(6, 4, 8);
    // b shares a's palette; c has its own.
    CRaster b = MakePattern(2, 2, 8), c = MakePattern(3, 1, 4);
    for (int i = 0; i < 4; ++i)
        b.SetPixelIndex(i % 2, i / 2, static_cast<uint8_t>(200 + i));
    b.SetOffset(3, 1);
    c.SetOffset(1, 3);
    CRaster* frames[] = {&a, &b, &c};
    for (bool local : {false, true}) {
        CRasterGIF writer;
        CRasterMemFile mf;
        mf.Open();
        ASSERT_TRUE(writer.Encode(&mf, frames, 3, local)) << writer.GetLastError();
        std::vector<uint8_t> f(mf.GetBuffer(false), mf.GetBuffer(false) + mf.Size());
        // Image descriptors after the first: b takes a local table only when asked, c always.
        std::vector<uint8_t> flags;
        for (size_t i = 13 + 768; i + 10 < f.size(); ++i)
            if (f[i] == 0x2C && f[i - 1] == 0) {
                flags.push_back(f[i + 9]);
                i += 9;
            }
        ASSERT_GE(flags.size(), 3u);
        EXPECT_EQ(flags[1], local ? 0x87 : 0x00);
        EXPECT_EQ(flags[2], 0x83);

        CRasterGIF gif;
        gif.SetFrame(1);
        ASSERT_TRUE(DecodeGif(gif, f));
        // b lands at its offset (rows from the top); the rest is frame 0.
        for (int y = 0; y < 4; ++y)
            for (int x = 0; x < 6; ++x) {
                bool inB = x >= 3 && x < 5 && y >= 1 && y < 3;
                uint8_t want = inB ? b.GetPixelIndex(x - 3, 1 - (y - 1)) : a.GetPixelIndex(x, 3 - y);
                EXPECT_EQ(gif.GetPixelIndex(x, 3 - y), want) << x << "," << y;
            }
        gif.SetFrame(2);
        CRasterGIF last;
        last.SetFrame(2);
        ASSERT_TRUE(DecodeGif(last, f));
        for (int x = 0; x < 3; ++x)
            EXPECT_TRUE(SameColor(last.GetPixelColor(1 + x, 0), c.GetPixelColor(x, 0))) << x;
    }
}

TEST(RasterGIF, TrueColourPicturesBecomeMosaics)
{
    CRaster img = MakePattern(40, 20, 24);
    img.SetTransColor(PatternColor(5, 5));
    img.SetTransIndex(0);
    std::vector<uint8_t> f = EncodeAs(img, RASTER_FORMAT_GIF);
    ASSERT_FALSE(f.empty());
    EXPECT_EQ(f[10], 0x11);
    // Tiles of 17, 17 and 6 columns by 15 and 5 rows, left to right, top to bottom.
    std::vector<std::vector<int>> tiles;
    for (size_t i = 13; i + 10 < f.size(); ++i)
        if (f[i] == 0x2C && f[i - 1] == 0) {
            tiles.push_back({rasterbytes::Get16(&f[i + 1]), rasterbytes::Get16(&f[i + 3]),
                             rasterbytes::Get16(&f[i + 5]), rasterbytes::Get16(&f[i + 7])});
            i += 9;
        }
    std::vector<std::vector<int>> want = {{0, 0, 17, 15}, {17, 0, 17, 15}, {34, 0, 6, 15},
                                          {0, 15, 17, 5}, {17, 15, 17, 5}, {34, 15, 6, 5}};
    EXPECT_EQ(tiles, want);

    CRasterGIF back;
    ASSERT_TRUE(DecodeGif(back, f));
    EXPECT_EQ(back.GetBpp(), 24);
    EXPECT_EQ(back.GetNumFrames(), 6);
    EXPECT_EQ(ComparePixels(back, img), "");
    EXPECT_TRUE(back.IsTransparent());
    EXPECT_TRUE(SameColor(back.GetTransColor(), PatternColor(5, 5)));

    // A picture one tile wide still differs from its first tile in height: read as a mosaic too.
    CRaster narrow = MakePattern(17, 40, 24);
    f = EncodeAs(narrow, RASTER_FORMAT_GIF);
    CRasterGIF n;
    ASSERT_TRUE(DecodeGif(n, f));
    EXPECT_EQ(n.GetBpp(), 24);
    EXPECT_EQ(ComparePixels(n, narrow), "");
}

TEST(RasterGIF, InterlacedRowsLandInPassOrder)
{
    for (uint16_t h : {1, 2, 3, 4, 5, 8, 9, 17}) {
        // File order of rows by pass; each row holds its own index in the file.
        std::vector<uint16_t> order;
        for (auto [start, step] : {std::pair{0, 8}, {4, 8}, {2, 4}, {1, 2}})
            for (int r = start; r < h; r += step)
                order.push_back(static_cast<uint16_t>(r));
        std::vector<uint8_t> px;
        for (size_t i = 0; i < order.size(); ++i)
            px.insert(px.end(), 2, static_cast<uint8_t>(i));
        // One more row than the picture holds: dropped.
        px.insert(px.end(), 2, 99);
        std::vector<uint8_t> f = GifFile(2, h, TestColors(256)).Image(0, 0, 2, h, px, {}, true).End();
        CRasterGIF gif;
        ASSERT_TRUE(DecodeGif(gif, f)) << h;
        for (size_t i = 0; i < order.size(); ++i)
            EXPECT_EQ(gif.GetPixelIndex(1, h - 1 - order[i]), i) << "height " << h << " row " << order[i];
    }
}

TEST(RasterGIF, CodesPastTheFullTable)
{
    // 6000 pixels as single codes: the table fills; with a clear and without one (12-bit codes go on).
    std::vector<uint8_t> px = Noise(6000, 256, 7);
    for (bool clear : {true, false}) {
        std::vector<uint8_t> f = GifFile(100, 60, TestColors(256)).Image(0, 0, 100, 60, px, {}, false, 8, clear).End();
        CRasterGIF gif;
        ASSERT_TRUE(DecodeGif(gif, f));
        EXPECT_EQ(TopDownIndices(gif), px) << clear;
    }
}

TEST(RasterGIF, DataCutShortKeepsWhatWasRead)
{
    std::vector<uint8_t> px = Noise(64, 4, 3);
    std::vector<uint8_t> good = GifFile(8, 8, TestColors(4)).Image(0, 0, 8, 8, px, {}, false, 2).End();
    // Cut inside the data: the rows read so far stay, the rest is index 0.
    std::vector<uint8_t> cut(good.begin(), good.begin() + static_cast<long>(good.size() - 12));
    CRasterGIF a;
    ASSERT_TRUE(DecodeGif(a, cut));
    std::vector<uint8_t> got = TopDownIndices(a);
    EXPECT_TRUE(std::equal(got.begin(), got.begin() + 16, px.begin()));
    EXPECT_EQ(got.back(), 0);
}

TEST(RasterGIF, BrokenCodesFailTheRead)
{
    // Minimum code size 2: clear 4, end 5, the first free entry 6; codes of 3 bits until the table reaches 8.
    auto codes = [](std::initializer_list<std::pair<int, int>> list, int minSize = 2) {
        CodePacker p;
        for (auto [code, width] : list)
            p.Put(code, width);
        p.Flush();
        return AsImageData(p.bytes, minSize, 255);
    };
    const char* const size = "Corrupt GIF: minimum code size outside 2 to 8";
    const char* const past = "Corrupt GIF: code past the code table";
    struct Case {
        const char* name;
        std::vector<uint8_t> data;
        const char* text; // null: read
    } cases[] = {
        {"roots without a clear", codes({{1, 3}, {2, 3}, {3, 3}, {5, 4}}), nullptr},
        {"a string code that repeats the previous one", codes({{4, 3}, {1, 3}, {6, 3}, {5, 3}}), nullptr},
        {"code size 1", codes({{2, 2}, {1, 2}, {3, 2}}, 1), size},
        {"code size 9", AsImageData(PlainCodes({1, 2, 3}, 8), 9, 255), size},
        {"code size 12", AsImageData(PlainCodes({1, 2, 3}, 8), 12, 255), size},
        {"a code past the next free entry", codes({{4, 3}, {1, 3}, {7, 3}, {5, 3}}), past},
        {"a string code first after a clear", codes({{4, 3}, {6, 3}, {5, 3}}), past},
        {"a string code before any clear", codes({{6, 3}, {1, 3}, {5, 3}}),
         "Corrupt GIF: no clear code before the first string code"},
    };
    for (const Case& c : cases) {
        std::vector<uint8_t> f = GifFile(3, 1, TestColors(4)).ImageData(0, 0, 3, 1, c.data).End();
        CRasterGIF gif;
        EXPECT_EQ(DecodeGif(gif, f), c.text == nullptr) << c.name;
        if (c.text) {
            EXPECT_STREQ(gif.GetLastError(), c.text) << c.name;
            EXPECT_FALSE(gif.IsValid()) << c.name;
        }
    }
    CRasterGIF roots;
    ASSERT_TRUE(DecodeGif(roots, GifFile(3, 1, TestColors(4)).ImageData(0, 0, 3, 1, cases[0].data).End()));
    EXPECT_EQ(TopDownIndices(roots), (std::vector<uint8_t>{1, 2, 3}));

    // A broken frame fails the frames composed over it; the frames before it still read.
    std::vector<uint8_t> two = GifFile(3, 1, TestColors(4))
                                   .Image(0, 0, 3, 1, {1, 2, 3}, {}, false, 2)
                                   .ImageData(0, 0, 3, 1, cases[5].data)
                                   .End();
    CRasterGIF first, second;
    EXPECT_TRUE(DecodeGif(first, two));
    second.SetFrame(1);
    EXPECT_FALSE(DecodeGif(second, two));
    EXPECT_STREQ(second.GetLastError(), past);
    // Through the image object the codec's text comes back.
    CRaster any;
    any.SetFrame(1);
    EXPECT_FALSE(any.Decode(two.data(), static_cast<uint32_t>(two.size()), RASTER_FORMAT_GIF));
    EXPECT_STREQ(any.GetLastError(), past);
}

TEST(RasterGIF, EveryDisposalMethod)
{
    // 0 leaves, 1 leaves, 3 puts back what its frame covered (twice in a row), 2 clears to the background index 0.
    GifFile g(4, 3, TestColors(4));
    g.Gce(0 << 2, 0, 0).Image(0, 0, 4, 3, std::vector<uint8_t>(12, 1), {}, false, 2);
    g.Gce(1 << 2, 0, 0).Image(0, 0, 2, 2, {2, 2, 2, 2}, {}, false, 2);
    g.Gce(3 << 2, 0, 0).Image(1, 1, 3, 2, std::vector<uint8_t>(6, 3), {}, false, 2);
    g.Gce(3 << 2, 0, 0).Image(2, 0, 2, 2, std::vector<uint8_t>(4, 0), {}, false, 2);
    g.Gce(2 << 2, 0, 0).Image(3, 2, 1, 1, {2}, {}, false, 2);
    g.Gce(0 << 2, 0, 0).Image(0, 2, 1, 1, {3}, {}, false, 2);
    std::vector<uint8_t> f = g.End();
    const std::vector<std::vector<uint8_t>> expect = {
        {1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1}, {2, 2, 1, 1, 2, 2, 1, 1, 1, 1, 1, 1},
        {2, 2, 1, 1, 2, 3, 3, 3, 1, 3, 3, 3}, {2, 2, 0, 0, 2, 2, 0, 0, 1, 1, 1, 1},
        {2, 2, 1, 1, 2, 2, 1, 1, 1, 1, 1, 2}, {2, 2, 1, 1, 2, 2, 1, 1, 3, 1, 1, 0},
    };
    for (int32_t n = 0; n < 6; ++n) {
        CRasterGIF gif;
        gif.SetFrame(n);
        ASSERT_TRUE(DecodeGif(gif, f)) << n;
        EXPECT_EQ(TopDownIndices(gif), expect[n]) << "frame " << n;
    }
}

TEST(RasterGIF, FrameOffTheScreenCountsAndDrawsNothing)
{
    // Beside the screen, below it, and as the first frame: each is a frame; the frames after keep their numbers.
    std::vector<uint8_t> px = Noise(8, 4, 3);
    std::vector<uint8_t> f = GifFile(4, 2, TestColors(4))
                                 .Image(0, 0, 4, 2, px, {}, false, 2)
                                 .Gce(2 << 2, 0, 0)
                                 .Image(4, 0, 4, 2, std::vector<uint8_t>(8, 3), {}, false, 2)
                                 .Image(1, 2, 2, 2, std::vector<uint8_t>(4, 3), {}, false, 2)
                                 .Image(1, 0, 2, 1, {3, 3}, {}, false, 2)
                                 .End();
    std::vector<uint8_t> last = px;
    last[1] = last[2] = 3;
    const std::vector<std::vector<uint8_t>> expect = {px, px, px, last};
    for (int32_t n = 0; n < 4; ++n) {
        CRasterGIF gif;
        gif.SetFrame(n);
        ASSERT_TRUE(DecodeGif(gif, f)) << n;
        EXPECT_EQ(gif.GetNumFrames(), 4);
        EXPECT_EQ(TopDownIndices(gif), expect[n]) << "frame " << n;
    }
    std::vector<uint8_t> first = GifFile(4, 2, TestColors(4))
                                     .Image(9, 9, 2, 2, {1, 1, 1, 1}, {}, false, 2)
                                     .Image(0, 0, 1, 1, {2}, {}, false, 2)
                                     .End();
    CRasterGIF blank, drawn;
    ASSERT_TRUE(DecodeGif(blank, first));
    EXPECT_EQ(blank.GetNumFrames(), 2);
    EXPECT_EQ(TopDownIndices(blank), std::vector<uint8_t>(8, 0));
    drawn.SetFrame(1);
    ASSERT_TRUE(DecodeGif(drawn, first));
    EXPECT_EQ(TopDownIndices(drawn), (std::vector<uint8_t>{2, 0, 0, 0, 0, 0, 0, 0}));
}

TEST(RasterGIF, ScreenIsBoundedByWhatItsDataCanFill)
{
    // A few bytes declaring a huge screen are refused: 35 bytes that would make a 512 MiB picture, the 8-bit twin,
    // and a large frame whose data holds one pixel.
    struct Bomb {
        uint16_t frame;
        uint32_t colors;
    } bombs[] = {{1, 2}, {1, 256}, {600, 2}};
    for (const Bomb& b : bombs) {
        std::vector<uint8_t> f = GifFile(65535, 65535, TestColors(b.colors))
                                     .Image(0, 0, b.frame, b.frame, {1}, {}, false, b.colors == 2 ? 2 : 8)
                                     .End();
        CRasterGIF gif;
        EXPECT_FALSE(DecodeGif(gif, f)) << b.frame << " " << b.colors;
        EXPECT_STREQ(gif.GetLastError(), "GIF screen too large for its image data");
        EXPECT_FALSE(gif.IsValid());
    }
    // Screens up to 4096 x 4096 need no data; a larger picture reads when its data fills it, in the modes that
    // pack the most pixels into a byte.
    CRasterGIF small;
    EXPECT_TRUE(DecodeGif(small, GifFile(4096, 4096, TestColors(2)).Image(0, 0, 1, 1, {1}, {}, false, 2).End()));
    EXPECT_EQ(small.GetWidth(), 4096u);
    CRaster flat(4100, 4100, 1, RASTER_FORMAT_GIF);
    flat.SetGrayPalette();
    flat.Clear(0);
    for (uint32_t mode : {RASTER_GIF_LZW, RASTER_GIF_RLE}) {
        flat.SetCodecOption(mode, RASTER_FORMAT_GIF);
        CRasterGIF back;
        EXPECT_TRUE(DecodeGif(back, EncodeAs(flat, RASTER_FORMAT_GIF))) << mode << ": " << back.GetLastError();
    }
}

TEST(RasterGIF, DimensionsOnlyAndTypeZeroChain)
{
    CRaster img = MakePattern(9, 4, 8);
    std::vector<uint8_t> f = EncodeAs(img, RASTER_FORMAT_GIF);
    CRasterGIF dims;
    dims.SetEscape(-1);
    ASSERT_TRUE(DecodeGif(dims, f));
    EXPECT_FALSE(dims.IsValid());
    EXPECT_EQ(dims.GetWidth(), 9u);
    EXPECT_EQ(dims.GetHeight(), 4u);

    CRaster any;
    ASSERT_TRUE(any.Decode(f.data(), static_cast<uint32_t>(f.size()), RASTER_FORMAT_UNKNOWN));
    EXPECT_EQ(any.GetType(), RASTER_FORMAT_GIF);
    EXPECT_EQ(ComparePixels(any, img), "");
    // Loading as BMP falls back to the chain.
    std::string path = testing::TempDir() + "gif_chain_" + std::to_string(getpid()) + ".gif";
    ASSERT_TRUE(img.Save(path.c_str(), RASTER_FORMAT_GIF));
    CRaster loaded;
    EXPECT_TRUE(loaded.Load(path.c_str(), RASTER_FORMAT_BMP));
    EXPECT_EQ(loaded.GetType(), RASTER_FORMAT_GIF);
    std::remove(path.c_str());
}

TEST(RasterGIF, FailureTexts)
{
    CRaster small = MakePattern(2, 2, 1);
    std::vector<uint8_t> ok = EncodeAs(small, RASTER_FORMAT_GIF);
    struct Case {
        std::vector<uint8_t> bytes;
        int32_t frame;
        const char* text;
    } cases[] = {
        {{'G', 'I', 'F'}, 0, "Not a GIF"},
        {{'G', 'I', 'X', '8', '9', 'a', 1, 0, 1, 0, 0, 0, 0}, 0, "Not a GIF"},
        {{'G', 'I', 'F', '8', '9', 'a', 1, 0, 1, 0, 0, 0, 0, 0x3B}, 0, "GIF frame not found"},
        {ok, 1, "GIF frame not found"},
        {ok, -1, "GIF frame not found"},
    };
    for (const Case& c : cases) {
        CRasterGIF gif;
        gif.SetFrame(c.frame);
        EXPECT_FALSE(DecodeGif(gif, c.bytes));
        EXPECT_STREQ(gif.GetLastError(), c.text);
    }

    CRasterGIF writer;
    CRaster img = MakePattern(3, 3, 8), rgb = MakePattern(3, 3, 24), big = MakePattern(9, 9, 8);
    big.SetOffset(0, 0);
    CRasterMemFile mf;
    mf.Open();
    CRaster* none[] = {nullptr};
    CRaster* withNull[] = {&img, nullptr};
    CRaster* deep[] = {&img, &rgb};
    CRaster* outside[] = {&img, &big};
    struct Multi {
        CRasterFile* file;
        CRaster** images;
        int32_t count;
        const char* text;
    } multi[] = {
        {nullptr, withNull, 2, "invalid file pointer"},
        {&mf, nullptr, 1, "multipage GIF, no images!"},
        {&mf, none, 1, "multipage GIF, no images!"},
        {&mf, withNull, 0, "multipage GIF, no images!"},
        {&mf, withNull, 2, "Bad image pointer"},
        {&mf, deep, 2, "multipage GIF, every frame needs a palette"},
        {&mf, outside, 2, "multipage GIF, frame outside the first image"},
    };
    for (const Multi& m : multi) {
        EXPECT_FALSE(writer.Encode(m.file, m.images, m.count));
        EXPECT_STREQ(writer.GetLastError(), m.text);
    }
    EXPECT_EQ(mf.Size(), 0) << "nothing is written before the frames are checked";

    // A stream that fails to write.
    FILE* full = std::fopen("/dev/full", "wb");
    if (full) {
        EXPECT_FALSE(img.Encode(full, RASTER_FORMAT_GIF));
        EXPECT_STREQ(img.GetLastError(), "Write Error in GIF file");
        std::fclose(full);
    }
    CRaster empty;
    uint8_t* buf = nullptr;
    int32_t size = 0;
    EXPECT_FALSE(empty.Encode(buf, size, RASTER_FORMAT_GIF));
    EXPECT_STREQ(empty.GetLastError(), "null image!!!");
}

TEST(RasterGIF, EncoderChecksEveryWrite)
{
    // Each mode at 8 bits, a 1-bit picture, a mosaic of four tiles and a two-frame animation: a stream that stops
    // taking bytes anywhere fails the write.
    CRaster eight = MakePattern(12, 10, 8), one = MakePattern(9, 3, 1), rgb = MakePattern(20, 16, 24);
    for (uint32_t mode : {RASTER_GIF_LZW, RASTER_GIF_NONE, RASTER_GIF_RLE}) {
        for (CRaster* img : {&eight, &one, &rgb}) {
            img->SetCodecOption(mode, RASTER_FORMAT_GIF);
            auto write = [&](CRasterFile* f) { return img->Encode(f, RASTER_FORMAT_GIF); };
            EXPECT_EQ(EveryShortWriteFails(write, *img, "Write Error in GIF file"), "")
                << "mode " << mode << " bpp " << img->GetBpp();
        }
    }
    CRaster second = MakePattern(12, 10, 8);
    CRaster* frames[] = {&eight, &second};
    CRasterGIF writer;
    writer.SetComment("frames");
    auto write = [&](CRasterFile* f) { return writer.Encode(f, frames, 2, true); };
    EXPECT_EQ(EveryShortWriteFails(write, writer, "Write Error in GIF file"), "");
}
