// Fuzzes the BMP decoder alone over a memory stream, then reads every pixel of what it made.
#include "imagelib/RasterBMP.h"

#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    CRaster::SetMaxMemory(4u << 20);
    CRasterMemFile file(const_cast<uint8_t*>(data), static_cast<uint32_t>(size));
    CRasterBMP codec;
    if (!codec.Decode(&file) || !codec.IsValid())
        return 0;
    volatile uint32_t sum = 0;
    int32_t w = static_cast<int32_t>(codec.GetWidth()), h = static_cast<int32_t>(codec.GetHeight());
    for (int32_t y = 0; y < h; y += 1 + h / 64)
        for (int32_t x = 0; x < w; x += 1 + w / 64)
            sum = sum + codec.GetPixelColor(x, y).rgbRed;
    if (static_cast<uint64_t>(w) * h <= 65536) {
        codec.Flip();
        codec.Mirror();
    }
    return 0;
}
