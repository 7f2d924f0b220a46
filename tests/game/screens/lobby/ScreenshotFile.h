// Writes a 16-bit pixel surface as a 24-bit BMP file for a person to look at.
#pragma once

#include "platform/display/PixelSurface.h"

#include <cstdint>
#include <fstream>
#include <string>
#include <vector>

inline bool SaveScreenshot(const platform::PixelSurface& pixels, const std::string& path)
{
    const int w = pixels.Width(), h = pixels.Height();
    const uint32_t row = static_cast<uint32_t>((w * 3 + 3) & ~3);
    const uint32_t size = 54 + row * static_cast<uint32_t>(h);
    std::vector<uint8_t> out(size, 0);
    auto put32 = [&](size_t at, uint32_t v) {
        for (int i = 0; i < 4; ++i)
            out[at + i] = static_cast<uint8_t>(v >> (8 * i));
    };
    out[0] = 'B';
    out[1] = 'M';
    put32(2, size);
    put32(10, 54);
    put32(14, 40);
    put32(18, static_cast<uint32_t>(w));
    put32(22, static_cast<uint32_t>(h));
    out[26] = 1;
    out[28] = 24;
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            const COLORREF c = platform::Rgb565ToColorRef(pixels.GetPixel(x, y));
            uint8_t* p = &out[54 + static_cast<size_t>(h - 1 - y) * row + static_cast<size_t>(x) * 3];
            p[0] = GetBValue(c);
            p[1] = GetGValue(c);
            p[2] = GetRValue(c);
        }
    std::ofstream file(path, std::ios::binary);
    file.write(reinterpret_cast<const char*>(out.data()), static_cast<std::streamsize>(out.size()));
    return static_cast<bool>(file);
}
