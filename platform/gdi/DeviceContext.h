// A device context over a pixel surface or a device bitmap: font, text, pixels, solid pens and brushes, lines,
// polygons.
#pragma once

#include "platform/display/Geometry.h"
#include "platform/display/PixelSurface.h"
#include "platform/gdi/DeviceBitmap.h"
#include "platform/gdi/Font.h"
#include "platform/gdi/Region.h"

#include <memory>
#include <optional>
#include <string>

namespace platform::gdi {

// DrawText format flags (the values Windows callers know).
constexpr unsigned DT_TOP = 0x0;
constexpr unsigned DT_LEFT = 0x0;
constexpr unsigned DT_CENTER = 0x1;
constexpr unsigned DT_RIGHT = 0x2;
constexpr unsigned DT_VCENTER = 0x4;
constexpr unsigned DT_BOTTOM = 0x8;
constexpr unsigned DT_WORDBREAK = 0x10;
constexpr unsigned DT_SINGLELINE = 0x20;
constexpr unsigned DT_EXPANDTABS = 0x40;
constexpr unsigned DT_NOCLIP = 0x100;
constexpr unsigned DT_CALCRECT = 0x400;
constexpr unsigned DT_NOPREFIX = 0x800;

// Background modes.
constexpr int TRANSPARENT = 1;
constexpr int OPAQUE = 2;

// Pen and brush styles: solid, or none (nothing drawn).
constexpr int PS_SOLID = 0;
constexpr int PS_NULL = 5;
constexpr int BS_SOLID = 0;
constexpr int BS_NULL = 1;

// Polygon fill modes: even-odd, or every point the outline winds around.
constexpr int ALTERNATE = 1;
constexpr int WINDING = 2;

// A cosmetic pen: one pixel wide.
struct Pen {
    int style = PS_SOLID;
    COLORREF colour = RGB(0, 0, 0);
};

struct Brush {
    int style = BS_SOLID;
    COLORREF colour = RGB(255, 255, 255);
};

class DeviceContext {
public:
    // Draws into `target`, which must outlive the context. Starts with a default font (Arial, cell 16),
    // black text, white opaque background.
    explicit DeviceContext(PixelSurface& target);
    // Draws into a device bitmap of any depth (colours stored as DeviceBitmap::SetPixel stores them); the bitmap
    // must outlive the context and keep its size.
    explicit DeviceContext(DeviceBitmap& target);
    ~DeviceContext();
    DeviceContext(const DeviceContext&) = delete;
    DeviceContext& operator=(const DeviceContext&) = delete;

    // The surface drawn into (an empty one for a bitmap context); the bitmap (null for a surface context).
    PixelSurface& Target() { return *m_pSurface; }
    DeviceBitmap* TargetBitmap() { return m_pBitmap; }

    // Selects a font (not owned; null selects the default) and returns the previous one (null for the default).
    Font* SelectFont(Font* font);
    Font* CurrentFont();
    COLORREF SetTextColor(COLORREF colour);
    COLORREF GetTextColor() const { return m_textColour; }
    COLORREF SetBkColor(COLORREF colour);
    int SetBkMode(int mode);

    // Draws text in the rectangle by the format flags; returns the height of the text (0 on failure).
    // `count` -1 means up to the terminating zero. With DT_CALCRECT nothing is drawn and the rectangle's
    // right and bottom are set to fit the text.
    int DrawText(const char* text, int count, RECT* rect, unsigned format);
    // Draws one line with its cell's top-left at (x, y).
    bool TextOut(int x, int y, const char* text, int count);
    // Width and cell height of the text in the current font (justification included).
    bool GetTextExtentPoint32(const char* text, int count, SIZE* size);
    // Spreads `breakExtra` pixels over `breakCount` blanks of the following text calls; (0, 0) turns it off.
    bool SetTextJustification(int breakExtra, int breakCount);

    // Clip region in device coordinates (none at first: the whole surface). Null removes it. SetPixel and
    // FillSolidRect keep inside it; text is clipped by its rectangle only.
    void SelectClipRgn(const Region* region);
    // Narrows the clip to the rectangle (the surface's bounds when there is no region yet).
    void IntersectClipRect(const RECT& rect);
    bool HasClipRegion() const { return m_clip.has_value(); }
    // The clip region's box within the surface (the surface's bounds without a region).
    RECT GetClipBox() const;
    bool PtVisible(int x, int y) const;

    // The colour actually stored, CLR_INVALID outside the surface or the clip region.
    COLORREF SetPixel(int x, int y, COLORREF colour);
    COLORREF GetPixel(int x, int y) const;
    bool FillSolidRect(const RECT& rect, COLORREF colour);

    // Pens and brushes: the selected one is returned. The defaults are a solid black pen and a solid white brush.
    Pen SelectPen(const Pen& pen);
    Brush SelectBrush(const Brush& brush);
    // Moves the current position (given back in `previous`), from which LineTo draws.
    bool MoveTo(int x, int y, POINT* previous = nullptr);
    // Draws with the pen from the current position to (x, y), the end pixel excluded; (x, y) becomes current.
    bool LineTo(int x, int y);
    // Lines through the points (the last pixel excluded); the current position is neither used nor changed.
    // False for fewer than two points.
    bool Polyline(const POINT* points, int count);
    // The rule polygons are filled by (ALTERNATE at first); other values are refused. Returns the previous one, 0
    // when refused.
    int SetPolyFillMode(int mode);
    int GetPolyFillMode() const { return m_nFillMode; }
    // Closed polygons, `counts[i]` points each, filled together with the brush by the fill mode (ALTERNATE: a ring
    // inside another makes a hole; WINDING: it does not when both wind the same way), then outlined with the pen.
    // No anti-aliasing. False when a ring has fewer than two points.
    bool PolyPolygon(const POINT* points, const int* counts, int polygons);
    // One closed polygon, filled and outlined as PolyPolygon.
    bool Polygon(const POINT* points, int count);
    // The rectangle's edges lie on its left and top and one pixel inside its right and bottom; filled with the
    // brush and outlined with the pen (without a pen the fill stops one pixel short on the right and bottom).
    // Swapped corners are put in order.
    bool Rectangle(int left, int top, int right, int bottom);
    // A rectangle whose corners are quarters of an ellipse `cornerWidth` x `cornerHeight` (cut to the box).
    bool RoundRect(int left, int top, int right, int bottom, int cornerWidth, int cornerHeight);
    // The ellipse inside the rectangle, laid out as Rectangle's edges.
    bool Ellipse(int left, int top, int right, int bottom);

private:
    struct Line {
        std::string text;
        int width = 0;
    };
    int LineWidth(const std::string& text);
    void DrawLine(int x, int y, const std::string& text, const RECT& clip);
    std::string Prepare(const char* text, int count, unsigned format) const;
    RECT Bounds() const;
    void FillRect(const RECT& rect, COLORREF colour);
    void BlendPixel(int x, int y, COLORREF colour, int alpha);
    // Blends a glyph's coverage in the text colour with its top left at (left, top), inside `clip`.
    void BlendGlyph(int left, int top, const Font::Glyph& glyph, const RECT& clip);
    void PlotLine(POINT from, POINT to, COLORREF colour);
    void FillSpan(int y, int left, int right, COLORREF colour);

    PixelSurface m_noSurface;
    PixelSurface* m_pSurface;
    DeviceBitmap* m_pBitmap = nullptr;
    Font* m_pFont = nullptr;
    std::unique_ptr<Font> m_defaultFont;
    COLORREF m_textColour = 0;
    COLORREF m_bkColour = RGB(255, 255, 255);
    int m_nBkMode = OPAQUE;
    int m_nFillMode = ALTERNATE;
    int m_nBreakExtra = 0;
    int m_nBreakCount = 0;
    std::optional<Region> m_clip;
    Pen m_pen;
    Brush m_brush;
    POINT m_ptCurrent{};
    // Text blends already worked out in the colour `m_blendColour`, by coverage: (pixel + 1) << 16 | result.
    // Text on a plain panel meets few pixel values, so most blends are found here.
    COLORREF m_blendColour = 0xFFFFFFFF;
    uint64_t m_aBlendMemo[256];
};

// Blends `src` (sx, sy, width, height) onto `dst` at (dx, dy) with a constant alpha (source over, no per-pixel
// alpha). Sizes must match (no stretch); false otherwise.
bool AlphaBlend(DeviceContext& dst, int dx, int dy, int width, int height, DeviceContext& src, int sx, int sy,
                int srcWidth, int srcHeight, uint8_t constantAlpha);

} // namespace platform::gdi
