// Tests of text drawn into surfaces: fonts by cell height, placement in the rectangle, colour, extents, flags.
#include "platform/gdi/DeviceContext.h"

#include <gtest/gtest.h>

#include <limits>

using namespace platform;
using namespace platform::gdi;

namespace {

constexpr uint16_t kWhite = 0xFFFF;

struct Ink {
    RECT box{10000, 10000, -1, -1};
    int count = 0;
    int exact = 0; // pixels in exactly the text colour
};

Ink FindInk(const PixelSurface& s, uint16_t background, uint16_t colour)
{
    Ink ink;
    for (int y = 0; y < s.Height(); ++y)
        for (int x = 0; x < s.Width(); ++x) {
            uint16_t p = s.GetPixel(x, y);
            if (p == background)
                continue;
            ++ink.count;
            ink.exact += p == colour;
            ink.box.left = std::min(ink.box.left, x);
            ink.box.top = std::min(ink.box.top, y);
            ink.box.right = std::max(ink.box.right, x + 1);
            ink.box.bottom = std::max(ink.box.bottom, y + 1);
        }
    return ink;
}

std::unique_ptr<Font> MakeFont(int height, int weight)
{
    FontDesc desc;
    desc.height = height;
    desc.weight = weight;
    auto font = Font::Create(desc);
    EXPECT_TRUE(font);
    return font;
}

} // namespace

TEST(Font, ArialMapsToLiberationSansAtTheAskedCellHeight)
{
    auto bold = MakeFont(14, FW_BOLD);
    auto regular = MakeFont(20, FW_NORMAL);
    ASSERT_TRUE(bold && regular);
    EXPECT_NE(bold->File().find("LiberationSans-Bold.ttf"), std::string::npos);
    EXPECT_NE(regular->File().find("LiberationSans-Regular.ttf"), std::string::npos);
    EXPECT_EQ(bold->Metrics().height, 14);
    EXPECT_EQ(regular->Metrics().height, 20);
    EXPECT_GT(bold->Metrics().ascent, bold->Metrics().descent);
    // A negative height is the character height, so its cell is taller.
    FontDesc em;
    em.height = -20;
    EXPECT_GT(Font::Create(em)->Metrics().height, 20);
}

TEST(Font, AddedFileIsFoundByItsFamilyName)
{
    std::string serif = FindFontFile("Times New Roman", false, false);
    ASSERT_FALSE(serif.empty());
    EXPECT_TRUE(AddFontFile(serif));
    EXPECT_EQ(FindFontFile("Liberation Serif", false, false), serif);
    EXPECT_TRUE(RemoveFontFile(serif));
    EXPECT_FALSE(AddFontFile("no/such/font.ttf"));
}

TEST(DrawText, SingleLineVerticallyCentredInsideItsRectangleInTheTextColour)
{
    const COLORREF colour = 0x326418;
    const uint16_t pixel = ColorRefTo565(colour);
    for (int height : {14, 20}) {
        PixelSurface s;
        ASSERT_TRUE(s.Create(200, 60));
        s.Fill(nullptr, kWhite);
        DeviceContext dc(s);
        auto font = MakeFont(height, height == 14 ? FW_BOLD : FW_NORMAL);
        dc.SelectFont(font.get());
        dc.SetBkMode(TRANSPARENT);
        dc.SetTextColor(colour);
        RECT rect{20, 10, 180, 50};
        dc.DrawText("Move Here", -1, &rect, DT_NOPREFIX | DT_NOCLIP | DT_SINGLELINE | DT_VCENTER);
        Ink ink = FindInk(s, kWhite, pixel);
        ASSERT_GT(ink.count, 20) << height;
        EXPECT_GT(ink.exact, 5) << "fully covered pixels take the text colour, font " << height;
        int cellTop = 10 + (40 - height) / 2;
        EXPECT_GE(ink.box.left, 20);
        EXPECT_GE(ink.box.top, cellTop);
        EXPECT_LE(ink.box.bottom, cellTop + height);
        EXPECT_LE(ink.box.right, 180);
        // Centred: the ink sits in the middle of the rectangle, give or take the glyphs' own margins.
        EXPECT_NEAR((ink.box.top + ink.box.bottom) / 2.0, 30.0, height / 4.0);
        // What is drawn matches the extent.
        SIZE extent;
        ASSERT_TRUE(dc.GetTextExtentPoint32("Move Here", -1, &extent));
        EXPECT_EQ(extent.cy, height);
        EXPECT_LE(ink.box.right - 20, extent.cx + 1);
        EXPECT_GE(ink.box.right - 20, extent.cx - 3);
    }
}

TEST(DrawText, AlignmentClippingAndBackground)
{
    auto font = MakeFont(16, FW_NORMAL);
    struct Case {
        unsigned format;
        RECT rect;
        bool opaque;
        int expectLeft, expectRight; // -1: not checked
    } cases[] = {
        {DT_SINGLELINE | DT_CENTER, {0, 0, 200, 20}, false, -1, -1},
        {DT_SINGLELINE | DT_RIGHT, {0, 0, 200, 20}, false, -1, 200},
        {DT_SINGLELINE, {50, 0, 60, 20}, false, 50, 60}, // clipped to the rectangle
        {DT_SINGLELINE | DT_NOCLIP, {50, 0, 60, 20}, false, 50, -1},
        {DT_SINGLELINE, {10, 0, 200, 20}, true, 10, -1},
    };
    for (const Case& c : cases) {
        PixelSurface s;
        ASSERT_TRUE(s.Create(200, 20));
        s.Fill(nullptr, kWhite);
        DeviceContext dc(s);
        dc.SelectFont(font.get());
        dc.SetBkMode(c.opaque ? OPAQUE : TRANSPARENT);
        dc.SetBkColor(RGB(0, 0, 255));
        dc.SetTextColor(RGB(0, 0, 0));
        RECT r = c.rect;
        dc.DrawText("Wide text", -1, &r, c.format);
        Ink ink = FindInk(s, kWhite, 0);
        ASSERT_GT(ink.count, 0);
        SIZE extent;
        dc.GetTextExtentPoint32("Wide text", -1, &extent);
        if (c.format & DT_CENTER) {
            EXPECT_NEAR((ink.box.left + ink.box.right) / 2.0, 100.0, 3.0);
        }
        if (c.expectLeft >= 0) {
            EXPECT_GE(ink.box.left, c.expectLeft);
        }
        if (c.expectRight >= 0) {
            EXPECT_LE(ink.box.right, c.expectRight);
        }
        if ((c.format & DT_NOCLIP) && !c.opaque) {
            EXPECT_GT(ink.box.right, 60);
        }
        if (c.opaque) {
            EXPECT_EQ(s.GetPixel(10, 0), ColorRefTo565(RGB(0, 0, 255)));
            EXPECT_EQ(s.GetPixel(10 + extent.cx - 1, 15), ColorRefTo565(RGB(0, 0, 255)));
            EXPECT_EQ(s.GetPixel(10 + extent.cx + 1, 15), kWhite);
        }
    }
}

TEST(DrawText, WordBreakCalcRectAndPrefix)
{
    PixelSurface s;
    ASSERT_TRUE(s.Create(100, 100));
    DeviceContext dc(s);
    auto font = MakeFont(16, FW_NORMAL);
    dc.SelectFont(font.get());
    RECT r{0, 0, 60, 0};
    int h = dc.DrawText("one two three four", -1, &r, DT_WORDBREAK | DT_CALCRECT);
    EXPECT_GE(h, 32);
    EXPECT_EQ(h % 16, 0);
    EXPECT_EQ(r.bottom, h);
    EXPECT_LE(r.right, 60);
    RECT lines{0, 0, 100, 0};
    EXPECT_EQ(dc.DrawText("a\nb\r\nc", -1, &lines, DT_CALCRECT), 48);
    EXPECT_EQ(dc.DrawText("a\nb", -1, &lines, DT_CALCRECT | DT_SINGLELINE), 16);
    SIZE plain;
    dc.GetTextExtentPoint32("File", -1, &plain);
    RECT pr{0, 0, 100, 0};
    dc.DrawText("&File", -1, &pr, DT_CALCRECT | DT_SINGLELINE);
    EXPECT_EQ(pr.right, plain.cx);
    pr = RECT{0, 0, 100, 0};
    dc.DrawText("&File", -1, &pr, DT_CALCRECT | DT_SINGLELINE | DT_NOPREFIX);
    EXPECT_GT(pr.right, plain.cx);
}

TEST(TextExtent, JustificationSpreadsPixelsOverBlanks)
{
    PixelSurface s;
    ASSERT_TRUE(s.Create(10, 10));
    DeviceContext dc(s);
    SIZE plain, justified, counted;
    dc.GetTextExtentPoint32("a b c", -1, &plain);
    dc.SetTextJustification(11, 2);
    dc.GetTextExtentPoint32("a b c", -1, &justified);
    EXPECT_EQ(justified.cx, plain.cx + 11);
    dc.GetTextExtentPoint32("a b c", 3, &counted);
    EXPECT_LT(counted.cx, justified.cx);
    dc.SetTextJustification(0, 0);
    dc.GetTextExtentPoint32("a b c", -1, &justified);
    EXPECT_EQ(justified.cx, plain.cx);
}

TEST(DeviceContext, PixelsAndAlphaBlend)
{
    PixelSurface a, b;
    ASSERT_TRUE(a.Create(4, 4));
    ASSERT_TRUE(b.Create(4, 4));
    DeviceContext dcA(a), dcB(b);
    EXPECT_EQ(dcA.SetPixel(1, 1, 0xFF00FF), 0xFF00FFu);
    EXPECT_EQ(a.GetPixel(1, 1), 0xF81F);
    EXPECT_EQ(dcA.GetPixel(1, 1), 0xFF00FFu);
    EXPECT_EQ(dcA.SetPixel(4, 0, 0), CLR_INVALID);
    EXPECT_EQ(dcA.GetPixel(-1, 0), CLR_INVALID);
    dcB.FillSolidRect(RECT{0, 0, 4, 4}, RGB(255, 255, 255));
    EXPECT_TRUE(AlphaBlend(dcA, 0, 0, 2, 2, dcB, 0, 0, 2, 2, 255 * 50 / 100));
    EXPECT_NEAR(GetGValue(dcA.GetPixel(0, 0)), 127, 6);
    EXPECT_EQ(dcA.GetPixel(3, 3), 0u);
    EXPECT_FALSE(AlphaBlend(dcA, 0, 0, 2, 2, dcB, 0, 0, 3, 2, 128));
}

TEST(DrawText, RectanglesAtTheIntLimitsDrawNothingAndDoNotOverflow)
{
    auto font = MakeFont(14, FW_NORMAL);
    const int big = std::numeric_limits<int>::max(), small = std::numeric_limits<int>::min();
    const RECT rects[] = {{big, big, big, big}, {small, small, big, big}, {big - 4, 10, small, 50}, {0, small, 10, big}};
    for (const RECT& r : rects) {
        for (unsigned format : {DT_SINGLELINE | DT_VCENTER | DT_CENTER, DT_SINGLELINE | DT_BOTTOM | DT_RIGHT,
                                unsigned{DT_WORDBREAK}, DT_CALCRECT | DT_WORDBREAK}) {
            PixelSurface s;
            ASSERT_TRUE(s.Create(40, 20));
            s.Fill(nullptr, kWhite);
            DeviceContext dc(s);
            dc.SelectFont(font.get());
            RECT rect = r;
            dc.DrawText("Far away words", -1, &rect, format);
            if (!(format & DT_CALCRECT) && r.left >= 40) {
                EXPECT_EQ(FindInk(s, kWhite, 0).count, 0);
            }
        }
    }
}

// Text drawn over text in other colours, on a background plain on the left and of many pixel values on the right,
// blends each glyph pixel as a lone blend would: blends worked out once are kept only for their colour and pixel.
TEST(TextBlend, GlyphPixelsBlendAsAloneWhateverCameBefore)
{
    auto font = MakeFont(16, FW_BOLD);
    ASSERT_TRUE(font);
    const auto background = [](int x, int y) {
        return x < 45 ? uint16_t{0x7BEF} : static_cast<uint16_t>(x * 733 + y * 9001);
    };
    PixelSurface drawn, expected;
    ASSERT_TRUE(drawn.Create(90, 30) && expected.Create(90, 30));
    for (int y = 0; y < 30; ++y)
        for (int x = 0; x < 90; ++x) {
            drawn.SetPixel(x, y, background(x, y));
            expected.SetPixel(x, y, background(x, y));
        }
    // One blend: the pixel widened to 8 bits a channel, mixed by coverage with rounding, cut back to 5-6-5.
    const auto blend = [](uint16_t pixel, COLORREF colour, int a) {
        if (a >= 255)
            return ColorRefTo565(colour);
        const COLORREF d = Rgb565ToColorRef(pixel);
        const auto mix = [a](int c, int p) { return (c * a + p * (255 - a) + 127) / 255; };
        return ColorRefTo565(RGB(mix(GetRValue(colour), GetRValue(d)), mix(GetGValue(colour), GetGValue(d)),
                                 mix(GetBValue(colour), GetBValue(d))));
    };
    // The first string stays on the plain part, so the next, in another colour, meets the pixels it blended.
    struct Pass {
        COLORREF colour;
        int x, y;
        std::string text;
    };
    const Pass passes[] = {{RGB(200, 30, 30), 2, 2, "Wage"},
                           {RGB(20, 40, 220), 4, 4, "Wage Wage Wage"},
                           {RGB(200, 30, 30), 1, 7, "Wage Wage Wage"}};
    DeviceContext dc(drawn);
    dc.SelectFont(font.get());
    dc.SetBkMode(TRANSPARENT);
    for (const Pass& p : passes) {
        dc.SetTextColor(p.colour);
        ASSERT_TRUE(dc.TextOut(p.x, p.y, p.text.c_str(), -1));
        int pen = p.x;
        for (unsigned char ch : p.text) {
            Font::Glyph g;
            if (font->RenderGlyph(ch, g))
                for (int gy = 0; gy < g.rows; ++gy)
                    for (int gx = 0; gx < g.width; ++gx) {
                        const int x = pen + g.left + gx, y = p.y + font->Metrics().ascent - g.top + gy;
                        const int a = g.coverage[gy * g.width + gx];
                        if (a && x >= 0 && x < 90 && y >= 0 && y < 30)
                            expected.SetPixel(x, y, blend(expected.GetPixel(x, y), p.colour, a));
                    }
            pen += g.advance;
        }
    }
    int inked = 0;
    for (int y = 0; y < 30; ++y)
        for (int x = 0; x < 90; ++x) {
            ASSERT_EQ(drawn.GetPixel(x, y), expected.GetPixel(x, y)) << x << "," << y;
            inked += drawn.GetPixel(x, y) != background(x, y);
        }
    EXPECT_GT(inked, 300);
}
