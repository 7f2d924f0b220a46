// Alpha channel and selection mask of the image object: width × height bytes, row y at y × width.
#include "imagelib/Raster.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <vector>

// ---- alpha channel ----

bool CRaster::AlphaCreate()
{
    if (m_pAlpha)
        return true;
    if (!m_pDib || !PlaneFits())
        return false;
    m_pAlpha = static_cast<uint8_t*>(std::malloc(PlaneSize()));
    if (!m_pAlpha)
        return false;
    std::memset(m_pAlpha, 255, PlaneSize());
    return true;
}

void CRaster::AlphaDelete()
{
    std::free(m_pAlpha);
    m_pAlpha = nullptr;
}

void CRaster::AlphaClear()
{
    if (m_pAlpha)
        std::memset(m_pAlpha, 0, PlaneSize());
}

void CRaster::AlphaSet(uint8_t level)
{
    if (m_pAlpha)
        std::memset(m_pAlpha, level, PlaneSize());
}

void CRaster::AlphaSet(int32_t x, int32_t y, uint8_t level)
{
    if (m_pAlpha && IsInside(x, y))
        m_pAlpha[static_cast<size_t>(x) + static_cast<size_t>(y) * GetWidth()] = level;
}

bool CRaster::AlphaSet(CRaster& from)
{
    if (!from.IsGrayScale() || from.GetWidth() != GetWidth() || from.GetHeight() != GetHeight())
        return false;
    if (!AlphaCreate())
        return false;
    for (uint32_t y = 0; y < GetHeight(); ++y)
        std::memcpy(m_pAlpha + static_cast<size_t>(y) * GetWidth(), from.GetBits(y), GetWidth());
    return true;
}

uint8_t CRaster::AlphaGet(int32_t x, int32_t y) const
{
    if (m_pAlpha && IsInside(x, y))
        return BlindAlphaGet(x, y);
    return 0;
}

uint8_t* CRaster::AlphaGetPointer(int32_t x, int32_t y)
{
    if (m_pAlpha && IsInside(x, y))
        return m_pAlpha + static_cast<size_t>(x) + static_cast<size_t>(y) * GetWidth();
    return nullptr;
}

bool CRaster::AlphaCopy(const CRaster& from)
{
    if (!from.m_pAlpha || from.GetWidth() != GetWidth() || from.GetHeight() != GetHeight())
        return false;
    if (!m_pAlpha) {
        if (!m_pDib || !PlaneFits())
            return false;
        m_pAlpha = static_cast<uint8_t*>(std::malloc(PlaneSize()));
        if (!m_pAlpha)
            return false;
    }
    std::memcpy(m_pAlpha, from.m_pAlpha, PlaneSize());
    m_info.nAlphaMax = from.m_info.nAlphaMax;
    return true;
}

void CRaster::AlphaInvert()
{
    if (!m_pAlpha)
        return;
    for (size_t i = 0, n = PlaneSize(); i < n; ++i)
        m_pAlpha[i] = static_cast<uint8_t>(255 - m_pAlpha[i]);
}

bool CRaster::AlphaFlip()
{
    if (!m_pAlpha)
        return false;
    uint8_t* flipped = static_cast<uint8_t*>(std::malloc(PlaneSize()));
    if (!flipped)
        return false;
    size_t w = GetWidth(), h = GetHeight();
    for (size_t y = 0; y < h; ++y)
        std::memcpy(flipped + y * w, m_pAlpha + (h - 1 - y) * w, w);
    std::free(m_pAlpha);
    m_pAlpha = flipped;
    return true;
}

bool CRaster::AlphaMirror()
{
    if (!m_pAlpha)
        return false;
    uint8_t* mirrored = static_cast<uint8_t*>(std::malloc(PlaneSize()));
    if (!mirrored)
        return false;
    size_t w = GetWidth(), h = GetHeight();
    for (size_t y = 0; y < h; ++y)
        for (size_t x = 0; x < w; ++x)
            mirrored[y * w + x] = m_pAlpha[y * w + (w - 1 - x)];
    std::free(m_pAlpha);
    m_pAlpha = mirrored;
    return true;
}

void CRaster::AlphaStrip()
{
    bool palAlpha = AlphaPaletteIsValid();
    if (!m_pDib || (!m_pAlpha && !palAlpha))
        return;
    RGBQUAD bg = m_info.nBkgndColor;
    CRaster work(GetWidth(), GetHeight(), 24, GetType());
    if (!work.IsValid())
        return;
    const RGBQUAD* pal = GetPalette();
    for (int32_t y = 0; y < m_head.biHeight; ++y) {
        for (int32_t x = 0; x < m_head.biWidth; ++x) {
            RGBQUAD c;
            int a = 255;
            if (pal) {
                c = pal[BlindGetPixelIndex(x, y)];
            } else {
                const uint8_t* p = BlindGetPixelPointer(x, y);
                c = RGBQUAD{p[0], p[1], p[2], 0};
            }
            if (m_pAlpha)
                a = BlindAlphaGet(x, y) * m_info.nAlphaMax / 255;
            if (palAlpha)
                a = a * c.rgbReserved / 255;
            uint8_t* d = work.BlindGetPixelPointer(x, y);
            d[0] = static_cast<uint8_t>((c.rgbBlue * a + bg.rgbBlue * (255 - a)) / 255);
            d[1] = static_cast<uint8_t>((c.rgbGreen * a + bg.rgbGreen * (255 - a)) / 255);
            d[2] = static_cast<uint8_t>((c.rgbRed * a + bg.rgbRed * (255 - a)) / 255);
        }
    }
    // Take the 24-bit pixels; the rest of this image's record stays.
    int32_t xppm = m_head.biXPelsPerMeter, yppm = m_head.biYPelsPerMeter;
    std::swap(m_pDib, work.m_pDib);
    std::swap(m_head, work.m_head);
    std::swap(m_info.pImage, work.m_info.pImage);
    std::swap(m_info.dwEffWidth, work.m_info.dwEffWidth);
    m_head.biXPelsPerMeter = xppm;
    m_head.biYPelsPerMeter = yppm;
    SyncHeaderToDib();
    m_info.last_c_isvalid = false;
    AlphaDelete();
    AlphaPaletteClear();
}

// A plane of one byte per pixel (alpha or selection) as an 8-bit grey image handed to `dest`.
bool CRaster::SplitPlane(const uint8_t* plane, CRaster* dest) const
{
    if (!plane || !dest)
        return false;
    CRaster tmp(GetWidth(), GetHeight(), 8, 0);
    if (!tmp.IsValid())
        return false;
    tmp.SetGrayPalette();
    for (uint32_t y = 0; y < GetHeight(); ++y)
        std::memcpy(tmp.GetBits(y), plane + static_cast<size_t>(y) * GetWidth(), GetWidth());
    return dest->Transfer(tmp);
}

bool CRaster::AlphaSplit(CRaster* dest)
{
    return SplitPlane(m_pAlpha, dest);
}

bool CRaster::AlphaPaletteIsValid() const
{
    const RGBQUAD* pal = GetPalette();
    if (!pal)
        return false;
    for (uint32_t i = 0; i < m_head.biClrUsed; ++i)
        if (pal[i].rgbReserved)
            return true;
    return false;
}

void CRaster::AlphaPaletteClear()
{
    RGBQUAD* pal = GetPalette();
    if (!pal)
        return;
    for (uint32_t i = 0; i < m_head.biClrUsed; ++i)
        pal[i].rgbReserved = 0;
}

bool CRaster::AlphaPaletteSplit(CRaster* dest)
{
    const RGBQUAD* pal = GetPalette();
    if (!pal || !dest)
        return false;
    CRaster tmp(GetWidth(), GetHeight(), 8, 0);
    if (!tmp.IsValid())
        return false;
    tmp.SetGrayPalette();
    for (int32_t y = 0; y < m_head.biHeight; ++y) {
        uint8_t* row = tmp.GetBits(y);
        for (int32_t x = 0; x < m_head.biWidth; ++x)
            row[x] = pal[BlindGetPixelIndex(x, y)].rgbReserved;
    }
    return dest->Transfer(tmp);
}

// ---- selection ----

void CRaster::EmptySelectionBox()
{
    m_info.rSelectionBox = RASTERRECT{m_head.biWidth, 0, 0, m_head.biHeight};
}

bool CRaster::SelectionCreate()
{
    if (!m_pDib || !PlaneFits())
        return false;
    uint8_t* mask = static_cast<uint8_t*>(std::calloc(1, PlaneSize()));
    if (!mask)
        return false;
    std::free(m_pSelection);
    m_pSelection = mask;
    EmptySelectionBox();
    return true;
}

bool CRaster::SelectionDelete()
{
    std::free(m_pSelection);
    m_pSelection = nullptr;
    EmptySelectionBox();
    return true;
}

bool CRaster::SelectionClear()
{
    if (!m_pSelection)
        return false;
    std::memset(m_pSelection, 0, PlaneSize());
    EmptySelectionBox();
    return true;
}

bool CRaster::SelectionIsInside(int32_t x, int32_t y) const
{
    if (!IsInside(x, y))
        return false;
    if (!m_pSelection)
        return true;
    return m_pSelection[static_cast<size_t>(x) + static_cast<size_t>(y) * GetWidth()] != 0;
}

bool CRaster::SelectionInvert()
{
    if (!m_pSelection)
        return false;
    for (size_t i = 0, n = PlaneSize(); i < n; ++i)
        m_pSelection[i] = static_cast<uint8_t>(255 - m_pSelection[i]);
    return true;
}

bool CRaster::SelectionCopy(const CRaster& from)
{
    if (!from.m_pSelection || from.GetWidth() != GetWidth() || from.GetHeight() != GetHeight())
        return false;
    if (!m_pSelection && !SelectionCreate())
        return false;
    std::memcpy(m_pSelection, from.m_pSelection, PlaneSize());
    m_info.rSelectionBox = from.m_info.rSelectionBox;
    return true;
}

bool CRaster::SelectionSplit(CRaster* dest)
{
    return SplitPlane(m_pSelection, dest);
}

uint8_t* CRaster::SelectionGetPointer(int32_t x, int32_t y)
{
    if (m_pSelection && IsInside(x, y))
        return m_pSelection + static_cast<size_t>(x) + static_cast<size_t>(y) * GetWidth();
    return nullptr;
}

bool CRaster::SelectionAddRect(RASTERRECT r)
{
    if (!m_pSelection && !SelectionCreate())
        return false;
    int32_t w = m_head.biWidth, h = m_head.biHeight;
    int32_t x0 = std::clamp(std::min(r.left, r.right), 0, w);
    int32_t x1 = std::clamp(std::max(r.left, r.right), 0, w);
    int32_t y0 = std::clamp(std::min(r.top, r.bottom), 0, h);
    int32_t y1 = std::clamp(std::max(r.top, r.bottom), 0, h);
    RASTERRECT& box = m_info.rSelectionBox;
    box.left = std::min(box.left, x0);
    box.right = std::max(box.right, x1);
    box.bottom = std::min(box.bottom, y0);
    box.top = std::max(box.top, y1);
    for (int32_t y = y0; y < y1; ++y)
        std::memset(m_pSelection + static_cast<size_t>(y) * w + x0, 255, static_cast<size_t>(x1 - x0));
    return true;
}

bool CRaster::SelectionAddEllipse(RASTERRECT r)
{
    int64_t a = std::abs(static_cast<int64_t>(r.right) - r.left) / 2;
    int64_t b = std::abs(static_cast<int64_t>(r.bottom) - r.top) / 2;
    if (a == 0 || b == 0)
        return false;
    if (!m_pSelection && !SelectionCreate())
        return false;
    int32_t w = m_head.biWidth, h = m_head.biHeight;
    double cx = static_cast<double>((static_cast<int64_t>(r.left) + r.right) / 2);
    double cy = static_cast<double>((static_cast<int64_t>(r.top) + r.bottom) / 2);
    int32_t x0 = std::clamp(std::min(r.left, r.right), 0, w);
    int32_t x1 = std::clamp(std::max(r.left, r.right), 0, w);
    int32_t y0 = std::clamp(std::min(r.top, r.bottom), 0, h);
    int32_t y1 = std::clamp(std::max(r.top, r.bottom), 0, h);
    RASTERRECT& box = m_info.rSelectionBox;
    box.left = std::min(box.left, x0);
    box.right = std::max(box.right, x1);
    box.bottom = std::min(box.bottom, y0);
    box.top = std::max(box.top, y1);
    for (int32_t y = y0; y < y1; ++y) {
        for (int32_t x = x0; x < x1; ++x) {
            double u = (x - cx) / static_cast<double>(a);
            double t = 1.0 - u * u;
            if (t < 0)
                continue;
            double s = std::sqrt(t) * static_cast<double>(b);
            bool in = y < cy ? static_cast<int64_t>(cy - s) < y : static_cast<int64_t>(s + cy) > y;
            if (in)
                m_pSelection[static_cast<size_t>(y) * w + x] = 255;
        }
    }
    return true;
}

bool CRaster::SelectionAddPolygon(const RasterPOINT* points, int32_t npoints)
{
    if (!points || npoints < 2)
        return false;
    if (!m_pSelection && !SelectionCreate())
        return false;
    int32_t w = m_head.biWidth, h = m_head.biHeight;
    int64_t minx = points[0].x, maxx = points[0].x, miny = points[0].y, maxy = points[0].y;
    for (int32_t i = 1; i < npoints; ++i) {
        minx = std::min<int64_t>(minx, points[i].x);
        maxx = std::max<int64_t>(maxx, points[i].x);
        miny = std::min<int64_t>(miny, points[i].y);
        maxy = std::max<int64_t>(maxy, points[i].y);
    }
    int32_t x0 = static_cast<int32_t>(std::clamp<int64_t>(minx, 0, w - 1));
    int32_t x1 = static_cast<int32_t>(std::clamp<int64_t>(maxx, 0, w - 1));
    int32_t y0 = static_cast<int32_t>(std::clamp<int64_t>(miny, 0, h - 1));
    int32_t y1 = static_cast<int32_t>(std::clamp<int64_t>(maxy, 0, h - 1));
    // A plane over the bounding rectangle with a one-pixel margin: 1 = outline, 2 = reached from outside.
    int32_t pw = x1 - x0 + 3, ph = y1 - y0 + 3;
    std::vector<uint8_t> plane(static_cast<size_t>(pw) * ph, 0);
    auto mark = [&](int64_t x, int64_t y) {
        if (x < 0 || y < 0 || x >= w || y >= h || x < x0 || x > x1 || y < y0 || y > y1)
            return;
        plane[static_cast<size_t>(y - y0 + 1) * pw + (x - x0 + 1)] = 1;
    };
    for (int32_t i = 0; i < npoints; ++i) {
        const RasterPOINT& p = points[i];
        const RasterPOINT& q = points[(i + 1) % npoints];
        int64_t dx = static_cast<int64_t>(q.x) - p.x, dy = static_cast<int64_t>(q.y) - p.y;
        int64_t steps = std::max(std::abs(dx), std::abs(dy));
        if (steps == 0) {
            mark(p.x, p.y);
            continue;
        }
        // Steps along the longer axis, only over the part that crosses the plane: a far-off vertex costs nothing.
        bool xMajor = std::abs(dx) >= std::abs(dy);
        int64_t start = xMajor ? p.x : p.y;
        int64_t dir = (xMajor ? dx : dy) > 0 ? 1 : -1;
        int64_t lo = xMajor ? x0 : y0, hi = xMajor ? x1 : y1;
        int64_t s0 = dir > 0 ? lo - start : start - hi;
        int64_t s1 = dir > 0 ? hi - start : start - lo;
        s0 = std::max<int64_t>(s0, 0);
        s1 = std::min<int64_t>(s1, steps);
        for (int64_t s = s0; s <= s1; ++s) {
            double t = static_cast<double>(s) / static_cast<double>(steps);
            int64_t x = p.x + static_cast<int64_t>(std::llround(static_cast<double>(dx) * t));
            int64_t y = p.y + static_cast<int64_t>(std::llround(static_cast<double>(dy) * t));
            mark(x, y);
        }
    }
    std::vector<int32_t> queue;
    queue.push_back(0);
    plane[0] = 2;
    for (size_t head = 0; head < queue.size(); ++head) {
        int32_t cell = queue[head];
        int32_t cx = cell % pw, cy = cell / pw;
        const int32_t nx[4] = {cx - 1, cx + 1, cx, cx};
        const int32_t ny[4] = {cy, cy, cy - 1, cy + 1};
        for (int k = 0; k < 4; ++k) {
            if (nx[k] < 0 || ny[k] < 0 || nx[k] >= pw || ny[k] >= ph)
                continue;
            int32_t n = ny[k] * pw + nx[k];
            if (plane[n] == 0) {
                plane[n] = 2;
                queue.push_back(n);
            }
        }
    }
    for (int32_t y = y0; y <= y1; ++y)
        for (int32_t x = x0; x <= x1; ++x)
            if (plane[static_cast<size_t>(y - y0 + 1) * pw + (x - x0 + 1)] != 2)
                m_pSelection[static_cast<size_t>(y) * w + x] = 255;
    RASTERRECT& box = m_info.rSelectionBox;
    box.left = std::min(box.left, x0);
    box.right = std::max(box.right, x1 + 1);
    box.bottom = std::min(box.bottom, y0);
    box.top = std::max(box.top, y1 + 1);
    return true;
}

bool CRaster::SelectionAddColor(RGBQUAD c)
{
    if (!m_pSelection && !SelectionCreate())
        return false;
    RASTERRECT& box = m_info.rSelectionBox;
    for (int32_t y = 0; y < m_head.biHeight; ++y) {
        for (int32_t x = 0; x < m_head.biWidth; ++x) {
            RGBQUAD p = BlindGetPixelColor(x, y);
            if (p.rgbBlue == c.rgbBlue && p.rgbGreen == c.rgbGreen && p.rgbRed == c.rgbRed) {
                m_pSelection[static_cast<size_t>(y) * GetWidth() + x] = 255;
                box.left = std::min(box.left, x);
                box.right = std::max(box.right, x + 1);
                box.bottom = std::min(box.bottom, y);
                box.top = std::max(box.top, y + 1);
            }
        }
    }
    return true;
}

bool CRaster::SelectionAddPixel(int32_t x, int32_t y)
{
    if (!m_pSelection && !SelectionCreate())
        return false;
    if (!IsInside(x, y))
        return false;
    m_pSelection[static_cast<size_t>(y) * GetWidth() + x] = 255;
    return true;
}

// ---- flips ----

bool CRaster::Flip()
{
    if (!m_pDib)
        return false;
    // A ghost's blocks are another image's.
    if (m_info.pGhost)
        return false;
    // Whole rows swap in place through one row buffer: the flipped copy's picture without a second block.
    uint8_t* line = static_cast<uint8_t*>(std::malloc(m_info.dwEffWidth));
    if (!line)
        return false;
    const uint32_t h = GetHeight(), eff = m_info.dwEffWidth;
    for (uint32_t y = 0; y < h / 2; ++y) {
        uint8_t* a = GetBits(y);
        uint8_t* b = GetBits(h - 1 - y);
        std::memcpy(line, a, eff);
        std::memcpy(a, b, eff);
        std::memcpy(b, line, eff);
    }
    std::free(line);
    AlphaFlip();
    std::free(m_pSelection);
    m_pSelection = nullptr;
    return true;
}

bool CRaster::Mirror()
{
    if (!m_pDib)
        return false;
    CRaster work(*this, false, false, true);
    if (!work.IsValid())
        return false;
    int32_t w = m_head.biWidth, h = m_head.biHeight;
    for (int32_t y = 0; y < h; ++y) {
        const uint8_t* src = GetBits(y);
        uint8_t* dst = work.GetBits(y);
        if (m_head.biBitCount == 8) {
            for (int32_t x = 0; x < w; ++x)
                dst[x] = src[w - 1 - x];
        } else if (m_head.biBitCount == 24) {
            for (int32_t x = 0; x < w; ++x)
                std::memcpy(dst + 3 * x, src + 3 * (w - 1 - x), 3);
        } else {
            for (int32_t x = 0; x < w; ++x)
                work.SetPixelIndex(x, y, BlindGetPixelIndex(w - 1 - x, y));
        }
    }
    work.AlphaMirror();
    return Transfer(work);
}
