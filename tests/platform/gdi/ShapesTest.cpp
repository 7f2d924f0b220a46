// Tests of pens, brushes, lines, polygons filled even-odd and by winding, rectangles and ellipses on 16-bit surfaces
// and 32-bit device bitmaps.
#include "platform/gdi/DeviceContext.h"

#include <gtest/gtest.h>

#include <set>
#include <utility>
#include <vector>

using namespace platform;
using namespace platform::gdi;

namespace {

constexpr COLORREF kWhite = RGB(255, 255, 255);
constexpr COLORREF kInk = RGB(131, 187, 68);

DeviceBitmap WhiteBitmap(int w, int h)
{
    DeviceBitmap bm;
    EXPECT_TRUE(bm.Create(w, h, 32));
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            bm.SetPixel(x, y, kWhite);
    return bm;
}

using Pixels = std::set<std::pair<int, int>>;

Pixels InkedPixels(const DeviceBitmap& bm)
{
    Pixels out;
    for (int y = 0; y < bm.Height(); ++y)
        for (int x = 0; x < bm.Width(); ++x)
            if (bm.GetPixel(x, y) != kWhite)
                out.insert({x, y});
    return out;
}

// Every pixel is either the ground or one of the given colours: nothing blended.
bool OnlyColours(const DeviceBitmap& bm, std::set<COLORREF> allowed)
{
    allowed.insert(kWhite);
    for (int y = 0; y < bm.Height(); ++y)
        for (int x = 0; x < bm.Width(); ++x)
            if (!allowed.count(bm.GetPixel(x, y)))
                return false;
    return true;
}

TEST(GdiShapes, LinesStopBeforeTheirEndPixel)
{
    struct Case {
        POINT from, to;
        Pixels expected;
    };
    const Case cases[] = {
        {{1, 1}, {5, 1}, {{1, 1}, {2, 1}, {3, 1}, {4, 1}}},
        {{2, 5}, {2, 2}, {{2, 5}, {2, 4}, {2, 3}}},
        {{0, 0}, {4, 4}, {{0, 0}, {1, 1}, {2, 2}, {3, 3}}},
        // Shallow lines take the row nearest the exact line, in either direction.
        {{0, 0}, {6, 2}, {{0, 0}, {1, 0}, {2, 1}, {3, 1}, {4, 1}, {5, 2}}},
        {{6, 2}, {0, 0}, {{6, 2}, {5, 2}, {4, 1}, {3, 1}, {2, 1}, {1, 0}}},
        {{3, 3}, {3, 3}, {}},
    };
    for (const Case& c : cases) {
        DeviceBitmap bm = WhiteBitmap(10, 10);
        DeviceContext dc(bm);
        dc.SelectPen(Pen{PS_SOLID, kInk});
        dc.MoveTo(c.from.x, c.from.y);
        EXPECT_TRUE(dc.LineTo(c.to.x, c.to.y));
        EXPECT_EQ(InkedPixels(bm), c.expected) << c.from.x << "," << c.from.y << " -> " << c.to.x << "," << c.to.y;
        EXPECT_TRUE(OnlyColours(bm, {kInk}));
    }
}

TEST(GdiShapes, LineToMovesTheCurrentPositionAndPolylineKeepsIt)
{
    DeviceBitmap bm = WhiteBitmap(10, 10);
    DeviceContext dc(bm);
    POINT previous{-1, -1};
    dc.MoveTo(1, 1, &previous);
    EXPECT_EQ(previous.x, 0);
    EXPECT_EQ(previous.y, 0);
    dc.LineTo(4, 1);
    dc.LineTo(4, 4); // continues from (4, 1): the corner is drawn once, by the second line
    EXPECT_EQ(InkedPixels(bm), (Pixels{{1, 1}, {2, 1}, {3, 1}, {4, 1}, {4, 2}, {4, 3}}));

    DeviceBitmap bm2 = WhiteBitmap(10, 10);
    DeviceContext dc2(bm2);
    dc2.MoveTo(9, 9);
    const POINT path[] = {{0, 0}, {2, 0}, {2, 2}};
    EXPECT_TRUE(dc2.Polyline(path, 3));
    EXPECT_EQ(InkedPixels(bm2), (Pixels{{0, 0}, {1, 0}, {2, 0}, {2, 1}}));
    dc2.LineTo(9, 7); // still from (9, 9)
    EXPECT_TRUE(InkedPixels(bm2).count({9, 8}));
    EXPECT_FALSE(dc2.Polyline(path, 1));
}

TEST(GdiShapes, NullPenDrawsNothing)
{
    DeviceBitmap bm = WhiteBitmap(8, 8);
    DeviceContext dc(bm);
    Pen old = dc.SelectPen(Pen{PS_NULL, kInk});
    EXPECT_EQ(old.colour, RGB(0, 0, 0)); // the default pen is solid black
    dc.MoveTo(0, 0);
    dc.LineTo(7, 7);
    const POINT ring[] = {{1, 1}, {6, 1}, {6, 6}};
    const int count = 3;
    dc.SelectBrush(Brush{BS_NULL, kInk});
    dc.PolyPolygon(ring, &count, 1);
    EXPECT_TRUE(InkedPixels(bm).empty());
}

TEST(GdiShapes, PolygonFillsPixelsWhoseCentresAreInsideAndTheOutlineClosesIt)
{
    const POINT square[] = {{0, 0}, {10, 0}, {10, 10}, {0, 10}};
    const int count = 4;
    DeviceBitmap bm = WhiteBitmap(16, 16);
    DeviceContext dc(bm);
    dc.SelectPen(Pen{PS_NULL, 0});
    dc.SelectBrush(Brush{BS_SOLID, kInk});
    EXPECT_TRUE(dc.PolyPolygon(square, &count, 1));
    const Pixels filled = InkedPixels(bm);
    EXPECT_EQ(filled.size(), 100u); // columns and rows 0..9
    EXPECT_TRUE(filled.count({9, 9}));
    EXPECT_FALSE(filled.count({10, 5}));

    // With a pen the outline adds the right and bottom edges: an 11 x 11 block, border in the pen's colour.
    DeviceBitmap bm2 = WhiteBitmap(16, 16);
    DeviceContext dc2(bm2);
    dc2.SelectPen(Pen{PS_SOLID, RGB(0, 0, 255)});
    dc2.SelectBrush(Brush{BS_SOLID, kInk});
    dc2.PolyPolygon(square, &count, 1);
    EXPECT_EQ(InkedPixels(bm2).size(), 121u);
    EXPECT_EQ(bm2.GetPixel(10, 10), RGB(0, 0, 255));
    EXPECT_EQ(bm2.GetPixel(0, 5), RGB(0, 0, 255));
    EXPECT_EQ(bm2.GetPixel(5, 5), kInk);
    EXPECT_TRUE(OnlyColours(bm2, {kInk, RGB(0, 0, 255)}));
}

TEST(GdiShapes, EvenOddRingsMakeHolesAndOverlapsCancel)
{
    // A ring inside another (a town with a hole), wound the same way.
    const POINT rings[] = {{0, 0}, {20, 0}, {20, 20}, {0, 20}, {5, 5}, {15, 5}, {15, 15}, {5, 15}};
    const int counts[] = {4, 4};
    DeviceBitmap bm = WhiteBitmap(24, 24);
    DeviceContext dc(bm);
    dc.SelectPen(Pen{PS_NULL, 0});
    dc.SelectBrush(Brush{BS_SOLID, kInk});
    EXPECT_TRUE(dc.PolyPolygon(rings, counts, 2));
    EXPECT_EQ(bm.GetPixel(2, 2), kInk);
    EXPECT_EQ(bm.GetPixel(10, 10), kWhite);
    EXPECT_EQ(bm.GetPixel(4, 10), kInk);
    EXPECT_EQ(bm.GetPixel(15, 10), kInk);
    EXPECT_EQ(InkedPixels(bm).size(), 400u - 100u);

    // Two overlapping squares: their common part is outside by the even-odd rule.
    const POINT overlap[] = {{0, 0}, {10, 0}, {10, 10}, {0, 10}, {5, 5}, {15, 5}, {15, 15}, {5, 15}};
    DeviceBitmap bm2 = WhiteBitmap(24, 24);
    DeviceContext dc2(bm2);
    dc2.SelectPen(Pen{PS_NULL, 0});
    dc2.SelectBrush(Brush{BS_SOLID, kInk});
    dc2.PolyPolygon(overlap, counts, 2);
    EXPECT_EQ(bm2.GetPixel(7, 7), kWhite);
    EXPECT_EQ(bm2.GetPixel(2, 2), kInk);
    EXPECT_EQ(bm2.GetPixel(12, 12), kInk);

    // A self-crossing ring (a bow tie) fills both wings and nothing is blended at its slanted edges.
    const POINT bow[] = {{0, 0}, {20, 20}, {20, 0}, {0, 20}};
    const int four = 4;
    DeviceBitmap bm3 = WhiteBitmap(24, 24);
    DeviceContext dc3(bm3);
    dc3.SelectBrush(Brush{BS_SOLID, kInk});
    dc3.PolyPolygon(bow, &four, 1);
    EXPECT_EQ(bm3.GetPixel(2, 10), kInk);
    EXPECT_EQ(bm3.GetPixel(10, 2), kWhite);
    EXPECT_TRUE(OnlyColours(bm3, {kInk, RGB(0, 0, 0)}));

    const int bad[] = {4, 1};
    EXPECT_FALSE(dc.PolyPolygon(rings, bad, 2));
}

TEST(GdiShapes, WindingModeFillsWhatTheOutlineWindsAround)
{
    const int counts[] = {4, 4};
    struct Case {
        const char* name;
        std::vector<POINT> points;
        POINT probe;       // the part even-odd leaves empty
        bool windingFills; // and whether winding fills it
    };
    const Case cases[] = {
        {"overlap, same way", {{0, 0}, {10, 0}, {10, 10}, {0, 10}, {5, 5}, {15, 5}, {15, 15}, {5, 15}}, {7, 7}, true},
        {"ring in ring, same way",
         {{0, 0}, {20, 0}, {20, 20}, {0, 20}, {5, 5}, {15, 5}, {15, 15}, {5, 15}},
         {10, 10},
         true},
        {"ring in ring, other way",
         {{0, 0}, {20, 0}, {20, 20}, {0, 20}, {5, 5}, {5, 15}, {15, 15}, {15, 5}},
         {10, 10},
         false},
    };
    for (const Case& c : cases) {
        for (int mode : {ALTERNATE, WINDING}) {
            DeviceBitmap bm = WhiteBitmap(24, 24);
            DeviceContext dc(bm);
            dc.SelectPen(Pen{PS_NULL, 0});
            dc.SelectBrush(Brush{BS_SOLID, kInk});
            EXPECT_EQ(dc.SetPolyFillMode(mode), ALTERNATE);
            EXPECT_TRUE(dc.PolyPolygon(c.points.data(), counts, 2));
            const bool filled = bm.GetPixel(c.probe.x, c.probe.y) == kInk;
            EXPECT_EQ(filled, mode == WINDING && c.windingFills) << c.name << " mode " << mode;
            EXPECT_EQ(bm.GetPixel(2, 2), kInk) << c.name;
            EXPECT_EQ(bm.GetPixel(22, 22), kWhite) << c.name;
        }
    }
    // A star drawn in one stroke: its middle is wound twice.
    const POINT star[] = {{12, 0}, {19, 22}, {1, 8}, {23, 8}, {5, 22}};
    const int five = 5;
    DeviceBitmap bm = WhiteBitmap(24, 24);
    DeviceContext dc(bm);
    dc.SelectPen(Pen{PS_NULL, 0});
    dc.SelectBrush(Brush{BS_SOLID, kInk});
    EXPECT_EQ(dc.SetPolyFillMode(7), 0);
    EXPECT_EQ(dc.GetPolyFillMode(), ALTERNATE);
    dc.Polygon(star, five);
    EXPECT_EQ(bm.GetPixel(12, 12), kWhite);
    dc.SetPolyFillMode(WINDING);
    dc.Polygon(star, five);
    EXPECT_EQ(bm.GetPixel(12, 12), kInk);
    EXPECT_EQ(bm.GetPixel(12, 3), kInk);
    EXPECT_EQ(bm.GetPixel(3, 3), kWhite);
}

TEST(GdiShapes, FarOffCoordinatesAreClippedQuickly)
{
    DeviceBitmap bm = WhiteBitmap(32, 8);
    DeviceContext dc(bm);
    dc.SelectPen(Pen{PS_SOLID, kInk});
    dc.MoveTo(-2000000000, 3);
    dc.LineTo(2000000000, 3);
    for (int x = 0; x < 32; ++x)
        EXPECT_EQ(bm.GetPixel(x, 3), kInk) << x;
    EXPECT_EQ(InkedPixels(bm).size(), 32u);

    const POINT huge[] = {
        {-2000000000, -2000000000}, {2000000000, -2000000000}, {2000000000, 2000000000}, {-2000000000, 2000000000}};
    const int count = 4;
    DeviceBitmap bm2 = WhiteBitmap(32, 8);
    DeviceContext dc2(bm2);
    dc2.SelectBrush(Brush{BS_SOLID, kInk});
    dc2.PolyPolygon(huge, &count, 1);
    EXPECT_EQ(InkedPixels(bm2).size(), 32u * 8u);
}

TEST(GdiShapes, ClipRegionAndSixteenBitSurfaces)
{
    PixelSurface s;
    ASSERT_TRUE(s.Create(10, 10));
    DeviceContext dc(s);
    dc.IntersectClipRect(RECT{0, 0, 5, 10});
    dc.SelectPen(Pen{PS_SOLID, kInk});
    dc.MoveTo(0, 2);
    dc.LineTo(10, 2);
    dc.SelectBrush(Brush{BS_SOLID, RGB(255, 0, 0)});
    const POINT square[] = {{0, 5}, {10, 5}, {10, 8}, {0, 8}};
    const int count = 4;
    dc.PolyPolygon(square, &count, 1);
    EXPECT_EQ(s.GetPixel(4, 2), ColorRefTo565(kInk));
    EXPECT_EQ(s.GetPixel(5, 2), 0);
    EXPECT_EQ(s.GetPixel(2, 6), ColorRefTo565(RGB(255, 0, 0)));
    EXPECT_EQ(s.GetPixel(7, 6), 0);
}

TEST(GdiShapes, TextDrawsIntoBitmapContexts)
{
    DeviceBitmap bm = WhiteBitmap(60, 24);
    DeviceContext dc(bm);
    dc.SetBkMode(TRANSPARENT);
    dc.SetTextColor(RGB(0, 0, 0));
    ASSERT_TRUE(dc.TextOut(2, 2, "Hi", 2));
    EXPECT_FALSE(InkedPixels(bm).empty());
    EXPECT_TRUE(dc.Target().Empty());
}

// The pixels of a box [l, r) x [t, b).
Pixels Box(int l, int t, int r, int b)
{
    Pixels out;
    for (int y = t; y < b; ++y)
        for (int x = l; x < r; ++x)
            out.insert({x, y});
    return out;
}

TEST(GdiShapes, RectangleCoversItsBoxAndWithoutAPenStopsShort)
{
    {
        DeviceBitmap bm = WhiteBitmap(12, 12);
        DeviceContext dc(bm);
        dc.SelectPen(Pen{PS_SOLID, RGB(0, 0, 0)});
        dc.SelectBrush(Brush{BS_SOLID, kInk});
        ASSERT_TRUE(dc.Rectangle(7, 8, 2, 3)); // corners swapped
        EXPECT_EQ(InkedPixels(bm), Box(2, 3, 7, 8));
        EXPECT_EQ(bm.GetPixel(2, 5), RGB(0, 0, 0));
        EXPECT_EQ(bm.GetPixel(6, 5), RGB(0, 0, 0));
        EXPECT_EQ(bm.GetPixel(4, 5), kInk);
    }
    DeviceBitmap bm = WhiteBitmap(12, 12);
    DeviceContext dc(bm);
    dc.SelectPen(Pen{PS_NULL, 0});
    dc.SelectBrush(Brush{BS_SOLID, kInk});
    ASSERT_TRUE(dc.Rectangle(2, 3, 7, 8));
    EXPECT_EQ(InkedPixels(bm), Box(2, 3, 6, 7));
}

TEST(GdiShapes, EllipseAndRoundRectKeepInsideTheirBoxAndCutTheCorners)
{
    for (int kind = 0; kind < 2; ++kind) {
        DeviceBitmap bm = WhiteBitmap(60, 40);
        DeviceContext dc(bm);
        dc.SelectPen(Pen{PS_SOLID, RGB(0, 0, 0)});
        dc.SelectBrush(Brush{BS_SOLID, kInk});
        ASSERT_TRUE(kind == 0 ? dc.Ellipse(10, 5, 50, 35) : dc.RoundRect(10, 5, 50, 35, 16, 12));
        const Pixels inked = InkedPixels(bm);
        for (const auto& [x, y] : inked)
            EXPECT_TRUE(x >= 10 && x < 50 && y >= 5 && y < 35) << kind << ": " << x << "," << y;
        EXPECT_EQ(bm.GetPixel(30, 20), kInk) << kind;
        EXPECT_EQ(bm.GetPixel(10, 5), kWhite) << kind; // corners cut
        EXPECT_EQ(bm.GetPixel(49, 34), kWhite) << kind;
        EXPECT_EQ(bm.GetPixel(30, 5), RGB(0, 0, 0)) << kind; // the edges touch the box at the middle
        EXPECT_EQ(bm.GetPixel(10, 20), RGB(0, 0, 0)) << kind;
        EXPECT_TRUE(OnlyColours(bm, {kInk, RGB(0, 0, 0)})) << kind;
    }
    // A round rectangle keeps straight edges between its corners; an ellipse does not.
    DeviceBitmap bm = WhiteBitmap(60, 40);
    DeviceContext dc(bm);
    dc.SelectBrush(Brush{BS_SOLID, kInk});
    ASSERT_TRUE(dc.RoundRect(10, 5, 50, 35, 16, 12));
    EXPECT_EQ(bm.GetPixel(20, 5), RGB(0, 0, 0));
    EXPECT_EQ(bm.GetPixel(10, 12), RGB(0, 0, 0));
}

TEST(GdiShapes, BitmapFillIsClippedToTheBitmap)
{
    DeviceBitmap bm = WhiteBitmap(8, 6);
    bm.Fill(RECT{-5, 4, 3, 100}, kInk);
    EXPECT_EQ(InkedPixels(bm), Box(0, 4, 3, 6));
    DeviceBitmap palette;
    ASSERT_TRUE(palette.Create(4, 4, 4, {RGB(0, 0, 0), RGB(255, 0, 0)}));
    palette.Fill(RECT{1, 1, 3, 3}, RGB(250, 10, 0));
    EXPECT_EQ(palette.GetRaw(1, 1), 1u);
    EXPECT_EQ(palette.GetRaw(0, 0), 0u);
}

} // namespace
