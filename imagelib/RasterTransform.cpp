// Pixel-moving transforms of the image object: quarter and half turns, crops and canvas expansion.
#include "imagelib/Raster.h"

#include <algorithm>
#include <cstddef>
#include <cstring>

namespace {

// Quarter turns work in square tiles of destination pixels so reads and writes stay cache-sized.
constexpr int32_t kTile = 64;

// A size computed in 64 bits that a new image can take: 1 to INT32_MAX.
bool FitsSize(int64_t v)
{
    return v >= 1 && v <= INT32_MAX;
}

} // namespace

bool CRaster::HandOver(CRaster& result, CRaster* iDst)
{
    if (iDst)
        return iDst->Transfer(result);
    return Transfer(result);
}

bool CRaster::MakeResult(CRaster& result, uint32_t width, uint32_t height, uint32_t bpp)
{
    result.CopyInfo(*this);
    if (!result.Create(width, height, bpp, GetType()))
        return false;
    result.SetPalette(GetPalette(), 256);
    if (m_pAlpha && !result.AlphaCreate())
        return false;
    return true;
}

// ---- quarter and half turns ----

bool CRaster::RotateLeft(CRaster* iDst)
{
    if (!m_pDib)
        return false;
    const int32_t w = m_head.biWidth, h = m_head.biHeight;
    CRaster dst;
    if (!MakeResult(dst, static_cast<uint32_t>(h), static_cast<uint32_t>(w), GetBpp()))
        return false;
    // Destination (x, y) takes source (y, newWidth - 1 - x); newWidth is the source height.
    const int32_t nw = h, nh = w;
    const uint32_t bpp = GetBpp();
    if (bpp == 1) {
        for (int32_t sy = 0; sy < h; ++sy) {
            const uint8_t* src = GetBits(static_cast<uint32_t>(sy));
            const int32_t dx = nw - 1 - sy;
            const uint8_t bit = static_cast<uint8_t>(0x80 >> (dx & 7));
            for (int32_t sx = 0; sx < w; ++sx)
                if (src[sx >> 3] & (0x80 >> (sx & 7)))
                    dst.GetBits(static_cast<uint32_t>(sx))[dx >> 3] |= bit;
        }
    } else {
        // Destination rows are written whole while the source is read down a column (backwards): writes that
        // run along a row cost less than writes down a column.
        const ptrdiff_t sEff = static_cast<ptrdiff_t>(m_info.dwEffWidth);
        for (int32_t x0 = 0; x0 < nw; x0 += kTile) {
            SetProgress(static_cast<int32_t>(100LL * x0 / nw));
            const int32_t x1 = std::min(x0 + kTile, nw);
            for (int32_t y0 = 0; y0 < nh; y0 += kTile) {
                const int32_t y1 = std::min(y0 + kTile, nh);
                for (int32_t y = y0; y < y1; ++y) {
                    uint8_t* drow = dst.GetBits(static_cast<uint32_t>(y));
                    if (bpp == 24) {
                        const uint8_t* s = GetBits(static_cast<uint32_t>(nw - 1 - x0)) + 3 * static_cast<size_t>(y);
                        uint8_t* d = drow + 3 * static_cast<size_t>(x0);
                        for (int32_t x = x0; x < x1; ++x, s -= sEff, d += 3) {
                            d[0] = s[0];
                            d[1] = s[1];
                            d[2] = s[2];
                        }
                    } else if (bpp == 8) {
                        const uint8_t* s = GetBits(static_cast<uint32_t>(nw - 1 - x0)) + y;
                        for (int32_t x = x0; x < x1; ++x, s -= sEff)
                            drow[x] = *s;
                    } else {
                        for (int32_t x = x0; x < x1; ++x)
                            dst.SetPixelIndex(x, y, BlindGetPixelIndex(y, nw - 1 - x));
                    }
                }
            }
        }
    }
    if (m_pAlpha)
        for (int32_t y = 0; y < nh; ++y)
            for (int32_t x = 0; x < nw; ++x)
                dst.AlphaSet(x, y, BlindAlphaGet(y, nw - 1 - x));
    return HandOver(dst, iDst);
}

bool CRaster::RotateRight(CRaster* iDst)
{
    if (!m_pDib)
        return false;
    const int32_t w = m_head.biWidth, h = m_head.biHeight;
    CRaster dst;
    if (!MakeResult(dst, static_cast<uint32_t>(h), static_cast<uint32_t>(w), GetBpp()))
        return false;
    // Destination (x, y) takes source (newHeight - 1 - y, x); newHeight is the source width.
    const int32_t nw = h, nh = w;
    const uint32_t bpp = GetBpp();
    if (bpp == 1) {
        for (int32_t sy = 0; sy < h; ++sy) {
            const uint8_t* src = GetBits(static_cast<uint32_t>(sy));
            const uint8_t bit = static_cast<uint8_t>(0x80 >> (sy & 7));
            for (int32_t sx = 0; sx < w; ++sx)
                if (src[sx >> 3] & (0x80 >> (sx & 7)))
                    dst.GetBits(static_cast<uint32_t>(nh - 1 - sx))[sy >> 3] |= bit;
        }
    } else {
        const size_t sEff = m_info.dwEffWidth;
        for (int32_t y0 = 0; y0 < nh; y0 += kTile) {
            SetProgress(static_cast<int32_t>(100LL * y0 / nh));
            const int32_t y1 = std::min(y0 + kTile, nh);
            for (int32_t x0 = 0; x0 < nw; x0 += kTile) {
                const int32_t x1 = std::min(x0 + kTile, nw);
                for (int32_t y = y0; y < y1; ++y) {
                    const int32_t sx = nh - 1 - y;
                    uint8_t* drow = dst.GetBits(static_cast<uint32_t>(y));
                    if (bpp == 24) {
                        const uint8_t* s = m_info.pImage + sEff * x0 + 3 * static_cast<size_t>(sx);
                        uint8_t* d = drow + 3 * static_cast<size_t>(x0);
                        for (int32_t x = x0; x < x1; ++x, s += sEff, d += 3) {
                            d[0] = s[0];
                            d[1] = s[1];
                            d[2] = s[2];
                        }
                    } else if (bpp == 8) {
                        const uint8_t* s = m_info.pImage + sEff * x0 + sx;
                        for (int32_t x = x0; x < x1; ++x, s += sEff)
                            drow[x] = *s;
                    } else {
                        for (int32_t x = x0; x < x1; ++x)
                            dst.SetPixelIndex(x, y, BlindGetPixelIndex(sx, x));
                    }
                }
            }
        }
    }
    if (m_pAlpha)
        for (int32_t y = 0; y < nh; ++y)
            for (int32_t x = 0; x < nw; ++x)
                dst.AlphaSet(x, y, BlindAlphaGet(nh - 1 - y, x));
    return HandOver(dst, iDst);
}

bool CRaster::Rotate180(CRaster* iDst)
{
    if (!m_pDib)
        return false;
    const int32_t w = m_head.biWidth, h = m_head.biHeight;
    CRaster dst;
    if (!MakeResult(dst, static_cast<uint32_t>(w), static_cast<uint32_t>(h), GetBpp()))
        return false;
    for (int32_t y = 0; y < h; ++y) {
        SetProgress(static_cast<int32_t>(100LL * y / h));
        const uint8_t* s = GetBits(static_cast<uint32_t>(y));
        uint8_t* d = dst.GetBits(static_cast<uint32_t>(h - 1 - y));
        for (int32_t x = 0; x < w; ++x) {
            if (IsIndexed()) {
                dst.SetPixelIndex(w - 1 - x, h - 1 - y, BlindGetPixelIndex(x, y));
            } else {
                std::memcpy(d + 3 * static_cast<size_t>(w - 1 - x), s + 3 * static_cast<size_t>(x), 3);
            }
            if (m_pAlpha)
                dst.AlphaSet(w - 1 - x, h - 1 - y, BlindAlphaGet(x, y));
        }
    }
    return HandOver(dst, iDst);
}

// ---- crops ----

bool CRaster::Crop(const RASTERRECT& rect, CRaster* iDst)
{
    return Crop(rect.left, rect.top, rect.right, rect.bottom, iDst);
}

bool CRaster::Crop(int32_t left, int32_t top, int32_t right, int32_t bottom, CRaster* iDst)
{
    if (!m_pDib)
        return false;
    const int32_t w = m_head.biWidth, h = m_head.biHeight;
    int32_t startx = std::clamp(left, 0, w), endx = std::clamp(right, 0, w);
    int32_t starty = h - std::clamp(top, 0, h), endy = h - std::clamp(bottom, 0, h);
    if (startx == endx || starty == endy)
        return false;
    if (startx > endx)
        std::swap(startx, endx);
    if (starty > endy)
        std::swap(starty, endy);

    const uint32_t bpp = GetBpp();
    CRaster tmp(static_cast<uint32_t>(endx - startx), static_cast<uint32_t>(endy - starty), bpp, GetType());
    if (!tmp.IsValid())
        return false;
    tmp.SetPalette(GetPalette(), GetNumColors());
    tmp.m_info.nBkgndIndex = m_info.nBkgndIndex;
    tmp.m_info.nBkgndColor = m_info.nBkgndColor;
    const int32_t nw = endx - startx, nh = endy - starty;
    for (int32_t k = 0; k < nh; ++k) {
        SetProgress(static_cast<int32_t>(100LL * k / nh));
        if (bpp == 8 || bpp == 24) {
            const size_t bytes = static_cast<size_t>(nw) * bpp / 8;
            const size_t from = static_cast<size_t>(startx) * bpp / 8;
            std::memcpy(tmp.GetBits(static_cast<uint32_t>(k)), GetBits(static_cast<uint32_t>(starty + k)) + from,
                        bytes);
        } else {
            for (int32_t x = 0; x < nw; ++x)
                tmp.SetPixelIndex(x, k, BlindGetPixelIndex(startx + x, starty + k));
        }
    }
    if (m_pAlpha) {
        if (!tmp.AlphaCreate())
            return false;
        for (int32_t k = 0; k < nh; ++k)
            std::memcpy(tmp.AlphaGetPointer(0, k), AlphaGetPointer(startx, starty + k), static_cast<size_t>(nw));
    }
    return HandOver(tmp, iDst);
}

// ---- canvas ----

bool CRaster::Expand(int32_t left, int32_t top, int32_t right, int32_t bottom, RGBQUAD canvascolor, CRaster* iDst)
{
    if (!m_pDib)
        return false;
    if (left < 0 || top < 0 || right < 0 || bottom < 0)
        return false;
    const int32_t w = m_head.biWidth, h = m_head.biHeight;
    const int64_t nw = static_cast<int64_t>(left) + w + right, nh = static_cast<int64_t>(top) + h + bottom;
    if (!FitsSize(nw) || !FitsSize(nh))
        return false;
    const uint32_t bpp = GetBpp();
    CRaster tmp(static_cast<uint32_t>(nw), static_cast<uint32_t>(nh), bpp, GetType());
    if (!tmp.IsValid())
        return false;
    tmp.SetPalette(GetPalette(), GetNumColors());
    tmp.m_info.nBkgndIndex = m_info.nBkgndIndex;
    tmp.m_info.nBkgndColor = m_info.nBkgndColor;

    // The source's lower left corner lands at (left, bottom): rows count from the bottom.
    if (bpp == 8) {
        std::memset(tmp.GetBits(0), tmp.GetNearestIndex(canvascolor), tmp.m_head.biSizeImage);
        for (int32_t y = 0; y < h; ++y) {
            SetProgress(static_cast<int32_t>(100LL * y / h));
            std::memcpy(tmp.GetBits(static_cast<uint32_t>(bottom + y)) + left, GetBits(static_cast<uint32_t>(y)),
                        static_cast<size_t>(w));
        }
    } else if (bpp == 24) {
        for (int64_t y = 0; y < nh; ++y) {
            uint8_t* d = tmp.GetBits(static_cast<uint32_t>(y));
            for (int64_t x = 0; x < nw; ++x, d += 3) {
                d[0] = canvascolor.rgbBlue;
                d[1] = canvascolor.rgbGreen;
                d[2] = canvascolor.rgbRed;
            }
        }
        for (int32_t y = 0; y < h; ++y) {
            SetProgress(static_cast<int32_t>(100LL * y / h));
            std::memcpy(tmp.GetBits(static_cast<uint32_t>(bottom + y)) + 3 * static_cast<size_t>(left),
                        GetBits(static_cast<uint32_t>(y)), 3 * static_cast<size_t>(w));
        }
    } else {
        const uint8_t canvas = tmp.GetNearestIndex(canvascolor);
        for (int64_t y = 0; y < nh; ++y) {
            SetProgress(static_cast<int32_t>(100 * y / nh));
            for (int64_t x = 0; x < nw; ++x) {
                const int64_t sx = x - left, sy = y - bottom;
                const bool in = sx >= 0 && sx < w && sy >= 0 && sy < h;
                tmp.SetPixelIndex(static_cast<int32_t>(x), static_cast<int32_t>(y),
                                  in ? BlindGetPixelIndex(static_cast<int32_t>(sx), static_cast<int32_t>(sy)) : canvas);
            }
        }
    }
    return HandOver(tmp, iDst);
}

bool CRaster::Expand(int32_t newx, int32_t newy, RGBQUAD canvascolor, CRaster* iDst)
{
    if (!m_pDib)
        return false;
    const int32_t w = m_head.biWidth, h = m_head.biHeight;
    if (newx < w || newy < h)
        return false;
    // The odd column goes to the right, the odd row to the bottom.
    const int32_t left = static_cast<int32_t>((static_cast<int64_t>(newx) - w) / 2);
    const int32_t top = static_cast<int32_t>((static_cast<int64_t>(newy) - h) / 2);
    const int32_t right = newx - w - left;
    const int32_t bottom = newy - h - top;
    return Expand(left, top, right, bottom, canvascolor, iDst);
}
