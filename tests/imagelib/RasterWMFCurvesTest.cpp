// Tests of the metafile player's curves, regions and fill modes: arcs, pies, chords, Bezier curves and region fills
// of both formats drawn from hand-made records and checked at pixels where a wrong shape shows.
#include "MetafileTestUtil.h"
#include "RasterTestUtil.h"

#include <gtest/gtest.h>

#include <array>
#include <cstring>
#include <string>
#include <utility>
#include <vector>

using namespace rastertest;
using namespace wmftest;

namespace {

// A placeable picture of 100 x 100 pixels, one logical unit a pixel.
std::vector<uint8_t> Pixels(Wmf& w)
{
    return Placeable(w.Build(), 0, 0, 100, 100, 96);
}

// Pixels of `colour` in the box [l, r) x [t, b), counted from the top.
int Count(CRaster& img, int l, int t, int r, int b, uint32_t colour)
{
    int n = 0;
    for (int y = t; y < b; ++y)
        for (int x = l; x < r; ++x)
            n += At(img, x, y) == colour;
    return n;
}

// The pixel or one of its eight neighbours has the colour: for thin lines whose rounding may go either way.
bool Near(CRaster& img, int x, int y, uint32_t colour)
{
    return Count(img, x - 1, y - 1, x + 2, y + 2, colour) > 0;
}

int32_t Xy16(int x, int y)
{
    return static_cast<int32_t>(uint32_t(x & 0xFFFF) | (uint32_t(y) << 16));
}

// Enhanced metafile setup: a red brush and the null pen, or a red pen and the null brush.
Emf RedBrush()
{
    Emf e;
    e.R(39, {1, 0, int32_t(kRed), 0}).R(37, {1}).R(37, {int32_t(0x80000008)});
    return e;
}
Emf RedPen()
{
    Emf e;
    e.R(38, {2, 0, 1, 0, int32_t(kRed)}).R(37, {2}).R(37, {int32_t(0x80000005)});
    return e;
}

struct ShapeCase {
    const char* name;
    std::vector<uint8_t> bytes;
    std::vector<Probe> probes;
};

TEST(MetafileCurves, PiesAndChordsFillTheirPartOfTheEllipse)
{
    // The circle in (10, 10) - (90, 90) from the ray through (95, 50) (right) to the one through (50, 5) (top).
    const std::vector<Probe> quarter = {{65, 35, kRed},   {60, 40, kRed},   {35, 35, kWhite},
                                        {65, 65, kWhite}, {35, 65, kWhite}, {86, 14, kWhite}};
    const std::vector<Probe> threeQuarters = {{65, 35, kWhite}, {35, 35, kRed}, {65, 65, kRed}, {35, 65, kRed}};
    const std::vector<Probe> chord = {{75, 25, kRed}, {60, 40, kWhite}, {35, 35, kWhite}, {86, 14, kWhite}};
    auto wmf = [](uint16_t function) {
        Wmf w;
        w.Pen(kBlack, 5).Select(0).Brush(kRed).Select(1).R(function, {5, 50, 50, 95, 90, 90, 10, 10});
        return Pixels(w);
    };
    auto emf = [](uint32_t type, bool clockwise) {
        Emf e = RedBrush();
        if (clockwise)
            e.R(57, {2});
        e.R(type, {10, 10, 90, 90, 95, 50, 50, 5});
        return e.Build(0, 0, 100, 100);
    };
    const ShapeCase cases[] = {
        {"wmf pie", wmf(0x081A), quarter},
        {"wmf chord", wmf(0x0830), chord},
        {"emf pie", emf(47, false), quarter},
        {"emf chord", emf(46, false), chord},
        {"emf pie clockwise", emf(47, true), threeQuarters},
    };
    for (const ShapeCase& c : cases) {
        CRaster img;
        ASSERT_TRUE(DecodeWmf(img, c.bytes)) << c.name << ": " << img.GetLastError();
        for (const Probe& p : c.probes)
            EXPECT_EQ(At(img, p.x, p.y), p.colour) << c.name << " at " << p.x << "," << p.y;
    }
}

TEST(MetafileCurves, ArcsOutlineOnlyTheirPart)
{
    struct ArcCase {
        const char* name;
        std::vector<uint8_t> bytes;
        bool quadrants[4]; // top-right, top-left, bottom-left, bottom-right hold ink
    };
    auto wmf = [](int xe, int ye) {
        Wmf w;
        w.Pen(kRed).Select(0).R(0x0817, {ye, xe, 50, 95, 90, 90, 10, 10});
        return Pixels(w);
    };
    auto emf = [](int xe, int ye, bool clockwise) {
        Emf e = RedPen();
        if (clockwise)
            e.R(57, {2});
        e.R(45, {10, 10, 90, 90, 95, 50, xe, ye});
        return e.Build(0, 0, 100, 100);
    };
    const ArcCase cases[] = {
        {"wmf quarter", wmf(50, 5), {true, false, false, false}},
        {"wmf half", wmf(5, 50), {true, true, false, false}},
        {"wmf start is end: whole ellipse", wmf(95, 50), {true, true, true, true}},
        {"emf quarter", emf(50, 5, false), {true, false, false, false}},
        {"emf clockwise", emf(50, 5, true), {false, true, true, true}},
    };
    for (const ArcCase& c : cases) {
        CRaster img;
        ASSERT_TRUE(DecodeWmf(img, c.bytes)) << c.name << ": " << img.GetLastError();
        // Quadrants less a band along the axes, where the ends of the arc lie.
        const int ink[4] = {Count(img, 53, 0, 100, 47, kRed), Count(img, 0, 0, 47, 47, kRed),
                            Count(img, 0, 53, 47, 100, kRed), Count(img, 53, 53, 100, 100, kRed)};
        for (int q = 0; q < 4; ++q)
            EXPECT_EQ(ink[q] > 20, c.quadrants[q]) << c.name << " quadrant " << q << ": " << ink[q];
        int inside = 0;
        for (int y = 0; y < 100; ++y)
            for (int x = 0; x < 100; ++x)
                inside += (x - 49.5) * (x - 49.5) + (y - 49.5) * (y - 49.5) < 35 * 35 && At(img, x, y) == kRed;
        EXPECT_EQ(inside, 0) << c.name << ": ink inside the ellipse";
        EXPECT_TRUE(Near(img, 78, 22, kRed) || !c.quadrants[0]) << c.name;
    }
}

TEST(MetafileCurves, ArcToAndAngleArcDrawFromAndMoveTheCurrentPosition)
{
    // ArcTo: a line from (10, 90) to the arc's start on the right, the top-right quarter, then the current
    // position is the arc's end at the top and the next line runs left from there.
    Emf e = RedPen();
    e.R(27, {10, 90}).R(55, {10, 10, 90, 90, 95, 50, 50, 5}).R(54, {10, 10});
    CRaster img;
    ASSERT_TRUE(DecodeWmf(img, e.Build(0, 0, 100, 100))) << img.GetLastError();
    EXPECT_TRUE(Near(img, 50, 70, kRed));
    EXPECT_TRUE(Near(img, 78, 22, kRed));
    EXPECT_TRUE(Near(img, 30, 10, kRed));
    EXPECT_EQ(Count(img, 0, 0, 45, 45, kRed), Count(img, 0, 8, 45, 13, kRed)); // top-left: only that line

    // AngleArc: centre (50, 50), radius 30, from 0 degrees by +90 (up) or -90 (down), then a line from its end.
    struct {
        float sweep;
        Probe arc, after;
    } cases[] = {{90, {71, 29, kRed}, {50, 12, kRed}}, {-90, {71, 71, kRed}, {50, 88, kRed}}};
    for (const auto& c : cases) {
        Emf a = RedPen();
        uint32_t sweepBits = 0;
        std::memcpy(&sweepBits, &c.sweep, 4);
        a.R(27, {20, 50}).R(41, {50, 50, 30, 0, int32_t(sweepBits)}).R(54, {50, c.sweep > 0 ? 5 : 95});
        CRaster arc;
        ASSERT_TRUE(DecodeWmf(arc, a.Build(0, 0, 100, 100))) << arc.GetLastError();
        EXPECT_TRUE(Near(arc, 35, 50, kRed)) << c.sweep << ": line to the start";
        EXPECT_TRUE(Near(arc, c.arc.x, c.arc.y, kRed)) << c.sweep;
        EXPECT_TRUE(Near(arc, c.after.x, c.after.y, kRed)) << c.sweep << ": line from the end";
        EXPECT_EQ(c.sweep > 0 ? Count(arc, 0, 53, 100, 100, kRed) : Count(arc, 0, 0, 100, 47, kRed), 0)
            << c.sweep << ": ink on the other side";
    }
}

TEST(MetafileCurves, FillModeDecidesTheMiddleOfSelfOverlappingPolygons)
{
    // A five-pointed star in one stroke, and two squares wound the same way: their middles are covered twice.
    const std::vector<std::pair<int, int>> star = {{50, 5}, {76, 85}, {8, 35}, {92, 35}, {24, 85}};
    const std::vector<std::pair<int, int>> squares = {{10, 10}, {60, 10}, {60, 60}, {10, 60},
                                                      {40, 40}, {90, 40}, {90, 90}, {40, 90}};
    struct Kind {
        const char* name;
        bool wmf;
        uint32_t record;
        bool twoRings;
    };
    const Kind kinds[] = {{"wmf polygon", true, 0x0324, false}, {"wmf polypolygon", true, 0x0538, true},
                          {"emf polygon", false, 3, false},     {"emf polygon16", false, 86, false},
                          {"emf polypolygon", false, 8, true},  {"emf polypolygon16", false, 91, true}};
    for (const Kind& k : kinds) {
        const auto& pts = k.twoRings ? squares : star;
        for (int mode : {0, 1, 2}) {
            std::vector<uint8_t> bytes;
            if (k.wmf) {
                Wmf w;
                w.Pen(kBlack, 5).Select(0).Brush(kRed).Select(1);
                if (mode)
                    w.R(0x0106, {mode});
                std::vector<int> words;
                if (k.twoRings)
                    words = {2, 4, 4};
                else
                    words = {static_cast<int>(pts.size())};
                for (auto [x, y] : pts)
                    words.push_back(x), words.push_back(y);
                w.rec.u32(static_cast<uint32_t>(3 + words.size())).u16(static_cast<uint16_t>(k.record));
                for (int v : words)
                    w.rec.u16(static_cast<uint16_t>(v));
                bytes = Pixels(w);
            } else {
                Emf e = RedBrush();
                if (mode)
                    e.R(19, {mode});
                const bool small = k.record >= 86;
                std::vector<int32_t> fields = {0, 0, 0, 0};
                if (k.twoRings)
                    fields.insert(fields.end(), {2, 8, 4, 4});
                else
                    fields.push_back(static_cast<int32_t>(pts.size()));
                for (auto [x, y] : pts) {
                    if (small)
                        fields.push_back(Xy16(x, y));
                    else
                        fields.push_back(x), fields.push_back(y);
                }
                e.rec.u32(k.record).u32(static_cast<uint32_t>(8 + 4 * fields.size()));
                for (int32_t f : fields)
                    e.rec.u32(static_cast<uint32_t>(f));
                ++e.records;
                bytes = e.Build(0, 0, 100, 100);
            }
            CRaster img;
            ASSERT_TRUE(DecodeWmf(img, bytes)) << k.name << ": " << img.GetLastError();
            const std::string what = std::string(k.name) + " mode " + std::to_string(mode);
            EXPECT_EQ(At(img, 50, 50), mode == 2 ? kRed : kWhite) << what;
            EXPECT_EQ(At(img, k.twoRings ? 20 : 50, k.twoRings ? 20 : 15), kRed) << what;
            EXPECT_EQ(At(img, k.twoRings ? 80 : 50, k.twoRings ? 20 : 80), kWhite) << what;
        }
    }
}

TEST(MetafileCurves, BezierCurvesRunThroughTheirPointsNotTheirControls)
{
    // One piece from (10, 80) bending up through controls (10, 10) and (90, 10) to (90, 80): at t = 1/2 it passes
    // (50, 27.5), at t = 1/4 (22.5, 40.6); never along the controls' line y = 10.
    struct Case {
        const char* name;
        uint32_t type;
        bool twoPieces;
    };
    const Case cases[] = {
        {"bezier", 2, true}, {"bezier16", 85, false}, {"bezier to", 5, false}, {"bezier to 16", 88, false}};
    for (const Case& c : cases) {
        const bool to = c.type == 5 || c.type == 88, small = c.type >= 85;
        std::vector<std::pair<int, int>> pts = {{10, 80}, {10, 10}, {90, 10}, {90, 80}};
        if (c.twoPieces)
            pts.insert(pts.end(), {{90, 98}, {10, 98}, {10, 90}}); // back below: (50, 94.75) at its middle
        if (to)
            pts.erase(pts.begin());
        Emf e = RedPen();
        if (to)
            e.R(27, {10, 80});
        else
            e.R(27, {10, 60});
        std::vector<int32_t> fields = {0, 0, 0, 0, static_cast<int32_t>(pts.size())};
        for (auto [x, y] : pts) {
            if (small)
                fields.push_back(Xy16(x, y));
            else
                fields.push_back(x), fields.push_back(y);
        }
        e.rec.u32(c.type).u32(static_cast<uint32_t>(8 + 4 * fields.size()));
        for (int32_t f : fields)
            e.rec.u32(static_cast<uint32_t>(f));
        ++e.records;
        // The next line starts at the curve's end only for the "to" kinds.
        e.R(54, {to ? 60 : 30, to ? 80 : 60});
        CRaster img;
        ASSERT_TRUE(DecodeWmf(img, e.Build(0, 0, 100, 100))) << c.name << ": " << img.GetLastError();
        EXPECT_TRUE(Near(img, 50, 27, kRed) && Near(img, 50, 28, kRed)) << c.name;
        EXPECT_TRUE(Near(img, 22, 40, kRed) || Near(img, 23, 41, kRed)) << c.name;
        EXPECT_EQ(Count(img, 20, 5, 80, 20, kRed), 0) << c.name << ": ink along the controls";
        EXPECT_EQ(At(img, 50, 50), kWhite) << c.name;
        EXPECT_TRUE(Near(img, 10, 78, kRed) && Near(img, 90, 78, kRed)) << c.name << ": ends";
        EXPECT_EQ(Near(img, 50, 95, kRed), c.twoPieces) << c.name;
        if (to) {
            EXPECT_TRUE(Near(img, 75, 80, kRed)) << c.name << ": line from the end";
        } else {
            EXPECT_EQ(At(img, 20, 60), kRed) << c.name << ": line from the position before";
        }
    }
}

// Enhanced metafile region data: header (size, type 1, count, data size, bounds), then the rectangles.
std::vector<int32_t> RegionData(std::initializer_list<std::array<int32_t, 4>> rects, int32_t count = -1)
{
    const int32_t n = static_cast<int32_t>(rects.size());
    std::vector<int32_t> d = {32, 1, count < 0 ? n : count, 16 * n, 0, 0, 100, 100};
    for (const auto& r : rects)
        d.insert(d.end(), r.begin(), r.end());
    return d;
}

void RegionRecord(Emf& e, uint32_t type, std::initializer_list<int32_t> head, const std::vector<int32_t>& data)
{
    e.rec.u32(type).u32(static_cast<uint32_t>(8 + 4 * (head.size() + data.size())));
    for (int32_t f : head)
        e.rec.u32(static_cast<uint32_t>(f));
    for (int32_t f : data)
        e.rec.u32(static_cast<uint32_t>(f));
    ++e.records;
}

TEST(MetafileCurves, RegionsFillTheirRectangles)
{
    // Enhanced: filled with a table brush and a stock brush, painted with the current brush.
    Emf e = RedBrush();
    e.R(39, {2, 0, int32_t(kBlue), 0});
    const std::vector<int32_t> two = RegionData({{10, 10, 30, 30}, {50, 50, 90, 60}});
    RegionRecord(e, 71, {0, 0, 100, 100, int32_t(4 * two.size()), 2}, two);
    const std::vector<int32_t> one = RegionData({{60, 10, 90, 30}});
    RegionRecord(e, 71, {0, 0, 100, 100, int32_t(4 * one.size()), int32_t(0x80000004)}, one);
    const std::vector<int32_t> painted = RegionData({{10, 70, 40, 90}});
    RegionRecord(e, 74, {0, 0, 100, 100, int32_t(4 * painted.size())}, painted);
    CRaster img;
    ASSERT_TRUE(DecodeWmf(img, e.Build(0, 0, 100, 100))) << img.GetLastError();
    ExpectProbes(img,
                 {{10, 10, kBlue},
                  {29, 29, kBlue},
                  {30, 30, kWhite},
                  {70, 55, kBlue},
                  {70, 61, kWhite},
                  {75, 20, kBlack},
                  {25, 80, kRed},
                  {45, 20, kWhite}},
                 "enhanced regions");

    // Windows: a region of two scans, (10..30, 50..70) on rows 10..30 and 20..40 on rows 40..50, filled with a
    // table brush; a second region painted with the current brush.
    Wmf w;
    w.objects = 5;
    w.Pen(kBlack, 5).Select(0).Brush(kBlue); // slots 0 and 1
    w.R(0x06FF, {0, 6, 0, 0, 50, 2, 4, 10, 10, 70, 50, 4, 10, 30, 10, 30, 50, 70, 4, 2, 40, 50, 20, 40, 2});
    w.R(0x06FF, {0, 6, 0, 0, 30, 1, 2, 60, 70, 90, 90, 2, 70, 90, 60, 90, 2});
    w.Brush(kRed).Select(4);
    w.R(0x0228, {2, 1}).R(0x012B, {3});
    CRaster wimg;
    ASSERT_TRUE(DecodeWmf(wimg, Pixels(w))) << wimg.GetLastError();
    ExpectProbes(wimg,
                 {{20, 20, kBlue},
                  {60, 20, kBlue},
                  {40, 20, kWhite},
                  {30, 45, kBlue},
                  {30, 35, kWhite},
                  {75, 80, kRed},
                  {55, 80, kWhite}},
                 "windows regions");
}

TEST(MetafileCurves, BrokenCurveAndRegionRecords)
{
    // A red square, the record, a blue square: a record too short for what it says ends playback there; a
    // malformed Windows region is kept as an empty one.
    struct Case {
        const char* name;
        std::vector<uint8_t> bytes;
        bool playsOn;
    };
    auto emf = [](auto add) {
        Emf e = RedBrush();
        e.R(43, {0, 0, 50, 50});
        add(e);
        e.R(39, {3, 0, int32_t(kBlue), 0}).R(37, {3}).R(43, {50, 50, 100, 100});
        return e.Build(0, 0, 100, 100);
    };
    auto wmf = [](auto add) {
        Wmf w;
        w.Pen(kBlack, 5).Select(0).Brush(kRed).Select(1).Brush(kBlue).Rect(0, 0, 50, 50);
        add(w);
        w.Select(2).Rect(50, 50, 100, 100);
        return Pixels(w);
    };
    const Case cases[] = {
        {"bezier count past the record", emf([](Emf& e) {
             e.R(2, {0, 0, 0, 0, 100, 1, 2, 3, 4});
         }),
         false},
        {"bezier16 count past the record", emf([](Emf& e) {
             e.R(85, {0, 0, 0, 0, 9, 1, 2});
         }),
         false},
        {"arc too short", emf([](Emf& e) {
             e.R(45, {10, 10, 90, 90, 1});
         }),
         false},
        {"region data past the record", emf([](Emf& e) {
             RegionRecord(e, 71, {0, 0, 1, 1, 4000, 1}, RegionData({{0, 0, 9, 9}}));
         }),
         false},
        {"region count past its data", emf([](Emf& e) {
             RegionRecord(e, 74, {0, 0, 1, 1, 48}, RegionData({{60, 60, 70, 70}}, 5));
         }),
         false},
        {"bezier count not a whole piece", emf([](Emf& e) {
             e.R(2, {0, 0, 0, 0, 2, 60, 60, 90, 90});
         }),
         true},
        {"wmf arc too short", wmf([](Wmf& w) {
             w.R(0x081A, {1, 2, 3, 4, 5});
         }),
         false},
        {"wmf region scans past the record", wmf([](Wmf& w) {
             w.R(0x06FF, {0, 6, 0, 0, 50, 9, 4, 0, 0, 100, 100, 4, 60, 90, 60, 90}).R(0x0228, {3, 1});
         }),
         true},
    };
    for (const Case& c : cases) {
        CRaster img;
        ASSERT_TRUE(DecodeWmf(img, c.bytes)) << c.name << ": " << img.GetLastError();
        ExpectProbes(img, {{20, 20, kRed}, {62, 62, c.playsOn ? kBlue : kWhite}, {80, 20, kWhite}}, c.name);
    }
}

} // namespace
