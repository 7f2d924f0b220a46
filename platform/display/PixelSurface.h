// A 16-bit (5-6-5) pixel buffer with fills, plain and colour-keyed copies, stretch and constant-alpha blend.
#pragma once

#include "platform/display/Geometry.h"

#include <cstddef>
#include <cstdint>
#include <vector>

namespace platform {

// Largest side and pixel count a surface may have (no allocation from an outside size beyond it).
constexpr int kMaxSurfaceSide = 16384;
constexpr int64_t kMaxSurfacePixels = int64_t(1) << 25;

// COLORREF to a 5-6-5 pixel by dropping low bits (0xFF00FF gives 0xF81F).
constexpr uint16_t ColorRefTo565(COLORREF c)
{
    return static_cast<uint16_t>(((GetRValue(c) >> 3) << 11) | ((GetGValue(c) >> 2) << 5) | (GetBValue(c) >> 3));
}

// 5-6-5 pixel to COLORREF, replicating high bits into the low ones (0xFFFF gives white).
constexpr COLORREF Rgb565ToColorRef(uint16_t p)
{
    int r = (p >> 11) & 0x1F, g = (p >> 5) & 0x3F, b = p & 0x1F;
    return RGB((r << 3) | (r >> 2), (g << 2) | (g >> 4), (b << 3) | (b >> 2));
}

// A source colour key: pixels in [low, high] are not copied.
struct PixelKey {
    uint16_t low = 0;
    uint16_t high = 0;
};

class PixelSurface {
public:
    PixelSurface() = default;
    PixelSurface(const PixelSurface&) = default;
    PixelSurface& operator=(const PixelSurface&) = default;

    // Allocates width x height pixels, all 0. False (and empty) for a negative or too-large size.
    bool Create(int width, int height);
    void Reset();

    int Width() const { return m_nWidth; }
    int Height() const { return m_nHeight; }
    bool Empty() const { return m_pixels.empty(); }
    // Bytes from one row to the next.
    int PitchBytes() const { return m_nWidth * 2; }
    RECT Bounds() const { return RECT{0, 0, m_nWidth, m_nHeight}; }

    uint16_t* Data() { return m_pixels.data(); }
    const uint16_t* Data() const { return m_pixels.data(); }
    uint16_t* Row(int y) { return m_pixels.data() + static_cast<size_t>(y) * m_nWidth; }
    const uint16_t* Row(int y) const { return m_pixels.data() + static_cast<size_t>(y) * m_nWidth; }

    bool Contains(int x, int y) const { return x >= 0 && y >= 0 && x < m_nWidth && y < m_nHeight; }
    // Reads 0 and ignores writes outside the surface.
    uint16_t GetPixel(int x, int y) const { return Contains(x, y) ? Row(y)[x] : 0; }
    void SetPixel(int x, int y, uint16_t value)
    {
        if (Contains(x, y))
            Row(y)[x] = value;
    }

    // Fills the rectangle (the whole surface for null), clipped to the surface.
    void Fill(const RECT* rect, uint16_t value);

    // Copies `srcRect` of `src` with its top-left at (x, y), 1:1, clipped to both surfaces.
    // With a key, source pixels in the key's range are skipped. Overlapping copies within one surface are safe.
    void CopyFrom(int x, int y, const PixelSurface& src, const RECT& srcRect, const PixelKey* key = nullptr);

    // Copies `srcRect` of `src` scaled to `dstRect` (nearest pixel), clipped to this surface.
    void StretchFrom(const RECT& dstRect, const PixelSurface& src, const RECT& srcRect, const PixelKey* key = nullptr);

    // Source-over blend with one constant alpha (0 keeps the target, 255 copies the source), 1:1, clipped.
    void BlendFrom(int x, int y, const PixelSurface& src, const RECT& srcRect, uint8_t alpha);

private:
    int m_nWidth = 0;
    int m_nHeight = 0;
    std::vector<uint16_t> m_pixels;
};

// Intersection of two rectangles; empty (right <= left or bottom <= top) when they do not meet.
RECT IntersectRects(const RECT& a, const RECT& b);
inline bool IsRectEmpty(const RECT& r)
{
    return r.right <= r.left || r.bottom <= r.top;
}

} // namespace platform
