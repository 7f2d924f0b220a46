// Fuzzes reading a DIB memory block of any content; what is read must copy back out whole.
#include "imagelib/Raster.h"

#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    CRaster::SetMaxMemory(4u << 20);
    CRaster img;
    if (!img.CreateFromHANDLE(data, size))
        return 0;
    if (img.CopyToHandle().size() != img.GetSize())
        std::abort();
    return 0;
}
