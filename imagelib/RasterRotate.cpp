// Free-angle transforms of the image object: turns by any angle, turned crops, skew and radial distortions.
#include "imagelib/Raster.h"

#include <algorithm>
#include <cmath>

namespace {

// A source coordinate as an integer; NaN, infinities and values past 2^30 become the outside point (-1).
int32_t TruncCoord(double v)
{
    return v > -1073741824.0 && v < 1073741824.0 ? static_cast<int32_t>(v) : -1;
}

bool FitsSize(double v)
{
    return v >= 1 && v <= INT32_MAX; // false for NaN
}

} // namespace

bool CRaster::Rotate(float angle, CRaster* iDst)
{
    if (!m_pDib || !std::isfinite(angle))
        return false;
    const double ang = -angle * std::acos(0.0) / 90.0;
    const double c = std::cos(ang), s = std::sin(ang);
    const double w = m_head.biWidth, h = m_head.biHeight;
    const double px[4] = {0, w, 0, w - 1}, py[4] = {0, 0, h, h};
    double left = 0, right = 0, top = 0, bottom = 0;
    for (int i = 0; i < 4; ++i) {
        const double x = std::floor(px[i] * c - py[i] * s), y = std::floor(px[i] * s + py[i] * c);
        left = i ? std::min(left, x) : x;
        right = i ? std::max(right, x) : x;
        top = i ? std::min(top, y) : y;
        bottom = i ? std::max(bottom, y) : y;
    }
    right += 2;
    bottom += 2;
    // Sizes in 64 bits: a new image takes only what a signed 32-bit size holds.
    if (!FitsSize(right - left) || !FitsSize(bottom - top))
        return false;
    const int32_t nw = static_cast<int32_t>(right - left), nh = static_cast<int32_t>(bottom - top);
    CRaster dst;
    if (!MakeResult(dst, static_cast<uint32_t>(nw), static_cast<uint32_t>(nh), GetBpp()))
        return false;
    if (dst.AlphaIsValid())
        dst.AlphaClear();
    const bool indexed = IsIndexed();
    for (int32_t j = 0; j < nh; ++j) {
        SetProgress(static_cast<int32_t>(100LL * j / nh));
        if (GetEscape())
            break;
        const double y = top + j;
        for (int32_t i = 0; i < nw; ++i) {
            const double x = left + i;
            const int32_t sx = TruncCoord(x * c + y * s - 0.5), sy = TruncCoord(y * c - x * s - 0.5);
            if (indexed)
                dst.SetPixelIndex(i, j, GetPixelIndex(sx, sy));
            else
                dst.SetPixelColor(i, j, GetPixelColor(sx, sy, true));
            if (m_pAlpha)
                dst.AlphaSet(i, j, AlphaGet(sx, sy));
        }
    }
    return HandOver(dst, iDst);
}

bool CRaster::Rotate2(float angle, CRaster* iDst, InterpolationMethod inMethod, OverflowMethod ofMethod,
                      const RGBQUAD* replColor, bool optimizeRightAngles, bool bKeepOriginalSize)
{
    if (!m_pDib || !std::isfinite(angle))
        return false;
    const float ang = static_cast<float>(-angle * std::acos(0.0) / 90.0);
    const float c = std::cos(ang), s = std::sin(ang);
    const float w = static_cast<float>(m_head.biWidth), h = static_cast<float>(m_head.biHeight);
    const CRasterPoint2 corner[4] = {{-0.5f, -0.5f}, {w - 0.5f, -0.5f}, {-0.5f, h - 0.5f}, {w - 0.5f, h - 0.5f}};
    CRasterPoint2 turned[4];
    for (int i = 0; i < 4; ++i)
        turned[i] = bKeepOriginalSize
                        ? corner[i]
                        : CRasterPoint2(corner[i].x * c - corner[i].y * s, corner[i].x * s + corner[i].y * c);
    if (!bKeepOriginalSize && optimizeRightAngles) {
        const CRasterPoint2& p3 = turned[3];
        if (p3.Distance(h - 0.5f, 0.5f - w) < 0.25f)
            return RotateRight(iDst);
        if (p3.Distance(0.5f - h, w - 0.5f) < 0.25f)
            return RotateLeft(iDst);
        if (p3.Distance(0.5f - w, 0.5f - h) < 0.25f)
            return Rotate180(iDst);
        if (p3.Distance(corner[3].x, corner[3].y) < 0.25f) {
            if (iDst)
                iDst->Copy(*this, true, true, true);
            return true;
        }
    }
    float minx = turned[0].x, maxx = minx, miny = turned[0].y, maxy = miny;
    for (const CRasterPoint2& p : turned) {
        minx = std::min(minx, p.x);
        maxx = std::max(maxx, p.x);
        miny = std::min(miny, p.y);
        maxy = std::max(maxy, p.y);
    }
    const double fw = std::floor(maxx - minx + 0.5f), fh = std::floor(maxy - miny + 0.5f);
    if (!FitsSize(fw) || !FitsSize(fh))
        return false;
    const int32_t nw = static_cast<int32_t>(fw), nh = static_cast<int32_t>(fh);
    float startx = ((maxx + minx) - static_cast<float>(nw - 1)) * 0.5f;
    float starty = ((maxy + miny) - static_cast<float>(nh - 1)) * 0.5f;
    const float cx = 0.5f * static_cast<float>(nw), cy = 0.5f * static_cast<float>(nh);
    if (bKeepOriginalSize) {
        startx -= 0.5f * w;
        starty -= 0.5f * h;
    }
    CRaster dst;
    if (!MakeResult(dst, static_cast<uint32_t>(nw), static_cast<uint32_t>(nh), GetBpp()))
        return false;
    const bool indexed = IsIndexed();
    for (int32_t j = 0; j < nh; ++j) {
        SetProgress(static_cast<int32_t>(100LL * j / nh));
        if (GetEscape())
            break;
        const float dy = starty + static_cast<float>(j);
        uint8_t* row = dst.GetBits(static_cast<uint32_t>(j));
        uint8_t* alpha = dst.m_pAlpha ? dst.m_pAlpha + static_cast<size_t>(j) * nw : nullptr;
        for (int32_t i = 0; i < nw; ++i) {
            const float dx = startx + static_cast<float>(i);
            float sx = dx * c + dy * s, sy = dy * c - dx * s;
            if (bKeepOriginalSize) {
                sx += cx;
                sy += cy;
            }
            const RGBQUAD col = GetPixelColorInterpolated(sx, sy, inMethod, ofMethod, replColor);
            if (indexed) {
                dst.SetPixelColor(i, j, col, m_pAlpha != nullptr);
            } else {
                row[3 * i] = col.rgbBlue;
                row[3 * i + 1] = col.rgbGreen;
                row[3 * i + 2] = col.rgbRed;
                if (alpha)
                    alpha[i] = col.rgbReserved;
            }
        }
    }
    return HandOver(dst, iDst);
}

bool CRaster::CropRotatedRectangle(int32_t topx, int32_t topy, int32_t width, int32_t height, float angle,
                                   CRaster* iDst)
{
    if (!m_pDib || !std::isfinite(angle))
        return false;
    auto sat = [](int64_t v) { return static_cast<int32_t>(std::clamp<int64_t>(v, INT32_MIN, INT32_MAX)); };
    if (std::fabs(angle) < 0.0002f)
        return Crop(topx, topy, sat(int64_t{topx} + width), sat(int64_t{topy} + height), iDst);
    const double c = std::cos(angle), s = std::sin(angle);
    const double x0 = topx, y0 = topy;
    const double startx = std::min(x0, x0 - std::trunc(height * s));
    const double endx = x0 + std::trunc(width * c);
    const double endy = y0 + std::trunc(width * s + height * c);
    auto inside = [&](double x, double y) { return x >= 0 && y >= 0 && x < m_head.biWidth && y < m_head.biHeight; };
    if (!inside(startx, y0) || !inside(endx, endy))
        return false;
    CRaster tmp(*this, true, false, true);
    if (!tmp.IsValid())
        return false;
    if (!tmp.Crop(static_cast<int32_t>(startx), topy, static_cast<int32_t>(endx), static_cast<int32_t>(endy)))
        return false;
    if (!tmp.Rotate(static_cast<float>(-angle * 57.29577951308232)))
        return false;
    const int64_t W = tmp.GetWidth(), H = tmp.GetHeight();
    if (!tmp.Crop(sat((W - width) / 2), sat((H + height) / 2), sat((W + width) / 2), sat((H - height) / 2)))
        return false;
    return HandOver(tmp, iDst);
}

bool CRaster::Skew(float xgain, float ygain, int32_t xpivot, int32_t ypivot, bool bEnableInterpolation)
{
    if (!m_pDib)
        return false;
    CRaster tmp(*this, m_pSelection != nullptr, true, true);
    if (!tmp.IsValid())
        return false;
    RASTERRECT box{0, m_head.biHeight, m_head.biWidth, 0};
    if (m_pSelection) {
        SelectionGetBox(box);
        box = RASTERRECT{std::max(box.left, 0), std::min(box.top, m_head.biHeight), std::min(box.right, m_head.biWidth),
                         std::max(box.bottom, 0)};
    }
    const bool indexed = IsIndexed();
    for (int32_t y = box.bottom; y < box.top; ++y) {
        SetProgress(static_cast<int32_t>(100LL * (y - box.bottom) / (box.top - box.bottom)));
        if (GetEscape())
            break;
        for (int32_t x = box.left; x < box.right; ++x) {
            if (!SelectionIsInside(x, y))
                continue;
            const float nx = static_cast<float>(x) + xgain * static_cast<float>(int64_t{y} - ypivot);
            const float ny = static_cast<float>(y) + ygain * static_cast<float>(int64_t{x} - xpivot);
            if (bEnableInterpolation) {
                tmp.SetPixelColor(x, y, GetPixelColorInterpolated(nx, ny, InterpolationBilinear, OverflowBackground),
                                  true);
                continue;
            }
            const int32_t sx = TruncCoord(nx), sy = TruncCoord(ny);
            if (indexed)
                tmp.SetPixelIndex(x, y, GetPixelIndex(sx, sy));
            else
                tmp.SetPixelColor(x, y, GetPixelColor(sx, sy, true));
            tmp.AlphaSet(x, y, AlphaGet(sx, sy));
        }
    }
    return Transfer(tmp);
}

bool CRaster::CircleTransform(int type, int32_t rmax, float Koeff)
{
    // A negative type names no distortion.
    if (!m_pDib || type < 0)
        return false;
    CRaster tmp(*this, m_pSelection != nullptr, true, true);
    if (!tmp.IsValid())
        return false;
    RASTERRECT box{0, m_head.biHeight, m_head.biWidth, 0};
    if (m_pSelection) {
        SelectionGetBox(box);
        box = RASTERRECT{std::max(box.left, 0), std::min(box.top, m_head.biHeight), std::min(box.right, m_head.biWidth),
                         std::max(box.bottom, 0)};
    }
    const double xmid = tmp.GetWidth() / 2, ymid = tmp.GetHeight() / 2;
    double radius = rmax;
    if (rmax == 0)
        radius =
            std::trunc(std::sqrt((xmid - box.left) * (xmid - box.left) + (ymid - box.bottom) * (ymid - box.bottom)));
    const double koeff = Koeff == 0.0f ? 1.0 : Koeff;
    const double twoPi = 2 * std::acos(-1.0);
    const bool indexed = IsIndexed();
    for (int32_t y = box.bottom; y < box.top; ++y) {
        SetProgress(static_cast<int32_t>(100LL * (y - box.bottom) / (box.top - box.bottom)));
        if (GetEscape())
            break;
        for (int32_t x = box.left; x < box.right; ++x) {
            if (!SelectionIsInside(x, y))
                continue;
            const double dx = xmid - x, dy = ymid - y;
            const double r = std::sqrt(dx * dx + dy * dy);
            int32_t nx = -1, ny = -1;
            if (r < radius) {
                double angle = std::atan2(dy, dx), rr = r;
                if (type == 3) {
                    nx = TruncCoord(std::fabs(angle * box.right / twoPi));
                    ny = TruncCoord(std::fabs(box.top * r / radius));
                } else if (type >= 4) {
                    nx = x + (x % 32) - 16;
                    ny = y;
                } else {
                    if (type == 0)
                        rr = r * r / radius;
                    else if (type == 1)
                        rr = std::sqrt(r * radius);
                    else
                        angle += r / koeff;
                    // The offset points back the way (dx, dy) points, on both axes, so that an unchanged
                    // radius and angle give the pixel itself.
                    nx = TruncCoord(xmid - std::trunc(rr * std::cos(angle)));
                    ny = TruncCoord(ymid - std::trunc(rr * std::sin(angle)));
                }
            }
            if (indexed)
                tmp.SetPixelIndex(x, y, GetPixelIndex(nx, ny));
            else
                tmp.SetPixelColor(x, y, GetPixelColor(nx, ny, true));
            tmp.AlphaSet(x, y, AlphaGet(nx, ny));
        }
    }
    return Transfer(tmp);
}
