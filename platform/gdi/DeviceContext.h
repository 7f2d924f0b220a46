// A device context over a pixel surface: selected font, text colour and background, DrawText, extents, pixels.
#pragma once

#include "platform/display/Geometry.h"
#include "platform/display/PixelSurface.h"
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

class DeviceContext {
public:
    // Draws into `target`, which must outlive the context. Starts with a default font (Arial, cell 16),
    // black text, white opaque background.
    explicit DeviceContext(PixelSurface& target);
    ~DeviceContext();
    DeviceContext(const DeviceContext&) = delete;
    DeviceContext& operator=(const DeviceContext&) = delete;

    PixelSurface& Target() { return m_target; }

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

private:
    struct Line {
        std::string text;
        int width = 0;
    };
    int LineWidth(const std::string& text);
    void DrawLine(int x, int y, const std::string& text, const RECT& clip);
    std::string Prepare(const char* text, int count, unsigned format) const;

    PixelSurface& m_target;
    Font* m_pFont = nullptr;
    std::unique_ptr<Font> m_defaultFont;
    COLORREF m_textColour = 0;
    COLORREF m_bkColour = RGB(255, 255, 255);
    int m_nBkMode = OPAQUE;
    int m_nBreakExtra = 0;
    int m_nBreakCount = 0;
    std::optional<Region> m_clip;
};

// Blends `src` (sx, sy, width, height) onto `dst` at (dx, dy) with a constant alpha (source over, no per-pixel
// alpha). Sizes must match (no stretch); false otherwise.
bool AlphaBlend(DeviceContext& dst, int dx, int dy, int width, int height, DeviceContext& src, int sx, int sy,
                int srcWidth, int srcHeight, uint8_t constantAlpha);

} // namespace platform::gdi
