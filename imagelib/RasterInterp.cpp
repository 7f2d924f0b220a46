// Colour lookups of the image object between pixels and over areas: sixteen kernels, six overflow rules.
#include "imagelib/Raster.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr float kPi = 3.1415927f;
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

} // namespace

// ---- kernels ----

float CRaster::KernelBSpline(float x)
{
    if (x > 2.0f)
        return 0.0f;
    auto p = [](float u) { return u > 0.0f ? u * u * u : 0.0f; };
    return (p(x + 2.0f) - 4.0f * p(x + 1.0f) + 6.0f * p(x) - 4.0f * p(x - 1.0f)) / 6.0f;
}

float CRaster::KernelLinear(float t)
{
    if (t < -1.0f)
        return 0.0f;
    if (t < 0.0f)
        return 1.0f + t;
    if (t < 1.0f)
        return 1.0f - t;
    return 0.0f;
}

float CRaster::KernelCubic(float t)
{
    float u = std::fabs(t);
    if (u < 1.0f)
        return 1.0f - 2.0f * u * u + u * u * u;
    if (u < 2.0f)
        return 4.0f - 8.0f * u + 5.0f * u * u - u * u * u;
    return 0.0f;
}

float CRaster::KernelGeneralizedCubic(float t, float a)
{
    float u = std::fabs(t);
    if (u < 1.0f)
        return (a + 2.0f) * u * u * u - (a + 3.0f) * u * u + 1.0f;
    if (u < 2.0f)
        return a * u * u * u - 5.0f * a * u * u + 8.0f * a * u - 4.0f * a;
    return 0.0f;
}

float CRaster::KernelLanczosSinc(float t, float r)
{
    if (std::fabs(t) > r)
        return 0.0f;
    if (t == 0.0f)
        return 1.0f;
    float pit = kPi * t;
    float pitr = pit / r;
    return (std::sin(pitr) / pitr) * (std::sin(pit) / pit);
}

float CRaster::KernelBox(float x)
{
    return x >= -0.5f && x < 0.5f ? 1.0f : 0.0f;
}

float CRaster::KernelHermite(float x)
{
    if (x < -1.0f)
        return 0.0f;
    if (x < 0.0f)
        return (-2.0f * x - 3.0f) * x * x + 1.0f;
    if (x < 1.0f)
        return (2.0f * x - 3.0f) * x * x + 1.0f;
    return 0.0f;
}

float CRaster::KernelHamming(float x)
{
    if (x < -1.0f)
        return 0.0f;
    if (x < 0.0f)
        return 0.92f * (-2.0f * x - 3.0f) * x * x + 1.0f;
    if (x < 1.0f)
        return 0.92f * (2.0f * x - 3.0f) * x * x + 1.0f;
    return 0.0f;
}

float CRaster::KernelSinc(float x)
{
    if (x == 0.0f)
        return 1.0f;
    return std::sin(kPi * x) / (kPi * x);
}

float CRaster::KernelBlackman(float x)
{
    return 0.42f + 0.5f * std::cos(kPi * x) + 0.08f * std::cos(6.2831855f * x);
}

float CRaster::KernelBessel(float x)
{
    if (x == 0.0f)
        return 0.7853982f;
    return static_cast<float>(KernelBessel_Order1(kPi * x) / (2.0f * x));
}

float CRaster::KernelGaussian(float x)
{
    return std::exp(-2.0f * x * x) * 0.7978846f;
}

float CRaster::KernelQuadratic(float x)
{
    if (x < -1.5f)
        return 0.0f;
    if (x < -0.5f)
        return 0.5f * (x + 1.5f) * (x + 1.5f);
    if (x < 0.5f)
        return 0.75f - x * x;
    if (x < 1.5f)
        return 0.5f * (x - 1.5f) * (x - 1.5f);
    return 0.0f;
}

float CRaster::KernelMitchell(float x)
{
    constexpr float k16_9 = 1.7777778f, k10_3 = 3.3333333f, k7_18 = 0.3888889f, k7_6 = 1.1666666f;
    constexpr float k8_9 = 0.8888889f;
    if (x < -2.0f)
        return 0.0f;
    if (x < -1.0f)
        return k16_9 + x * (k10_3 + x * (2.0f + x * k7_18));
    if (x < 0.0f)
        return k8_9 + x * x * (-2.0f - x * k7_6);
    if (x < 1.0f)
        return k8_9 + x * x * (-2.0f + x * k7_6);
    if (x < 2.0f)
        return k16_9 + x * (-k10_3 + x * (2.0f - x * k7_18));
    return 0.0f;
}

float CRaster::KernelCatrom(float x)
{
    if (x < -2.0f)
        return 0.0f;
    if (x < -1.0f)
        return 0.5f * (((x + 5.0f) * x + 8.0f) * x + 4.0f);
    if (x < 0.0f)
        return 0.5f * ((-5.0f - 3.0f * x) * x * x + 2.0f);
    if (x < 1.0f)
        return 0.5f * ((3.0f * x - 5.0f) * x * x + 2.0f);
    if (x < 2.0f)
        return 0.5f * (((5.0f - x) * x - 8.0f) * x + 4.0f);
    return 0.0f;
}

double CRaster::KernelBessel_J1(double x)
{
    static const double kNum[] = {581199354001606115328.0, -66721065689249161216.0, 2316433580634002432.0,
                                  -35888175699101060.0,    290879526383477.56,      -1322983480332.1265,
                                  3413234182.3017006,      -4695753.530642996,      2701.1227108923235};
    static const double kDen[] = {1162398708003212230656.0, 11857707121903210496.0, 60920613989175216.0,
                                  208166122130760.75,       524371026216.76495,     1013863514.358674,
                                  1501793.5949985855,       1606.9315734814877,     1.0};
    double z = x * x, p = kNum[8], q = kDen[8];
    for (int i = 7; i >= 0; --i) {
        p = p * z + kNum[i];
        q = q * z + kDen[i];
    }
    return p / q;
}

double CRaster::KernelBessel_P1(double x)
{
    static const double kNum[] = {35224.66491336798,  62758.84524716128,  31353.963110915956,
                                  4985.4832060594335, 211.15291828539623, 1.2571716929145342};
    static const double kDen[] = {35224.66491336798, 62694.34695935605,  31240.406381904104,
                                  4930.396490181089, 203.07751891347593, 1.0};
    double w = (8.0 / x) * (8.0 / x), p = kNum[5], q = kDen[5];
    for (int i = 4; i >= 0; --i) {
        p = p * w + kNum[i];
        q = q * w + kDen[i];
    }
    return p / q;
}

double CRaster::KernelBessel_Q1(double x)
{
    static const double kNum[] = {351.17519143035526, 721.0391804904475, 425.98730116544425,
                                  83.18989576738508,  4.568171629551227, 0.03532840052740124};
    static const double kDen[] = {7491.737417180912,  15414.177339265098, 9152.231701516992,
                                  1811.1867005523513, 103.81875854621337, 1.0};
    double w = (8.0 / x) * (8.0 / x), p = kNum[5], q = kDen[5];
    for (int i = 4; i >= 0; --i) {
        p = p * w + kNum[i];
        q = q * w + kDen[i];
    }
    return p / q;
}

double CRaster::KernelBessel_Order1(double x)
{
    if (x == 0.0)
        return 0.0;
    double p = std::fabs(x);
    if (p < 8.0)
        return x * KernelBessel_J1(p);
    const double s = static_cast<float>(std::sin(p)), c = static_cast<float>(std::cos(p));
    const double r2 = static_cast<float>(1.0 / std::sqrt(2.0));
    double q = std::sqrt(2.0 / (kPi * p)) *
               (KernelBessel_P1(p) * (s - c) * r2 + (8.0 / p) * KernelBessel_Q1(p) * (s + c) * r2);
    return x < 0.0 ? -q : q;
}

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
    RGBQUAD out{0, 0, 0, 0};
    if (xi >= 0 && xi + 1 < w && yi >= 0 && yi + 1 < h && !IsIndexed()) {
        // Weights in 1/256 units straight from the stored bytes.
        const int w1 = static_cast<int>((x - xi) * 256), w2 = static_cast<int>((y - yi) * 256);
        const int wd = (w1 * w2) >> 8, wb = w1 - wd, wc = w2 - wd, wa = 256 - w1 - wc;
        const uint8_t* p0 = m_info.pImage + static_cast<size_t>(yi) * m_info.dwEffWidth + 3 * static_cast<size_t>(xi);
        const uint8_t* p1 = p0 + m_info.dwEffWidth;
        auto mix = [&](int c) {
            return static_cast<uint8_t>((wa * p0[c] + wb * p0[c + 3] + wc * p1[c] + wd * p1[c + 3]) >> 8);
        };
        out.rgbBlue = mix(0);
        out.rgbGreen = mix(1);
        out.rgbRed = mix(2);
        if (m_pAlpha) {
            const uint8_t* a0 = m_pAlpha + static_cast<size_t>(yi) * w + xi;
            const uint8_t* a1 = a0 + w;
            out.rgbReserved = static_cast<uint8_t>((wa * a0[0] + wb * a0[1] + wc * a1[0] + wd * a1[1]) >> 8);
        }
        return out;
    }
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
    float (*kernel)(float) = nullptr;
    switch (inMethod) {
    case InterpolationBSpline:
        kernel = KernelBSpline;
        break;
    case InterpolationBicubic:
        kernel = KernelCubic;
        break;
    case InterpolationBicubic2:
        kernel = [](float t) { return KernelGeneralizedCubic(t, -0.5f); };
        break;
    case InterpolationLanczos:
        kernel = [](float t) { return KernelLanczosSinc(t, 6.0f); };
        break;
    case InterpolationBox:
        kernel = KernelBox;
        break;
    case InterpolationHermite:
        kernel = KernelHermite;
        break;
    case InterpolationHamming:
        kernel = KernelHamming;
        break;
    case InterpolationSinc:
        kernel = KernelSinc;
        break;
    case InterpolationBlackman:
        kernel = KernelBlackman;
        break;
    case InterpolationBessel:
        kernel = KernelBessel;
        break;
    case InterpolationGaussian:
        kernel = KernelGaussian;
        break;
    case InterpolationQuadratic:
        kernel = KernelQuadratic;
        break;
    case InterpolationMitchell:
        kernel = KernelMitchell;
        break;
    default:
        kernel = KernelCatrom;
        break;
    }
    float kx[12], ky[12];
    for (int32_t i = 0; i < n; ++i) {
        kx[i] = kernel(static_cast<float>(xi - lo + i) - x);
        ky[i] = kernel(static_cast<float>(yi - lo + i) - y);
    }
    float sb = 0, sg = 0, sr = 0, sa = 0;
    if (xi - lo >= 0 && xi + hi < w && yi - lo >= 0 && yi + hi < h && !IsIndexed()) {
        for (int32_t j = 0; j < n; ++j) {
            const size_t row = static_cast<size_t>(yi - lo + j);
            const uint8_t* p = m_info.pImage + row * m_info.dwEffWidth + 3 * static_cast<size_t>(xi - lo);
            const uint8_t* a = m_pAlpha ? m_pAlpha + row * w + (xi - lo) : nullptr;
            for (int32_t i = 0; i < n; ++i, p += 3) {
                const float k = kx[i] * ky[j];
                sb += k * p[0];
                sg += k * p[1];
                sr += k * p[2];
                if (a)
                    sa += k * a[i];
            }
        }
    } else {
        for (int32_t j = 0; j < n; ++j)
            for (int32_t i = 0; i < n; ++i) {
                const float k = kx[i] * ky[j];
                RGBQUAD c = GetPixelColorWithOverflow(xi - lo + i, yi - lo + j, ofMethod, rplColor);
                sb += k * c.rgbBlue;
                sg += k * c.rgbGreen;
                sr += k * c.rgbRed;
                sa += k * c.rgbReserved;
            }
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
    if (pixels > 4 * static_cast<int64_t>(GetWidth()) * GetHeight() + (int64_t{1} << 24))
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
