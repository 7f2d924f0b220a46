// The metafile player's device state: mapping of logical units to pixels, saved states, the object table, and
// the drawing calls shared by Windows and enhanced metafiles.
#include "imagelib/MetafilePlayer.h"

#include <algorithm>
#include <cmath>

using namespace platform::gdi;

namespace {

// Pixel coordinates are kept inside this range, far outside any picture, so no conversion overflows.
constexpr double kCoordLimit = double(1 << 26);
// Font cell heights are kept inside this (pixels); the cache of realised fonts is emptied past kMaxFonts.
constexpr int kMaxFontHeight = 1024;
constexpr size_t kMaxFonts = 32;

double ClampCoord(double v)
{
    return v == v ? std::clamp(v, -kCoordLimit, kCoordLimit) : 0;
}

int32_t ClampPixel(double v)
{
    return static_cast<int32_t>(std::lround(ClampCoord(v)));
}

} // namespace

CMetafilePlayer::CMetafilePlayer(DeviceContext& dc, int width, int height)
    : m_dc(dc), m_nWidth(std::max(width, 1)), m_nHeight(std::max(height, 1))
{
    // A few dozen full-picture fills, or many small shapes, before playback gives up.
    m_workLimit = 64.0 * m_nWidth * m_nHeight + double(1 << 24);
}

void CMetafilePlayer::Stop(const char* reason)
{
    if (!m_bStopped) {
        m_bStopped = true;
        m_strStop = reason;
    }
}

void CMetafilePlayer::Spend(double cost)
{
    m_work += cost + 1;
    if (m_work > m_workLimit)
        Stop("drawing budget spent");
}

// ---- mapping ----

void CMetafilePlayer::Scale(double& sx, double& sy) const
{
    const State& s = m_state;
    switch (s.mapMode) {
    case 2: // tenths of a millimetre, y up
        sx = m_ppmmX / 10, sy = -m_ppmmY / 10;
        break;
    case 3: // hundredths of a millimetre
        sx = m_ppmmX / 100, sy = -m_ppmmY / 100;
        break;
    case 4: // hundredths of an inch
        sx = m_ppmmX * 0.254, sy = -m_ppmmY * 0.254;
        break;
    case 5: // thousandths of an inch
        sx = m_ppmmX * 0.0254, sy = -m_ppmmY * 0.0254;
        break;
    case 6: // twentieths of a point
        sx = m_ppmmX * 25.4 / 1440, sy = -m_ppmmY * 25.4 / 1440;
        break;
    case 7: // isotropic: the smaller scale on both axes, signs kept
    case 8: {
        sx = s.vpExtX / s.winExtX, sy = s.vpExtY / s.winExtY;
        if (s.mapMode == 7) {
            // Units are squares on the picture, not on the reference device.
            const double m = std::min(std::abs(sx * m_fx), std::abs(sy * m_fy));
            sx = std::copysign(m / m_fx, sx), sy = std::copysign(m / m_fy, sy);
        }
        break;
    }
    default:
        sx = 1, sy = 1;
        break;
    }
}

void CMetafilePlayer::MapExact(double x, double y, double& px, double& py) const
{
    double sx = 1, sy = 1;
    Scale(sx, sy);
    const double dx = (x - m_state.winOrgX) * sx + m_state.vpOrgX;
    const double dy = (y - m_state.winOrgY) * sy + m_state.vpOrgY;
    px = ClampCoord(dx * m_fx + m_ox), py = ClampCoord(dy * m_fy + m_oy);
}

POINT CMetafilePlayer::ToPixel(double px, double py)
{
    return POINT{ClampPixel(px), ClampPixel(py)};
}

POINT CMetafilePlayer::Map(double x, double y) const
{
    double px = 0, py = 0;
    MapExact(x, y, px, py);
    return ToPixel(px, py);
}

void CMetafilePlayer::SetMapMode(int mode)
{
    if (mode >= 1 && mode <= 8)
        m_state.mapMode = mode;
}

void CMetafilePlayer::SetFillMode(int mode)
{
    if (mode == ALTERNATE || mode == WINDING)
        m_state.fillMode = mode;
}

void CMetafilePlayer::SetWindowOrg(double x, double y)
{
    m_state.winOrgX = x, m_state.winOrgY = y;
}

void CMetafilePlayer::SetViewportOrg(double x, double y)
{
    m_state.vpOrgX = x, m_state.vpOrgY = y;
}

// Extents count only in the two scalable modes; a zero extent, or one past 32 bits (scaled up), is refused.
bool CMetafilePlayer::ExtentFits(double x, double y) const
{
    const double limit = 2147483647.0;
    return (m_state.mapMode == 7 || m_state.mapMode == 8) && x != 0 && y != 0 && std::abs(x) <= limit &&
           std::abs(y) <= limit;
}

void CMetafilePlayer::SetWindowExt(double x, double y)
{
    if (ExtentFits(x, y))
        m_state.winExtX = x, m_state.winExtY = y;
}

void CMetafilePlayer::SetViewportExt(double x, double y)
{
    if (ExtentFits(x, y))
        m_state.vpExtX = x, m_state.vpExtY = y;
}

void CMetafilePlayer::ScaleWindowExt(double xNum, double xDenom, double yNum, double yDenom)
{
    if (xDenom != 0 && yDenom != 0)
        SetWindowExt(std::trunc(m_state.winExtX * xNum / xDenom), std::trunc(m_state.winExtY * yNum / yDenom));
}

void CMetafilePlayer::ScaleViewportExt(double xNum, double xDenom, double yNum, double yDenom)
{
    if (xDenom != 0 && yDenom != 0)
        SetViewportExt(std::trunc(m_state.vpExtX * xNum / xDenom), std::trunc(m_state.vpExtY * yNum / yDenom));
}

// ---- saved states and objects ----

void CMetafilePlayer::SaveDC()
{
    if (m_saved.size() < kMaxSavedStates)
        m_saved.push_back(m_state);
}

// Negative: that many levels back; positive: the state of that save (1 the first); others are refused.
void CMetafilePlayer::RestoreDC(int32_t which)
{
    const int64_t depth = static_cast<int64_t>(m_saved.size());
    const int64_t keep = which < 0 ? depth + which : int64_t(which) - 1;
    if (which == 0 || keep < 0 || keep >= depth)
        return;
    m_state = m_saved[static_cast<size_t>(keep)];
    m_saved.resize(static_cast<size_t>(keep));
}

Pen CMetafilePlayer::MakePen(uint32_t style, COLORREF colour)
{
    // Dashed, dotted and inside-frame pens draw solid; only the null pen draws nothing.
    return Pen{(style & 0xF) == PS_NULL ? PS_NULL : PS_SOLID, colour & 0xFFFFFF};
}

Brush CMetafilePlayer::MakeBrush(uint32_t style, COLORREF colour)
{
    // Hatched and pattern brushes are not drawn.
    return Brush{style == BS_SOLID ? BS_SOLID : BS_NULL, colour & 0xFFFFFF};
}

void CMetafilePlayer::AddObject(const Object& object)
{
    for (Object& slot : m_objects)
        if (slot.kind == Object::Empty) {
            slot = object;
            return;
        }
}

void CMetafilePlayer::SelectObject(size_t index)
{
    if (index >= m_objects.size())
        return;
    const Object& o = m_objects[index];
    if (o.kind == Object::Pen)
        m_state.pen = o.pen;
    else if (o.kind == Object::Brush)
        m_state.brush = o.brush;
    else if (o.kind == Object::Font)
        m_state.font = o.font;
}

void CMetafilePlayer::DeleteObject(size_t index)
{
    if (index < m_objects.size())
        m_objects[index] = Object{};
}

std::optional<Brush> CMetafilePlayer::StockBrush(uint32_t index)
{
    static const COLORREF kBrushes[5] = {0xFFFFFF, 0xC0C0C0, 0x808080, 0x404040, 0x000000};
    if (index < 5)
        return Brush{BS_SOLID, kBrushes[index]};
    if (index == 5)
        return Brush{BS_NULL, 0};
    if (index == 18)
        return Brush{BS_SOLID, 0xFFFFFF};
    return std::nullopt;
}

Brush CMetafilePlayer::BrushAt(uint32_t index) const
{
    if (index & 0x80000000u)
        return StockBrush(index & 0x7FFFFFFFu).value_or(Brush{BS_NULL, 0});
    if (index < m_objects.size() && m_objects[index].kind == Object::Brush)
        return m_objects[index].brush;
    return Brush{BS_NULL, 0};
}

const std::vector<CMetafilePlayer::Box>& CMetafilePlayer::RegionAt(size_t index) const
{
    static const std::vector<Box> kNone;
    return index < m_objects.size() && m_objects[index].kind == Object::Region ? m_objects[index].region : kNone;
}

void CMetafilePlayer::SelectStockObject(uint32_t index)
{
    if (std::optional<Brush> brush = StockBrush(index))
        m_state.brush = *brush;
    else if (index == 6)
        m_state.pen = Pen{PS_SOLID, 0xFFFFFF};
    else if (index == 7)
        m_state.pen = Pen{PS_SOLID, 0};
    else if (index == 8)
        m_state.pen = Pen{PS_NULL, 0};
    else if ((index >= 10 && index <= 14) || index == 16 || index == 17)
        m_state.font.reset();
    else if (index == 19)
        m_state.pen = Pen{PS_SOLID, 0};
}

// ---- drawing ----

double CMetafilePlayer::ShapeCost(const std::vector<POINT>& points) const
{
    if (points.empty())
        return 0;
    int32_t top = points[0].y, bottom = points[0].y, left = points[0].x, right = points[0].x;
    for (const POINT& p : points) {
        top = std::min(top, p.y), bottom = std::max(bottom, p.y);
        left = std::min(left, p.x), right = std::max(right, p.x);
    }
    const double rows = std::clamp<double>(double(bottom) - top + 1, 0, m_nHeight);
    const double cols = std::clamp<double>(double(right) - left + 1, 0, m_nWidth);
    // Every row looks at every edge and fills its spans; every edge is outlined.
    return rows * (double(points.size()) + cols) + double(points.size()) * (m_nWidth + m_nHeight);
}

void CMetafilePlayer::MoveTo(double x, double y)
{
    m_state.curX = x, m_state.curY = y;
}

void CMetafilePlayer::LineTo(double x, double y)
{
    const POINT a = Map(m_state.curX, m_state.curY), b = Map(x, y);
    Spend(m_nWidth + m_nHeight);
    m_dc.SelectPen(m_state.pen);
    m_dc.MoveTo(a.x, a.y);
    m_dc.LineTo(b.x, b.y);
    m_state.curX = x, m_state.curY = y;
}

// Points already mapped; `counts` splits them into rings (polygons) or separate lines.
void CMetafilePlayer::Poly(const std::vector<POINT>& points, const std::vector<int>& counts, bool closed)
{
    Spend(ShapeCost(points));
    if (m_bStopped)
        return;
    m_dc.SelectPen(m_state.pen);
    m_dc.SelectBrush(m_state.brush);
    if (closed) {
        m_dc.SetPolyFillMode(m_state.fillMode);
        m_dc.PolyPolygon(points.data(), counts.data(), static_cast<int>(counts.size()));
        return;
    }
    size_t start = 0;
    for (int count : counts) {
        m_dc.Polyline(points.data() + start, count);
        start += static_cast<size_t>(count);
    }
}

void CMetafilePlayer::Rectangle(double l, double t, double r, double b)
{
    RoundRect(l, t, r, b, 0, 0);
}

void CMetafilePlayer::RoundRect(double l, double t, double r, double b, double w, double h)
{
    const POINT a = Map(l, t), c = Map(r, b);
    double sx = 1, sy = 1;
    Scale(sx, sy);
    const int cw = ClampPixel(std::abs(w * sx * m_fx)), ch = ClampPixel(std::abs(h * sy * m_fy));
    Spend(ShapeCost({a, c}));
    if (m_bStopped)
        return;
    m_dc.SelectPen(m_state.pen);
    m_dc.SelectBrush(m_state.brush);
    m_dc.RoundRect(a.x, a.y, c.x, c.y, cw, ch);
}

void CMetafilePlayer::Ellipse(double l, double t, double r, double b)
{
    const POINT a = Map(l, t), c = Map(r, b);
    Spend(ShapeCost({a, c}));
    if (m_bStopped)
        return;
    m_dc.SelectPen(m_state.pen);
    m_dc.SelectBrush(m_state.brush);
    m_dc.Ellipse(a.x, a.y, c.x, c.y);
}

void CMetafilePlayer::SetPixel(double x, double y, COLORREF colour)
{
    const POINT p = Map(x, y);
    Spend(1);
    m_dc.SetPixel(p.x, p.y, colour & 0xFFFFFF);
}

void CMetafilePlayer::FillRect(double l, double t, double r, double b, COLORREF colour)
{
    POINT a = Map(l, t), c = Map(r, b);
    Spend(ShapeCost({a, c}));
    if (m_bStopped)
        return;
    m_dc.FillSolidRect(RECT{std::min(a.x, c.x), std::min(a.y, c.y), std::max(a.x, c.x), std::max(a.y, c.y)},
                       colour & 0xFFFFFF);
}

Font* CMetafilePlayer::RealizeFont()
{
    if (!m_state.font)
        return m_dc.CurrentFont();
    const LogFont& lf = *m_state.font;
    double sx = 1, sy = 1;
    Scale(sx, sy);
    double pixels = std::abs(double(lf.height) * sy * m_fy);
    if (!(pixels == pixels))
        pixels = 0;
    int height = static_cast<int>(std::lround(std::min(pixels, double(kMaxFontHeight))));
    if (lf.height != 0 && height == 0)
        height = 1;
    if (lf.height < 0)
        height = -height;
    const int weight = lf.weight <= 0 ? FW_NORMAL : std::min(lf.weight, 1000);
    auto key = std::make_tuple(height, weight, lf.italic, lf.underline, lf.face);
    auto it = m_fonts.find(key);
    if (it != m_fonts.end())
        return it->second.get();
    if (m_fonts.size() >= kMaxFonts)
        m_fonts.clear();
    // Opening a font file costs far more than a glyph: a few hundred of them spend the whole budget.
    Spend(m_workLimit / 256);
    if (m_bStopped)
        return nullptr;
    FontDesc desc;
    desc.height = height;
    desc.weight = weight;
    desc.italic = lf.italic;
    desc.underline = lf.underline;
    desc.face = lf.face.empty() ? "Arial" : lf.face;
    std::unique_ptr<Font> font = Font::Create(desc);
    if (!font)
        return nullptr;
    return m_fonts.emplace(key, std::move(font)).first->second.get();
}

void CMetafilePlayer::Text(double x, double y, const std::string& text, const double* opaque)
{
    if (opaque)
        FillRect(opaque[0], opaque[1], opaque[2], opaque[3], m_state.bkColour);
    Font* font = RealizeFont();
    if (!font || m_bStopped)
        return;
    const FontMetrics& m = font->Metrics();
    Spend(double(text.size()) * (double(m.height) * m.height + 1));
    if (m_bStopped)
        return;
    const bool updateCp = (m_state.textAlign & 1) != 0;
    if (updateCp)
        x = m_state.curX, y = m_state.curY;
    Font* previous = m_dc.SelectFont(font);
    SIZE extent;
    m_dc.GetTextExtentPoint32(text.data(), static_cast<int>(text.size()), &extent);
    POINT p = Map(x, y);
    const uint32_t horizontal = m_state.textAlign & 6, vertical = m_state.textAlign & 24;
    int64_t px = p.x, py = p.y;
    if (horizontal == 6)
        px -= extent.cx / 2;
    else if (horizontal == 2)
        px -= extent.cx;
    if (vertical == 24)
        py -= m.ascent;
    else if (vertical == 8)
        py -= m.height;
    m_dc.SetTextColor(m_state.textColour & 0xFFFFFF);
    m_dc.SetBkColor(m_state.bkColour & 0xFFFFFF);
    m_dc.SetBkMode(m_state.bkMode);
    m_dc.TextOut(static_cast<int>(px), static_cast<int>(py), text.data(), static_cast<int>(text.size()));
    m_dc.SelectFont(previous);
    if (updateCp) {
        double sx = 1, sy = 1;
        Scale(sx, sy);
        const double step = sx * m_fx;
        const double advance = horizontal == 6 ? 0 : (horizontal == 2 ? -extent.cx : extent.cx);
        if (step != 0)
            m_state.curX += advance / step;
    }
}
