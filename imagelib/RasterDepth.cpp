// Colour depth of the image object: grey levels, negatives, raising and lowering the depth, and dithering.
#include "imagelib/Raster.h"
#include "imagelib/RasterNearest.h"

#include <algorithm>
#include <cstring>
#include <memory>
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

// Loops the compiler may widen to the vector unit, with a plain copy for processors without AVX2.
#if defined(__GNUC__) && !defined(__clang__) && defined(__x86_64__)
#define RASTER_VECTOR_LOOP                                                                                             \
    __attribute__((target_clones("avx2", "default"), optimize("tree-vectorize", "vect-cost-model=dynamic")))
#else
#define RASTER_VECTOR_LOOP
#endif

// Grey levels of a row of blue, green, red triplets.
RASTER_VECTOR_LOOP void GrayRow(const uint8_t* s, uint8_t* d, uint32_t w)
{
    for (uint32_t x = 0; x < w; ++x, s += 3)
        d[x] = static_cast<uint8_t>((s[2] * 306 + s[1] * 601 + s[0] * 117) >> 10);
}

// Stores index v at x of a row of 1, 4 or 8 bits, as SetPixelIndex does.
void PutIndex(uint8_t* row, uint32_t x, uint32_t bits, uint8_t v)
{
    if (bits == 8) {
        row[x] = v;
    } else if (bits == 4) {
        uint8_t& b = row[x >> 1];
        b = (x & 1) ? static_cast<uint8_t>((b & 0xF0) | (v & 0x0F)) : static_cast<uint8_t>((b & 0x0F) | (v << 4));
    } else {
        const uint8_t mask = static_cast<uint8_t>(0x80 >> (x & 7));
        row[x >> 3] = (v & 1) ? static_cast<uint8_t>(row[x >> 3] | mask) : static_cast<uint8_t>(row[x >> 3] & ~mask);
    }
}

// The nearest entries of a row of blue, green, red triplets, stored at 1, 4 or 8 bits.
void NearestRow(const uint8_t* s, uint8_t* d, uint32_t w, uint32_t bits, CRasterNearest& nearest)
{
    if (bits == 8) {
        for (uint32_t x = 0; x < w; ++x, s += 3)
            d[x] = nearest.Nearest(s[0], s[1], s[2]);
        return;
    }
    // Whole bytes of 2 or 8 pixels, then the part byte, its padding bits left as they were.
    const uint32_t per = 8 / bits;
    uint32_t x = 0;
    for (; x + per <= w; x += per) {
        uint32_t byte = 0;
        for (uint32_t k = 0; k < per; ++k, s += 3)
            byte = byte << bits | nearest.Nearest(s[0], s[1], s[2]);
        d[x / per] = static_cast<uint8_t>(byte);
    }
    for (; x < w; ++x, s += 3)
        PutIndex(d, x, bits, nearest.Nearest(s[0], s[1], s[2]));
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
        for (int32_t y = 0; y < h; ++y)
            GrayRow(GetBits(static_cast<uint32_t>(y)), tmp.GetBits(static_cast<uint32_t>(y)), static_cast<uint32_t>(w));
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

    // The nearest entries as the new image's GetNearestIndex finds them.
    const uint32_t important = tmp.m_head.biClrImportant;
    std::unique_ptr<CRasterNearest> nearest;
    try {
        nearest = std::make_unique<CRasterNearest>(
            tmp.GetPalette(), important ? std::min(important, tmp.m_head.biClrUsed) : tmp.m_head.biClrUsed);
    } catch (...) {
        return false;
    }
    if (GetBpp() == 24)
        ReduceRgb(tmp, *nearest, errordiffusion);
    else
        ReducePalette(tmp, *nearest, errordiffusion);
    if (GetBpp() == 1) {
        tmp.SetPaletteColor(0, 0, 0, 0);
        tmp.SetPaletteColor(1, 255, 255, 255);
    }
    return Transfer(tmp);
}

// The error goes 7, 2, 4 and 1 sixteenths (14/16 in all), not Floyd-Steinberg's 7, 3, 5, 1 as in Dither: pictures
// reduced here have always come out this way.
namespace {
struct Share {
    int dx, dy, weight;
};
constexpr Share kShares[] = {{1, 0, 7}, {-1, 1, 2}, {0, 1, 4}, {1, 1, 1}};
} // namespace

void CRaster::ReduceRgb(CRaster& tmp, CRasterNearest& nearest, bool errordiffusion)
{
    const int32_t w = m_head.biWidth, h = m_head.biHeight;
    const uint32_t bits = tmp.GetBpp();
    const RGBQUAD* pal = tmp.GetPalette();
    for (int32_t y = 0; y < h; ++y) {
        if (GetEscape())
            break;
        SetProgress(static_cast<int32_t>(100LL * y / h));
        uint8_t* s = GetBits(static_cast<uint32_t>(y));
        uint8_t* d = tmp.GetBits(static_cast<uint32_t>(y));
        if (!errordiffusion) {
            NearestRow(s, d, static_cast<uint32_t>(w), bits, nearest);
            continue;
        }
        // The error of each pixel goes to its neighbours in this image, those outside it lost.
        uint8_t* above = y + 1 < h ? GetBits(static_cast<uint32_t>(y + 1)) : nullptr;
        for (int32_t x = 0; x < w; ++x) {
            uint8_t* p = s + 3 * x;
            const uint8_t index = nearest.Nearest(p[0], p[1], p[2]);
            PutIndex(d, static_cast<uint32_t>(x), bits, index);
            const int err[3] = {p[0] - pal[index].rgbBlue, p[1] - pal[index].rgbGreen, p[2] - pal[index].rgbRed};
            for (const Share& sh : kShares) {
                const int32_t nx = x + sh.dx;
                uint8_t* row = sh.dy ? above : s;
                if (nx < 0 || nx >= w || !row)
                    continue;
                uint8_t* q = row + 3 * nx;
                for (int c = 0; c < 3; ++c)
                    q[c] = ClampByte(q[c] + err[c] * sh.weight / 16);
            }
        }
    }
}

void CRaster::ReducePalette(CRaster& tmp, CRasterNearest& nearest, bool errordiffusion)
{
    const int32_t w = m_head.biWidth, h = m_head.biHeight;
    // Without diffusion each palette entry is matched once.
    uint8_t match[256];
    for (uint32_t i = 0; i < 256 && !errordiffusion; ++i) {
        const RGBQUAD c = GetPaletteColor(static_cast<uint8_t>(i));
        match[i] = nearest.Nearest(c.rgbBlue, c.rgbGreen, c.rgbRed);
    }
    for (int32_t y = 0; y < h; ++y) {
        if (GetEscape())
            break;
        SetProgress(static_cast<int32_t>(100LL * y / h));
        for (int32_t x = 0; x < w; ++x) {
            if (!errordiffusion) {
                tmp.SetPixelIndex(x, y, match[BlindGetPixelIndex(x, y)]);
                continue;
            }
            RGBQUAD c = GetPixelColor(x, y, true);
            const uint8_t index = nearest.Nearest(c.rgbBlue, c.rgbGreen, c.rgbRed);
            tmp.SetPixelIndex(x, y, index);
            const RGBQUAD stored = tmp.GetPaletteColor(index);
            int er = c.rgbRed - stored.rgbRed, eg = c.rgbGreen - stored.rgbGreen, eb = c.rgbBlue - stored.rgbBlue;
            for (const Share& sh : kShares) {
                if (!IsInside(x + sh.dx, y + sh.dy))
                    continue;
                RGBQUAD n = GetPixelColor(x + sh.dx, y + sh.dy, false);
                n.rgbRed = ClampByte(n.rgbRed + er * sh.weight / 16);
                n.rgbGreen = ClampByte(n.rgbGreen + eg * sh.weight / 16);
                n.rgbBlue = ClampByte(n.rgbBlue + eb * sh.weight / 16);
                SetPixelColor(x + sh.dx, y + sh.dy, n, false);
            }
        }
    }
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
