// Colour lookups of the image object between pixels and over areas: sixteen kernels, six overflow rules.
#include "imagelib/Raster.h"

#include <algorithm>
#include <cmath>
#include <vector>

namespace {

// Coordinates past this are never cast to integers: they are outside points.
constexpr float kCoordLimit = 1073741824.0f;

bool InRange(float v)
{
    return v > -kCoordLimit && v < kCoordLimit; // false for NaN
}

RGBQUAD Replacement(const RGBQUAD* c)
{
    return c ? *c : RGBQUAD{255, 255, 255, 0};
}

CRaster::OverflowMethod NormalOverflow(CRaster::OverflowMethod m)
{
    return m >= CRaster::OverflowColor && m <= CRaster::OverflowMirror ? m : CRaster::OverflowColor;
}

// Floor for in-range values: a negative whole number steps one further down, whose weight then falls wholly on
// the next pixel.
int32_t Base(float v)
{
    int32_t i = static_cast<int32_t>(v);
    return v < 0 ? i - 1 : i;
}

uint8_t ClampToByte(float v)
{
    if (v > 255.0f)
        return 255;
    if (!(v > 0.0f))
        return 0;
    return static_cast<uint8_t>(v);
}

using KernelFn = float (*)(float);

// The kernel of a 4 x 4 (or 12 x 12) method.
KernelFn KernelOf(CRaster::InterpolationMethod m)
{
    switch (m) {
    case CRaster::InterpolationBSpline:
        return CRaster::KernelBSpline;
    case CRaster::InterpolationBicubic:
        return CRaster::KernelCubic;
    case CRaster::InterpolationBicubic2:
        return [](float t) { return CRaster::KernelGeneralizedCubic(t, -0.5f); };
    case CRaster::InterpolationLanczos:
        return [](float t) { return CRaster::KernelLanczosSinc(t, 6.0f); };
    case CRaster::InterpolationBox:
        return CRaster::KernelBox;
    case CRaster::InterpolationHermite:
        return CRaster::KernelHermite;
    case CRaster::InterpolationHamming:
        return CRaster::KernelHamming;
    case CRaster::InterpolationSinc:
        return CRaster::KernelSinc;
    case CRaster::InterpolationBlackman:
        return CRaster::KernelBlackman;
    case CRaster::InterpolationBessel:
        return CRaster::KernelBessel;
    case CRaster::InterpolationGaussian:
        return CRaster::KernelGaussian;
    case CRaster::InterpolationQuadratic:
        return CRaster::KernelQuadratic;
    case CRaster::InterpolationMitchell:
        return CRaster::KernelMitchell;
    default:
        return CRaster::KernelCatrom;
    }
}

} // namespace

// ---- overflow ----

void CRaster::OverflowCoordinates(int32_t& x, int32_t& y, OverflowMethod ofMethod)
{
    if (IsInside(x, y) || m_head.biWidth <= 0 || m_head.biHeight <= 0)
        return;
    const int64_t w = m_head.biWidth, h = m_head.biHeight;
    int64_t nx = x, ny = y;
    switch (ofMethod) {
    case OverflowWrap:
        nx %= w;
        ny %= h;
        if (nx < 0)
            nx += w;
        if (ny < 0)
            ny += h;
        break;
    case OverflowRepeat:
        nx = std::clamp<int64_t>(nx, 0, w - 1);
        ny = std::clamp<int64_t>(ny, 0, h - 1);
        break;
    case OverflowMirror:
        if (nx < 0)
            nx = (-nx) % w;
        else if (nx >= w)
            nx = w - (nx % w) - 1;
        if (ny < 0)
            ny = (-ny) % h;
        else if (ny >= h)
            ny = h - (ny % h) - 1;
        break;
    default:
        return;
    }
    x = static_cast<int32_t>(nx);
    y = static_cast<int32_t>(ny);
}

void CRaster::OverflowCoordinates(float& x, float& y, OverflowMethod ofMethod)
{
    const float w = static_cast<float>(m_head.biWidth), h = static_cast<float>(m_head.biHeight);
    if ((x >= 0 && x < w && y >= 0 && y < h) || w <= 0 || h <= 0)
        return;
    switch (ofMethod) {
    case OverflowWrap:
        x = std::fmod(x, w);
        y = std::fmod(y, h);
        if (x < 0)
            x += w;
        if (y < 0)
            y += h;
        break;
    case OverflowRepeat:
        x = std::clamp(x, 0.0f, w - 1);
        y = std::clamp(y, 0.0f, h - 1);
        break;
    case OverflowMirror:
        if (x < 0)
            x = std::fmod(-x, w);
        else if (x >= w)
            x = w - (std::fmod(x, w) + 1);
        if (y < 0)
            y = std::fmod(-y, h);
        else if (y >= h)
            y = h - (std::fmod(y, h) + 1);
        break;
    default:
        break;
    }
}

RGBQUAD CRaster::GetPixelColorWithOverflow(int32_t x, int32_t y, OverflowMethod ofMethod, const RGBQUAD* rplColor)
{
    if (m_pDib && IsInside(x, y))
        return BlindGetPixelColor(x, y);
    RGBQUAD rpl = Replacement(rplColor);
    if (!m_pDib)
        return rpl;
    const int32_t trans = m_info.nBkgndIndex;
    switch (ofMethod) {
    case OverflowBackground:
        if (trans < 0)
            return rpl;
        if (GetBpp() == 24)
            return m_info.nBkgndColor;
        return trans < 256 ? GetPaletteColor(static_cast<uint8_t>(trans)) : RGBQUAD{0, 0, 0, 0};
    case OverflowTransparent:
        if (m_pAlpha) {
            rpl.rgbReserved = 0;
            return rpl;
        }
        if (trans < 0)
            return rpl;
        if (GetBpp() == 24)
            return m_info.nBkgndColor;
        return trans < 256 ? GetPaletteColor(static_cast<uint8_t>(trans)) : RGBQUAD{0, 0, 0, 0};
    case OverflowWrap:
    case OverflowRepeat:
    case OverflowMirror:
        OverflowCoordinates(x, y, ofMethod);
        return IsInside(x, y) ? BlindGetPixelColor(x, y) : rpl;
    default:
        return rpl;
    }
}

// ---- point lookups ----

RGBQUAD CRaster::GetPixelColorInterpolated(float x, float y, InterpolationMethod inMethod, OverflowMethod ofMethod,
                                           const RGBQUAD* rplColor)
{
    ofMethod = NormalOverflow(ofMethod);
    if (!m_pDib)
        return Replacement(rplColor);
    if (!InRange(x) || !InRange(y)) {
        // Far, infinite or undefined points: moved inside by the tiling rules, else plainly outside.
        if (ofMethod < OverflowWrap)
            return GetPixelColorWithOverflow(-999, -999, ofMethod, rplColor);
        OverflowCoordinates(x, y, ofMethod);
        if (!InRange(x) || !InRange(y))
            return Replacement(rplColor);
    }
    if (inMethod == InterpolationNearestNeighbour)
        return GetPixelColorWithOverflow(static_cast<int32_t>(x + 0.5f), static_cast<int32_t>(y + 0.5f), ofMethod,
                                         rplColor);
    if (inMethod >= InterpolationBSpline && inMethod <= InterpolationCatrom)
        return InterpolateKernel(x, y, Base(x), Base(y), inMethod, ofMethod, rplColor);
    return InterpolateBilinear(x, y, Base(x), Base(y), ofMethod, rplColor);
}

RGBQUAD CRaster::BilinearDirect(int32_t xi, int32_t yi, int w1, int w2) const
{
    // Weights in 1/256 units straight from the stored bytes.
    const int wd = (w1 * w2) >> 8, wb = w1 - wd, wc = w2 - wd, wa = 256 - w1 - wc;
    const uint8_t* p0 = m_info.pImage + static_cast<size_t>(yi) * m_info.dwEffWidth + 3 * static_cast<size_t>(xi);
    const uint8_t* p1 = p0 + m_info.dwEffWidth;
    auto mix = [&](int c) {
        return static_cast<uint8_t>((wa * p0[c] + wb * p0[c + 3] + wc * p1[c] + wd * p1[c + 3]) >> 8);
    };
    RGBQUAD out{mix(0), mix(1), mix(2), 0};
    if (m_pAlpha) {
        const uint8_t* a0 = m_pAlpha + static_cast<size_t>(yi) * GetWidth() + xi;
        const uint8_t* a1 = a0 + GetWidth();
        out.rgbReserved = static_cast<uint8_t>((wa * a0[0] + wb * a0[1] + wc * a1[0] + wd * a1[1]) >> 8);
    }
    return out;
}

RGBQUAD CRaster::InterpolateBilinear(float x, float y, int32_t xi, int32_t yi, OverflowMethod ofMethod,
                                     const RGBQUAD* rplColor)
{
    const int32_t w = m_head.biWidth, h = m_head.biHeight;
    if (xi < -1 || xi >= w || yi < -1 || yi >= h) {
        if (ofMethod < OverflowWrap)
            return GetPixelColorWithOverflow(-999, -999, ofMethod, rplColor);
        OverflowCoordinates(x, y, ofMethod);
        xi = Base(x);
        yi = Base(y);
    }
    if (xi >= 0 && xi + 1 < w && yi >= 0 && yi + 1 < h && !IsIndexed())
        return BilinearDirect(xi, yi, static_cast<int>((x - xi) * 256), static_cast<int>((y - yi) * 256));
    RGBQUAD out{0, 0, 0, 0};
    const float t1 = x - xi, t2 = y - yi;
    const float d = t1 * t2, b = t1 - d, c = t2 - d, a = 1.0f - t1 - c;
    const RGBQUAD c11 = GetPixelColorWithOverflow(xi, yi, ofMethod, rplColor);
    const RGBQUAD c21 = GetPixelColorWithOverflow(xi + 1, yi, ofMethod, rplColor);
    const RGBQUAD c12 = GetPixelColorWithOverflow(xi, yi + 1, ofMethod, rplColor);
    const RGBQUAD c22 = GetPixelColorWithOverflow(xi + 1, yi + 1, ofMethod, rplColor);
    auto mix = [&](uint8_t RGBQUAD::*ch) {
        return ClampToByte(a * (c11.*ch) + b * (c21.*ch) + c * (c12.*ch) + d * (c22.*ch));
    };
    out.rgbBlue = mix(&RGBQUAD::rgbBlue);
    out.rgbGreen = mix(&RGBQUAD::rgbGreen);
    out.rgbRed = mix(&RGBQUAD::rgbRed);
    if (m_pAlpha)
        out.rgbReserved = mix(&RGBQUAD::rgbReserved);
    return out;
}

RGBQUAD CRaster::KernelDirect(int32_t x0, int32_t y0, int32_t n, const float* kx, const float* ky) const
{
    // All n x n neighbours inside a true-colour picture: straight from the stored bytes.
    float sb = 0, sg = 0, sr = 0, sa = 0;
    for (int32_t j = 0; j < n; ++j) {
        const size_t row = static_cast<size_t>(y0 + j);
        const uint8_t* p = m_info.pImage + row * m_info.dwEffWidth + 3 * static_cast<size_t>(x0);
        const uint8_t* a = m_pAlpha ? m_pAlpha + row * GetWidth() + x0 : nullptr;
        for (int32_t i = 0; i < n; ++i, p += 3) {
            const float k = kx[i] * ky[j];
            sb += k * p[0];
            sg += k * p[1];
            sr += k * p[2];
            if (a)
                sa += k * a[i];
        }
    }
    return RGBQUAD{ClampToByte(sb), ClampToByte(sg), ClampToByte(sr), m_pAlpha ? ClampToByte(sa) : uint8_t{0}};
}

RGBQUAD CRaster::InterpolateKernel(float x, float y, int32_t xi, int32_t yi, InterpolationMethod inMethod,
                                   OverflowMethod ofMethod, const RGBQUAD* rplColor)
{
    const bool lanczos = inMethod == InterpolationLanczos;
    // Neighbours xi - lo .. xi + hi on each axis.
    const int32_t lo = lanczos ? 5 : 1, hi = lanczos ? 6 : 2, n = lo + hi + 1;
    const int32_t w = m_head.biWidth, h = m_head.biHeight;
    if (xi + hi < 0 || xi - lo >= w || yi + hi < 0 || yi - lo >= h) {
        if (ofMethod < OverflowWrap)
            return GetPixelColorWithOverflow(-999, -999, ofMethod, rplColor);
        OverflowCoordinates(x, y, ofMethod);
        xi = Base(x);
        yi = Base(y);
    }
    const KernelFn kernel = KernelOf(inMethod);
    float kx[12], ky[12];
    for (int32_t i = 0; i < n; ++i) {
        kx[i] = kernel(static_cast<float>(xi - lo + i) - x);
        ky[i] = kernel(static_cast<float>(yi - lo + i) - y);
    }
    if (xi - lo >= 0 && xi + hi < w && yi - lo >= 0 && yi + hi < h && !IsIndexed())
        return KernelDirect(xi - lo, yi - lo, n, kx, ky);
    float sb = 0, sg = 0, sr = 0, sa = 0;
    for (int32_t j = 0; j < n; ++j)
        for (int32_t i = 0; i < n; ++i) {
            const float k = kx[i] * ky[j];
            RGBQUAD c = GetPixelColorWithOverflow(xi - lo + i, yi - lo + j, ofMethod, rplColor);
            sb += k * c.rgbBlue;
            sg += k * c.rgbGreen;
            sr += k * c.rgbRed;
            sa += k * c.rgbReserved;
        }
    return RGBQUAD{ClampToByte(sb), ClampToByte(sg), ClampToByte(sr), m_pAlpha ? ClampToByte(sa) : uint8_t{0}};
}

// ---- area lookups ----

void CRaster::AddAveragingCont(const RGBQUAD& color, float surf, float& rr, float& gg, float& bb, float& aa)
{
    rr += color.rgbRed * surf;
    gg += color.rgbGreen * surf;
    bb += color.rgbBlue * surf;
    aa += color.rgbReserved * surf;
}

RGBQUAD CRaster::GetAreaColorInterpolated(float xc, float yc, float w, float h, InterpolationMethod inMethod,
                                          OverflowMethod ofMethod, const RGBQUAD* rplColor)
{
    ofMethod = NormalOverflow(ofMethod);
    if (w <= 1 && h <= 1)
        return GetPixelColorInterpolated(xc, yc, inMethod, ofMethod, rplColor);
    // A zero, negative or undefined area, or one out of all reach, averages nothing.
    const float surface = w * h;
    if (!m_pDib || !(surface > 0) || !InRange(xc) || !InRange(yc) || !InRange(w) || !InRange(h))
        return Replacement(rplColor);
    const CRasterRect2 area(xc - w / 2, yc - h / 2, xc + w / 2, yc + h / 2);
    if (!InRange(area.minCorner.x) || !InRange(area.maxCorner.x) || !InRange(area.minCorner.y) ||
        !InRange(area.maxCorner.y))
        return Replacement(rplColor);
    const int32_t x1 = static_cast<int32_t>(std::floor(area.minCorner.x + 0.5f));
    const int32_t y1 = static_cast<int32_t>(std::floor(area.minCorner.y + 0.5f));
    const int32_t x2 = static_cast<int32_t>(std::floor(area.maxCorner.x + 0.5f));
    const int32_t y2 = static_cast<int32_t>(std::floor(area.maxCorner.y + 0.5f));
    // An area far larger than the picture would take ages to walk and says nothing of it.
    const int64_t pixels = (static_cast<int64_t>(x2) - x1 + 1) * (static_cast<int64_t>(y2) - y1 + 1);
    if (pixels > 4 * static_cast<int64_t>(GetWidth()) * GetHeight() + 65536)
        return Replacement(rplColor);

    float rr = 0, gg = 0, bb = 0, aa = 0;
    auto square = [](int32_t i, int32_t j) { return CRasterRect2(i - 0.5f, j - 0.5f, i + 0.5f, j + 0.5f); };
    if (w <= 1 || h <= 1) {
        for (int32_t j = y1; j <= y2; ++j)
            for (int32_t i = x1; i <= x2; ++i) {
                const CRasterRect2 cut = area.CrossSection(square(i, j));
                const CRasterPoint2 c = cut.Center();
                AddAveragingCont(GetPixelColorInterpolated(c.x, c.y, inMethod, ofMethod, rplColor), cut.Surface(), rr,
                                 gg, bb, aa);
            }
    } else {
        const CRasterRect2 first = area.CrossSection(square(x1, y1));
        const CRasterRect2 last = area.CrossSection(square(x2, y2));
        const float wl = first.Width(), hb = first.Height(), wr = last.Width(), ht = last.Height();
        auto add = [&](int32_t i, int32_t j, float weight) {
            AddAveragingCont(GetPixelColorWithOverflow(i, j, ofMethod, rplColor), weight, rr, gg, bb, aa);
        };
        add(x1, y1, wl * hb);
        add(x2, y1, wr * hb);
        add(x1, y2, wl * ht);
        add(x2, y2, wr * ht);
        for (int32_t i = x1 + 1; i < x2; ++i) {
            add(i, y1, hb);
            add(i, y2, ht);
        }
        for (int32_t j = y1 + 1; j < y2; ++j) {
            add(x1, j, wl);
            add(x2, j, wr);
        }
        const bool fast = !IsIndexed() && x1 + 1 >= 0 && x2 <= m_head.biWidth && y1 + 1 >= 0 && y2 <= m_head.biHeight;
        for (int32_t j = y1 + 1; j < y2; ++j) {
            if (fast) {
                // Inner pixels all inside: straight from the stored bytes.
                const uint8_t* p =
                    m_info.pImage + static_cast<size_t>(j) * m_info.dwEffWidth + 3 * static_cast<size_t>(x1 + 1);
                const uint8_t* a = m_pAlpha ? m_pAlpha + static_cast<size_t>(j) * GetWidth() + (x1 + 1) : nullptr;
                uint64_t sb = 0, sg = 0, sr = 0, sa = 0;
                for (int32_t i = x1 + 1; i < x2; ++i, p += 3) {
                    sb += p[0];
                    sg += p[1];
                    sr += p[2];
                    sa += a ? a[i - x1 - 1] : m_info.nBkgndColor.rgbReserved;
                }
                bb += static_cast<float>(sb);
                gg += static_cast<float>(sg);
                rr += static_cast<float>(sr);
                aa += static_cast<float>(sa);
            } else {
                for (int32_t i = x1 + 1; i < x2; ++i)
                    add(i, j, 1.0f);
            }
        }
    }
    RGBQUAD out{ClampToByte(bb / surface), ClampToByte(gg / surface), ClampToByte(rr / surface), 0};
    if (m_pAlpha)
        out.rgbReserved = ClampToByte(aa / surface);
    return out;
}

// ---- whole rows ----

void CRaster::ResampleInterpolated(CRaster& out, float xScale, float yScale, InterpolationMethod inMethod,
                                   OverflowMethod ofMethod)
{
    // Sample points, bases and weights depend on the column or the row alone: they are worked out once each, and
    // pixels whose neighbours all lie inside a true-colour picture are summed as the point lookup sums them.
    // Every other pixel goes through the point lookup itself.
    const int32_t w = m_head.biWidth, h = m_head.biHeight;
    const int32_t nw = out.m_head.biWidth, nh = out.m_head.biHeight;
    const bool bilinear =
        inMethod < InterpolationNearestNeighbour || inMethod > InterpolationCatrom || inMethod == InterpolationBilinear;
    const bool kernel = !bilinear && inMethod != InterpolationNearestNeighbour;
    const bool direct = !IsIndexed() && (bilinear || kernel);
    const int32_t lo = inMethod == InterpolationLanczos ? 5 : 1, hi = inMethod == InterpolationLanczos ? 6 : 2;
    const int32_t n = bilinear ? 2 : lo + hi + 1;
    const KernelFn fn = kernel ? KernelOf(inMethod) : nullptr;
    struct Axis {
        float s;
        int32_t base;
        bool inside;
        int weight;  // bilinear: 1/256 units
        float k[12]; // kernels: one weight per neighbour
    };
    auto axis = [&](int32_t i, float scale, int32_t size) {
        Axis a{};
        a.s = (i + 0.5f) * scale - 0.5f;
        if (!direct || !InRange(a.s))
            return a;
        a.base = Base(a.s);
        if (bilinear) {
            a.inside = a.base >= 0 && a.base + 1 < size;
            a.weight = static_cast<int>((a.s - a.base) * 256);
        } else {
            a.inside = a.base - lo >= 0 && a.base + hi < size;
            for (int32_t m = 0; m < n; ++m)
                a.k[m] = fn(static_cast<float>(a.base - lo + m) - a.s);
        }
        return a;
    };
    std::vector<Axis> cols(static_cast<size_t>(nw));
    for (int32_t i = 0; i < nw; ++i)
        cols[static_cast<size_t>(i)] = axis(i, xScale, w);
    for (int32_t j = 0; j < nh; ++j) {
        SetProgress(static_cast<int32_t>(100LL * j / nh));
        if (GetEscape())
            break;
        const Axis r = axis(j, yScale, h);
        uint8_t* row = out.GetBits(static_cast<uint32_t>(j));
        uint8_t* alpha = out.m_pAlpha ? out.m_pAlpha + static_cast<size_t>(j) * nw : nullptr;
        for (int32_t i = 0; i < nw; ++i) {
            const Axis& c = cols[static_cast<size_t>(i)];
            RGBQUAD col;
            if (direct && c.inside && r.inside)
                col = bilinear ? BilinearDirect(c.base, r.base, c.weight, r.weight)
                               : KernelDirect(c.base - lo, r.base - lo, n, c.k, r.k);
            else
                col = GetPixelColorInterpolated(c.s, r.s, inMethod, ofMethod);
            if (IsIndexed()) {
                out.SetPixelColor(i, j, col, true);
            } else {
                row[3 * i] = col.rgbBlue;
                row[3 * i + 1] = col.rgbGreen;
                row[3 * i + 2] = col.rgbRed;
                if (alpha)
                    alpha[i] = col.rgbReserved;
            }
        }
    }
}
