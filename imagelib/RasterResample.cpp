// Resizing the image object: the interpolating resampler, the three fast modes, the quick shrink and thumbnails.
#include "imagelib/Raster.h"

#include <algorithm>
#include <cmath>
#include <vector>

namespace {

// A source index from a scaled destination index, kept inside the source against float drift.
int32_t SourceIndex(float v, int32_t size)
{
    if (!(v > 0))
        return 0;
    return v < static_cast<float>(size - 1) ? static_cast<int32_t>(v) : size - 1;
}

} // namespace

bool CRaster::Resample2(int32_t newx, int32_t newy, InterpolationMethod inMethod, OverflowMethod ofMethod,
                        CRaster* iDst, bool disableAveraging)
{
    if (newx < 1 || newy < 1 || !m_pDib)
        return false;
    const int32_t w = m_head.biWidth, h = m_head.biHeight;
    if (newx == w && newy == h) {
        if (iDst)
            iDst->Copy(*this, true, true, true);
        return true;
    }
    const float xScale = static_cast<float>(w) / static_cast<float>(newx);
    const float yScale = static_cast<float>(h) / static_cast<float>(newy);
    CRaster out;
    if (!MakeResult(out, static_cast<uint32_t>(newx), static_cast<uint32_t>(newy), GetBpp()))
        return false;
    if ((xScale > 1 || yScale > 1) && !disableAveraging) {
        for (int32_t j = 0; j < newy; ++j) {
            SetProgress(static_cast<int32_t>(100LL * j / newy));
            if (GetEscape())
                break;
            const float sy = (j + 0.5f) * yScale - 0.5f;
            for (int32_t i = 0; i < newx; ++i) {
                const float sx = (i + 0.5f) * xScale - 0.5f;
                out.SetPixelColor(i, j, GetAreaColorInterpolated(sx, sy, xScale, yScale, inMethod, ofMethod), true);
            }
        }
    } else {
        ResampleInterpolated(out, xScale, yScale, inMethod, ofMethod);
    }
    return HandOver(out, iDst);
}

bool CRaster::Resample(int32_t newx, int32_t newy, int mode, CRaster* iDst)
{
    if (newx <= 0 || newy <= 0 || !m_pDib)
        return false;
    const int32_t w = m_head.biWidth, h = m_head.biHeight;
    if (newx == w && newy == h) {
        if (iDst)
            iDst->Copy(*this, true, true, true);
        return true;
    }
    const float xScale = static_cast<float>(w) / static_cast<float>(newx);
    const float yScale = static_cast<float>(h) / static_cast<float>(newy);
    CRaster out;
    if (!MakeResult(out, static_cast<uint32_t>(newx), static_cast<uint32_t>(newy), GetBpp()))
        return false;

    if (mode != 1 && mode != 2 && w > newx && h > newy && GetBpp() == 24) {
        ResampleAverage(out, xScale, yScale);
    } else {
        ResampleFast(out, mode, xScale, yScale);
    }
    // Alpha always from the nearest source pixel, whatever the mode.
    if (m_pAlpha)
        for (int32_t j = 0; j < newy; ++j)
            for (int32_t i = 0; i < newx; ++i)
                out.AlphaSet(i, j, BlindAlphaGet(SourceIndex(i * xScale, w), SourceIndex(j * yScale, h)));
    return HandOver(out, iDst);
}

// The nearest, B-spline and bilinear modes. What depends on the column alone (source columns, weights) is worked
// out once per column and what depends on the row once per row; each pixel's sums are those of the formula.
void CRaster::ResampleFast(CRaster& out, int mode, float xScale, float yScale)
{
    const int32_t w = m_head.biWidth, h = m_head.biHeight;
    const int32_t nw = out.m_head.biWidth, nh = out.m_head.biHeight;
    const bool indexed = IsIndexed();
    auto put = [&](int32_t i, int32_t j, uint8_t* row, RGBQUAD c) {
        if (indexed) {
            out.SetPixelColor(i, j, c);
        } else {
            row[3 * i] = c.rgbBlue;
            row[3 * i + 1] = c.rgbGreen;
            row[3 * i + 2] = c.rgbRed;
        }
    };
    auto byte = [](float v) { return static_cast<uint8_t>(std::clamp(v, 0.0f, 255.0f)); };
    struct Column {
        int32_t x[4];
        float k[4];
        float d;
    };
    std::vector<Column> cols(static_cast<size_t>(nw));
    for (int32_t i = 0; i < nw; ++i) {
        Column& c = cols[static_cast<size_t>(i)];
        if (mode == 2) {
            const float fx = i * xScale - 0.5f, ix = std::floor(fx), b = fx - ix;
            for (int n = -1; n <= 2; ++n) {
                c.x[n + 1] = std::clamp(static_cast<int32_t>(ix) + n, 0, w - 1);
                c.k[n + 1] = KernelBSpline(b - n);
            }
        } else {
            const float fx = i * xScale;
            c.x[0] = SourceIndex(fx, w);
            c.x[1] = std::min(c.x[0] + 1, w - 1);
            c.d = fx - c.x[0];
        }
    }
    for (int32_t j = 0; j < nh; ++j) {
        SetProgress(static_cast<int32_t>(100LL * j / nh));
        if (GetEscape())
            break;
        uint8_t* row = out.GetBits(static_cast<uint32_t>(j));
        if (mode == 1) {
            const int32_t sy = SourceIndex(j * yScale, h);
            for (int32_t i = 0; i < nw; ++i)
                put(i, j, row, BlindGetPixelColor(cols[static_cast<size_t>(i)].x[0], sy));
        } else if (mode == 2) {
            // B-spline over 4 x 4 neighbours, clamped into the picture.
            const float fy = j * yScale - 0.5f, iy = std::floor(fy), a = fy - iy;
            int32_t ny[4];
            float ky[4];
            for (int m = -1; m <= 2; ++m) {
                ny[m + 1] = std::clamp(static_cast<int32_t>(iy) + m, 0, h - 1);
                ky[m + 1] = KernelBSpline(m - a);
            }
            const uint8_t* rows[4];
            for (int m = 0; m < 4; ++m)
                rows[m] = GetBits(static_cast<uint32_t>(ny[m]));
            for (int32_t i = 0; i < nw; ++i) {
                const Column& c = cols[static_cast<size_t>(i)];
                float sb = 0, sg = 0, sr = 0;
                for (int m = 0; m < 4; ++m)
                    for (int n = 0; n < 4; ++n) {
                        const float k = ky[m] * c.k[n];
                        RGBQUAD p;
                        if (indexed) {
                            p = BlindGetPixelColor(c.x[n], ny[m]);
                        } else {
                            const uint8_t* q = rows[m] + 3 * static_cast<size_t>(c.x[n]);
                            p = RGBQUAD{q[0], q[1], q[2], 0};
                        }
                        sb += k * p.rgbBlue;
                        sg += k * p.rgbGreen;
                        sr += k * p.rgbRed;
                    }
                put(i, j, row, RGBQUAD{byte(sb), byte(sg), byte(sr), 0});
            }
        } else {
            // Bilinear from the four pixels at and after the scaled point.
            const float fy = j * yScale;
            const int32_t iy = SourceIndex(fy, h), iy1 = std::min(iy + 1, h - 1);
            const float dy = fy - iy;
            for (int32_t i = 0; i < nw; ++i) {
                const Column& c = cols[static_cast<size_t>(i)];
                const float dx = c.d;
                const RGBQUAD c1 = BlindGetPixelColor(c.x[0], iy), c2 = BlindGetPixelColor(c.x[1], iy);
                const RGBQUAD c3 = BlindGetPixelColor(c.x[0], iy1), c4 = BlindGetPixelColor(c.x[1], iy1);
                auto mix = [&](uint8_t RGBQUAD::*ch) {
                    return byte((1 - dx) * ((1 - dy) * (c1.*ch) + dy * (c3.*ch)) +
                                dx * ((1 - dy) * (c2.*ch) + dy * (c4.*ch)));
                };
                put(i, j, row, RGBQUAD{mix(&RGBQUAD::rgbBlue), mix(&RGBQUAD::rgbGreen), mix(&RGBQUAD::rgbRed), 0});
            }
        }
    }
}

// Fixed-point averaging of a 24-bit picture shrinking on both axes: weights in thousandths, each source pixel read
// once, two accumulator rows (the current output row and the carry into the next). Sums are 64-bit: 32 bits
// overflow past a shrink of about 92 times on each axis.
bool CRaster::ResampleAverage(CRaster& out, float xScale, float yScale)
{
    constexpr int64_t A = 1000;
    const int32_t w = m_head.biWidth, h = m_head.biHeight;
    const int32_t nw = out.m_head.biWidth, nh = out.m_head.biHeight;
    const int64_t N = std::max<int64_t>(1, static_cast<int64_t>(xScale * yScale * 1000));
    // One spare output pixel past the end takes the last carry; the column never passes it.
    std::vector<int64_t> rowA(3 * static_cast<size_t>(nw) + 6, 0), rowB(rowA.size(), 0);
    int64_t* cur = rowA.data();
    int64_t* carry = rowB.data();
    int32_t outRow = 0;
    auto put = [&](int32_t k, int c, int64_t sum) {
        if (k < nw && outRow < nh)
            out.GetBits(static_cast<uint32_t>(outRow))[3 * static_cast<size_t>(k) + c] =
                static_cast<uint8_t>(std::min<int64_t>(sum / N, 255));
    };
    float fEndY = yScale - 1;
    for (int32_t y = 0; y < h; ++y) {
        SetProgress(static_cast<int32_t>(100LL * y / h));
        if (GetEscape())
            break;
        const uint8_t* src = GetBits(static_cast<uint32_t>(y));
        float fEndX = xScale - 1;
        int32_t k = 0, u = 0;
        if (y < fEndY) {
            for (int32_t x = 0; x < w; ++x, src += 3) {
                int64_t* c0 = cur + 3 * static_cast<size_t>(k);
                if (x < fEndX) {
                    for (int c = 0; c < 3; ++c)
                        c0[c] += A * src[c];
                } else {
                    const int64_t wx = static_cast<int64_t>((x - fEndX) * A);
                    for (int c = 0; c < 3; ++c) {
                        c0[c] += (A - wx) * src[c];
                        c0[c + 3] += wx * src[c];
                    }
                    fEndX += xScale;
                    k = std::min(k + 1, nw);
                }
            }
            continue;
        }
        // The source row straddles two output rows.
        const int64_t wy = static_cast<int64_t>((y - fEndY) * A);
        for (int32_t x = 0; x < w; ++x, src += 3) {
            int64_t* c0 = cur + 3 * static_cast<size_t>(k);
            int64_t* r0 = carry + 3 * static_cast<size_t>(k);
            if (x < fEndX) {
                for (int c = 0; c < 3; ++c) {
                    c0[c] += (A - wy) * src[c];
                    r0[c] += wy * src[c];
                }
                continue;
            }
            const int64_t wx = static_cast<int64_t>((x - fEndX) * A);
            for (int c = 0; c < 3; ++c) {
                const int64_t p = src[c];
                c0[c] += (A - wy) * (A - wx) * p / A;
                put(k, c, c0[c]);
                r0[c] += wy * (A - wx) * p / A;
                c0[c + 3] += (A - wy) * wx * p / A;
                r0[c + 3] = wy * wx * p / A;
            }
            fEndX += xScale;
            k = std::min(k + 1, nw);
            ++u;
        }
        if (u < nw)
            for (int c = 0; c < 3; ++c)
                put(k, c, cur[3 * static_cast<size_t>(k) + c]);
        std::swap(cur, carry);
        carry[0] = carry[1] = carry[2] = 0;
        ++outRow;
        fEndY += yScale;
    }
    if (outRow < nh)
        for (int32_t k = 0; k < nw; ++k)
            for (int c = 0; c < 3; ++c)
                put(k, c, cur[3 * static_cast<size_t>(k) + c]);
    return true;
}

bool CRaster::QIShrink(int32_t newx, int32_t newy, CRaster* iDst)
{
    if (!m_pDib)
        return false;
    const int32_t w = m_head.biWidth, h = m_head.biHeight;
    if (newx > w || newy > h) {
        SetError("QIShrink can't enlarge image");
        return false;
    }
    if (newx <= 0 || newy <= 0)
        return false;
    if (newx == w && newy == h) {
        if (iDst)
            iDst->Copy(*this, true, true, true);
        return true;
    }
    CRaster out;
    if (!MakeResult(out, static_cast<uint32_t>(newx), static_cast<uint32_t>(newy), GetBpp()))
        return false;
    // One cell per output column; 64-bit sums never overflow.
    struct Cell {
        uint64_t b, g, r, a, n;
    };
    std::vector<Cell> cells(static_cast<size_t>(newx) + 1, Cell{0, 0, 0, 0, 0});
    const bool indexed = IsIndexed();
    int64_t rowCounter = 0;
    int32_t outRow = 0;
    for (int32_t y = 0; y < h; ++y) {
        SetProgress(static_cast<int32_t>(100LL * y / h));
        if (GetEscape())
            break;
        rowCounter += newy;
        int64_t colCounter = 0;
        size_t cell = 0;
        const uint8_t* src = GetBits(static_cast<uint32_t>(y));
        for (int32_t x = 0; x < w; ++x) {
            colCounter += newx;
            Cell& c = cells[cell];
            if (indexed) {
                RGBQUAD q = GetPixelColor(x, y, true);
                c.b += q.rgbBlue;
                c.g += q.rgbGreen;
                c.r += q.rgbRed;
            } else {
                c.b += src[3 * x];
                c.g += src[3 * x + 1];
                c.r += src[3 * x + 2];
            }
            if (m_pAlpha)
                c.a += BlindAlphaGet(x, y);
            ++c.n;
            if (colCounter >= w) {
                colCounter -= w;
                cell = std::min(cell + 1, static_cast<size_t>(newx));
            }
        }
        if (rowCounter < h)
            continue;
        rowCounter -= h;
        if (outRow < newy) {
            uint8_t* d = out.GetBits(static_cast<uint32_t>(outRow));
            for (int32_t i = 0; i < newx; ++i) {
                const Cell& c = cells[static_cast<size_t>(i)];
                if (!c.n)
                    continue;
                RGBQUAD q{static_cast<uint8_t>(c.b / c.n), static_cast<uint8_t>(c.g / c.n),
                          static_cast<uint8_t>(c.r / c.n), static_cast<uint8_t>(c.a / c.n)};
                if (indexed) {
                    out.SetPixelColor(i, outRow, q, m_pAlpha != nullptr);
                } else {
                    d[3 * i] = q.rgbBlue;
                    d[3 * i + 1] = q.rgbGreen;
                    d[3 * i + 2] = q.rgbRed;
                    if (m_pAlpha)
                        out.AlphaSet(i, outRow, q.rgbReserved);
                }
            }
        }
        std::fill(cells.begin(), cells.end(), Cell{0, 0, 0, 0, 0});
        ++outRow;
    }
    return HandOver(out, iDst);
}

bool CRaster::Thumbnail(int32_t newx, int32_t newy, RGBQUAD canvascolor, CRaster* iDst)
{
    if (!m_pDib || newx <= 0 || newy <= 0)
        return false;
    CRaster tmp(*this, true, true, true);
    if (!tmp.IsValid())
        return false;
    const int32_t w = m_head.biWidth, h = m_head.biHeight;
    if (w > newx || h > newy) {
        const float aspect = static_cast<float>(newx) / static_cast<float>(newy);
        const float scale = aspect * static_cast<float>(h) <= static_cast<float>(w)
                                ? static_cast<float>(newx) / static_cast<float>(w)
                                : static_cast<float>(newy) / static_cast<float>(h);
        // A very thin picture keeps at least one pixel on its short side.
        const int32_t tw = std::clamp(static_cast<int32_t>(static_cast<float>(w) * scale), 1, newx);
        const int32_t th = std::clamp(static_cast<int32_t>(static_cast<float>(h) * scale), 1, newy);
        if (!tmp.Resample(tw, th, 0))
            return false;
    }
    if (!tmp.Expand(newx, newy, canvascolor))
        return false;
    return HandOver(tmp, iDst);
}
