// The metafile player's record loops: Windows metafile records (16-bit parameters, most in reverse order) and
// enhanced metafile records (32-bit fields), every size and count checked against the record before use.
#include "imagelib/MetafilePlayer.h"
#include "imagelib/RasterTypes.h"

#include <algorithm>
#include <cstring>

using rasterbytes::Get16;
using rasterbytes::Get32;

namespace {

int16_t S16(const uint8_t* p)
{
    return static_cast<int16_t>(Get16(p));
}
int32_t S32(const uint8_t* p)
{
    return static_cast<int32_t>(Get32(p));
}

float F32(const uint8_t* p)
{
    const uint32_t bits = Get32(p);
    float f;
    std::memcpy(&f, &bits, sizeof f);
    return f;
}

// A face name from at most `n` bytes (or 16-bit units when `wide`), up to the first zero, printable ASCII kept.
std::string FaceName(const uint8_t* p, size_t n, bool wide)
{
    std::string face;
    const size_t step = wide ? 2 : 1;
    for (size_t i = 0; i + step <= n && face.size() < 31; i += step) {
        const uint32_t c = wide ? Get16(p + i) : p[i];
        if (c == 0)
            break;
        if (c >= 0x20 && c < 0x7F)
            face.push_back(static_cast<char>(c));
    }
    return face;
}

// A UTF-16 character as a Windows-1252 byte ('?' when it has none).
char To1252(uint16_t c)
{
    if (c < 0x80 || (c >= 0xA0 && c < 0x100))
        return static_cast<char>(c);
    for (unsigned b = 0x80; b < 0xA0; ++b)
        if (platform::gdi::CodePointOf(static_cast<unsigned char>(b)) == c)
            return static_cast<char>(b);
    return '?';
}

} // namespace

bool ReadEmfHeader(const uint8_t* data, size_t size, MetafileEmfHeader& h)
{
    if (!data || size < 88 || Get32(data) != 1)
        return false;
    const uint32_t recordSize = Get32(data + 4);
    if (recordSize < 88 || recordSize % 4 != 0 || recordSize > size || Get32(data + 40) != 0x464D4520)
        return false;
    h.left = S32(data + 8), h.top = S32(data + 12), h.right = S32(data + 16), h.bottom = S32(data + 20);
    h.bytes = Get32(data + 48);
    if (h.bytes < recordSize || h.bytes > size)
        return false;
    h.handles = Get16(data + 56);
    h.deviceWidth = S32(data + 72), h.deviceHeight = S32(data + 76);
    h.millimetresWidth = S32(data + 80), h.millimetresHeight = S32(data + 84);
    return true;
}

// ---- Windows metafiles ----

void CMetafilePlayer::PlayWmf(const uint8_t* data, size_t size, int32_t left, int32_t top, int32_t right,
                              int32_t bottom)
{
    if (!data || size < 18) {
        Stop("header cut short");
        return;
    }
    m_objects.assign(Get16(data + 6 + 4), Object{});
    m_state = State{};
    m_state.mapMode = 8;
    SetWindowOrg(left, top);
    SetWindowExt(right != left ? double(right) - left : 1, bottom != top ? double(bottom) - top : 1);
    SetViewportExt(m_nWidth, m_nHeight);
    size_t pos = std::max<size_t>(18, size_t(Get16(data + 2)) * 2);
    while (!m_bStopped && pos < size) {
        if (size - pos < 6)
            return Stop("record cut short");
        const uint64_t bytes = uint64_t(Get32(data + pos)) * 2;
        const uint16_t function = Get16(data + pos + 4);
        if (bytes < 6 || bytes > size - pos)
            return Stop("record size past the end");
        if (function == 0)
            return; // end of file
        if (m_nRecords >= kMaxRecords)
            return Stop("too many records");
        ++m_nRecords;
        if (!WmfRecord(function, data + pos + 6, static_cast<size_t>(bytes - 6)))
            return Stop("record too short for its contents");
        pos += static_cast<size_t>(bytes);
    }
}

bool CMetafilePlayer::WmfRecord(uint16_t function, const uint8_t* p, size_t n)
{
    // Parameter i as a signed 16-bit value; `need` words must be there.
    auto s = [p](size_t i) { return double(S16(p + 2 * i)); };
    auto need = [n](size_t words) { return n >= words * 2; };
    switch (function) {
    case 0x001E:
        SaveDC();
        return true;
    case 0x0127:
        return need(1) && (RestoreDC(S16(p)), true);
    case 0x0201:
        return need(2) && (m_state.bkColour = Get32(p), true);
    case 0x0209:
        return need(2) && (m_state.textColour = Get32(p), true);
    case 0x0102:
        return need(1) && (m_state.bkMode = Get16(p) == 1 ? platform::gdi::TRANSPARENT : platform::gdi::OPAQUE, true);
    case 0x0103:
        return need(1) && (SetMapMode(Get16(p)), true);
    case 0x0106:
        return need(1) && (SetFillMode(Get16(p)), true);
    case 0x012E:
        return need(1) && (m_state.textAlign = Get16(p), true);
    case 0x020B:
        return need(2) && (SetWindowOrg(s(1), s(0)), true);
    case 0x020C:
        return need(2) && (SetWindowExt(s(1), s(0)), true);
    case 0x020D:
        return need(2) && (SetViewportOrg(s(1), s(0)), true);
    case 0x020E:
        return need(2) && (SetViewportExt(s(1), s(0)), true);
    case 0x020F:
        return need(2) && (SetWindowOrg(m_state.winOrgX + s(1), m_state.winOrgY + s(0)), true);
    case 0x0211:
        return need(2) && (SetViewportOrg(m_state.vpOrgX + s(1), m_state.vpOrgY + s(0)), true);
    case 0x0410:
        return need(4) && (ScaleWindowExt(s(3), s(2), s(1), s(0)), true);
    case 0x0412:
        return need(4) && (ScaleViewportExt(s(3), s(2), s(1), s(0)), true);
    case 0x0213:
        return need(2) && (LineTo(s(1), s(0)), true);
    case 0x0214:
        return need(2) && (MoveTo(s(1), s(0)), true);
    case 0x041B:
        return need(4) && (Rectangle(s(3), s(2), s(1), s(0)), true);
    case 0x061C:
        return need(6) && (RoundRect(s(5), s(4), s(3), s(2), s(1), s(0)), true);
    case 0x0418:
        return need(4) && (Ellipse(s(3), s(2), s(1), s(0)), true);
    case 0x041F:
        return need(4) && (SetPixel(s(3), s(2), Get32(p)), true);
    case 0x0817:
    case 0x081A:
    case 0x0830: { // end, start, box: each y before x, the box bottom, right, top, left
        if (!need(8))
            return false;
        const ArcKind kind = function == 0x0817 ? ArcKind::Arc : function == 0x081A ? ArcKind::Pie : ArcKind::Chord;
        ArcShape(kind, s(7), s(6), s(5), s(4), s(3), s(2), s(1), s(0));
        return true;
    }
    case 0x0228: // region, brush
        return need(2) && (FillRegion(RegionAt(Get16(p)), BrushAt(Get16(p + 2))), true);
    case 0x012B:
        return need(1) && (FillRegion(RegionAt(Get16(p)), m_state.brush), true);
    case 0x061D: // pattern fill: only the copy of a solid brush is drawn
        if (!need(6))
            return false;
        if (Get32(p) == 0x00F00021 && m_state.brush.style == platform::gdi::BS_SOLID)
            FillRect(s(5), s(4), s(5) + s(3), s(4) + s(2), m_state.brush.colour);
        return true;
    case 0x0324:
    case 0x0325:
    case 0x0538: {
        const bool many = function == 0x0538;
        if (!need(1))
            return false;
        std::vector<int> counts;
        size_t word = 1;
        uint64_t total = 0;
        if (many) {
            const size_t polys = Get16(p);
            if (!need(1 + polys))
                return false;
            for (size_t i = 0; i < polys; ++i)
                total += counts.emplace_back(Get16(p + 2 + 2 * i));
            word += polys;
        } else {
            total = counts.emplace_back(Get16(p));
        }
        if (n / 4 < total || !need(word + 2 * total))
            return false;
        std::vector<POINT> points;
        points.reserve(static_cast<size_t>(total));
        for (size_t i = 0; i < total; ++i)
            points.push_back(Map(s(word + 2 * i), s(word + 2 * i + 1)));
        Poly(points, counts, function != 0x0325);
        return true;
    }
    case 0x012D:
        return need(1) && (SelectObject(Get16(p)), true);
    case 0x01F0:
        return need(1) && (DeleteObject(Get16(p)), true);
    case 0x02FA:
    case 0x02FB:
    case 0x02FC:
    case 0x00F7:
    case 0x01F9:
    case 0x0142:
    case 0x06FF:
        return WmfCreate(function, p, n);
    case 0x0521:
    case 0x0A32:
        return WmfText(function, p, n);
    default:
        return true; // not drawn here
    }
}

bool CMetafilePlayer::WmfCreate(uint16_t function, const uint8_t* p, size_t n)
{
    Object o;
    if (function == 0x02FA) { // pen: style, width (x, y), colour
        if (n < 10)
            return false;
        o.kind = Object::Pen;
        o.pen = MakePen(Get16(p), Get32(p + 6));
    } else if (function == 0x02FC) { // brush: style, colour, hatch
        if (n < 6)
            return false;
        o.kind = Object::Brush;
        o.brush = MakeBrush(Get16(p), Get32(p + 2));
    } else if (function == 0x02FB) { // font: 16-bit height, width, escapement, orientation, weight, flags, face
        if (n < 18)
            return false;
        o.kind = Object::Font;
        o.font.height = S16(p);
        o.font.weight = S16(p + 8);
        o.font.italic = p[10] != 0;
        o.font.underline = p[11] != 0;
        o.font.face = FaceName(p + 18, std::min<size_t>(n - 18, 32), false);
    } else if (function == 0x01F9 || function == 0x0142) {
        o.kind = Object::Brush; // pattern brushes are not drawn
        o.brush = MakeBrush(3, 0);
    } else if (function == 0x06FF) {
        o.kind = Object::Region;
        o.region = WmfRegion(p, n);
    } else {
        o.kind = Object::Other; // palettes hold their slot
    }
    AddObject(o);
    return true;
}

bool CMetafilePlayer::WmfText(uint16_t function, const uint8_t* p, size_t n)
{
    if (function == 0x0521) { // count, string padded to even, y, x
        if (n < 2)
            return false;
        const size_t count = Get16(p), padded = (count + 1) & ~size_t(1);
        if (n < 2 + padded + 4)
            return false;
        Text(S16(p + 2 + padded + 2), S16(p + 2 + padded), std::string(reinterpret_cast<const char*>(p + 2), count),
             nullptr);
        return true;
    }
    // y, x, count, options, [rectangle], string, [spacing]
    if (n < 8)
        return false;
    const size_t count = Get16(p + 4);
    const uint16_t options = Get16(p + 6);
    size_t at = 8;
    double box[4] = {};
    if (options & 0x0006) { // opaque or clipped: a rectangle follows
        if (n < 16)
            return false;
        for (int i = 0; i < 4; ++i)
            box[i] = S16(p + 8 + 2 * i);
        at = 16;
    }
    if (n - at < count)
        return false;
    Text(S16(p + 2), S16(p), std::string(reinterpret_cast<const char*>(p + at), count),
         (options & 0x0002) ? box : nullptr);
    return true;
}

// ---- enhanced metafiles ----

void CMetafilePlayer::PlayEmf(const uint8_t* data, size_t size)
{
    MetafileEmfHeader h;
    if (!ReadEmfHeader(data, size, h)) {
        Stop("no header record");
        return;
    }
    size = h.bytes;
    m_objects.assign(h.handles, Object{});
    m_state = State{};
    if (h.deviceWidth > 0 && h.deviceHeight > 0 && h.millimetresWidth > 0 && h.millimetresHeight > 0) {
        m_ppmmX = double(h.deviceWidth) / h.millimetresWidth;
        m_ppmmY = double(h.deviceHeight) / h.millimetresHeight;
    }
    const double bw = double(h.right) - h.left, bh = double(h.bottom) - h.top;
    m_fx = bw > 0 ? m_nWidth / bw : 1;
    m_fy = bh > 0 ? m_nHeight / bh : 1;
    m_ox = -double(h.left) * m_fx, m_oy = -double(h.top) * m_fy;
    size_t pos = 0;
    while (!m_bStopped && pos < size) {
        if (size - pos < 8)
            return Stop("record cut short");
        const uint32_t type = Get32(data + pos), bytes = Get32(data + pos + 4);
        if (bytes < 8 || bytes % 4 != 0 || bytes > size - pos)
            return Stop("record size past the end");
        if (type == 14)
            return; // end of file
        if (m_nRecords >= kMaxRecords)
            return Stop("too many records");
        ++m_nRecords;
        if (!EmfRecord(type, data + pos + 8, bytes - 8))
            return Stop("record too short for its contents");
        pos += bytes;
    }
}

bool CMetafilePlayer::EmfRecord(uint32_t type, const uint8_t* p, size_t n)
{
    auto i = [p](size_t k) { return double(S32(p + 4 * k)); };
    auto need = [n](size_t fields) { return n >= fields * 4; };
    switch (type) {
    case 9:
        return need(2) && (SetWindowExt(i(0), i(1)), true);
    case 10:
        return need(2) && (SetWindowOrg(i(0), i(1)), true);
    case 11:
        return need(2) && (SetViewportExt(i(0), i(1)), true);
    case 12:
        return need(2) && (SetViewportOrg(i(0), i(1)), true);
    case 15:
        return need(3) && (SetPixel(i(0), i(1), Get32(p + 8)), true);
    case 17:
        return need(1) && (SetMapMode(S32(p)), true);
    case 19:
        return need(1) && (SetFillMode(S32(p)), true);
    case 57: // 1 anticlockwise, 2 clockwise
        return need(1) && (Get32(p) == 1 || Get32(p) == 2 ? void(m_state.clockwise = Get32(p) == 2) : void(), true);
    case 18:
        return need(1) && (m_state.bkMode = Get32(p) == 1 ? platform::gdi::TRANSPARENT : platform::gdi::OPAQUE, true);
    case 22:
        return need(1) && (m_state.textAlign = Get32(p), true);
    case 24:
        return need(1) && (m_state.textColour = Get32(p), true);
    case 25:
        return need(1) && (m_state.bkColour = Get32(p), true);
    case 27:
        return need(2) && (MoveTo(i(0), i(1)), true);
    case 54:
        return need(2) && (LineTo(i(0), i(1)), true);
    case 31:
        return need(4) && (ScaleViewportExt(i(0), i(1), i(2), i(3)), true);
    case 32:
        return need(4) && (ScaleWindowExt(i(0), i(1), i(2), i(3)), true);
    case 33:
        SaveDC();
        return true;
    case 34:
        return need(1) && (RestoreDC(S32(p)), true);
    case 37: {
        if (!need(1))
            return false;
        const uint32_t index = Get32(p);
        if (index & 0x80000000u)
            SelectStockObject(index & 0x7FFFFFFFu);
        else if (index != 0)
            SelectObject(index);
        return true;
    }
    case 40:
        return need(1) && (Get32(p) != 0 ? DeleteObject(Get32(p)) : void(), true);
    case 42:
        return need(4) && (Ellipse(i(0), i(1), i(2), i(3)), true);
    case 43:
        return need(4) && (Rectangle(i(0), i(1), i(2), i(3)), true);
    case 44:
        return need(6) && (RoundRect(i(0), i(1), i(2), i(3), i(4), i(5)), true);
    case 45:
    case 46:
    case 47:
    case 55: { // box, start, end
        if (!need(8))
            return false;
        static constexpr ArcKind kKinds[] = {ArcKind::Arc, ArcKind::Chord, ArcKind::Pie};
        ArcShape(type == 55 ? ArcKind::ArcTo : kKinds[type - 45], i(0), i(1), i(2), i(3), i(4), i(5), i(6), i(7));
        return true;
    }
    case 41: // centre, radius, start and sweep angles in degrees
        return need(5) && (AngleArc(i(0), i(1), Get32(p + 8), F32(p + 12), F32(p + 16)), true);
    case 2:
    case 5:
    case 85:
    case 88:
        return EmfBezier(type, p, n);
    case 71:
    case 74:
        return EmfRegion(type, p, n);
    case 3:
    case 4:
    case 6:
    case 7:
    case 8:
    case 86:
    case 87:
    case 89:
    case 90:
    case 91:
        return EmfPolys(type, p, n);
    case 38:
    case 39:
    case 49:
    case 82:
    case 93:
    case 94:
    case 95:
        return EmfCreate(type, p, n);
    case 83:
    case 84:
        return EmfText(type, p, n);
    default:
        return true; // not drawn here
    }
}

bool CMetafilePlayer::EmfPolys(uint32_t type, const uint8_t* p, size_t n)
{
    const bool small = type >= 86;
    const uint32_t kind = small ? type - 83 : type; // 16-bit kinds map onto 3, 4, 6, 7, 8
    const size_t pointBytes = small ? 4 : 8;
    const bool many = kind == 7 || kind == 8;
    // Bounds, then the ring count and point total (several rings) or the point count (one).
    if (n < 16 + 4 + (many ? 4 : 0))
        return false;
    std::vector<int> counts;
    uint64_t total = Get32(p + 16);
    size_t at = 20;
    if (many) {
        const uint64_t polys = Get32(p + 16);
        total = Get32(p + 20);
        if (polys > (n - 24) / 4)
            return false;
        uint64_t sum = 0;
        for (size_t k = 0; k < polys; ++k)
            sum += counts.emplace_back(static_cast<int>(std::min<uint32_t>(Get32(p + 24 + 4 * k), 1u << 30)));
        if (sum != total)
            return false;
        at = 24 + static_cast<size_t>(polys) * 4;
    }
    if (total > (n - at) / pointBytes)
        return false;
    std::vector<POINT> points;
    const bool fromCurrent = kind == 6;
    if (fromCurrent)
        points.push_back(Map(m_state.curX, m_state.curY));
    double x = 0, y = 0;
    for (size_t k = 0; k < total; ++k) {
        const uint8_t* q = p + at + k * pointBytes;
        x = small ? S16(q) : S32(q);
        y = small ? S16(q + 2) : S32(q + 4);
        points.push_back(Map(x, y));
    }
    if (!many)
        counts.push_back(static_cast<int>(points.size()));
    if (fromCurrent && total > 0)
        MoveTo(x, y);
    Poly(points, counts, kind == 3 || kind == 8);
    return true;
}

bool CMetafilePlayer::EmfCreate(uint32_t type, const uint8_t* p, size_t n)
{
    if (n < 4)
        return false;
    const uint32_t index = Get32(p);
    Object o;
    if (type == 38) { // style, width (x, y), colour
        if (n < 20)
            return false;
        o.kind = Object::Pen;
        o.pen = MakePen(Get32(p + 4), Get32(p + 16));
    } else if (type == 95) { // bitmap offsets and sizes, style, width, brush style, colour
        if (n < 36)
            return false;
        o.kind = Object::Pen;
        o.pen = MakePen(Get32(p + 20), Get32(p + 32));
    } else if (type == 39) { // style, colour, hatch
        if (n < 12)
            return false;
        o.kind = Object::Brush;
        o.brush = MakeBrush(Get32(p + 4), Get32(p + 8));
    } else if (type == 82) { // height, width, escapement, orientation, weight, flag bytes, face of 32 wide characters
        if (n < 32)
            return false;
        o.kind = Object::Font;
        o.font.height = S32(p + 4);
        o.font.weight = S32(p + 20);
        o.font.italic = p[24] != 0;
        o.font.underline = p[25] != 0;
        o.font.face = FaceName(p + 32, std::min<size_t>(n - 32, 64), true);
    } else if (type == 93 || type == 94) {
        o.kind = Object::Brush; // pattern brushes are not drawn
        o.brush = MakeBrush(3, 0);
    } else {
        o.kind = Object::Other; // palettes
    }
    if (index != 0 && index < m_objects.size())
        m_objects[index] = o;
    return true;
}

bool CMetafilePlayer::EmfText(uint32_t type, const uint8_t* p, size_t n)
{
    // Bounds, graphics mode, two scales, then the text record: reference point, count, string offset (from the
    // record's start), options, rectangle, spacing offset.
    if (n < 68)
        return false;
    const bool wide = type == 84;
    const uint64_t count = Get32(p + 36), offset = Get32(p + 40);
    const uint32_t options = Get32(p + 44);
    const uint64_t bytes = count * (wide ? 2 : 1);
    if (offset < 8 || offset - 8 > n || bytes > n - (offset - 8))
        return false;
    const uint8_t* s = p + (offset - 8);
    std::string text;
    text.reserve(static_cast<size_t>(count));
    for (uint64_t k = 0; k < count; ++k)
        text.push_back(wide ? To1252(Get16(s + 2 * k)) : static_cast<char>(s[k]));
    double box[4];
    for (int k = 0; k < 4; ++k)
        box[k] = S32(p + 48 + 4 * k);
    Text(S32(p + 28), S32(p + 32), text, (options & 2) ? box : nullptr);
    return true;
}
