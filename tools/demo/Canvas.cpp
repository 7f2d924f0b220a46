// Drawing on the demo art canvas; text goes through the GDI layer onto a 16-bit surface and back.
#include "tools/demo/Canvas.h"

#include "platform/display/PixelSurface.h"
#include "platform/gdi/DeviceContext.h"
#include "platform/gdi/Font.h"

#include <algorithm>
#include <cmath>
#include <map>
#include <memory>
#include <tuple>

namespace demo {

COLORREF Snap(COLORREF colour)
{
    return platform::Rgb565ToColorRef(platform::ColorRefTo565(colour));
}

COLORREF Shade(COLORREF colour, int percent)
{
    auto f = [percent](int v) { return std::clamp(v * percent / 100, 0, 255); };
    return Snap(RGB(f(GetRValue(colour)), f(GetGValue(colour)), f(GetBValue(colour))));
}

COLORREF Mix(COLORREF a, COLORREF b, int weight)
{
    auto f = [weight](int x, int y) { return (x * (256 - weight) + y * weight) / 256; };
    return Snap(RGB(f(GetRValue(a), GetRValue(b)), f(GetGValue(a), GetGValue(b)), f(GetBValue(a), GetBValue(b))));
}

Canvas::Canvas(int width, int height, COLORREF background)
    : m_nWidth(width), m_nHeight(height), m_pixels(static_cast<size_t>(width) * height, Snap(background))
{
}

COLORREF Canvas::At(int x, int y) const
{
    if (x < 0 || y < 0 || x >= m_nWidth || y >= m_nHeight)
        return kKey;
    return m_pixels[static_cast<size_t>(y) * m_nWidth + x];
}

void Canvas::Set(int x, int y, COLORREF colour)
{
    if (x < 0 || y < 0 || x >= m_nWidth || y >= m_nHeight)
        return;
    m_pixels[static_cast<size_t>(y) * m_nWidth + x] = colour == kKey ? kKey : Snap(colour);
}

void Canvas::Fill(COLORREF colour)
{
    std::fill(m_pixels.begin(), m_pixels.end(), colour == kKey ? kKey : Snap(colour));
}

void Canvas::FillRect(int x, int y, int w, int h, COLORREF colour)
{
    for (int j = std::max(0, y); j < std::min(m_nHeight, y + h); ++j)
        for (int i = std::max(0, x); i < std::min(m_nWidth, x + w); ++i)
            Set(i, j, colour);
}

void Canvas::FrameRect(int x, int y, int w, int h, COLORREF colour, int thickness)
{
    FillRect(x, y, w, thickness, colour);
    FillRect(x, y + h - thickness, w, thickness, colour);
    FillRect(x, y, thickness, h, colour);
    FillRect(x + w - thickness, y, thickness, h, colour);
}

void Canvas::FillEllipse(double cx, double cy, double rx, double ry, COLORREF colour)
{
    if (rx <= 0 || ry <= 0)
        return;
    for (int y = static_cast<int>(std::floor(cy - ry)); y <= static_cast<int>(std::ceil(cy + ry)); ++y)
        for (int x = static_cast<int>(std::floor(cx - rx)); x <= static_cast<int>(std::ceil(cx + rx)); ++x) {
            double dx = (x + 0.5 - cx) / rx, dy = (y + 0.5 - cy) / ry;
            if (dx * dx + dy * dy <= 1.0)
                Set(x, y, colour);
        }
}

void Canvas::FillCircle(double cx, double cy, double r, COLORREF colour)
{
    FillEllipse(cx, cy, r, r, colour);
}

void Canvas::Ring(double cx, double cy, double r, double width, COLORREF colour)
{
    for (int y = static_cast<int>(std::floor(cy - r)); y <= static_cast<int>(std::ceil(cy + r)); ++y)
        for (int x = static_cast<int>(std::floor(cx - r)); x <= static_cast<int>(std::ceil(cx + r)); ++x) {
            double d = std::hypot(x + 0.5 - cx, y + 0.5 - cy);
            if (d <= r && d > r - width)
                Set(x, y, colour);
        }
}

void Canvas::FillPolygon(const std::vector<std::pair<double, double>>& points, COLORREF colour)
{
    if (points.size() < 3)
        return;
    double top = points[0].second, bottom = top;
    for (const auto& p : points) {
        top = std::min(top, p.second);
        bottom = std::max(bottom, p.second);
    }
    for (int y = std::max(0, static_cast<int>(std::floor(top))); y <= std::min(m_nHeight - 1, static_cast<int>(bottom));
         ++y) {
        double py = y + 0.5;
        std::vector<double> xs;
        for (size_t i = 0; i < points.size(); ++i) {
            auto [x0, y0] = points[i];
            auto [x1, y1] = points[(i + 1) % points.size()];
            if ((y0 <= py && y1 > py) || (y1 <= py && y0 > py))
                xs.push_back(x0 + (py - y0) * (x1 - x0) / (y1 - y0));
        }
        std::sort(xs.begin(), xs.end());
        for (size_t i = 0; i + 1 < xs.size(); i += 2)
            for (int x = static_cast<int>(std::ceil(xs[i] - 0.5)); x <= static_cast<int>(std::floor(xs[i + 1] - 0.5));
                 ++x)
                Set(x, y, colour);
    }
}

void Canvas::Line(double x0, double y0, double x1, double y1, COLORREF colour, double width)
{
    double len = std::hypot(x1 - x0, y1 - y0);
    if (len < 1e-9) {
        FillCircle(x0, y0, width / 2, colour);
        return;
    }
    double nx = -(y1 - y0) / len * width / 2, ny = (x1 - x0) / len * width / 2;
    FillPolygon({{x0 + nx, y0 + ny}, {x1 + nx, y1 + ny}, {x1 - nx, y1 - ny}, {x0 - nx, y0 - ny}}, colour);
}

void Canvas::DashedRect(int x, int y, int w, int h, COLORREF colour, int dash)
{
    for (int i = 0; i < w; ++i)
        if ((i / dash) % 2 == 0) {
            Set(x + i, y, colour);
            Set(x + i, y + h - 1, colour);
        }
    for (int j = 0; j < h; ++j)
        if ((j / dash) % 2 == 0) {
            Set(x, y + j, colour);
            Set(x + w - 1, y + j, colour);
        }
}

void Canvas::Replace(COLORREF from, COLORREF to)
{
    from = Snap(from);
    for (auto& p : m_pixels)
        if (p == from)
            p = to == kKey ? kKey : Snap(to);
}

void Canvas::Blit(const Canvas& source, int x, int y)
{
    for (int j = 0; j < source.Height(); ++j)
        for (int i = 0; i < source.Width(); ++i) {
            COLORREF c = source.At(i, j);
            if (c != kKey)
                Set(x + i, y + j, c);
        }
}

Canvas Canvas::Scaled(int width, int height) const
{
    Canvas out(width, height);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            out.Set(x, y, At(x * m_nWidth / width, y * m_nHeight / height));
    return out;
}

Canvas Canvas::Shrunk(int factor) const
{
    Canvas out(std::max(1, m_nWidth / factor), std::max(1, m_nHeight / factor));
    for (int y = 0; y < out.Height(); ++y)
        for (int x = 0; x < out.Width(); ++x) {
            int r = 0, g = 0, b = 0, n = 0, keyed = 0;
            for (int j = 0; j < factor; ++j)
                for (int i = 0; i < factor; ++i) {
                    COLORREF c = At(x * factor + i, y * factor + j);
                    if (c == kKey) {
                        ++keyed;
                        continue;
                    }
                    r += GetRValue(c);
                    g += GetGValue(c);
                    b += GetBValue(c);
                    ++n;
                }
            if (n == 0 || keyed * 2 > factor * factor)
                out.Set(x, y, kKey);
            else
                out.Set(x, y, RGB(r / n, g / n, b / n));
        }
    return out;
}

namespace {

// Fonts stay open for the whole run (one per style).
platform::gdi::Font* FontFor(const TextStyle& style)
{
    static std::map<std::tuple<int, bool, bool>, std::unique_ptr<platform::gdi::Font>> fonts;
    auto key = std::make_tuple(style.height, style.bold, style.antialias);
    auto it = fonts.find(key);
    if (it == fonts.end()) {
        platform::gdi::FontDesc desc;
        desc.height = style.height;
        desc.weight = style.bold ? platform::gdi::FW_BOLD : platform::gdi::FW_NORMAL;
        desc.antialias = style.antialias;
        it = fonts.emplace(key, platform::gdi::Font::Create(desc)).first;
    }
    return it->second.get();
}

} // namespace

int Canvas::TextWidth(const std::string& text, const TextStyle& style)
{
    platform::gdi::Font* font = FontFor(style);
    if (!font)
        return 0;
    int w = 0;
    for (unsigned char c : text)
        w += font->Advance(c);
    return w;
}

void Canvas::Text(const std::string& text, int x, int y, int w, int h, const TextStyle& style)
{
    platform::gdi::Font* font = FontFor(style);
    if (!font || w <= 0 || h <= 0)
        return;
    // The text layer draws on 5-6-5 surfaces: copy the area in, draw, copy it back. The art's colours are
    // already 5-6-5 exact, so only the text's own pixels change.
    platform::PixelSurface surface;
    surface.Create(w, h);
    for (int j = 0; j < h; ++j)
        for (int i = 0; i < w; ++i) {
            COLORREF c = At(x + i, y + j);
            surface.SetPixel(i, j, platform::ColorRefTo565(c));
        }
    {
        platform::gdi::DeviceContext dc(surface);
        dc.SelectFont(font);
        dc.SetBkMode(platform::gdi::TRANSPARENT);
        dc.SetTextColor(style.colour);
        RECT rect{0, 0, w, h};
        unsigned format = platform::gdi::DT_NOPREFIX | platform::gdi::DT_SINGLELINE | platform::gdi::DT_NOCLIP;
        if (style.centred)
            format |= platform::gdi::DT_CENTER | platform::gdi::DT_VCENTER;
        dc.DrawText(text.c_str(), -1, &rect, format);
        dc.SelectFont(nullptr);
    }
    for (int j = 0; j < h; ++j)
        for (int i = 0; i < w; ++i) {
            COLORREF before = At(x + i, y + j);
            uint16_t p = surface.GetPixel(i, j);
            if (p != platform::ColorRefTo565(before))
                Set(x + i, y + j, platform::Rgb565ToColorRef(p));
        }
}

} // namespace demo
