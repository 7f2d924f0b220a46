// Device context drawing: text layout (lines, word breaks, alignment, clipping), glyph blending and pixels.
#include "platform/gdi/DeviceContext.h"

#include <algorithm>
#include <cstring>
#include <vector>

namespace platform::gdi {
namespace {

// Far beyond any surface, and far enough from the int limits for text arithmetic.
constexpr int kFar = 1 << 24;

int FarClamp(int value)
{
    return std::clamp(value, -kFar, kFar);
}

uint16_t BlendCoverage(uint16_t dst, COLORREF colour, int a)
{
    if (a >= 255)
        return ColorRefTo565(colour);
    COLORREF d = Rgb565ToColorRef(dst);
    int ia = 255 - a;
    int r = (GetRValue(colour) * a + GetRValue(d) * ia + 127) / 255;
    int g = (GetGValue(colour) * a + GetGValue(d) * ia + 127) / 255;
    int b = (GetBValue(colour) * a + GetBValue(d) * ia + 127) / 255;
    return ColorRefTo565(RGB(r, g, b));
}

} // namespace

DeviceContext::DeviceContext(PixelSurface& target) : m_pSurface(&target) {}

DeviceContext::DeviceContext(DeviceBitmap& target) : m_pSurface(&m_noSurface), m_pBitmap(&target) {}

RECT DeviceContext::Bounds() const
{
    return m_pBitmap ? RECT{0, 0, m_pBitmap->Width(), m_pBitmap->Height()} : m_pSurface->Bounds();
}

void DeviceContext::FillRect(const RECT& rect, COLORREF colour)
{
    if (!m_pBitmap) {
        m_pSurface->Fill(&rect, ColorRefTo565(colour));
        return;
    }
    m_pBitmap->Fill(rect, colour);
}

void DeviceContext::BlendPixel(int x, int y, COLORREF colour, int alpha)
{
    if (!m_pBitmap) {
        uint16_t* row = m_pSurface->Row(y);
        row[x] = BlendCoverage(row[x], colour, alpha);
        return;
    }
    if (alpha < 255) {
        COLORREF d = m_pBitmap->GetPixel(x, y);
        int ia = 255 - alpha;
        colour = RGB((GetRValue(colour) * alpha + GetRValue(d) * ia + 127) / 255,
                     (GetGValue(colour) * alpha + GetGValue(d) * ia + 127) / 255,
                     (GetBValue(colour) * alpha + GetBValue(d) * ia + 127) / 255);
    }
    m_pBitmap->SetPixel(x, y, colour);
}

void DeviceContext::BlendGlyph(int left, int top, const Font::Glyph& glyph, const RECT& clip)
{
    // The glyph's rows and columns inside the clip, found once rather than per pixel.
    const int x0 = std::max(0, clip.left - left), x1 = std::min(glyph.width, clip.right - left);
    const int y0 = std::max(0, clip.top - top), y1 = std::min(glyph.rows, clip.bottom - top);
    if (m_blendColour != m_textColour) {
        std::fill(std::begin(m_aBlendMemo), std::end(m_aBlendMemo), 0);
        m_blendColour = m_textColour;
    }
    for (int gy = y0; gy < y1; ++gy) {
        const unsigned char* coverage = glyph.coverage + static_cast<size_t>(gy) * glyph.width;
        if (m_pBitmap) {
            for (int gx = x0; gx < x1; ++gx)
                if (coverage[gx])
                    BlendPixel(left + gx, top + gy, m_textColour, coverage[gx]);
            continue;
        }
        uint16_t* row = m_pSurface->Row(top + gy);
        for (int gx = x0; gx < x1; ++gx) {
            if (!coverage[gx])
                continue;
            uint16_t& pixel = row[left + gx];
            uint64_t& memo = m_aBlendMemo[coverage[gx]];
            if (memo >> 16 != pixel + 1u)
                memo = (uint64_t{pixel} + 1) << 16 | BlendCoverage(pixel, m_textColour, coverage[gx]);
            pixel = static_cast<uint16_t>(memo);
        }
    }
}

DeviceContext::~DeviceContext() = default;

Font* DeviceContext::SelectFont(Font* font)
{
    Font* old = m_pFont;
    m_pFont = font;
    return old;
}

Font* DeviceContext::CurrentFont()
{
    if (m_pFont)
        return m_pFont;
    if (!m_defaultFont)
        m_defaultFont = Font::Create(FontDesc{});
    return m_defaultFont.get();
}

COLORREF DeviceContext::SetTextColor(COLORREF colour)
{
    COLORREF old = m_textColour;
    m_textColour = colour;
    return old;
}

COLORREF DeviceContext::SetBkColor(COLORREF colour)
{
    COLORREF old = m_bkColour;
    m_bkColour = colour;
    return old;
}

int DeviceContext::SetBkMode(int mode)
{
    int old = m_nBkMode;
    if (mode == TRANSPARENT || mode == OPAQUE)
        m_nBkMode = mode;
    return old;
}

bool DeviceContext::SetTextJustification(int breakExtra, int breakCount)
{
    m_nBreakExtra = breakCount > 0 ? std::max(breakExtra, 0) : 0;
    m_nBreakCount = breakCount > 0 ? breakCount : 0;
    return true;
}

int DeviceContext::LineWidth(const std::string& text)
{
    Font* font = CurrentFont();
    if (!font)
        return 0;
    int width = 0, breaks = 0;
    for (unsigned char ch : text) {
        width += font->Advance(ch);
        if (ch == ' ' && m_nBreakCount > 0) {
            width += m_nBreakExtra / m_nBreakCount + (breaks < m_nBreakExtra % m_nBreakCount ? 1 : 0);
            ++breaks;
        }
    }
    return width;
}

void DeviceContext::DrawLine(int x, int y, const std::string& text, const RECT& clip)
{
    Font* font = CurrentFont();
    if (!font)
        return;
    const FontMetrics& m = font->Metrics();
    if (m_nBkMode == OPAQUE) {
        RECT box = IntersectRects(RECT{x, y, x + LineWidth(text), y + m.height}, clip);
        if (!IsRectEmpty(box))
            FillRect(box, m_bkColour);
    }
    int pen = x, baseline = y + m.ascent, breaks = 0;
    Font::Glyph glyph;
    for (unsigned char ch : text) {
        if (font->RenderGlyph(ch, glyph))
            BlendGlyph(pen + glyph.left, baseline - glyph.top, glyph, clip);
        pen += glyph.advance;
        if (ch == ' ' && m_nBreakCount > 0) {
            pen += m_nBreakExtra / m_nBreakCount + (breaks < m_nBreakExtra % m_nBreakCount ? 1 : 0);
            ++breaks;
        }
    }
    if (font->Desc().underline) {
        // Below the baseline, inside the cell's descent.
        const int thickness = std::max(1, m.height / 20);
        const int top = baseline + std::max(1, m.descent / 2);
        RECT line = IntersectRects(RECT{x, top, pen, std::min(top + thickness, y + m.height)}, clip);
        if (!IsRectEmpty(line))
            FillRect(line, m_textColour);
    }
}

std::string DeviceContext::Prepare(const char* text, int count, unsigned format) const
{
    if (!text)
        return {};
    size_t length = count < 0 ? std::strlen(text) : strnlen(text, static_cast<size_t>(count));
    std::string out;
    out.reserve(length);
    for (size_t i = 0; i < length; ++i) {
        char c = text[i];
        if (c == '&' && !(format & DT_NOPREFIX)) {
            // "&&" draws one ampersand; a single one marks the next letter and is not drawn.
            if (i + 1 < length && text[i + 1] == '&')
                out.push_back(text[++i]);
            continue;
        }
        if (c == '\t' && (format & DT_EXPANDTABS)) {
            do
                out.push_back(' ');
            while (out.size() % 8 != 0);
            continue;
        }
        out.push_back(c);
    }
    return out;
}

int DeviceContext::DrawText(const char* text, int count, RECT* target, unsigned format)
{
    Font* font = CurrentFont();
    if (!target || !font)
        return 0;
    // Coordinates far off any surface are pulled in, so that no sum below can overflow.
    RECT box{FarClamp(target->left), FarClamp(target->top), FarClamp(target->right), FarClamp(target->bottom)};
    RECT* rect = &box;
    std::string prepared = Prepare(text, count, format);
    const int cell = font->Metrics().height;
    const int boxWidth = rect->right - rect->left;

    std::vector<Line> lines;
    if (format & DT_SINGLELINE) {
        std::string flat;
        for (char c : prepared)
            if (c != '\r' && c != '\n')
                flat.push_back(c);
        lines.push_back(Line{flat, LineWidth(flat)});
    } else {
        size_t start = 0;
        while (start <= prepared.size()) {
            size_t end = prepared.find('\n', start);
            std::string para = prepared.substr(start, end == std::string::npos ? std::string::npos : end - start);
            para.erase(std::remove(para.begin(), para.end(), '\r'), para.end());
            if (!(format & DT_WORDBREAK) || LineWidth(para) <= boxWidth) {
                lines.push_back(Line{para, LineWidth(para)});
            } else {
                // Break at blanks; a single word wider than the box stays whole.
                size_t pos = 0;
                while (pos < para.size()) {
                    size_t lineEnd = pos, scan = pos;
                    while (scan < para.size()) {
                        size_t wordEnd = para.find(' ', scan);
                        if (wordEnd == std::string::npos)
                            wordEnd = para.size();
                        if (lineEnd > pos && LineWidth(para.substr(pos, wordEnd - pos)) > boxWidth)
                            break;
                        lineEnd = wordEnd;
                        scan = wordEnd + 1;
                    }
                    std::string piece = para.substr(pos, lineEnd - pos);
                    lines.push_back(Line{piece, LineWidth(piece)});
                    pos = lineEnd;
                    while (pos < para.size() && para[pos] == ' ')
                        ++pos;
                }
            }
            if (end == std::string::npos)
                break;
            start = end + 1;
        }
    }

    const int total = cell * static_cast<int>(lines.size());
    int widest = 0;
    for (const Line& l : lines)
        widest = std::max(widest, l.width);
    if (format & DT_CALCRECT) {
        *target = RECT{rect->left, rect->top, rect->left + widest, rect->top + total};
        return total;
    }

    int y = rect->top;
    if (format & DT_SINGLELINE) {
        if (format & DT_VCENTER)
            y = rect->top + (rect->bottom - rect->top - cell) / 2;
        else if (format & DT_BOTTOM)
            y = rect->bottom - cell;
    }
    RECT clip = Bounds();
    if (!(format & DT_NOCLIP))
        clip = IntersectRects(clip, *rect);
    if (!IsRectEmpty(clip)) {
        for (size_t i = 0; i < lines.size(); ++i) {
            int x = rect->left;
            if (format & DT_CENTER)
                x = rect->left + (boxWidth - lines[i].width) / 2;
            else if (format & DT_RIGHT)
                x = rect->right - lines[i].width;
            DrawLine(x, y + cell * static_cast<int>(i), lines[i].text, clip);
        }
    }
    if (format & (DT_VCENTER | DT_BOTTOM))
        return (y - rect->top) + total;
    return total;
}

bool DeviceContext::TextOut(int x, int y, const char* text, int count)
{
    if (!text || !CurrentFont())
        return false;
    DrawLine(FarClamp(x), FarClamp(y), Prepare(text, count, DT_NOPREFIX), Bounds());
    return true;
}

bool DeviceContext::GetTextExtentPoint32(const char* text, int count, SIZE* size)
{
    Font* font = CurrentFont();
    if (!size || !font)
        return false;
    std::string prepared = Prepare(text, count, DT_NOPREFIX);
    size->cx = LineWidth(prepared);
    size->cy = font->Metrics().height;
    return true;
}

void DeviceContext::SelectClipRgn(const Region* region)
{
    if (region)
        m_clip = *region;
    else
        m_clip.reset();
}

void DeviceContext::IntersectClipRect(const RECT& rect)
{
    if (!m_clip)
        m_clip = Region(Bounds());
    m_clip->IntersectRect(rect);
}

RECT DeviceContext::GetClipBox() const
{
    return m_clip ? IntersectRects(m_clip->GetBox(), Bounds()) : Bounds();
}

bool DeviceContext::PtVisible(int x, int y) const
{
    const RECT b = Bounds();
    return x >= b.left && y >= b.top && x < b.right && y < b.bottom && (!m_clip || m_clip->Contains(x, y));
}

COLORREF DeviceContext::SetPixel(int x, int y, COLORREF colour)
{
    if (!PtVisible(x, y))
        return CLR_INVALID;
    if (m_pBitmap) {
        m_pBitmap->SetPixel(x, y, colour);
        return m_pBitmap->GetPixel(x, y);
    }
    uint16_t p = ColorRefTo565(colour);
    m_pSurface->SetPixel(x, y, p);
    return Rgb565ToColorRef(p);
}

COLORREF DeviceContext::GetPixel(int x, int y) const
{
    if (m_pBitmap)
        return m_pBitmap->GetPixel(x, y);
    if (!m_pSurface->Contains(x, y))
        return CLR_INVALID;
    return Rgb565ToColorRef(m_pSurface->GetPixel(x, y));
}

bool DeviceContext::FillSolidRect(const RECT& rect, COLORREF colour)
{
    if (!m_clip) {
        FillRect(rect, colour);
        return true;
    }
    for (const RECT& r : m_clip->Rects())
        FillRect(IntersectRects(r, rect), colour);
    return true;
}

bool AlphaBlend(DeviceContext& dst, int dx, int dy, int width, int height, DeviceContext& src, int sx, int sy,
                int srcWidth, int srcHeight, uint8_t constantAlpha)
{
    if (width != srcWidth || height != srcHeight || width < 0 || height < 0)
        return false;
    dst.Target().BlendFrom(dx, dy, src.Target(), RECT{sx, sy, sx + width, sy + height}, constantAlpha);
    return true;
}

} // namespace platform::gdi
