// Tests of the metafile codec and its record player: hand-made Windows and enhanced metafiles drawn and checked at
// known pixels, the header, size and clamp rules, and broken files.
#include "imagelib/MetafilePlayer.h"
#include "imagelib/RasterWMF.h"
#include "platform/gdi/Font.h"
#include "MetafileTestUtil.h"
#include "RasterTestUtil.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace rastertest;
using namespace wmftest;

namespace {

TEST(RasterWMF, PlaceableShapesLandWhereTheirCoordinatesSay)
{
    Wmf w;
    w.R(0x020B, {0, 0}).R(0x020C, {1000, 1000}); // window origin and extent as the box
    w.Pen(kBlack, 5).Select(0);                  // null pen
    w.Brush(kRed).Select(1).Rect(100, 100, 500, 500);
    w.Brush(kBlue).Select(2).R(0x0418, {900, 900, 500, 500});               // ellipse: bottom, right, top, left
    w.Brush(kGreen).Select(3).R(0x0324, {3, 100, 900, 400, 900, 250, 600}); // triangle
    CRaster img;
    ASSERT_TRUE(DecodeWmf(img, Inch(w))) << img.GetLastError();
    EXPECT_EQ(img.GetType(), RASTER_FORMAT_WMF);
    ASSERT_EQ(img.GetWidth(), 96u);
    ASSERT_EQ(img.GetHeight(), 96u);
    EXPECT_EQ(img.GetBpp(), 24);
    ExpectProbes(img,
                 {{30, 30, kRed},
                  {12, 12, kRed},
                  {50, 20, kWhite},
                  {72, 72, kBlue},
                  {80, 72, kBlue},
                  {51, 51, kWhite},
                  {26, 84, kGreen},
                  {12, 92, kWhite},
                  {5, 5, kWhite},
                  {95, 0, kWhite}},
                 "shapes");
}

TEST(RasterWMF, DefaultPenOutlinesAndPolylineDraws)
{
    Wmf w;
    w.Brush(kWhite).Select(0).Rect(100, 100, 500, 500); // default black pen
    w.Pen(kRed).Select(1).R(0x0325, {2, 600, 100, 600, 900});
    w.R(0x0214, {800, 700}).R(0x0213, {800, 950}); // move to (700, 800), line to (950, 800)
    CRaster img;
    ASSERT_TRUE(DecodeWmf(img, Inch(w))) << img.GetLastError();
    ExpectProbes(
        img, {{10, 30, kBlack}, {30, 10, kBlack}, {30, 30, kWhite}, {58, 50, kRed}, {80, 77, kRed}, {80, 70, kWhite}},
        "outline");
}

TEST(RasterWMF, EnhancedShapesFollowTheirBounds)
{
    Emf e;
    e.R(39, {1, 0, int32_t(kRed), 0}).R(37, {1}).R(37, {int32_t(0x80000008)}); // red brush, stock null pen
    e.R(43, {10, 10, 50, 30});                                                 // rectangle
    e.R(39, {2, 0, int32_t(kBlue), 0}).R(37, {2}).R(42, {60, 10, 100, 50});    // ellipse
    e.R(37, {int32_t(0x80000004)}).R(44, {10, 60, 50, 100, 10, 10});           // stock black brush, round rectangle
    e.R(39, {3, 0, int32_t(kGreen), 0}).R(37, {3});
    e.R(86, {0, 0, 0, 0, 3, 60 | (60 << 16), 100 | (60 << 16), 80 | (100 << 16)}); // 16-bit triangle
    CRaster img;
    ASSERT_TRUE(DecodeWmf(img, e.Build(0, 0, 100, 100))) << img.GetLastError();
    ASSERT_EQ(img.GetWidth(), 100u);
    ASSERT_EQ(img.GetHeight(), 100u);
    ExpectProbes(img,
                 {{30, 20, kRed},
                  {30, 35, kWhite},
                  {80, 30, kBlue},
                  {62, 12, kWhite},
                  {30, 80, kBlack},
                  {10, 60, kWhite},
                  {12, 62, kBlack},
                  {80, 70, kGreen},
                  {62, 95, kWhite}},
                 "enhanced");
}

TEST(RasterWMF, EnhancedBoundsScaleOntoThePicture)
{
    // Bounds 100..300 drawn at a forced 100 x 100: half scale, shifted by the bounds' corner.
    Emf e;
    e.R(39, {1, 0, int32_t(kRed), 0}).R(37, {1}).R(37, {int32_t(0x80000008)}).R(43, {100, 100, 200, 200});
    CRasterWMF codec;
    std::vector<uint8_t> bytes = e.Build(100, 100, 300, 300);
    CRasterMemFile file(bytes.data(), static_cast<uint32_t>(bytes.size()));
    ASSERT_TRUE(codec.Decode(&file, 100, 100)) << codec.GetLastError();
    ExpectProbes(codec, {{25, 25, kRed}, {47, 47, kRed}, {52, 52, kWhite}, {75, 25, kWhite}}, "scaled");
}

struct MapCase {
    const char* name;
    std::vector<std::vector<int32_t>> setup; // records: type then fields
    int32_t l, t, r, b;                      // a red rectangle in logical units
    Probe inside, outside;
};

TEST(RasterWMF, MappingModesTable)
{
    const MapCase cases[] = {
        {"text", {}, 20, 20, 40, 40, {30, 30, kRed}, {45, 30, kWhite}},
        {"anisotropic",
         {{17, 8}, {9, 1000, 500}, {11, 100, 100}},
         200,
         100,
         400,
         200,
         {30, 30, kRed},
         {30, 45, kWhite}},
        {"anisotropic y up, origin moved",
         {{17, 8}, {9, 100, -100}, {11, 100, 100}, {12, 50, 50}},
         0,
         0,
         40,
         40,
         {70, 30, kRed},
         {30, 70, kWhite}},
        {"window origin",
         {{17, 8}, {10, -50, -50}, {9, 100, 100}, {11, 100, 100}},
         0,
         0,
         20,
         20,
         {60, 60, kRed},
         {10, 10, kWhite}},
        {"isotropic keeps squares",
         {{17, 7}, {9, 100, 100}, {11, 200, 100}},
         0,
         0,
         90,
         90,
         {80, 80, kRed},
         {95, 50, kWhite}},
        {"extent ignored in text mode",
         {{9, 1000, 1000}, {11, 10, 10}},
         20,
         20,
         40,
         40,
         {30, 30, kRed},
         {5, 5, kWhite}},
        // Tenths of a millimetre, y up: 254 units are an inch, 96 pixels.
        {"lometric", {{17, 2}, {12, 0, 100}}, 0, 0, 127, 127, {24, 76, kRed}, {24, 40, kWhite}},
        {"scaled window extent",
         {{17, 8}, {9, 50, 50}, {11, 100, 100}, {32, 2, 1, 2, 1}},
         10,
         10,
         30,
         30,
         {20, 20, kRed},
         {40, 40, kWhite}},
        {"saved and restored mapping",
         {{17, 8}, {9, 50, 50}, {11, 100, 100}, {33}, {9, 500, 500}, {34, -1}},
         10,
         10,
         30,
         30,
         {40, 40, kRed},
         {70, 70, kWhite}},
    };
    for (const MapCase& c : cases) {
        Emf e;
        for (const auto& r : c.setup) {
            e.rec.u32(static_cast<uint32_t>(r[0])).u32(static_cast<uint32_t>(4 + 4 * r.size()));
            for (size_t i = 1; i < r.size(); ++i)
                e.rec.u32(static_cast<uint32_t>(r[i]));
            ++e.records;
        }
        e.R(39, {1, 0, int32_t(kRed), 0}).R(37, {1}).R(37, {int32_t(0x80000008)}).R(43, {c.l, c.t, c.r, c.b});
        CRaster img;
        ASSERT_TRUE(DecodeWmf(img, e.Build(0, 0, 100, 100))) << c.name << ": " << img.GetLastError();
        ExpectProbes(img, {c.inside, c.outside}, c.name);
    }
}

TEST(RasterWMF, WindowsMetafileMappingAndSavedStates)
{
    // Window origin (-500, -500), extent (1000, -1000): logical (0, 0) is the centre, y up.
    Wmf w;
    w.R(0x0103, {8}).R(0x020B, {500, -500}).R(0x020C, {-1000, 1000});
    w.Pen(kBlack, 5).Select(0).Brush(kRed).Select(1);
    w.R(0x001E, {});                // save: red brush
    w.Brush(kBlue).Select(2);       // blue inside the saved state
    w.R(0x020C, {1000, 1000});      // and another extent
    w.R(0x0127, {-1});              // restore: red brush, y-up extent
    w.Rect(100, 100, 400, 400);     // top-right quadrant
    w.R(0x001E, {}).R(0x001E, {});  // two saves
    w.Select(2).R(0x0127, {1});     // back to the first: red again
    w.Rect(-400, -100, -100, -400); // bottom-left quadrant
    CRaster img;
    ASSERT_TRUE(DecodeWmf(img, Inch(w))) << img.GetLastError();
    ExpectProbes(img, {{72, 24, kRed}, {24, 72, kRed}, {24, 24, kWhite}, {72, 72, kWhite}}, "mapping");
}

TEST(RasterWMF, ObjectsTakeTheFirstFreeSlotAndDeletedOnesAreGone)
{
    Wmf w;
    w.objects = 2;
    w.Pen(kBlack, 5).Brush(kRed); // slots 0 and 1
    w.Brush(kGreen);              // table full: dropped
    w.Select(0).R(0x01F0, {1});   // null pen; delete the red brush
    w.Brush(kBlue).Select(1);     // takes slot 1
    w.Rect(100, 100, 300, 300);
    w.R(0x01F0, {0}).Select(0).Select(7).Select(-1); // deleted, out of the table: nothing changes
    w.Rect(600, 600, 900, 900);
    CRaster img;
    ASSERT_TRUE(DecodeWmf(img, Inch(w))) << img.GetLastError();
    ExpectProbes(img, {{20, 20, kBlue}, {72, 72, kBlue}}, "objects");
}

TEST(RasterWMF, HatchedAndPatternBrushesAreNotFilled)
{
    Emf e;
    e.R(37, {int32_t(0x80000008)}).R(39, {1, 2, int32_t(kRed), 3}).R(37, {1}).R(43, {10, 10, 50, 50});
    e.R(39, {3, 0, int32_t(kBlue), 0}).R(37, {3}); // solid, then replaced by a pattern brush
    e.R(94, {2, 0, 0, 0, 0, 0}).R(37, {2}).R(43, {60, 60, 90, 90});
    CRaster img;
    ASSERT_TRUE(DecodeWmf(img, e.Build(0, 0, 100, 100))) << img.GetLastError();
    ExpectProbes(img, {{30, 30, kWhite}, {75, 75, kWhite}}, "brushes");
}

bool HaveFonts()
{
    return !platform::gdi::FindFontFile("Arial", false, false).empty();
}

// Dark pixels of the image inside and outside a box given from the top.
void CountInk(CRaster& img, int l, int t, int r, int b, int& inside, int& outside)
{
    inside = outside = 0;
    for (int y = 0; y < static_cast<int>(img.GetHeight()); ++y)
        for (int x = 0; x < static_cast<int>(img.GetWidth()); ++x)
            if ((At(img, x, y) & 0xFF) < 128)
                ++(x >= l && x < r && y >= t && y < b ? inside : outside);
}

TEST(RasterWMF, TextOfBothKindsDrawsWithItsFontAndAlignment)
{
    if (!HaveFonts())
        GTEST_SKIP() << "no Liberation fonts";
    // Windows metafile: 30-pixel font (height -288 units at 10.4 units a pixel), top-left at (20, 20) pixels.
    Wmf w;
    w.R(0x02FB, {-300, 0, 0, 0, 700, 0, 0, 0, 0, 'A' | ('r' << 8), 'i' | ('a' << 8), 'l', 0}).Select(0);
    w.R(0x0102, {1}).Colour(0x0209, kBlack);
    w.R(0x0521, {2, 'H' | ('I' << 8), 208, 208}); // "HI" at (208, 208)
    CRaster img;
    ASSERT_TRUE(DecodeWmf(img, Inch(w))) << img.GetLastError();
    int inside = 0, outside = 0;
    CountInk(img, 20, 20, 60, 55, inside, outside);
    EXPECT_GT(inside, 40);
    EXPECT_EQ(outside, 0);

    // Enhanced metafile: wide characters, centred on x = 50 with the baseline on y = 60.
    Emf e;
    e.rec.u32(82).u32(8 + 4 + 92).u32(1).u32(static_cast<uint32_t>(-20)).u32(0).u32(0).u32(0).u32(400);
    e.rec.u32(0).u32(0);
    for (char c : std::string("Arial"))
        e.rec.u16(static_cast<uint8_t>(c));
    e.rec.fill(64 - 10, 0);
    ++e.records;
    e.R(37, {1}).R(22, {6 | 24}).R(18, {1});
    e.rec.u32(84).u32(8 + 68 + 8).fill(16, 0).u32(1).u32(0).u32(0);     // bounds, mode, scales
    e.rec.u32(50).u32(60).u32(3).u32(8 + 68).u32(0).fill(16, 0).u32(0); // point, count, offset, options, box, dx
    e.rec.u16('W').u16('W').u16(0x20AC).u16(0);                         // "WW" and the euro sign
    ++e.records;
    CRaster emf;
    ASSERT_TRUE(DecodeWmf(emf, e.Build(0, 0, 100, 100))) << emf.GetLastError();
    CountInk(emf, 20, 40, 80, 61, inside, outside);
    EXPECT_GT(inside, 30);
    EXPECT_EQ(outside, 0);
    int leftInk = 0, rightInk = 0, dummy = 0;
    CountInk(emf, 0, 0, 50, 100, leftInk, dummy);
    CountInk(emf, 50, 0, 100, 100, rightInk, dummy);
    EXPECT_GT(leftInk, 10);
    EXPECT_GT(rightInk, 10);
}

TEST(RasterWMF, OpaqueTextBoxIsFilledWithTheBackground)
{
    Emf e;
    e.R(25, {int32_t(kGreen)});
    e.rec.u32(83).u32(8 + 68 + 4).fill(16, 0).u32(1).u32(0).u32(0);
    e.rec.u32(10).u32(10).u32(1).u32(8 + 68).u32(2).u32(5).u32(5).u32(40).u32(40).u32(0);
    e.rec.raw({' ', 0, 0, 0});
    ++e.records;
    CRaster img;
    ASSERT_TRUE(DecodeWmf(img, e.Build(0, 0, 100, 100))) << img.GetLastError();
    ExpectProbes(img, {{30, 30, kGreen}, {45, 45, kWhite}}, "opaque box");
}

struct SizeCase {
    const char* name;
    std::vector<uint8_t> bytes;
    uint32_t forceW, forceH;
    uint32_t width, height;
};

TEST(RasterWMF, SizesTable)
{
    Wmf w;
    const SizeCase cases[] = {
        {"one inch at 96 dpi", Placeable(w.Build(), 0, 0, 1440, 1440, 1440), 0, 0, 96, 96},
        {"two by half an inch", Placeable(w.Build(), -100, 50, 100, 100, 100), 0, 0, 192, 48},
        {"2540 units per inch", Placeable(w.Build(), 0, 0, 2540, 254, 2540), 0, 0, 96, 9},
        {"wide placeable clamped", Placeable(w.Build(), 0, 0, 30000, 3000, 100), 0, 0, 4000, 400},
        {"enhanced bounds", Emf().Build(10, 10, 5010, 1010), 0, 0, 4000, 800},
        {"enhanced tall", Emf().Build(0, 0, 100, 9000), 0, 0, 44, 4000},
        {"enhanced plain", Emf().Build(-5, 3, 35, 23), 0, 0, 40, 20},
        {"forced", Emf().Build(0, 0, 100, 100), 50, 30, 50, 30},
        {"forced width only", Emf().Build(0, 0, 100, 100), 70, 0, 70, 100},
        {"forced past the clamp", Emf().Build(0, 0, 100, 100), 8000, 100, 4000, 50},
    };
    for (const SizeCase& c : cases) {
        CRasterWMF codec;
        CRasterMemFile file(const_cast<uint8_t*>(c.bytes.data()), static_cast<uint32_t>(c.bytes.size()));
        ASSERT_TRUE(codec.Decode(&file, c.forceW, c.forceH)) << c.name << ": " << codec.GetLastError();
        EXPECT_EQ(codec.GetWidth(), c.width) << c.name;
        EXPECT_EQ(codec.GetHeight(), c.height) << c.name;
        EXPECT_EQ(At(codec, 0, 0), kWhite) << c.name;
    }
}

TEST(RasterWMF, ClampTable)
{
    struct {
        int64_t w, h, outW, outH;
    } cases[] = {
        {4000, 4000, 4000, 4000}, {5000, 1000, 4000, 800}, {1000, 5000, 800, 4000},  {8000, 6000, 4000, 3000},
        {100000, 1, 4000, 1},     {1, 100000, 1, 4000},    {4001, 8000, 2000, 4000}, {12, 34, 12, 34},
    };
    for (const auto& c : cases) {
        int64_t w = c.w, h = c.h;
        CRasterWMF::ShrinkMetafile(w, h);
        EXPECT_EQ(w, c.outW) << c.w << "x" << c.h;
        EXPECT_EQ(h, c.outH) << c.w << "x" << c.h;
    }
}

TEST(RasterWMF, PlaceableHeaderTable)
{
    Wmf w;
    const std::vector<uint8_t> wmf = w.Build();
    std::vector<uint8_t> type3 = wmf;
    type3[0] = 3;
    std::vector<uint8_t> tooLong = wmf;
    tooLong[6] = 200; // size in words past the stream's end
    struct {
        const char* name;
        std::vector<uint8_t> bytes;
        bool ok;
    } cases[] = {
        {"good", Placeable(wmf, 0, 0, 96, 96, 96), true},
        {"disk type",
         [&] {
             std::vector<uint8_t> v = wmf;
             v[0] = 2;
             return Placeable(v, 0, 0, 96, 96, 96);
         }(),
         true},
        {"units per inch 2540", Placeable(wmf, 0, 0, 2540, 2540, 2540), true},
        {"checksum off by one", Placeable(wmf, 0, 0, 96, 96, 96, 1), false},
        {"units per inch 0", Placeable(wmf, 0, 0, 96, 96, 0), false},
        {"units per inch 2541", Placeable(wmf, 0, 0, 96, 96, 2541), false},
        {"metafile type 3", Placeable(type3, 0, 0, 96, 96, 96), false},
        {"metafile longer than the stream", Placeable(tooLong, 0, 0, 96, 96, 96), false},
        // A Windows metafile without the placeable header is taken as an enhanced one, which it is not.
        {"no placeable header", wmf, false},
    };
    for (const auto& c : cases) {
        CRaster img;
        EXPECT_EQ(DecodeWmf(img, c.bytes), c.ok) << c.name;
        if (!c.ok) {
            EXPECT_STREQ(img.GetLastError(), "corrupted WMF") << c.name;
        }
    }
    uint8_t head[22];
    std::vector<uint8_t> good = Placeable(wmf, 1, 2, 3, 4, 5);
    std::copy(good.begin(), good.begin() + 22, head);
    CRasterWMF::PlaceableHeader h;
    ASSERT_TRUE(CRasterWMF::CheckMetafileHeader(head, h));
    EXPECT_EQ(h.left, 1);
    EXPECT_EQ(h.top, 2);
    EXPECT_EQ(h.right, 3);
    EXPECT_EQ(h.bottom, 4);
    EXPECT_EQ(h.inch, 5);
}

TEST(RasterWMF, FailuresTable)
{
    Wmf w;
    w.Brush(kRed).Select(0).Rect(0, 0, 1000, 1000);
    const std::vector<uint8_t> wmf = Inch(w);
    const std::vector<uint8_t> emf = Emf().Build(0, 0, 10, 10);
    std::vector<uint8_t> emfShort(emf.begin(), emf.end() - 4);
    std::vector<uint8_t> badSignature = emf;
    badSignature[40] = 'X';
    struct {
        const char* name;
        std::vector<uint8_t> bytes;
        const char* text;
    } cases[] = {
        {"placeable cut short", std::vector<uint8_t>(wmf.begin(), wmf.end() - 6), "corrupted WMF"},
        {"placeable header only", std::vector<uint8_t>(wmf.begin(), wmf.begin() + 22), "corrupted WMF"},
        {"enhanced cut short", emfShort, "corrupted WMF"},
        {"enhanced header cut", std::vector<uint8_t>(emf.begin(), emf.begin() + 60), "corrupted WMF"},
        {"bad signature", badSignature, "corrupted WMF"},
        {"empty", {}, "corrupted WMF"},
        {"zero width", Placeable(Wmf().Build(), 5, 0, 5, 100, 96), "empty WMF"},
        {"upside-down box", Placeable(Wmf().Build(), 0, 100, 100, 0, 96), "empty WMF"},
        {"empty bounds", Emf().Build(10, 10, 10, 50), "empty WMF"},
    };
    for (const auto& c : cases) {
        CRaster img;
        EXPECT_FALSE(DecodeWmf(img, c.bytes)) << c.name;
        EXPECT_STREQ(img.GetLastError(), c.text) << c.name;
    }
}

TEST(RasterWMF, LyingRecordsEndPlaybackAndKeepWhatWasDrawn)
{
    auto base = [] {
        Wmf w;
        w.Pen(kBlack, 5).Select(0).Brush(kRed).Select(1).Rect(0, 0, 500, 500);
        return w;
    };
    struct {
        const char* name;
        Wmf w;
    } cases[] = {
        {"record size past the end",
         [&] {
             Wmf w = base();
             w.rec.u32(5000).u16(0x041B).u16(1000).u16(1000).u16(500).u16(500);
             return w;
         }()},
        {"record size zero",
         [&] {
             Wmf w = base();
             w.rec.u32(0).u16(0x041B);
             w.Rect(500, 500, 1000, 1000);
             return w;
         }()},
        {"polygon count past its record",
         [&] {
             Wmf w = base();
             w.R(0x0324, {900, 500, 500, 1000, 500, 1000, 1000});
             w.Rect(500, 500, 1000, 1000);
             return w;
         }()},
        {"polypolygon counts past their record",
         [&] {
             Wmf w = base();
             w.R(0x0538, {2, 3, 60000, 500, 500, 1000, 500, 1000, 1000});
             w.Rect(500, 500, 1000, 1000);
             return w;
         }()},
        {"text count past its record",
         [&] {
             Wmf w = base();
             w.R(0x0A32, {700, 700, 4000, 0, 'A'});
             w.Rect(500, 500, 1000, 1000);
             return w;
         }()},
        {"no end record",
         [&] {
             Wmf w = base();
             w.rec.u32(3);
             return w;
         }()},
    };
    for (auto& c : cases) {
        CRaster img;
        ASSERT_TRUE(DecodeWmf(img, Placeable(c.w.Build(false), 0, 0, 1000, 1000, 1000))) << c.name;
        ExpectProbes(img, {{20, 20, kRed}, {72, 72, kWhite}}, c.name);
    }
}

TEST(RasterWMF, EnhancedLyingRecordsAndBadObjectIndexes)
{
    Emf e;
    e.R(39, {1, 0, int32_t(kRed), 0}).R(37, {1}).R(37, {int32_t(0x80000008)}).R(43, {0, 0, 50, 50});
    e.R(39, {500, 0, int32_t(kBlue), 0}).R(37, {500}).R(40, {500}).R(37, {int32_t(0x80000077)}); // ignored
    e.R(39, {0, 0, int32_t(kBlue), 0}).R(37, {0});                                               // slot 0 is taken
    e.R(43, {50, 0, 100, 50});
    e.R(8, {0, 0, 0, 0, 2, 7, 3, 3}); // polypolygon: counts 3 + 3 but a total of 7
    e.R(43, {0, 50, 100, 100});
    CRaster img;
    ASSERT_TRUE(DecodeWmf(img, e.Build(0, 0, 100, 100))) << img.GetLastError();
    ExpectProbes(img, {{25, 25, kRed}, {75, 25, kRed}, {50, 75, kWhite}}, "enhanced");

    Emf odd;
    odd.R(39, {1, 0, int32_t(kRed), 0}).R(37, {1}).R(43, {0, 0, 50, 50});
    odd.rec.u32(43).u32(26).u32(50).u32(50).u32(100).u32(100); // size not a multiple of 4
    odd.R(43, {50, 50, 100, 100});
    ASSERT_TRUE(DecodeWmf(img, odd.Build(0, 0, 100, 100))) << img.GetLastError();
    ExpectProbes(img, {{25, 25, kRed}, {75, 75, kWhite}}, "odd size");
}

TEST(RasterWMF, ManyRecordsStopAtTheCap)
{
    Emf e;
    for (uint32_t i = 0; i < CMetafilePlayer::kMaxRecords + 10; ++i)
        e.rec.u32(33).u32(8); // save: a record that draws nothing
    e.R(39, {1, 0, int32_t(kRed), 0}).R(37, {1}).R(43, {0, 0, 100, 100});
    CRaster img;
    ASSERT_TRUE(DecodeWmf(img, e.Build(0, 0, 10, 10))) << img.GetLastError();
    EXPECT_EQ(At(img, 5, 5), kWhite);
}

TEST(RasterWMF, PlayerStopsWhenItsDrawingBudgetIsSpent)
{
    Emf e;
    for (int i = 0; i < 100000; ++i)
        e.R(43, {-10, -10, 110, 110});
    const std::vector<uint8_t> bytes = e.Build(0, 0, 100, 100);
    platform::gdi::DeviceBitmap surface;
    ASSERT_TRUE(surface.Create(100, 100, 32));
    platform::gdi::DeviceContext dc(surface);
    CMetafilePlayer player(dc, 100, 100);
    player.PlayEmf(bytes.data(), bytes.size());
    EXPECT_EQ(player.StopReason(), "drawing budget spent");
    EXPECT_GT(player.RecordsPlayed(), 100u);
    EXPECT_LT(player.RecordsPlayed(), 10000u);

    // Every record a new font size: font files are opened a few hundred times at most.
    Emf fonts;
    for (int i = 1; i <= 3000; ++i) {
        fonts.rec.u32(82).u32(8 + 4 + 92).u32(1).u32(static_cast<uint32_t>(-i)).fill(88, 0);
        fonts.R(37, {1});
        fonts.rec.u32(83).u32(8 + 68 + 4).fill(16, 0).u32(1).u32(0).u32(0);
        fonts.rec.u32(0).u32(0).u32(1).u32(8 + 68).u32(0).fill(16, 0).u32(0).raw({'x', 0, 0, 0});
    }
    const std::vector<uint8_t> text = fonts.Build(0, 0, 100, 100);
    CMetafilePlayer texts(dc, 100, 100);
    texts.PlayEmf(text.data(), text.size());
    if (HaveFonts()) {
        EXPECT_EQ(texts.StopReason(), "drawing budget spent");
        EXPECT_LT(texts.RecordsPlayed(), 2000u);
    }
}

TEST(RasterWMF, EscapeMemoryCapEncodeAndDispatch)
{
    const std::vector<uint8_t> emf = Emf().Build(0, 0, 300, 200);
    CRaster img;
    img.SetEscape(1);
    EXPECT_FALSE(DecodeWmf(img, emf));
    EXPECT_STREQ(img.GetLastError(), "Cancelled");

    const uint64_t cap = CRaster::GetMaxMemory();
    CRaster::SetMaxMemory(100 * 1000);
    CRaster small;
    EXPECT_FALSE(DecodeWmf(small, emf));
    EXPECT_STREQ(small.GetLastError(), "RASTER_MAX_MEMORY exceeded");
    CRaster::SetMaxMemory(cap);

    // Any codec: a metafile is found by the type-0 chain.
    CRaster any;
    ASSERT_TRUE(DecodeWmf(any, emf, RASTER_FORMAT_UNKNOWN)) << any.GetLastError();
    EXPECT_EQ(any.GetType(), RASTER_FORMAT_WMF);
    EXPECT_EQ(any.GetWidth(), 300u);

    CRasterMemFile out;
    out.Open();
    EXPECT_FALSE(any.Encode(&out, RASTER_FORMAT_WMF));
    EXPECT_STREQ(any.GetLastError(), "Save WMF not supported");
    CRasterWMF codec;
    EXPECT_FALSE(codec.Encode(nullptr));
    EXPECT_STREQ(codec.GetLastError(), "");
    EXPECT_FALSE(codec.Decode(nullptr));
}

} // namespace
