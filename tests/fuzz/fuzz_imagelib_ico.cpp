// Fuzzes the icon decoder over a memory stream (an image picked by the last byte); what it reads must re-encode.
#include "imagelib/RasterICO.h"

#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    CRaster::SetMaxMemory(4u << 20);
    CRasterMemFile file(const_cast<uint8_t*>(data), static_cast<uint32_t>(size));
    CRasterICO codec;
    codec.SetFrame(size ? data[size - 1] % 3 : 0);
    if (!codec.Decode(&file) || !codec.IsValid())
        return 0;
    volatile uint32_t sum = 0;
    for (int32_t y = 0; y < static_cast<int32_t>(codec.GetHeight()); ++y)
        for (int32_t x = 0; x < static_cast<int32_t>(codec.GetWidth()); ++x)
            sum = sum + codec.GetPixelColor(x, y).rgbRed + codec.IsTransparent(x, y);
    CRasterMemFile out;
    out.Open();
    if (!codec.Encode(&out))
        std::abort();
    CRasterICO back;
    CRasterMemFile in(out.GetBuffer(false), static_cast<uint32_t>(out.Size()));
    if (!back.Decode(&in) || back.GetWidth() != codec.GetWidth() || back.GetHeight() != codec.GetHeight())
        std::abort();
    return 0;
}
