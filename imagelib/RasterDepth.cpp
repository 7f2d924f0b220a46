// Colour depth of the image object: grey levels, negatives, raising and lowering the depth, and dithering.
#include "imagelib/Raster.h"

#include <algorithm>
#include <cstring>
#include <vector>

namespace {

uint8_t Gray(uint8_t r, uint8_t g, uint8_t b)
{
    return static_cast<uint8_t>((r * 306 + g * 601 + b * 117) >> 10);
}

uint8_t Gray(const RGBQUAD& c)
{
    return Gray(c.rgbRed, c.rgbGreen, c.rgbBlue);
}

uint8_t ClampByte(int v)
{
    return static_cast<uint8_t>(std::clamp(v, 0, 255));
}

// One neighbour of an error-diffusion kernel: column and row offsets, weight.
struct Spread {
    int dx, dy, weight;
};

struct Diffusion {
    int total;
    std::vector<Spread> spreads;
};

// The diffusion kernels by method; 0 and unknown methods take Floyd-Steinberg's 7, 3, 5, 1.
const Diffusion& DiffusionFor(int32_t method)
{
    static const Diffusion kFloyd{16, {{1, 0, 7}, {-1, 1, 3}, {0, 1, 5}, {1, 1, 1}}};
    static const Diffusion kBurkes{32, {{1, 0, 8}, {2, 0, 4}, {-2, 1, 2}, {-1, 1, 4}, {0, 1, 8}, {1, 1, 4}, {2, 1, 2}}};
    static const Diffusion kStucki{42,
                                   {{1, 0, 8},
                                    {2, 0, 4},
                                    {-2, 1, 2},
                                    {-1, 1, 4},
                                    {0, 1, 8},
                                    {1, 1, 4},
                                    {2, 1, 2},
                                    {-2, 2, 1},
                                    {-1, 2, 2},
                                    {0, 2, 4},
                                    {1, 2, 2},
                                    {2, 2, 1}}};
    static const Diffusion kJarvis{48,
                                   {{1, 0, 7},
                                    {2, 0, 5},
                                    {-2, 1, 3},
                                    {-1, 1, 5},
                                    {0, 1, 7},
                                    {1, 1, 5},
                                    {2, 1, 3},
                                    {-2, 2, 1},
                                    {-1, 2, 3},
                                    {0, 2, 5},
                                    {1, 2, 3},
                                    {2, 2, 1}}};
    static const Diffusion kSierra{32,
                                   {{1, 0, 5},
                                    {2, 0, 3},
                                    {-2, 1, 2},
                                    {-1, 1, 4},
                                    {0, 1, 5},
                                    {1, 1, 4},
                                    {2, 1, 2},
                                    {-1, 2, 2},
                                    {0, 2, 3},
                                    {1, 2, 2}}};
    static const Diffusion kStevenson{200,
                                      {{2, 0, 32},
                                       {-3, 1, 12},
                                       {-1, 1, 26},
                                       {1, 1, 30},
                                       {3, 1, 16},
                                       {-2, 2, 12},
                                       {0, 2, 26},
                                       {2, 2, 12},
                                       {-3, 3, 5},
                                       {-1, 3, 12},
                                       {1, 3, 12},
                                       {3, 3, 5}}};
    switch (method) {
    case 2:
        return kBurkes;
    case 3:
        return kStucki;
    case 4:
        return kJarvis;
    case 5:
        return kSierra;
    case 6:
        return kStevenson;
    default:
        return kFloyd;
    }
}

const uint8_t kOrdered16[4][4] = {{0, 8, 2, 10}, {12, 4, 14, 6}, {3, 11, 1, 9}, {15, 7, 13, 5}};
const uint8_t kOrdered256[4][4] = {{0, 192, 48, 240}, {128, 64, 176, 112}, {32, 224, 16, 208}, {160, 96, 144, 80}};

} // namespace

bool CRaster::GrayScale()
{
    if (!m_pDib)
        return false;
    const int32_t w = m_head.biWidth, h = m_head.biHeight;
    if (GetBpp() == 24) {
        CRaster tmp;
        tmp.CopyInfo(*this);
        if (!tmp.Create(static_cast<uint32_t>(w), static_cast<uint32_t>(h), 8, GetType()))
            return false;
        tmp.SetGrayPalette();
        tmp.SelectionCopy(*this);
        tmp.AlphaCopy(*this);
        for (int32_t y = 0; y < h; ++y) {
            const uint8_t* s = GetBits(static_cast<uint32_t>(y));
            uint8_t* d = tmp.GetBits(static_cast<uint32_t>(y));
            for (int32_t x = 0; x < w; ++x, s += 3)
                d[x] = Gray(s[2], s[1], s[0]);
        }
        // A transparent colour keeps naming the same pixels: as its grey level.
        if (m_info.nBkgndIndex >= 0)
            tmp.m_info.nBkgndIndex = Gray(m_info.nBkgndColor);
        return Transfer(tmp);
    }
    RGBQUAD* pal = GetPalette();
    for (uint32_t i = 0; i < GetNumColors(); ++i)
        pal[i].rgbBlue = Gray(pal[i]);
    if (m_info.nBkgndIndex >= 0 && static_cast<uint32_t>(m_info.nBkgndIndex) < GetNumColors())
        m_info.nBkgndIndex = pal[m_info.nBkgndIndex].rgbBlue;
    if (GetBpp() == 8) {
        uint8_t* p = GetBits(0);
        for (uint32_t i = 0; i < m_head.biSizeImage; ++i)
            p[i] = pal[p[i]].rgbBlue;
        SetGrayPalette();
        return true;
    }
    CRaster tmp;
    tmp.CopyInfo(*this);
    if (!tmp.Create(static_cast<uint32_t>(w), static_cast<uint32_t>(h), 8, GetType()))
        return false;
    tmp.SetGrayPalette();
    tmp.SelectionCopy(*this);
    tmp.AlphaCopy(*this);
    for (int32_t y = 0; y < h; ++y) {
        uint8_t* d = tmp.GetBits(static_cast<uint32_t>(y));
        for (int32_t x = 0; x < w; ++x)
            d[x] = pal[BlindGetPixelIndex(x, y)].rgbBlue;
    }
    return Transfer(tmp);
}

bool CRaster::Negative()
{
    if (!m_pDib)
        return false;
    RASTERRECT box = m_info.rSelectionBox;
    if (GetBpp() == 24) {
        if (m_pSelection) {
            for (int32_t y = box.bottom; y < box.top; ++y)
                for (int32_t x = box.left; x < box.right; ++x)
                    if (SelectionIsInside(x, y)) {
                        uint8_t* p = BlindGetPixelPointer(x, y);
                        p[0] = static_cast<uint8_t>(255 - p[0]);
                        p[1] = static_cast<uint8_t>(255 - p[1]);
                        p[2] = static_cast<uint8_t>(255 - p[2]);
                    }
        } else {
            uint8_t* p = GetBits(0);
            for (uint32_t i = 0; i < m_head.biSizeImage; ++i)
                p[i] = static_cast<uint8_t>(255 - p[i]);
        }
        RGBQUAD& t = m_info.nBkgndColor;
        t.rgbBlue = static_cast<uint8_t>(255 - t.rgbBlue);
        t.rgbGreen = static_cast<uint8_t>(255 - t.rgbGreen);
        t.rgbRed = static_cast<uint8_t>(255 - t.rgbRed);
        return true;
    }
    if (!IsGrayScale()) {
        RGBQUAD* pal = GetPalette();
        for (uint32_t i = 0; i < GetNumColors(); ++i) {
            pal[i].rgbBlue = static_cast<uint8_t>(255 - pal[i].rgbBlue);
            pal[i].rgbGreen = static_cast<uint8_t>(255 - pal[i].rgbGreen);
            pal[i].rgbRed = static_cast<uint8_t>(255 - pal[i].rgbRed);
        }
        m_info.last_c_isvalid = false;
        return true;
    }
    const uint8_t top = static_cast<uint8_t>((1u << GetBpp()) - 1);
    if (!m_pSelection)
        box = RASTERRECT{0, m_head.biHeight, m_head.biWidth, 0};
    for (int32_t y = box.bottom; y < box.top; ++y)
        for (int32_t x = box.left; x < box.right; ++x)
            if (SelectionIsInside(x, y))
                SetPixelIndex(x, y, static_cast<uint8_t>(top - BlindGetPixelIndex(x, y)));
    return true;
}

bool CRaster::IncreaseBpp(uint32_t nbit)
{
    if (!m_pDib)
        return false;
    if (nbit != 4 && nbit != 8 && nbit != 24)
        return false;
    if (nbit == GetBpp())
        return true;
    if (nbit < GetBpp())
        return false;
    const int32_t w = m_head.biWidth, h = m_head.biHeight;
    CRaster tmp;
    tmp.CopyInfo(*this);
    if (!tmp.Create(static_cast<uint32_t>(w), static_cast<uint32_t>(h), nbit, GetType()))
        return false;
    if (nbit < 24) {
        tmp.SetPalette(GetPalette(), GetNumColors());
        tmp.SelectionCopy(*this);
        tmp.AlphaCopy(*this);
        for (int32_t y = 0; y < h && !GetEscape(); ++y)
            for (int32_t x = 0; x < w; ++x)
                tmp.SetPixelIndex(x, y, BlindGetPixelIndex(x, y));
        return Transfer(tmp);
    }
    if (m_info.nBkgndIndex >= 0)
        tmp.SetTransColor(GetPaletteColor(static_cast<uint8_t>(m_info.nBkgndIndex)));
    tmp.SelectionCopy(*this);
    tmp.AlphaCopy(*this);
    // Palette alpha becomes a channel of its own.
    if (AlphaPaletteIsValid() && !m_pAlpha && !tmp.AlphaCreate())
        return false;
    for (int32_t y = 0; y < h && !GetEscape(); ++y)
        for (int32_t x = 0; x < w; ++x)
            tmp.SetPixelColor(x, y, GetPixelColor(x, y, true), true);
    return Transfer(tmp);
}

bool CRaster::DecreaseBpp(uint32_t nbit, bool errordiffusion, const RGBQUAD* ppal, uint32_t clrimportant)
{
    if (!m_pDib || GetBpp() < nbit)
        return false;
    if (nbit != 1 && nbit != 4 && nbit != 8)
        return false;
    if (GetBpp() == nbit) {
        if (clrimportant == 0)
            return true;
        if (m_head.biClrImportant && m_head.biClrImportant < clrimportant)
            return true;
    }
    const int32_t w = m_head.biWidth, h = m_head.biHeight;
    CRaster tmp;
    tmp.CopyInfo(*this);
    if (!tmp.Create(static_cast<uint32_t>(w), static_cast<uint32_t>(h), nbit, GetType()))
        return false;
    if (clrimportant)
        tmp.SetClrImportant(clrimportant);
    tmp.SelectionCopy(*this);
    tmp.AlphaCopy(*this);
    if (nbit == 1) {
        if (ppal) {
            tmp.SetPalette(ppal, 2);
        } else {
            tmp.SetPaletteColor(0, 0, 0, 0);
            tmp.SetPaletteColor(1, 255, 255, 255);
        }
    } else if (ppal) {
        tmp.SetPalette(ppal, nbit == 4 ? 16 : 256);
    } else {
        tmp.SetStdPalette();
    }

    // The error goes 7, 2, 4 and 1 sixteenths (14/16 in all), not Floyd-Steinberg's 7, 3, 5, 1 as in Dither:
    // pictures reduced here have always come out this way.
    struct Share {
        int dx, dy, weight;
    };
    static const Share kShares[] = {{1, 0, 7}, {-1, 1, 2}, {0, 1, 4}, {1, 1, 1}};
    for (int32_t y = 0; y < h; ++y) {
        if (GetEscape())
            break;
        SetProgress(static_cast<int32_t>(100LL * y / h));
        for (int32_t x = 0; x < w; ++x) {
            RGBQUAD c = GetPixelColor(x, y, true);
            tmp.SetPixelColor(x, y, c);
            if (!errordiffusion)
                continue;
            RGBQUAD stored = tmp.GetPixelColor(x, y, true);
            int er = c.rgbRed - stored.rgbRed, eg = c.rgbGreen - stored.rgbGreen, eb = c.rgbBlue - stored.rgbBlue;
            for (const Share& s : kShares) {
                if (!IsInside(x + s.dx, y + s.dy))
                    continue;
                RGBQUAD n = GetPixelColor(x + s.dx, y + s.dy, false);
                n.rgbRed = ClampByte(n.rgbRed + er * s.weight / 16);
                n.rgbGreen = ClampByte(n.rgbGreen + eg * s.weight / 16);
                n.rgbBlue = ClampByte(n.rgbBlue + eb * s.weight / 16);
                SetPixelColor(x + s.dx, y + s.dy, n, false);
            }
        }
    }
    if (GetBpp() == 1) {
        tmp.SetPaletteColor(0, 0, 0, 0);
        tmp.SetPaletteColor(1, 255, 255, 255);
    }
    return Transfer(tmp);
}

bool CRaster::Dither(int32_t method)
{
    if (!m_pDib)
        return false;
    if (GetBpp() == 1)
        return true;
    GrayScale();
    // Without a grey image there are no levels to threshold.
    if (GetBpp() != 8)
        return false;
    const int32_t w = m_head.biWidth, h = m_head.biHeight;
    CRaster tmp;
    tmp.CopyInfo(*this);
    if (!tmp.Create(static_cast<uint32_t>(w), static_cast<uint32_t>(h), 1, GetType()))
        return false;
    tmp.SelectionCopy(*this);
    tmp.AlphaCopy(*this);

    for (int32_t y = 0; y < h; ++y) {
        if (GetEscape())
            break;
        SetProgress(static_cast<int32_t>(100LL * y / h));
        uint8_t* row = GetBits(static_cast<uint32_t>(y));
        for (int32_t x = 0; x < w; ++x) {
            const int level = row[x];
            bool white;
            if (method == 1) {
                int l16 = level * 16 / 255;
                white = l16 == 16 || kOrdered16[y & 3][x & 3] < l16;
            } else if (method == 7) {
                white = level > kOrdered256[y & 3][x & 3];
            } else {
                // The running values live in the grey image itself, clamped to a level.
                white = level > 128;
                const int e = white ? level - 255 : level;
                const Diffusion& d = DiffusionFor(method);
                for (const Spread& s : d.spreads) {
                    const int32_t nx = x + s.dx, ny = y + s.dy;
                    if (!IsInside(nx, ny))
                        continue;
                    uint8_t& v = GetBits(static_cast<uint32_t>(ny))[nx];
                    v = ClampByte(v + s.weight * e / d.total);
                }
            }
            tmp.SetPixelIndex(x, y, white ? 1 : 0);
        }
    }
    tmp.SetPaletteColor(0, 0, 0, 0);
    tmp.SetPaletteColor(1, 255, 255, 255);
    return Transfer(tmp);
}
