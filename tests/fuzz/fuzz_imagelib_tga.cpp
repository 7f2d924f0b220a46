// Fuzzes the TGA decoder over a memory stream; what it reads must re-encode and read back to the same pixels.
#include "imagelib/RasterTGA.h"
#include "CodecRoundTripFuzz.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    return FuzzCodecRoundTrip<CRasterTGA>(data, size);
}
