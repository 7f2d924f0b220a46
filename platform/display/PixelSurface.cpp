// 16-bit pixel buffer operations: fill, clipped copies with and without colour key, stretch and alpha blend.
#include "platform/display/PixelSurface.h"

#include <algorithm>
#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace platform {
namespace {

// Copies one row, skipping the single key value (the common case, vectorised where SSE2 exists).
void CopyRowKeyed(uint16_t* dst, const uint16_t* src, int count, uint16_t key)
{
    int i = 0;
#if defined(__SSE2__)
    const __m128i k = _mm_set1_epi16(static_cast<short>(key));
    for (; i + 8 <= count; i += 8) {
        __m128i s = _mm_loadu_si128(reinterpret_cast<const __m128i*>(src + i));
        __m128i d = _mm_loadu_si128(reinterpret_cast<const __m128i*>(dst + i));
        __m128i m = _mm_cmpeq_epi16(s, k);
        __m128i r = _mm_or_si128(_mm_and_si128(m, d), _mm_andnot_si128(m, s));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(dst + i), r);
    }
#endif
    for (; i < count; ++i)
        if (src[i] != key)
            dst[i] = src[i];
}

void CopyRowKeyRange(uint16_t* dst, const uint16_t* src, int count, const PixelKey& key)
{
    for (int i = 0; i < count; ++i)
        if (src[i] < key.low || src[i] > key.high)
            dst[i] = src[i];
}

void CopyRow(uint16_t* dst, const uint16_t* src, int count, const PixelKey* key)
{
    if (!key)
        std::memmove(dst, src, static_cast<size_t>(count) * 2);
    else if (key->low == key->high)
        CopyRowKeyed(dst, src, count, key->low);
    else
        CopyRowKeyRange(dst, src, count, *key);
}

// Fills `count` pixels with one value, eight at a time where SSE2 exists.
void FillPixels(uint16_t* dst, size_t count, uint16_t value)
{
    size_t i = 0;
#if defined(__SSE2__)
    const __m128i v = _mm_set1_epi16(static_cast<short>(value));
    for (; i + 8 <= count; i += 8)
        _mm_storeu_si128(reinterpret_cast<__m128i*>(dst + i), v);
#endif
    for (; i < count; ++i)
        dst[i] = value;
}

bool IsKeyed(uint16_t p, const PixelKey* key)
{
    return key && p >= key->low && p <= key->high;
}

uint16_t BlendPixel(uint16_t d, uint16_t s, int a)
{
    int ia = 255 - a;
    int r = (((s >> 11) & 0x1F) * a + ((d >> 11) & 0x1F) * ia + 127) / 255;
    int g = (((s >> 5) & 0x3F) * a + ((d >> 5) & 0x3F) * ia + 127) / 255;
    int b = ((s & 0x1F) * a + (d & 0x1F) * ia + 127) / 255;
    return static_cast<uint16_t>((r << 11) | (g << 5) | b);
}

} // namespace

RECT IntersectRects(const RECT& a, const RECT& b)
{
    RECT r{std::max(a.left, b.left), std::max(a.top, b.top), std::min(a.right, b.right), std::min(a.bottom, b.bottom)};
    if (IsRectEmpty(r))
        return RECT{};
    return r;
}

bool PixelSurface::Create(int width, int height)
{
    Reset();
    if (width < 0 || height < 0 || width > kMaxSurfaceSide || height > kMaxSurfaceSide ||
        int64_t(width) * height > kMaxSurfacePixels)
        return false;
    m_pixels.assign(static_cast<size_t>(width) * height, 0);
    m_nWidth = width;
    m_nHeight = height;
    return true;
}

void PixelSurface::Reset()
{
    m_pixels.clear();
    m_pixels.shrink_to_fit();
    m_nWidth = m_nHeight = 0;
}

void PixelSurface::Fill(const RECT* rect, uint16_t value)
{
    RECT r = rect ? IntersectRects(*rect, Bounds()) : Bounds();
    if (IsRectEmpty(r))
        return;
    if (r.left == 0 && r.right == m_nWidth) {
        FillPixels(Row(r.top), static_cast<size_t>(r.bottom - r.top) * m_nWidth, value);
        return;
    }
    for (int y = r.top; y < r.bottom; ++y)
        FillPixels(Row(y) + r.left, static_cast<size_t>(r.right - r.left), value);
}

void PixelSurface::CopyFrom(int x, int y, const PixelSurface& src, const RECT& srcRect, const PixelKey* key)
{
    RECT s = IntersectRects(srcRect, src.Bounds());
    if (IsRectEmpty(s))
        return;
    // Keep the destination origin where the unclipped source rectangle would have put it.
    x += s.left - srcRect.left;
    y += s.top - srcRect.top;
    RECT d = IntersectRects(RECT{x, y, x + (s.right - s.left), y + (s.bottom - s.top)}, Bounds());
    if (IsRectEmpty(d))
        return;
    int sx = s.left + (d.left - x), sy = s.top + (d.top - y);
    int w = d.right - d.left, h = d.bottom - d.top;
    if (&src == this) {
        // Within one surface: a row buffer, and rows bottom-up when moving down.
        std::vector<uint16_t> row(static_cast<size_t>(w));
        bool up = d.top > sy;
        for (int k = 0; k < h; ++k) {
            int j = up ? h - 1 - k : k;
            std::memcpy(row.data(), src.Row(sy + j) + sx, static_cast<size_t>(w) * 2);
            CopyRow(Row(d.top + j) + d.left, row.data(), w, key);
        }
        return;
    }
    for (int j = 0; j < h; ++j)
        CopyRow(Row(d.top + j) + d.left, src.Row(sy + j) + sx, w, key);
}

void PixelSurface::StretchFrom(const RECT& dstRect, const PixelSurface& src, const RECT& srcRect, const PixelKey* key)
{
    int dw = dstRect.right - dstRect.left, dh = dstRect.bottom - dstRect.top;
    int sw = srcRect.right - srcRect.left, sh = srcRect.bottom - srcRect.top;
    if (dw <= 0 || dh <= 0 || sw <= 0 || sh <= 0)
        return;
    if (dw == sw && dh == sh) {
        CopyFrom(dstRect.left, dstRect.top, src, srcRect, key);
        return;
    }
    PixelSurface copy;
    const PixelSurface* from = &src;
    if (&src == this) {
        copy = src;
        from = &copy;
    }
    RECT d = IntersectRects(dstRect, Bounds());
    for (int y = d.top; y < d.bottom; ++y) {
        int syy = srcRect.top + static_cast<int>(int64_t(y - dstRect.top) * sh / dh);
        if (syy < 0 || syy >= from->Height())
            continue;
        uint16_t* out = Row(y);
        const uint16_t* in = from->Row(syy);
        for (int x = d.left; x < d.right; ++x) {
            int sxx = srcRect.left + static_cast<int>(int64_t(x - dstRect.left) * sw / dw);
            if (sxx < 0 || sxx >= from->Width() || IsKeyed(in[sxx], key))
                continue;
            out[x] = in[sxx];
        }
    }
}

void PixelSurface::BlendFrom(int x, int y, const PixelSurface& src, const RECT& srcRect, uint8_t alpha)
{
    if (alpha == 255) {
        CopyFrom(x, y, src, srcRect);
        return;
    }
    RECT s = IntersectRects(srcRect, src.Bounds());
    if (IsRectEmpty(s) || alpha == 0)
        return;
    x += s.left - srcRect.left;
    y += s.top - srcRect.top;
    RECT d = IntersectRects(RECT{x, y, x + (s.right - s.left), y + (s.bottom - s.top)}, Bounds());
    if (IsRectEmpty(d))
        return;
    PixelSurface copy;
    const PixelSurface* from = &src;
    if (&src == this) {
        copy = src;
        from = &copy;
    }
    int sx = s.left + (d.left - x), sy = s.top + (d.top - y);
    for (int j = 0; j < d.bottom - d.top; ++j) {
        uint16_t* out = Row(d.top + j) + d.left;
        const uint16_t* in = from->Row(sy + j) + sx;
        for (int i = 0; i < d.right - d.left; ++i)
            out[i] = BlendPixel(out[i], in[i], alpha);
    }
}

} // namespace platform
