// Device context shapes: pens and brushes, lines (the end pixel excluded), polygons filled even-odd or by winding,
// rectangles, rounded rectangles and ellipses.
#include "platform/gdi/DeviceContext.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <utility>
#include <vector>

namespace platform::gdi {
namespace {

// Row of the pixel a line of major length `major` and minor length `minor` reaches after `step` steps:
// the exact midpoint rounding of Bresenham's line, in wide integers so no coordinate overflows.
int64_t MinorOffset(int64_t step, int64_t major, int64_t minor)
{
    __int128 num = static_cast<__int128>(2) * step * minor + major;
    return static_cast<int64_t>(num / (static_cast<__int128>(2) * major));
}

// Points of a quarter of the ellipse centred at (cx, cy) with radii (rx, ry), from angle `from` on, in `steps`
// steps of a quarter turn together; screen y grows downwards.
void AddArc(std::vector<POINT>& out, double cx, double cy, double rx, double ry, int quarter, int steps)
{
    const double pi = 3.14159265358979323846;
    for (int i = 0; i <= steps; ++i) {
        const double a = (quarter + double(i) / steps) * pi / 2;
        out.push_back(POINT{static_cast<int32_t>(std::lround(cx + rx * std::cos(a))),
                            static_cast<int32_t>(std::lround(cy - ry * std::sin(a)))});
    }
}

// Steps of one quarter arc: about one per pixel of its length, at least 2 and at most 256.
int ArcSteps(double rx, double ry)
{
    return static_cast<int>(std::clamp(std::ceil(std::max(rx, ry) * 1.6), 2.0, 256.0));
}

// Rounded rectangle outline through the pixel box [left, right] x [top, bottom]; radii 0 give the corners.
std::vector<POINT> RoundedBox(int left, int top, int right, int bottom, double rx, double ry)
{
    std::vector<POINT> ring;
    if (rx <= 0 || ry <= 0) {
        ring = {POINT{left, top}, POINT{right, top}, POINT{right, bottom}, POINT{left, bottom}};
        return ring;
    }
    const int steps = ArcSteps(rx, ry);
    AddArc(ring, right - rx, top + ry, rx, ry, 0, steps);
    AddArc(ring, left + rx, top + ry, rx, ry, 1, steps);
    AddArc(ring, left + rx, bottom - ry, rx, ry, 2, steps);
    AddArc(ring, right - rx, bottom - ry, rx, ry, 3, steps);
    return ring;
}

} // namespace

Pen DeviceContext::SelectPen(const Pen& pen)
{
    Pen old = m_pen;
    m_pen = pen;
    return old;
}

Brush DeviceContext::SelectBrush(const Brush& brush)
{
    Brush old = m_brush;
    m_brush = brush;
    return old;
}

bool DeviceContext::MoveTo(int x, int y, POINT* previous)
{
    if (previous)
        *previous = m_ptCurrent;
    m_ptCurrent = POINT{x, y};
    return true;
}

bool DeviceContext::LineTo(int x, int y)
{
    if (m_pen.style != PS_NULL)
        PlotLine(m_ptCurrent, POINT{x, y}, m_pen.colour);
    m_ptCurrent = POINT{x, y};
    return true;
}

bool DeviceContext::Polyline(const POINT* points, int count)
{
    if (!points || count < 2)
        return false;
    if (m_pen.style != PS_NULL)
        for (int i = 1; i < count; ++i)
            PlotLine(points[i - 1], points[i], m_pen.colour);
    return true;
}

// Steps along the longer axis, only over the part that can meet the target, so far-off ends cost nothing.
void DeviceContext::PlotLine(POINT from, POINT to, COLORREF colour)
{
    const RECT box = GetClipBox();
    if (IsRectEmpty(box))
        return;
    const int64_t dx = int64_t(to.x) - from.x, dy = int64_t(to.y) - from.y;
    const int64_t adx = std::llabs(dx), ady = std::llabs(dy);
    const int sx = dx < 0 ? -1 : 1, sy = dy < 0 ? -1 : 1;
    const bool xMajor = adx >= ady;
    const int64_t major = xMajor ? adx : ady, minor = xMajor ? ady : adx;
    if (major == 0)
        return;
    // Steps 0 .. major - 1 (the end pixel is not drawn); keep those whose major coordinate lies in the box.
    const int64_t start = xMajor ? from.x : from.y;
    const int sMajor = xMajor ? sx : sy;
    const int64_t lo = xMajor ? box.left : box.top, hi = (xMajor ? box.right : box.bottom) - 1;
    int64_t first = 0, last = major - 1;
    if (sMajor > 0) {
        first = std::max<int64_t>(first, lo - start);
        last = std::min<int64_t>(last, hi - start);
    } else {
        first = std::max<int64_t>(first, start - hi);
        last = std::min<int64_t>(last, start - lo);
    }
    for (int64_t t = first; t <= last; ++t) {
        const int64_t m = start + sMajor * t;
        const int64_t n = (xMajor ? from.y : from.x) + (xMajor ? sy : sx) * MinorOffset(t, major, minor);
        const int64_t px = xMajor ? m : n, py = xMajor ? n : m;
        if (px >= box.left && px < box.right && py >= box.top && py < box.bottom)
            SetPixel(static_cast<int>(px), static_cast<int>(py), colour); // keeps inside the clip region
    }
}

void DeviceContext::FillSpan(int y, int left, int right, COLORREF colour)
{
    if (m_clip) {
        for (const RECT& r : m_clip->Rects())
            if (y >= r.top && y < r.bottom)
                FillRect(RECT{std::max(left, r.left), y, std::min(right, r.right), y + 1}, colour);
        return;
    }
    FillRect(RECT{left, y, right, y + 1}, colour);
}

int DeviceContext::SetPolyFillMode(int mode)
{
    if (mode != ALTERNATE && mode != WINDING)
        return 0;
    const int old = m_nFillMode;
    m_nFillMode = mode;
    return old;
}

bool DeviceContext::PolyPolygon(const POINT* points, const int* counts, int polygons)
{
    if (!points || !counts || polygons < 1)
        return false;
    struct Edge {
        double x0, y0, x1, y1;
    };
    std::vector<Edge> edges;
    double top = 0, bottom = 0;
    size_t index = 0;
    for (int p = 0; p < polygons; ++p) {
        if (counts[p] < 2)
            return false;
        const POINT* ring = points + index;
        for (int i = 0; i < counts[p]; ++i) {
            const POINT a = ring[i], b = ring[(i + 1) % counts[p]];
            if (edges.empty() && i == 0)
                top = bottom = a.y;
            top = std::min<double>(top, a.y);
            bottom = std::max<double>(bottom, a.y);
            if (a.y != b.y)
                edges.push_back(Edge{double(a.x), double(a.y), double(b.x), double(b.y)});
        }
        index += static_cast<size_t>(counts[p]);
    }
    const RECT box = GetClipBox();
    if (m_brush.style != BS_NULL && !IsRectEmpty(box)) {
        // A pixel is inside when its centre is: rows by their centre line, spans from crossing to crossing.
        const int firstRow = static_cast<int>(std::max<double>(box.top, std::ceil(top - 0.5)));
        const int lastRow = static_cast<int>(std::min<double>(box.bottom - 1, std::ceil(bottom - 0.5) - 1));
        // Crossings carry the edge's direction: +1 downwards, -1 upwards.
        std::vector<std::pair<double, int>> crossings;
        const bool winding = m_nFillMode == WINDING;
        auto fill = [&](double left, double right, int y) {
            const double from = std::max<double>(box.left, std::ceil(left - 0.5));
            const double to = std::min<double>(box.right, std::ceil(right - 0.5));
            if (from < to)
                FillSpan(y, static_cast<int>(from), static_cast<int>(to), m_brush.colour);
        };
        for (int y = firstRow; y <= lastRow; ++y) {
            const double yc = y + 0.5;
            crossings.clear();
            for (const Edge& e : edges) {
                if ((yc >= e.y0 && yc < e.y1) || (yc >= e.y1 && yc < e.y0))
                    crossings.emplace_back(e.x0 + (yc - e.y0) * (e.x1 - e.x0) / (e.y1 - e.y0), e.y1 > e.y0 ? 1 : -1);
            }
            std::sort(crossings.begin(), crossings.end());
            if (!winding) {
                for (size_t i = 0; i + 1 < crossings.size(); i += 2)
                    fill(crossings[i].first, crossings[i + 1].first, y);
                continue;
            }
            // Inside while the sum of the directions crossed so far is not zero.
            int wind = 0;
            double start = 0;
            for (const auto& [x, dir] : crossings) {
                if (wind == 0)
                    start = x;
                wind += dir;
                if (wind == 0)
                    fill(start, x, y);
            }
        }
    }
    if (m_pen.style != PS_NULL) {
        index = 0;
        for (int p = 0; p < polygons; ++p) {
            const POINT* ring = points + index;
            for (int i = 0; i < counts[p]; ++i)
                PlotLine(ring[i], ring[(i + 1) % counts[p]], m_pen.colour);
            index += static_cast<size_t>(counts[p]);
        }
    }
    return true;
}

bool DeviceContext::Polygon(const POINT* points, int count)
{
    return PolyPolygon(points, &count, 1);
}

bool DeviceContext::Rectangle(int left, int top, int right, int bottom)
{
    return RoundRect(left, top, right, bottom, 0, 0);
}

bool DeviceContext::RoundRect(int left, int top, int right, int bottom, int cornerWidth, int cornerHeight)
{
    if (left > right)
        std::swap(left, right);
    if (top > bottom)
        std::swap(top, bottom);
    if (int64_t(right) - left < 2 || int64_t(bottom) - top < 2)
        return true; // nothing inside and no room for an edge
    const double rx = std::min(std::abs(double(cornerWidth)), double(right) - 1 - left) / 2;
    const double ry = std::min(std::abs(double(cornerHeight)), double(bottom) - 1 - top) / 2;
    std::vector<POINT> ring = RoundedBox(left, top, right - 1, bottom - 1, rx, ry);
    return Polygon(ring.data(), static_cast<int>(ring.size()));
}

bool DeviceContext::Ellipse(int left, int top, int right, int bottom)
{
    if (left > right)
        std::swap(left, right);
    if (top > bottom)
        std::swap(top, bottom);
    return RoundRect(left, top, right, bottom, right - left, bottom - top);
}

} // namespace platform::gdi
