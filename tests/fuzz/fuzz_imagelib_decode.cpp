// Fuzzes the image object's decode of any buffer through every built codec; a decoded image must re-encode.
#include "imagelib/Raster.h"

#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    // A small cap: running out of memory here means a real bomb, not a large picture.
    CRaster::SetMaxMemory(4u << 20);
    CRaster img;
    if (!img.Decode(const_cast<uint8_t*>(data), static_cast<uint32_t>(size), RASTER_FORMAT_UNKNOWN))
        return 0;
    if (!img.IsValid() || img.GetSize() > (256u << 10))
        return 0;
    uint8_t* out = nullptr;
    int32_t length = 0;
    if (!img.Encode(out, length, RASTER_FORMAT_BMP))
        std::abort();
    CRaster back;
    if (!back.Decode(out, static_cast<uint32_t>(length), RASTER_FORMAT_BMP) || back.GetWidth() != img.GetWidth() ||
        back.GetHeight() != img.GetHeight())
        std::abort();
    img.FreeMemory(out);
    return 0;
}
