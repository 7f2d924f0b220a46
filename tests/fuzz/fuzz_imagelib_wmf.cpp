// Fuzzes the metafile reader and its record player over a memory stream; a picture it makes is white-grounded,
// of the size rules, and never written back.
#include "imagelib/RasterWMF.h"

#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    // A small cap: pictures up to 1024 x 1024 are drawn, larger ones refused before any surface is made.
    CRaster::SetMaxMemory(4u << 20);
    CRasterMemFile file(const_cast<uint8_t*>(data), static_cast<uint32_t>(size));
    CRasterWMF codec;
    if (!codec.Decode(&file) || !codec.IsValid())
        return 0;
    if (codec.GetWidth() == 0 || codec.GetHeight() == 0 || codec.GetWidth() > 4000 || codec.GetHeight() > 4000 ||
        codec.GetBpp() != 24 || codec.GetType() != RASTER_FORMAT_WMF)
        std::abort();
    volatile uint32_t sum = 0;
    const int32_t w = static_cast<int32_t>(codec.GetWidth()), h = static_cast<int32_t>(codec.GetHeight());
    for (int32_t y = 0; y < h; y += 1 + h / 64)
        for (int32_t x = 0; x < w; x += 1 + w / 64)
            sum = sum + codec.GetPixelColor(x, y).rgbRed;
    CRasterMemFile out;
    out.Open();
    if (codec.Encode(&out))
        std::abort();
    return 0;
}
