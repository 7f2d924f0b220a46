// The metafile player's curves and regions: arcs, pies, chords and Bezier curves flattened to the polygons and
// lines the device context draws, and regions filled rectangle by rectangle; with the records that carry them.
#include "imagelib/MetafilePlayer.h"
#include "imagelib/RasterTypes.h"

#include <algorithm>
#include <cmath>

using namespace platform::gdi;
using rasterbytes::Get16;
using rasterbytes::Get32;

namespace {

constexpr double kPi = 3.14159265358979323846;
// Points a flattened Bezier record gets at most (beyond one a piece).
constexpr double kMaxCurvePoints = 1 << 16;
// Steps of one Bezier piece at most.
constexpr double kMaxPieceSteps = 256;

// Steps of an arc turning `sweep` radians on radii up to `radius` pixels: about one a pixel of its length.
int ArcSteps(double radius, double sweep)
{
    const double steps = std::ceil(std::abs(radius * sweep));
    return static_cast<int>(std::clamp(steps == steps ? steps : 0.0, 2.0, 1024.0));
}

int16_t S16(const uint8_t* p)
{
    return static_cast<int16_t>(Get16(p));
}
int32_t S32(const uint8_t* p)
{
    return static_cast<int32_t>(Get32(p));
}

} // namespace

void CMetafilePlayer::ArcShape(ArcKind kind, double l, double t, double r, double b, double xs, double ys, double xe,
                               double ye)
{
    // The box laid out as Ellipse lays it: edges on its left and top and one pixel inside its right and bottom.
    const POINT a = Map(l, t), c = Map(r, b);
    const double left = std::min(a.x, c.x), right = std::max(a.x, c.x);
    const double top = std::min(a.y, c.y), bottom = std::max(a.y, c.y);
    const double rx = std::max(0.0, (right - 1 - left) / 2), ry = std::max(0.0, (bottom - 1 - top) / 2);
    const double cx = left + rx, cy = top + ry;
    // Angles of the rays from the centre through the two points, as the ellipse's parameter, anticlockwise on the
    // picture (y grows downwards).
    auto angle = [&](double x, double y) {
        double px = 0, py = 0;
        MapExact(x, y, px, py);
        const double dx = px - cx, dy = cy - py;
        return std::atan2(ry > 0 ? dy / ry : dy, rx > 0 ? dx / rx : dx);
    };
    const double from = angle(xs, ys), to = angle(xe, ye);
    // Equal angles make the whole ellipse.
    double sweep = to - from;
    if (m_state.clockwise)
        sweep = sweep >= 0 ? sweep - 2 * kPi : sweep;
    else
        sweep = sweep <= 0 ? sweep + 2 * kPi : sweep;
    const int steps = ArcSteps(std::max(rx, ry), sweep);
    std::vector<POINT> points;
    points.reserve(static_cast<size_t>(steps) + 2);
    if (kind == ArcKind::ArcTo)
        points.push_back(Map(m_state.curX, m_state.curY));
    for (int i = 0; i <= steps; ++i) {
        const double at = from + sweep * i / steps;
        points.push_back(ToPixel(cx + rx * std::cos(at), cy - ry * std::sin(at)));
    }
    if (kind == ArcKind::Pie)
        points.push_back(ToPixel(cx, cy));
    if (kind == ArcKind::ArcTo) {
        // The end point moved onto the ellipse along its ray, in logical units.
        const double lcx = (l + r) / 2, lcy = (t + b) / 2, dx = xe - lcx, dy = ye - lcy;
        const double k = std::hypot(dx / ((r - l) / 2), dy / ((b - t) / 2));
        if (k > 0 && std::isfinite(k))
            MoveTo(lcx + dx / k, lcy + dy / k);
        else
            MoveTo(xe, ye);
    }
    Poly(points, {static_cast<int>(points.size())}, kind == ArcKind::Chord || kind == ArcKind::Pie);
}

void CMetafilePlayer::AngleArc(double x, double y, double radius, double start, double sweep)
{
    // More than a turn draws the same pixels again.
    start = std::isfinite(start) ? std::fmod(start, 360.0) : 0;
    sweep = std::isfinite(sweep) ? std::clamp(sweep, -360.0, 360.0) : 0;
    double sx = 1, sy = 1;
    Scale(sx, sy);
    const double from = start * kPi / 180, turn = sweep * kPi / 180;
    const int steps = ArcSteps(radius * std::max(std::abs(sx * m_fx), std::abs(sy * m_fy)), turn);
    std::vector<POINT> points{Map(m_state.curX, m_state.curY)};
    points.reserve(static_cast<size_t>(steps) + 2);
    double ex = x, ey = y;
    for (int i = 0; i <= steps; ++i) {
        const double at = from + turn * i / steps;
        ex = x + radius * std::cos(at), ey = y - radius * std::sin(at);
        points.push_back(Map(ex, ey));
    }
    MoveTo(ex, ey);
    Poly(points, {static_cast<int>(points.size())}, false);
}

void CMetafilePlayer::Bezier(const std::vector<LogicalPoint>& logical, bool fromCurrent)
{
    std::vector<std::array<double, 2>> p;
    p.reserve(logical.size() + 1);
    if (fromCurrent)
        p.push_back({m_state.curX, m_state.curY});
    p.insert(p.end(), logical.begin(), logical.end());
    const size_t pieces = p.empty() ? 0 : (p.size() - 1) / 3;
    if (fromCurrent && pieces > 0)
        MoveTo(p[pieces * 3][0], p[pieces * 3][1]);
    if (pieces == 0)
        return;
    for (auto& q : p)
        MapExact(q[0], q[1], q[0], q[1]);
    // Steps that keep the flattened piece within a quarter pixel of the curve: the error of n even steps is at
    // most 6 |largest second difference of the control points| / (8 n^2).
    std::vector<double> steps(pieces);
    double total = 0;
    for (size_t k = 0; k < pieces; ++k) {
        const double* a = p[3 * k].data();
        const double *b = p[3 * k + 1].data(), *c = p[3 * k + 2].data(), *d = p[3 * k + 3].data();
        const double bend = std::max(std::hypot(a[0] - 2 * b[0] + c[0], a[1] - 2 * b[1] + c[1]),
                                     std::hypot(b[0] - 2 * c[0] + d[0], b[1] - 2 * c[1] + d[1]));
        steps[k] = std::clamp(std::ceil(std::sqrt(3 * bend)), 1.0, kMaxPieceSteps);
        total += steps[k];
    }
    const double share = total > kMaxCurvePoints ? kMaxCurvePoints / total : 1;
    std::vector<POINT> points{ToPixel(p[0][0], p[0][1])};
    for (size_t k = 0; k < pieces; ++k) {
        const int n = static_cast<int>(std::max(1.0, std::floor(steps[k] * share)));
        const double* a = p[3 * k].data();
        const double *b = p[3 * k + 1].data(), *c = p[3 * k + 2].data(), *d = p[3 * k + 3].data();
        for (int i = 1; i <= n; ++i) {
            const double u = double(i) / n, v = 1 - u;
            const double wa = v * v * v, wb = 3 * v * v * u, wc = 3 * v * u * u, wd = u * u * u;
            points.push_back(
                ToPixel(wa * a[0] + wb * b[0] + wc * c[0] + wd * d[0], wa * a[1] + wb * b[1] + wc * c[1] + wd * d[1]));
        }
    }
    Poly(points, {static_cast<int>(points.size())}, false);
}

void CMetafilePlayer::FillRegion(const std::vector<Box>& rects, const Brush& brush)
{
    if (brush.style != BS_SOLID)
        return;
    for (const Box& r : rects) {
        if (m_bStopped)
            return;
        FillRect(r[0], r[1], r[2], r[3], brush.colour);
    }
}

// ---- records ----

// Bounds, count, then the points: 32-bit pairs, or 16-bit pairs in the small forms.
bool CMetafilePlayer::EmfBezier(uint32_t type, const uint8_t* p, size_t n)
{
    const bool small = type == 85 || type == 88, to = type == 5 || type == 88;
    const size_t pointBytes = small ? 4 : 8;
    if (n < 20)
        return false;
    const uint64_t count = Get32(p + 16);
    if (count > (n - 20) / pointBytes)
        return false;
    std::vector<LogicalPoint> points(static_cast<size_t>(count));
    for (size_t k = 0; k < points.size(); ++k) {
        const uint8_t* q = p + 20 + k * pointBytes;
        points[k] =
            small ? LogicalPoint{double(S16(q)), double(S16(q + 2))} : LogicalPoint{double(S32(q)), double(S32(q + 4))};
    }
    Bezier(points, to);
    return true;
}

// Fill: bounds, data size, brush index, data. Paint (the current brush): bounds, data size, data.
bool CMetafilePlayer::EmfRegion(uint32_t type, const uint8_t* p, size_t n)
{
    const bool fill = type == 71;
    const size_t at = fill ? 24 : 20;
    if (n < at)
        return false;
    const uint64_t bytes = Get32(p + 16);
    std::vector<Box> rects;
    if (bytes > n - at || !EmfRegionData(p + at, static_cast<size_t>(bytes), rects))
        return false;
    FillRegion(rects, fill ? BrushAt(Get32(p + 20)) : m_state.brush);
    return true;
}

// Header (its size, type 1 for rectangles, rectangle count, data size, bounds), then the rectangles.
bool CMetafilePlayer::EmfRegionData(const uint8_t* p, size_t n, std::vector<Box>& rects)
{
    if (n < 32)
        return false;
    const uint64_t header = Get32(p), count = Get32(p + 8);
    if (header < 32 || header > n || count > (n - header) / 16)
        return false;
    if (Get32(p + 4) != 1)
        return true; // no other kind is known: nothing to fill
    rects.reserve(static_cast<size_t>(count));
    for (size_t k = 0; k < count; ++k) {
        const uint8_t* q = p + header + 16 * k;
        rects.push_back(Box{double(S32(q)), double(S32(q + 4)), double(S32(q + 8)), double(S32(q + 12))});
    }
    return true;
}

// Next in chain, object type, object count (32-bit), region size, scan count, largest scan, bounds; then each scan:
// its count of x coordinates, top, bottom, the coordinates in left-right pairs, and the count again.
std::vector<CMetafilePlayer::Box> CMetafilePlayer::WmfRegion(const uint8_t* p, size_t n)
{
    std::vector<Box> rects;
    if (n < 22)
        return rects;
    const size_t scans = Get16(p + 10);
    size_t at = 22;
    for (size_t s = 0; s < scans; ++s) {
        if (n - at < 6)
            return {};
        const size_t xs = Get16(p + at);
        const double top = S16(p + at + 2), bottom = S16(p + at + 4);
        if ((n - at - 6) / 2 < xs + 1)
            return {};
        for (size_t k = 0; k + 1 < xs; k += 2)
            rects.push_back(Box{double(S16(p + at + 6 + 2 * k)), top, double(S16(p + at + 8 + 2 * k)), bottom});
        at += 6 + 2 * xs + 2;
    }
    return rects;
}
