// Fuzzes the wireless bitmap decoder over a memory stream; what it reads must re-encode to the same bits.
#include "imagelib/RasterWBMP.h"

#include <cstdint>
#include <cstdlib>
#include <cstring>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    CRaster::SetMaxMemory(4u << 20);
    CRasterMemFile file(const_cast<uint8_t*>(data), static_cast<uint32_t>(size));
    CRasterWBMP codec;
    if (!codec.Decode(&file) || !codec.IsValid())
        return 0;
    if (codec.GetWidth() >= 256 || codec.GetHeight() >= 256)
        return 0;
    CRasterMemFile out;
    out.Open();
    if (!codec.Encode(&out))
        std::abort();
    CRasterWBMP back;
    CRasterMemFile in(out.GetBuffer(false), static_cast<uint32_t>(out.Size()));
    if (!back.Decode(&in) || std::memcmp(back.GetBits(0), codec.GetBits(0), codec.GetHeader().biSizeImage) != 0)
        std::abort();
    return 0;
}
