// A 24-bit picture to draw the demo art on: fills, outlines, shapes, lines and short text labels.
#pragma once

#include "platform/display/Geometry.h"

#include <cstdint>
#include <string>
#include <vector>

namespace demo {

// Colours are COLORREF values snapped to what a 5-6-5 display shows, so the art looks the same in the game.
COLORREF Snap(COLORREF colour);
constexpr COLORREF kKey = 0xFF00FF; // magenta: transparent in every keyed bitmap

// Darker or lighter by a percentage (100 keeps the colour).
COLORREF Shade(COLORREF colour, int percent);
// Mixes two colours: 0 gives a, 256 gives b.
COLORREF Mix(COLORREF a, COLORREF b, int weight);

struct TextStyle {
    int height = 12; // cell height in pixels
    bool bold = true;
    COLORREF colour = 0;
    bool centred = true; // horizontally and vertically in the rectangle
    bool antialias = true;
};

class Canvas {
public:
    Canvas() = default;
    Canvas(int width, int height, COLORREF background = kKey);

    int Width() const { return m_nWidth; }
    int Height() const { return m_nHeight; }
    COLORREF At(int x, int y) const;
    void Set(int x, int y, COLORREF colour);
    const std::vector<COLORREF>& Pixels() const { return m_pixels; }

    void Fill(COLORREF colour);
    void FillRect(int x, int y, int w, int h, COLORREF colour);
    // A frame `thickness` pixels wide inside the rectangle.
    void FrameRect(int x, int y, int w, int h, COLORREF colour, int thickness = 1);
    void FillCircle(double cx, double cy, double r, COLORREF colour);
    void Ring(double cx, double cy, double r, double width, COLORREF colour);
    void FillEllipse(double cx, double cy, double rx, double ry, COLORREF colour);
    // A filled polygon (even-odd rule over pixel centres).
    void FillPolygon(const std::vector<std::pair<double, double>>& points, COLORREF colour);
    void Line(double x0, double y0, double x1, double y1, COLORREF colour, double width = 1.0);
    void DashedRect(int x, int y, int w, int h, COLORREF colour, int dash);
    // Every pixel of `from` colour becomes `to`.
    void Replace(COLORREF from, COLORREF to);
    // Draws another canvas at (x, y), skipping its magenta pixels.
    void Blit(const Canvas& source, int x, int y);
    // Nearest-pixel scaled copy of the whole picture.
    Canvas Scaled(int width, int height) const;
    // Area-average scaled copy (for shrinking art); magenta pixels stay magenta where they dominate.
    Canvas Shrunk(int factor) const;

    // Text in the rectangle with our text layer (Liberation Sans standing in for Arial).
    void Text(const std::string& text, int x, int y, int w, int h, const TextStyle& style);
    // Width of the text in that style.
    static int TextWidth(const std::string& text, const TextStyle& style);

private:
    int m_nWidth = 0;
    int m_nHeight = 0;
    std::vector<COLORREF> m_pixels;
};

} // namespace demo
