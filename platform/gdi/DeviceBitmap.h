// Device bitmaps of 1, 4, 8, 16, 24 and 32 bits with their own palette, DIB-style reads and writes, surface exchange.
#pragma once

#include "platform/display/Geometry.h"
#include "platform/display/PixelSurface.h"

#include <cstdint>
#include <string>
#include <vector>

namespace platform::gdi {

// A bitmap that keeps its own depth. Rows are stored top-down, each padded to 4 bytes, packed as in a DIB:
// 1/4/8 bits are palette indices (high bits first), 16 bits are 5-6-5 words, 24 bits blue-green-red,
// 32 bits blue-green-red-unused.
class DeviceBitmap {
public:
    // Allocates a zeroed bitmap. Palette depths take up to 2^bits entries (missing ones are black; a missing
    // palette gives a gray ramp). False (and empty) for another depth, a size <= 0 or beyond the surface caps.
    bool Create(int width, int height, int bitCount, const std::vector<COLORREF>& palette = {});
    void Reset();

    int Width() const { return m_nWidth; }
    int Height() const { return m_nHeight; }
    int BitCount() const { return m_nBitCount; }
    bool Empty() const { return m_bits.empty(); }
    int PitchBytes() const { return m_nPitch; }
    const std::vector<COLORREF>& Palette() const { return m_palette; }

    // The stored value: an index for palette depths, the packed pixel otherwise. 0 outside; writes outside ignored.
    uint32_t GetRaw(int x, int y) const;
    void SetRaw(int x, int y, uint32_t value);
    // The pixel's colour (palette resolved), CLR_INVALID outside.
    COLORREF GetPixel(int x, int y) const;
    // Stores the colour (the nearest palette entry at palette depths, dropped low bits at 16 bits).
    void SetPixel(int x, int y, COLORREF colour);
    // Stores the colour in every pixel of the rectangle, clipped to the bitmap.
    void Fill(const RECT& rect, COLORREF colour);

    // Copies a 16-bit surface into a 16-bit bitmap, and any bitmap into a surface (colours cut to 5-6-5).
    bool FromSurface(const PixelSurface& surface);
    bool ToSurface(PixelSurface& out) const;

    // Reads the rows as a bottom-up DIB of `bitCount` (1, 4, 8, 16 as 5-5-5, 24, 32), rows padded to 4 bytes.
    // At palette depths `palette` receives the colour table: the bitmap's own when its depth fits, otherwise a
    // standard table (black and white, the 16 VGA colours, or a 6x6x6 cube with grays) with nearest colours.
    // False with a reason for an unknown depth or an empty bitmap.
    bool GetDIBits(int bitCount, std::vector<uint8_t>& bits, std::vector<COLORREF>* palette,
                   std::string* error = nullptr) const;
    // Writes the rows from a bottom-up DIB of `bitCount` (as above; palette depths take `palette`).
    // False when the buffer is short or the depth unknown; the bitmap is unchanged then.
    bool SetDIBits(int bitCount, const uint8_t* bits, size_t size, const std::vector<COLORREF>& palette,
                   std::string* error = nullptr);

private:
    int m_nWidth = 0;
    int m_nHeight = 0;
    int m_nBitCount = 0;
    int m_nPitch = 0;
    std::vector<COLORREF> m_palette;
    std::vector<uint8_t> m_bits;
};

// Bytes of one DIB row of `width` pixels at `bitCount`, padded to 4.
size_t DibRowBytes(int width, int bitCount);

// The colour table GetDIBits gives at a palette depth when the bitmap's own does not fit.
std::vector<COLORREF> StandardPalette(int bitCount);

} // namespace platform::gdi
