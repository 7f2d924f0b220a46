// Fuzzes the GIF decoder over a memory stream (a frame picked by the last byte); small results must survive
// encoding in each of the three code modes with every index.
#include "imagelib/RasterGIF.h"

#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    CRaster::SetMaxMemory(1u << 20);
    CRasterMemFile file(const_cast<uint8_t*>(data), static_cast<uint32_t>(size));
    CRasterGIF codec;
    codec.SetFrame(size ? data[size - 1] % 4 : 0);
    if (!codec.Decode(&file) || !codec.IsValid())
        return 0;
    volatile uint32_t sum = 0;
    const int32_t w = static_cast<int32_t>(codec.GetWidth()), h = static_cast<int32_t>(codec.GetHeight());
    for (int32_t y = 0; y < h; y += 1 + h / 64)
        for (int32_t x = 0; x < w; x += 1 + w / 64)
            sum = sum + codec.GetPixelColor(x, y).rgbRed;
    if (static_cast<uint64_t>(w) * h > 16384 || codec.GetBpp() > 8)
        return 0;
    for (uint32_t mode : {RASTER_GIF_LZW, RASTER_GIF_NONE, RASTER_GIF_RLE}) {
        codec.SetCodecOption(mode, RASTER_FORMAT_GIF);
        CRasterMemFile out;
        out.Open();
        if (!codec.Encode(&out))
            std::abort();
        CRasterGIF back;
        CRasterMemFile in(out.GetBuffer(false), static_cast<uint32_t>(out.Size()));
        if (!back.Decode(&in) || back.GetWidth() != codec.GetWidth() || back.GetHeight() != codec.GetHeight())
            std::abort();
        for (int32_t y = 0; y < h; ++y)
            for (int32_t x = 0; x < w; ++x)
                if (back.GetPixelIndex(x, y) != codec.GetPixelIndex(x, y))
                    std::abort();
    }
    return 0;
}
