// Fuzzes the PCX decoder over a memory stream; what it reads must re-encode and read back to the same pixels.
#include "imagelib/RasterPCX.h"
#include "CodecRoundTripFuzz.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    return FuzzCodecRoundTrip<CRasterPCX>(data, size);
}
