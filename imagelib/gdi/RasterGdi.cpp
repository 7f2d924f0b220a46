// The image object's glue to our GDI layer: device bitmaps in and out, drawing into device contexts, icons, text.
#include "imagelib/gdi/RasterGdi.h"

#include "platform/gdi/Font.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <memory>
#include <string>

using platform::PixelSurface;
using platform::gdi::Bitmap;
using platform::gdi::DeviceContext;

namespace {

COLORREF QuadToRef(RGBQUAD c)
{
    return RGB(c.rgbRed, c.rgbGreen, c.rgbBlue);
}

RGBQUAD RefToQuad(COLORREF c)
{
    return RGBQUAD{static_cast<uint8_t>(GetBValue(c)), static_cast<uint8_t>(GetGValue(c)),
                   static_cast<uint8_t>(GetRValue(c)), 0};
}

// The visible part of a target rectangle: the surface is the device context's clip box.
RECT VisibleArea(DeviceContext& dc, const RECT& target, const RECT* clip)
{
    RECT box = dc.GetClipBox();
    if (clip)
        box = platform::IntersectRects(box, *clip);
    return platform::IntersectRects(box, target);
}

// Text rendered white on black into a picture, lines by DrawText, crisp (no coverage edges).
struct TextPicture {
    PixelSurface surface;
    int width = 0;
    int height = 0;
};

bool RenderText(const std::string& text, const platform::gdi::FontDesc& desc, unsigned align, int pad,
                TextPicture& out, int extraWidth = 0)
{
    std::unique_ptr<platform::gdi::Font> font = platform::gdi::Font::Create(desc);
    PixelSurface probe;
    probe.Create(1, 1);
    DeviceContext measure(probe);
    measure.SelectFont(font.get());
    RECT r{0, 0, 0, 0};
    measure.DrawText(text.c_str(), -1, &r, platform::gdi::DT_CALCRECT | platform::gdi::DT_NOPREFIX);
    out.width = r.right - r.left + extraWidth + 2 * pad;
    out.height = r.bottom - r.top + 2 * pad;
    if (out.width <= 0 || out.height <= 0 || !out.surface.Create(out.width, out.height))
        return false;
    DeviceContext dc(out.surface);
    dc.SelectFont(font.get());
    dc.SetTextColor(RGB(255, 255, 255));
    dc.SetBkMode(platform::gdi::TRANSPARENT);
    RECT box{pad, pad, out.width - pad, out.height - pad};
    dc.DrawText(text.c_str(), -1, &box, align | platform::gdi::DT_NOPREFIX);
    return true;
}

} // namespace

// ---- device bitmaps ----

bool CRaster::CreateFromHBITMAP(const PixelSurface& bitmap)
{
    if (!Destroy() || bitmap.Empty())
        return false;
    if (!Create(static_cast<uint32_t>(bitmap.Width()), static_cast<uint32_t>(bitmap.Height()), 16, RASTER_FORMAT_BMP))
        return false;
    for (int y = 0; y < bitmap.Height(); ++y) {
        const uint16_t* src = bitmap.Row(y);
        uint8_t* dst = GetBits(static_cast<uint32_t>(bitmap.Height() - 1 - y));
        for (int x = 0; x < bitmap.Width(); ++x) {
            COLORREF c = platform::Rgb565ToColorRef(src[x]);
            dst[3 * x] = static_cast<uint8_t>(GetBValue(c));
            dst[3 * x + 1] = static_cast<uint8_t>(GetGValue(c));
            dst[3 * x + 2] = static_cast<uint8_t>(GetRValue(c));
        }
    }
    return true;
}

bool CRaster::CreateFromHBITMAP(const Bitmap& bitmap)
{
    if (!Destroy() || bitmap.width <= 0 || bitmap.height <= 0 ||
        bitmap.pixels.size() < static_cast<size_t>(bitmap.width) * bitmap.height)
        return false;
    if (!Create(static_cast<uint32_t>(bitmap.width), static_cast<uint32_t>(bitmap.height), 24, RASTER_FORMAT_BMP))
        return false;
    for (int y = 0; y < bitmap.height; ++y) {
        uint8_t* dst = GetBits(static_cast<uint32_t>(bitmap.height - 1 - y));
        for (int x = 0; x < bitmap.width; ++x) {
            COLORREF c = bitmap.At(x, y);
            dst[3 * x] = static_cast<uint8_t>(GetBValue(c));
            dst[3 * x + 1] = static_cast<uint8_t>(GetGValue(c));
            dst[3 * x + 2] = static_cast<uint8_t>(GetRValue(c));
        }
    }
    return true;
}

bool CRaster::CreateFromHBITMAP(const platform::gdi::DeviceBitmap& bitmap, const std::vector<COLORREF>* palette)
{
    if (!Destroy() || bitmap.Empty())
        return false;
    if (!Create(static_cast<uint32_t>(bitmap.Width()), static_cast<uint32_t>(bitmap.Height()),
                static_cast<uint32_t>(bitmap.BitCount()), RASTER_FORMAT_BMP))
        return false;
    std::vector<uint8_t> rows;
    std::vector<COLORREF> table;
    const size_t pitch = platform::gdi::DibRowBytes(bitmap.Width(), GetBpp());
    if (!bitmap.GetDIBits(GetBpp(), rows, &table) || pitch != GetEffWidth() ||
        rows.size() != pitch * static_cast<size_t>(bitmap.Height())) {
        SetError("GetDIBits failed");
        return false;
    }
    std::memcpy(GetBits(0), rows.data(), rows.size());
    if (palette)
        std::copy_n(palette->begin(), std::min(palette->size(), table.size()), table.begin());
    for (size_t i = 0; i < table.size() && i < GetNumColors(); ++i)
        SetPaletteColor(static_cast<uint8_t>(i), table[i]);
    return true;
}

bool CRaster::CreateFromHICON(const RasterIcon& icon)
{
    if (!CreateFromHBITMAP(icon.color))
        return false;
    if (icon.mask.width != icon.color.width || icon.mask.height != icon.color.height ||
        icon.mask.pixels.size() < icon.color.pixels.size())
        return true;
    if (!AlphaCreate())
        return true;
    // The mask turned to gray and negated: white (transparent) becomes alpha 0.
    for (int y = 0; y < icon.mask.height; ++y)
        for (int x = 0; x < icon.mask.width; ++x) {
            COLORREF m = icon.mask.At(x, y);
            int gray = (601 * GetGValue(m) + 306 * GetRValue(m) + 117 * GetBValue(m)) >> 10;
            AlphaSet(x, icon.mask.height - 1 - y, static_cast<uint8_t>(255 - gray));
        }
    return true;
}

bool CRaster::CreateFromHICON(const platform::gdi::Icon& icon)
{
    if (!CreateFromHBITMAP(icon.color))
        return false;
    const platform::gdi::DeviceBitmap& mask = icon.mask;
    if (mask.Empty() || mask.Width() != icon.color.Width() || mask.Height() != icon.color.Height() || !AlphaCreate())
        return true;
    // The mask turned to gray and negated: white (transparent) becomes alpha 0.
    for (int y = 0; y < mask.Height(); ++y)
        for (int x = 0; x < mask.Width(); ++x) {
            COLORREF m = mask.GetPixel(x, y);
            int gray = (601 * GetGValue(m) + 306 * GetRValue(m) + 117 * GetBValue(m)) >> 10;
            AlphaSet(x, mask.Height() - 1 - y, static_cast<uint8_t>(255 - gray));
        }
    return true;
}

bool CRaster::MakeBitmap(PixelSurface& out)
{
    if (!m_pDib || !out.Create(m_head.biWidth, m_head.biHeight))
        return false;
    for (int y = 0; y < m_head.biHeight; ++y) {
        uint16_t* row = out.Row(m_head.biHeight - 1 - y);
        for (int x = 0; x < m_head.biWidth; ++x)
            row[x] = platform::ColorRefTo565(QuadToRef(BlindGetPixelColor(x, y)));
    }
    return true;
}

bool CRaster::MakeBitmap(Bitmap& out)
{
    if (!m_pDib)
        return false;
    out.width = m_head.biWidth;
    out.height = m_head.biHeight;
    out.pixels.assign(static_cast<size_t>(out.width) * out.height, 0);
    for (int y = 0; y < out.height; ++y)
        for (int x = 0; x < out.width; ++x)
            out.pixels[static_cast<size_t>(out.height - 1 - y) * out.width + x] = QuadToRef(BlindGetPixelColor(x, y));
    return true;
}

bool CRaster::MakeBitmap(platform::gdi::DeviceBitmap& out)
{
    if (!m_pDib)
        return false;
    std::vector<COLORREF> table;
    for (uint32_t i = 0; i < GetNumColors(); ++i)
        table.push_back(QuadToRef(GetPaletteColor(static_cast<uint8_t>(i))));
    const int bits = GetBpp();
    return out.Create(m_head.biWidth, m_head.biHeight, bits, table) &&
           out.SetDIBits(bits, GetBits(0), static_cast<size_t>(GetEffWidth()) * m_head.biHeight, table);
}

bool CRaster::SelectionToHRGN(platform::gdi::Region& region)
{
    if (!m_pSelection)
        return false;
    const int32_t w = m_head.biWidth;
    for (int32_t y = 0; y < m_head.biHeight; ++y) {
        const uint8_t* row = m_pSelection + static_cast<size_t>(y) * static_cast<size_t>(w);
        for (int32_t x = 0; x < w;) {
            if (row[x] <= 254) {
                ++x;
                continue;
            }
            int32_t start = x;
            while (x < w && row[x] > 254)
                ++x;
            region.AddRect(RECT{start, y, x, y + 1});
        }
    }
    return true;
}

// ---- drawing ----

int32_t CRaster::Draw(DeviceContext* hdc, int32_t x, int32_t y, int32_t cx, int32_t cy, const RECT* pClipRect,
                      bool bSmooth)
{
    if (!m_pDib || !hdc || cx == 0 || cy == 0 || !m_info.bEnabled)
        return 0;
    if (cx < 0)
        cx = m_head.biWidth;
    if (cy < 0)
        cy = m_head.biHeight;
    RECT target{x, y, x + cx, y + cy};
    RECT vis = VisibleArea(*hdc, target, pClipRect);
    if (platform::IsRectEmpty(vis))
        return 1;
    PixelSurface& s = hdc->Target();
    const float sx = static_cast<float>(m_head.biWidth) / cx;
    const float sy = static_cast<float>(m_head.biHeight) / cy;
    const bool plain = !m_pAlpha && m_info.nBkgndIndex < 0 && !m_info.bAlphaPaletteEnabled;
    const bool palette = m_head.biClrUsed != 0;
    const RGBQUAD trans = GetTransColor();
    const bool regionClip = hdc->HasClipRegion();
    for (int32_t py = vis.top; py < vis.bottom; ++py) {
        int32_t t = py - y + 1;
        float fy = m_head.biHeight - t * sy;
        int32_t srcY = std::max(0, static_cast<int32_t>(std::floor(fy)));
        uint16_t* row = s.Row(py);
        for (int32_t px = vis.left; px < vis.right; ++px) {
            if (regionClip && !hdc->PtVisible(px, py))
                continue;
            int32_t c = px - x;
            int32_t srcX = std::max(0, static_cast<int32_t>(std::floor(c * sx)));
            srcX = std::min(srcX, m_head.biWidth - 1);
            srcY = std::min(srcY, m_head.biHeight - 1);
            RGBQUAD src =
                bSmooth ? GetPixelColorInterpolated(c * sx - 0.5f, fy - 0.5f, InterpolationBilinear, OverflowRepeat)
                        : BlindGetPixelColor(srcX, srcY);
            if (plain) {
                row[px] = platform::ColorRefTo565(QuadToRef(src));
                continue;
            }
            int a = m_pAlpha ? (bSmooth ? src.rgbReserved : BlindAlphaGet(srcX, srcY)) : 255;
            a = ((m_info.nAlphaMax + 1) * a) >> 8;
            if (palette && m_info.bAlphaPaletteEnabled)
                a = ((GetPaletteColor(BlindGetPixelIndex(srcX, srcY)).rgbReserved + 1) * a) >> 8;
            if (m_info.nBkgndIndex >= 0) {
                bool skip = palette ? BlindGetPixelIndex(srcX, srcY) == m_info.nBkgndIndex
                                    : (src.rgbBlue == trans.rgbBlue && src.rgbGreen == trans.rgbGreen &&
                                       src.rgbRed == trans.rgbRed);
                if (skip)
                    continue;
            }
            if (a <= 0)
                continue;
            if (a >= 255) {
                row[px] = platform::ColorRefTo565(QuadToRef(src));
                continue;
            }
            COLORREF d = platform::Rgb565ToColorRef(row[px]);
            int b = (GetBValue(d) * (255 - a) + src.rgbBlue * a) >> 8;
            int g = (GetGValue(d) * (255 - a) + src.rgbGreen * a) >> 8;
            int r = (GetRValue(d) * (255 - a) + src.rgbRed * a) >> 8;
            row[px] = platform::ColorRefTo565(RGB(r, g, b));
        }
    }
    return 1;
}

int32_t CRaster::Draw(DeviceContext* hdc, const RECT& rect, const RECT* pClipRect, bool bSmooth)
{
    return Draw(hdc, rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top, pClipRect, bSmooth);
}

int32_t CRaster::Draw2(DeviceContext* hdc, int32_t x, int32_t y, int32_t cx, int32_t cy)
{
    if (!m_pDib || !hdc || cx == 0 || cy == 0 || !m_info.bEnabled)
        return 0;
    if (cx < 0)
        cx = m_head.biWidth;
    if (cy < 0)
        cy = m_head.biHeight;
    if (m_info.nBkgndIndex < 0)
        return Stretch(hdc, x, y, cx, cy, RASTER_SRCCOPY);
    RECT vis = VisibleArea(*hdc, RECT{x, y, x + cx, y + cy}, nullptr);
    if (platform::IsRectEmpty(vis))
        return 1;
    // Transparent pixels leave the target untouched.
    const RGBQUAD trans = GetTransColor();
    PixelSurface& s = hdc->Target();
    for (int32_t py = vis.top; py < vis.bottom; ++py) {
        int32_t srcY = m_head.biHeight - 1 - static_cast<int32_t>(static_cast<int64_t>(py - y) * m_head.biHeight / cy);
        for (int32_t px = vis.left; px < vis.right; ++px) {
            if (hdc->HasClipRegion() && !hdc->PtVisible(px, py))
                continue;
            int32_t srcX = static_cast<int32_t>(static_cast<int64_t>(px - x) * m_head.biWidth / cx);
            RGBQUAD c = BlindGetPixelColor(srcX, srcY);
            if (c.rgbBlue == trans.rgbBlue && c.rgbGreen == trans.rgbGreen && c.rgbRed == trans.rgbRed)
                continue;
            s.Row(py)[px] = platform::ColorRefTo565(QuadToRef(c));
        }
    }
    return 1;
}

int32_t CRaster::Draw2(DeviceContext* hdc, const RECT& rect)
{
    return Draw2(hdc, rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top);
}

int32_t CRaster::Stretch(DeviceContext* hdc, int32_t xoffset, int32_t yoffset, int32_t xsize, int32_t ysize,
                         uint32_t dwRop)
{
    if (!m_pDib || !hdc)
        return 0;
    if (xsize == 0 || ysize == 0)
        return 1;
    // A negative size mirrors, as a stretch with a negative extent does.
    RECT target{std::min(xoffset, xoffset + xsize), std::min(yoffset, yoffset + ysize),
                std::max(xoffset, xoffset + xsize), std::max(yoffset, yoffset + ysize)};
    RECT vis = VisibleArea(*hdc, target, nullptr);
    PixelSurface& s = hdc->Target();
    const int64_t w = std::abs(static_cast<int64_t>(xsize)), h = std::abs(static_cast<int64_t>(ysize));
    for (int32_t py = vis.top; py < vis.bottom; ++py) {
        int64_t ty = ysize > 0 ? py - target.top : target.bottom - 1 - py;
        int32_t srcY = m_head.biHeight - 1 - static_cast<int32_t>(ty * m_head.biHeight / h);
        uint16_t* row = s.Row(py);
        for (int32_t px = vis.left; px < vis.right; ++px) {
            if (hdc->HasClipRegion() && !hdc->PtVisible(px, py))
                continue;
            int64_t tx = xsize > 0 ? px - target.left : target.right - 1 - px;
            int32_t srcX = static_cast<int32_t>(tx * m_head.biWidth / w);
            uint16_t src = platform::ColorRefTo565(QuadToRef(BlindGetPixelColor(srcX, srcY)));
            switch (dwRop) {
            case RASTER_SRCPAINT:
                row[px] |= src;
                break;
            case RASTER_SRCAND:
                row[px] &= src;
                break;
            case RASTER_SRCINVERT:
                row[px] ^= src;
                break;
            default:
                row[px] = src;
                break;
            }
        }
    }
    return 1;
}

int32_t CRaster::Stretch(DeviceContext* hdc, const RECT& rect, uint32_t dwRop)
{
    return Stretch(hdc, rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top, dwRop);
}

int32_t CRaster::Tile(DeviceContext* hdc, const RECT* rc)
{
    if (!m_pDib || !hdc || !rc)
        return 0;
    const int32_t w = m_head.biWidth, h = m_head.biHeight;
    for (int64_t y = rc->top; y < rc->bottom; y += h)
        for (int64_t x = rc->left; x < rc->right; x += w)
            Draw(hdc, static_cast<int32_t>(x), static_cast<int32_t>(y), -1, -1, rc);
    return 1;
}

// ---- text ----

int32_t CRaster::DrawString(DeviceContext* hdc, int32_t x, int32_t y, const char* text, RGBQUAD color,
                            const char* font, int32_t lSize, int32_t lWeight, uint8_t bItalic, uint8_t bUnderline,
                            bool bSetAlpha)
{
    (void)hdc;
    if (!m_pDib || !text || !*text)
        return 1;
    platform::gdi::FontDesc desc;
    desc.height = lSize;
    desc.weight = lWeight;
    desc.italic = bItalic != 0;
    desc.underline = bUnderline != 0;
    desc.face = std::string(font ? font : "Arial").substr(0, 31);
    desc.antialias = false;
    TextPicture pic;
    if (!RenderText(text, desc, platform::gdi::DT_LEFT, 0, pic))
        return 1;
    const int32_t base = m_head.biHeight - 1 - y;
    for (int r = 0; r < pic.height; ++r) {
        const uint16_t* row = pic.surface.Row(r);
        int32_t k = pic.height - 1 - r;
        for (int c = 0; c < pic.width; ++c)
            if (row[c] & 0x1F)
                SetPixelColor(x + c, base + k, color, bSetAlpha);
    }
    return 1;
}

void CRaster::InitTextInfo(tagRasterTextInfo* txt)
{
    if (!txt)
        return;
    std::memset(txt, 0, sizeof(*txt));
    std::strcpy(txt->text, "Sample Text 01234");
    txt->lfont.lfHeight = -36;
    txt->lfont.lfWeight = 400;
    txt->lfont.lfCharSet = 238;
    txt->lfont.lfQuality = 2;
    std::strcpy(txt->lfont.lfFaceName, "Arial");
    txt->fcolor = 0xA0FFFF;
    txt->align = 1;
    txt->opaque = 1;
    txt->bcolor = 0x6020;
    txt->b_opacity = 0;
    txt->b_outline = 0;
    txt->b_round = 20;
}

int32_t CRaster::DrawStringEx(DeviceContext* hdc, int32_t x, int32_t y, tagRasterTextInfo* pTextType, bool bSetAlpha)
{
    (void)hdc;
    if (!m_pDib)
        return -1;
    if (!pTextType)
        return 1;
    tagRasterTextInfo& t = *pTextType;
    if (t.align < 0 || t.align > 2)
        t.align = 1;
    if (t.b_round > 50)
        t.b_round = 10;
    if (!(t.b_opacity >= 0 && t.b_opacity <= 1))
        t.b_opacity = 0;
    t.text[sizeof(t.text) - 1] = 0;
    t.lfont.lfFaceName[sizeof(t.lfont.lfFaceName) - 1] = 0;

    // Lines are separated by carriage returns.
    std::string text;
    int lines = 1;
    for (const char* p = t.text; *p; ++p) {
        if (*p == '\r') {
            ++lines;
            text.push_back('\n');
            if (p[1] == '\n')
                ++p;
        } else {
            text.push_back(*p);
        }
    }
    platform::gdi::FontDesc desc;
    desc.height = t.lfont.lfHeight;
    desc.weight = t.lfont.lfWeight ? t.lfont.lfWeight : 400;
    desc.italic = t.lfont.lfItalic != 0;
    desc.underline = t.lfont.lfUnderline != 0;
    desc.face = t.lfont.lfFaceName[0] ? t.lfont.lfFaceName : "Arial";
    desc.antialias = false;
    const RGBQUAD textColor = RefToQuad(t.fcolor);
    const RGBQUAD backColor = RefToQuad(t.bcolor);
    const unsigned align = t.align == 0 ? platform::gdi::DT_LEFT
                           : t.align == 2 ? platform::gdi::DT_RIGHT
                                          : platform::gdi::DT_CENTER;

    // Measure first, for the box's size.
    TextPicture measured;
    if (!RenderText(text, desc, align, 0, measured))
        return 1;
    int W = measured.width, H = measured.height;
    if (desc.italic)
        W += (H / 2) / lines;
    int r = 0, o = 0;
    if (t.opaque) {
        int lineHeight = H / lines;
        r = t.b_round * lineHeight / 100;
        o = static_cast<int>(r * 0.29289);
        W += lineHeight / 3;
    }
    TextPicture pic;
    if (!RenderText(text, desc, align, o, pic, W - measured.width))
        return 1;
    const int boxW = pic.width, boxH = pic.height;
    if (t.align == 1)
        x -= boxW / 2;
    else if (t.align == 2)
        x -= boxW;
    if (x < 0)
        x = 0;
    const int32_t base = m_head.biHeight - 1 - y;

    if (t.opaque) {
        for (int c = 0; c < boxW; ++c) {
            int t0 = 0;
            int d = c <= r ? r - c : (c >= boxW - 1 - r ? c - (boxW - 1 - r) : -1);
            if (d >= 0 && d <= r)
                t0 = static_cast<int>(r + 0.5 - std::sqrt(static_cast<double>(r) * r - static_cast<double>(d) * d));
            for (int k = 0; k < boxH; ++k) {
                if (k < t0 || k > boxH - t0 - 1)
                    continue;
                int32_t px = x + c, py = base + k;
                if (t.b_opacity > 0 && t.b_opacity < 1) {
                    RGBQUAD under = GetPixelColor(px, py);
                    RGBQUAD mix = backColor;
                    mix.rgbBlue = static_cast<uint8_t>(under.rgbBlue * t.b_opacity + backColor.rgbBlue * (1 - t.b_opacity));
                    mix.rgbGreen =
                        static_cast<uint8_t>(under.rgbGreen * t.b_opacity + backColor.rgbGreen * (1 - t.b_opacity));
                    mix.rgbRed = static_cast<uint8_t>(under.rgbRed * t.b_opacity + backColor.rgbRed * (1 - t.b_opacity));
                    SetPixelColor(px, py, mix, bSetAlpha);
                } else {
                    SetPixelColor(px, py, backColor, bSetAlpha);
                }
            }
        }
    }
    // The text over it (the picture already carries the o margin).
    for (int rr = 0; rr < pic.height; ++rr) {
        const uint16_t* row = pic.surface.Row(rr);
        int32_t k = pic.height - 1 - rr;
        for (int c = 0; c < pic.width; ++c)
            if (row[c] & 0x1F)
                SetPixelColor(x + c, base + k, textColor, bSetAlpha);
    }
    return 1;
}
