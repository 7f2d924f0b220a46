// Windows bitmap (BMP) files decoded into 24-bit pictures, and pictures copied into 16-bit surfaces.
#pragma once

#include "platform/display/Geometry.h"
#include "platform/display/PixelSurface.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace platform::gdi {

// A decoded picture, rows top-down, each pixel a COLORREF (0x00BBGGRR).
struct Bitmap {
    int width = 0;
    int height = 0;
    std::vector<COLORREF> pixels;

    COLORREF At(int x, int y) const { return pixels[static_cast<size_t>(y) * width + x]; }
};

// Largest BMP file read into memory.
constexpr size_t kMaxBmpFileBytes = size_t(256) << 20;

// Decodes a BMP held in memory: core (OS/2) and info headers of 40 to 124 bytes; 1, 4, 8 bits with a palette
// (8 and 4 bits also run-length coded), 16 and 32 bits plain or with bit-field masks, 24 bits; bottom-up or top-down.
// Sizes are capped like surfaces. False with a reason for anything else or for short or broken data.
bool DecodeBmp(const uint8_t* data, size_t size, Bitmap& out, std::string* error = nullptr);

// Reads and decodes a BMP file (the name's letter case need not match).
bool LoadBitmapFile(const std::string& path, Bitmap& out, std::string* error = nullptr);

// Copies the picture's rectangle (x, y, width, height) onto the whole surface, scaled to its size (1:1 when the
// sizes match). Parts of the rectangle outside the picture come out black.
void StretchBitmapToSurface(const Bitmap& bitmap, int x, int y, int width, int height, PixelSurface& surface);

} // namespace platform::gdi
