// Pixel and palette operations of the image object; rows count from the bottom.
#include "imagelib/Raster.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>

namespace {

int Brightness(const RGBQUAD& c)
{
    return (601 * c.rgbGreen + 306 * c.rgbRed + 117 * c.rgbBlue) >> 10;
}

bool SameQuad(const RGBQUAD& a, const RGBQUAD& b)
{
    return a.rgbBlue == b.rgbBlue && a.rgbGreen == b.rgbGreen && a.rgbRed == b.rgbRed && a.rgbReserved == b.rgbReserved;
}

} // namespace

// ---- pixels ----

uint8_t CRaster::BlindGetPixelIndex(int32_t x, int32_t y) const
{
    const uint8_t* row = m_info.pImage + static_cast<size_t>(y) * m_info.dwEffWidth;
    switch (m_head.biBitCount) {
    case 8:
        return row[x];
    case 4: {
        uint8_t v = row[x >> 1];
        return (x & 1) ? (v & 0x0F) : static_cast<uint8_t>(v >> 4);
    }
    case 1:
        return (row[x >> 3] >> (7 - (x & 7))) & 1;
    default:
        return 0;
    }
}

uint8_t CRaster::GetPixelIndex(int32_t x, int32_t y)
{
    if (!m_pDib || m_head.biClrUsed == 0)
        return 0;
    if (!IsInside(x, y)) {
        if (m_info.nBkgndIndex >= 0)
            return static_cast<uint8_t>(m_info.nBkgndIndex);
        return *m_info.pImage;
    }
    return BlindGetPixelIndex(x, y);
}

void CRaster::SetPixelIndex(int32_t x, int32_t y, uint8_t i)
{
    if (!m_pDib || m_head.biClrUsed == 0 || !IsInside(x, y))
        return;
    uint8_t* row = m_info.pImage + static_cast<size_t>(y) * m_info.dwEffWidth;
    switch (m_head.biBitCount) {
    case 8:
        row[x] = i;
        break;
    case 4: {
        uint8_t& v = row[x >> 1];
        if (x & 1)
            v = static_cast<uint8_t>((v & 0xF0) | (i & 0x0F));
        else
            v = static_cast<uint8_t>((v & 0x0F) | ((i & 0x0F) << 4));
        break;
    }
    case 1: {
        uint8_t mask = static_cast<uint8_t>(0x80 >> (x & 7));
        uint8_t& v = row[x >> 3];
        v = i ? (v | mask) : (v & ~mask);
        break;
    }
    default:
        break;
    }
}

RGBQUAD CRaster::BlindGetPixelColor(int32_t x, int32_t y) const
{
    RGBQUAD c;
    if (m_head.biClrUsed) {
        c = GetPaletteColor(BlindGetPixelIndex(x, y));
    } else {
        const uint8_t* p = m_info.pImage + static_cast<size_t>(y) * m_info.dwEffWidth + 3 * static_cast<size_t>(x);
        c.rgbBlue = p[0];
        c.rgbGreen = p[1];
        c.rgbRed = p[2];
        c.rgbReserved = m_info.nBkgndColor.rgbReserved;
    }
    if (m_pAlpha)
        c.rgbReserved = BlindAlphaGet(x, y);
    return c;
}

uint8_t* CRaster::BlindGetPixelPointer(int32_t x, int32_t y)
{
    if (m_head.biClrUsed || !m_pDib)
        return nullptr;
    return m_info.pImage + static_cast<size_t>(y) * m_info.dwEffWidth + 3 * static_cast<size_t>(x);
}

RGBQUAD CRaster::GetPixelColor(int32_t x, int32_t y, bool bGetAlpha)
{
    if (!m_pDib)
        return m_info.nBkgndColor;
    if (!IsInside(x, y)) {
        if (m_info.nBkgndIndex < 0)
            return BlindGetPixelColor(0, 0);
        if (m_head.biBitCount < 24)
            return GetPaletteColor(static_cast<uint8_t>(m_info.nBkgndIndex));
        return m_info.nBkgndColor;
    }
    RGBQUAD c;
    if (m_head.biClrUsed) {
        c = GetPaletteColor(BlindGetPixelIndex(x, y));
    } else {
        const uint8_t* p = BlindGetPixelPointer(x, y);
        c.rgbBlue = p[0];
        c.rgbGreen = p[1];
        c.rgbRed = p[2];
        c.rgbReserved = m_info.nBkgndColor.rgbReserved;
    }
    if (bGetAlpha && m_pAlpha)
        c.rgbReserved = BlindAlphaGet(x, y);
    return c;
}

uint8_t CRaster::GetPixelGray(int32_t x, int32_t y)
{
    return static_cast<uint8_t>(Brightness(GetPixelColor(x, y, true)));
}

void CRaster::SetPixelColor(int32_t x, int32_t y, RGBQUAD c, bool bSetAlpha)
{
    if (!m_pDib || !IsInside(x, y))
        return;
    if (m_head.biClrUsed) {
        SetPixelIndex(x, y, GetNearestIndex(c));
    } else {
        uint8_t* p = BlindGetPixelPointer(x, y);
        p[0] = c.rgbBlue;
        p[1] = c.rgbGreen;
        p[2] = c.rgbRed;
    }
    if (bSetAlpha)
        AlphaSet(x, y, c.rgbReserved);
}

void CRaster::SetPixelColor(int32_t x, int32_t y, COLORREF cr)
{
    SetPixelColor(x, y, RGBtoRGBQUAD(cr), false);
}

void CRaster::BlendPixelColor(int32_t x, int32_t y, RGBQUAD c, float blend, bool bSetAlpha)
{
    if (!m_pDib || !IsInside(x, y))
        return;
    int a = static_cast<int>(std::clamp(blend, 0.0f, 1.0f) * 256);
    RGBQUAD old = BlindGetPixelColor(x, y);
    RGBQUAD mix = c;
    mix.rgbBlue = static_cast<uint8_t>((old.rgbBlue * (256 - a) + c.rgbBlue * a) >> 8);
    mix.rgbGreen = static_cast<uint8_t>((old.rgbGreen * (256 - a) + c.rgbGreen * a) >> 8);
    mix.rgbRed = static_cast<uint8_t>((old.rgbRed * (256 - a) + c.rgbRed * a) >> 8);
    SetPixelColor(x, y, mix, bSetAlpha);
}

void CRaster::DrawLine(int32_t x1, int32_t y1, int32_t x2, int32_t y2, RGBQUAD color, bool bSetAlpha)
{
    if (!m_pDib)
        return;
    int64_t dx = std::abs(static_cast<int64_t>(x2) - x1);
    int64_t dy = std::abs(static_cast<int64_t>(y2) - y1);
    int sx = x2 >= x1 ? 1 : -1;
    int sy = y2 >= y1 ? 1 : -1;
    int64_t x = x1, y = y1;
    bool xMajor = dx >= dy;
    int64_t n = xMajor ? dx : dy;
    int64_t minor = xMajor ? dy : dx;
    int64_t num = n / 2;
    for (int64_t i = 0; i <= n; ++i) {
        SetPixelColor(static_cast<int32_t>(x), static_cast<int32_t>(y), color, bSetAlpha);
        num += minor;
        if (num >= n && n > 0) {
            num -= n;
            if (xMajor)
                y += sy;
            else
                x += sx;
        }
        if (xMajor)
            x += sx;
        else
            y += sy;
    }
}

void CRaster::DrawLine(int32_t x1, int32_t y1, int32_t x2, int32_t y2, COLORREF cr)
{
    DrawLine(x1, y1, x2, y2, RGBtoRGBQUAD(cr), false);
}

bool CRaster::IsTransparent(int32_t x, int32_t y)
{
    if (!m_pDib)
        return false;
    if (m_info.nBkgndIndex >= 0) {
        if (m_head.biClrUsed)
            return GetPixelIndex(x, y) == m_info.nBkgndIndex;
        return SameQuad(GetPixelColor(x, y, false), m_info.nBkgndColor);
    }
    if (m_pAlpha)
        return AlphaGet(x, y) == 0;
    return false;
}

uint8_t CRaster::GetNearestIndex(RGBQUAD c)
{
    RGBQUAD* pal = GetPalette();
    if (!pal)
        return 0;
    if (m_info.last_c_isvalid && SameQuad(m_info.last_c, c))
        return m_info.last_c_index;
    // The important colours only when the header names a count within the palette.
    uint32_t n = m_head.biClrImportant ? std::min(m_head.biClrImportant, m_head.biClrUsed) : m_head.biClrUsed;
    int best = 200000;
    uint32_t bestIndex = 0;
    for (uint32_t i = 0; i < n; ++i) {
        int db = pal[i].rgbBlue - c.rgbBlue;
        int dg = pal[i].rgbGreen - c.rgbGreen;
        int dr = pal[i].rgbRed - c.rgbRed;
        int d = db * db + dg * dg + dr * dr;
        if (d == 0) {
            bestIndex = i;
            break;
        }
        if (d < best) {
            best = d;
            bestIndex = i;
        }
    }
    m_info.last_c = c;
    m_info.last_c_index = static_cast<uint8_t>(bestIndex);
    m_info.last_c_isvalid = true;
    return static_cast<uint8_t>(bestIndex);
}

// ---- palette ----

RGBQUAD* CRaster::GetPalette() const
{
    if (m_pDib && m_head.biClrUsed)
        return reinterpret_cast<RGBQUAD*>(m_pDib + kRasterInfoHeaderSize);
    return nullptr;
}

RGBQUAD CRaster::GetPaletteColor(uint8_t idx) const
{
    RGBQUAD c{0, 0, 0, 0};
    if (m_pDib && idx < m_head.biClrUsed)
        c = GetPalette()[idx];
    return c;
}

bool CRaster::GetPaletteColor(uint8_t i, uint8_t* r, uint8_t* g, uint8_t* b) const
{
    if (!GetPalette() || i >= m_head.biClrUsed)
        return false;
    RGBQUAD c = GetPalette()[i];
    if (r)
        *r = c.rgbRed;
    if (g)
        *g = c.rgbGreen;
    if (b)
        *b = c.rgbBlue;
    return true;
}

void CRaster::SetPaletteColor(uint8_t idx, uint8_t r, uint8_t g, uint8_t b, uint8_t alpha)
{
    SetPaletteColor(idx, RGBQUAD{b, g, r, alpha});
}

void CRaster::SetPaletteColor(uint8_t idx, RGBQUAD c)
{
    if (!m_pDib || idx >= m_head.biClrUsed)
        return;
    GetPalette()[idx] = c;
    m_info.last_c_isvalid = false;
}

void CRaster::SetPaletteColor(uint8_t idx, COLORREF cr)
{
    SetPaletteColor(idx, RGBtoRGBQUAD(cr));
}

void CRaster::SetPalette(uint32_t n, const uint8_t* r, const uint8_t* g, const uint8_t* b)
{
    RGBQUAD* pal = GetPalette();
    if (!pal || !r)
        return;
    if (!g)
        g = r;
    if (!b)
        b = g;
    n = std::min(n, m_head.biClrUsed);
    for (uint32_t i = 0; i < n; ++i) {
        pal[i].rgbRed = r[i];
        pal[i].rgbGreen = g[i];
        pal[i].rgbBlue = b[i];
    }
    m_info.last_c_isvalid = false;
}

void CRaster::SetPalette(const rgb_color* rgb, uint32_t nColors)
{
    RGBQUAD* pal = GetPalette();
    if (!pal || !rgb)
        return;
    nColors = std::min(nColors, m_head.biClrUsed);
    for (uint32_t i = 0; i < nColors; ++i) {
        pal[i].rgbRed = rgb[i].r;
        pal[i].rgbGreen = rgb[i].g;
        pal[i].rgbBlue = rgb[i].b;
    }
    m_info.last_c_isvalid = false;
}

void CRaster::SetPalette(const RGBQUAD* pPal, uint32_t nColors)
{
    RGBQUAD* pal = GetPalette();
    if (!pal || !pPal)
        return;
    std::memmove(pal, pPal, std::min(nColors, m_head.biClrUsed) * sizeof(RGBQUAD));
    m_info.last_c_isvalid = false;
}

void CRaster::SetGrayPalette()
{
    RGBQUAD* pal = GetPalette();
    uint32_t n = m_head.biClrUsed;
    if (!pal || n < 2)
        return;
    for (uint32_t i = 0; i < n; ++i) {
        uint8_t v = static_cast<uint8_t>(i * (255 / (n - 1)));
        pal[i].rgbBlue = pal[i].rgbGreen = pal[i].rgbRed = v;
    }
    m_info.last_c_isvalid = false;
}

namespace {

// One ramp of the 8-bit standard palette: six tints toward the full colour, the full colour, five shades.
void StdRamp(RGBQUAD* out, const uint8_t full[3])
{
    auto tint = [](uint8_t c, int k) -> uint8_t { // k = 1 (lightest) .. 6
        if (c >= 254)
            return 255;
        if (c == 0)
            return static_cast<uint8_t>(212 - 35 * (k - 1));
        return static_cast<uint8_t>(c + (255 - c) * (6 - k) / 6);
    };
    auto shade = [](uint8_t c, int j) -> uint8_t { // j = 1 .. 5
        if (c == 0)
            return 0;
        int step = c >= 254 ? 35 : c == 170 ? 24 : c == 85 ? 12 : c * 35 / 255;
        int base = c >= 254 ? 255 : c;
        return static_cast<uint8_t>(base - step * j);
    };
    for (int k = 1; k <= 6; ++k)
        out[k - 1] = RGBQUAD{tint(full[2], k), tint(full[1], k), tint(full[0], k), 0};
    out[6] = RGBQUAD{full[2], full[1], full[0], 0};
    for (int j = 1; j <= 5; ++j)
        out[6 + j] = RGBQUAD{shade(full[2], j), shade(full[1], j), shade(full[0], j), 0};
}

} // namespace

void CRaster::SetStdPalette()
{
    RGBQUAD* pal = GetPalette();
    if (!pal)
        return;
    auto put = [](RGBQUAD* p, const uint8_t(*rgb)[3], int n) {
        for (int i = 0; i < n; ++i)
            p[i] = RGBQUAD{rgb[i][2], rgb[i][1], rgb[i][0], 0};
    };
    if (m_head.biBitCount == 4) {
        static const uint8_t k16[16][3] = {{0, 0, 0},       {128, 0, 0},   {0, 128, 0},   {128, 128, 0},
                                           {0, 0, 128},     {128, 0, 128}, {0, 128, 128}, {192, 192, 192},
                                           {128, 128, 128}, {255, 0, 0},   {0, 255, 0},   {255, 255, 0},
                                           {0, 0, 255},     {255, 0, 255}, {0, 255, 255}, {255, 255, 255}};
        put(pal, k16, 16);
    } else if (m_head.biBitCount == 8) {
        static const uint8_t kFirst[10][3] = {{0, 0, 0},       {128, 0, 0},    {0, 128, 0},   {128, 128, 0},
                                              {0, 0, 128},     {128, 0, 128},  {0, 128, 128}, {192, 192, 192},
                                              {192, 220, 192}, {166, 202, 240}};
        static const uint8_t kHues[18][3] = {{255, 170, 0}, {255, 85, 0},  {254, 0, 0},   {255, 0, 85}, {255, 0, 170},
                                             {254, 0, 254}, {170, 0, 255}, {85, 0, 255},  {0, 0, 254},  {0, 85, 255},
                                             {0, 170, 255}, {0, 254, 254}, {0, 255, 170}, {0, 255, 85}, {0, 254, 0},
                                             {85, 255, 0},  {170, 255, 0}, {254, 254, 0}};
        static const uint8_t kLast[10][3] = {{255, 251, 240}, {160, 160, 164}, {128, 128, 128}, {255, 0, 0},
                                             {0, 255, 0},     {255, 255, 0},   {0, 0, 255},     {255, 0, 255},
                                             {0, 255, 255},   {255, 255, 255}};
        put(pal, kFirst, 10);
        for (int h = 0; h < 18; ++h)
            StdRamp(pal + 10 + 12 * h, kHues[h]);
        for (int i = 0; i < 20; ++i) {
            uint8_t v = static_cast<uint8_t>(242 - 12 * i);
            pal[226 + i] = RGBQUAD{v, v, v, 0};
        }
        put(pal + 246, kLast, 10);
    } else {
        return;
    }
    m_info.last_c_isvalid = false;
}

void CRaster::BlendPalette(COLORREF cr, int32_t perc)
{
    RGBQUAD* pal = GetPalette();
    if (!pal)
        return;
    int p = std::clamp(perc, 0, 100);
    int r = RasterGetR(cr), g = RasterGetG(cr), b = RasterGetB(cr);
    for (uint32_t i = 0; i < m_head.biClrUsed; ++i) {
        pal[i].rgbBlue = static_cast<uint8_t>((pal[i].rgbBlue * (100 - p) + b * p) / 100);
        pal[i].rgbGreen = static_cast<uint8_t>((pal[i].rgbGreen * (100 - p) + g * p) / 100);
        pal[i].rgbRed = static_cast<uint8_t>((pal[i].rgbRed * (100 - p) + r * p) / 100);
    }
    m_info.last_c_isvalid = false;
}

bool CRaster::IsGrayScale()
{
    RGBQUAD* pal = GetPalette();
    if (!pal)
        return false;
    for (uint32_t i = 0; i < m_head.biClrUsed; ++i)
        if (pal[i].rgbBlue != i || pal[i].rgbGreen != i || pal[i].rgbRed != i)
            return false;
    return true;
}

bool CRaster::IsSamePalette(const CRaster& img, bool bCheckAlpha) const
{
    if (m_head.biClrUsed == 0 || m_head.biClrUsed != img.m_head.biClrUsed)
        return false;
    const RGBQUAD* a = GetPalette();
    const RGBQUAD* b = img.GetPalette();
    if (!a || !b)
        return false;
    for (uint32_t i = 0; i < m_head.biClrUsed; ++i) {
        if (a[i].rgbBlue != b[i].rgbBlue || a[i].rgbGreen != b[i].rgbGreen || a[i].rgbRed != b[i].rgbRed)
            return false;
        if (bCheckAlpha && a[i].rgbReserved != b[i].rgbReserved)
            return false;
    }
    return true;
}

void CRaster::SwapIndex(uint8_t idx1, uint8_t idx2)
{
    RGBQUAD* pal = GetPalette();
    // Both indices must name palette entries.
    if (!pal || idx1 >= m_head.biClrUsed || idx2 >= m_head.biClrUsed)
        return;
    std::swap(pal[idx1], pal[idx2]);
    m_info.last_c_isvalid = false;
    for (int32_t y = 0; y < m_head.biHeight; ++y) {
        for (int32_t x = 0; x < m_head.biWidth; ++x) {
            uint8_t i = BlindGetPixelIndex(x, y);
            if (i == idx1)
                SetPixelIndex(x, y, idx2);
            else if (i == idx2)
                SetPixelIndex(x, y, idx1);
        }
    }
}

void CRaster::SetClrImportant(uint32_t ncolors)
{
    if (ncolors == 0 || ncolors > 256) {
        m_head.biClrImportant = 0;
        return;
    }
    switch (m_head.biBitCount) {
    case 1:
        m_head.biClrImportant = std::min<uint32_t>(ncolors, 2);
        break;
    case 4:
        m_head.biClrImportant = std::min<uint32_t>(ncolors, 16);
        break;
    case 8:
        m_head.biClrImportant = ncolors;
        break;
    default:
        break;
    }
}

void CRaster::RGBtoBGR(uint8_t* buffer, int32_t length)
{
    if (!buffer || m_head.biClrUsed != 0 || length <= 0)
        return;
    int32_t n = std::min<int64_t>(length, m_info.dwEffWidth);
    for (int32_t i = 0; i + 2 < n; i += 3)
        std::swap(buffer[i], buffer[i + 2]);
}

RGBQUAD CRaster::RGBtoRGBQUAD(COLORREF cr)
{
    return RGBQUAD{RasterGetB(cr), RasterGetG(cr), RasterGetR(cr), 0};
}

COLORREF CRaster::RGBQUADtoRGB(RGBQUAD c)
{
    return RasterRGB(c.rgbRed, c.rgbGreen, c.rgbBlue);
}
