// One fuzz body for codecs that both read and write: what a codec reads must re-encode and read back to the same
// pixels (and alpha).
#pragma once

#include "imagelib/Raster.h"
#include "imagelib/RasterFile.h"

#include <cstdint>
#include <cstdlib>

template <typename Codec>
int FuzzCodecRoundTrip(const uint8_t* data, size_t size)
{
    CRaster::SetMaxMemory(4u << 20);
    CRasterMemFile file(const_cast<uint8_t*>(data), static_cast<uint32_t>(size));
    Codec codec;
    if (!codec.Decode(&file) || !codec.IsValid())
        return 0;
    const int32_t w = static_cast<int32_t>(codec.GetWidth()), h = static_cast<int32_t>(codec.GetHeight());
    if (static_cast<int64_t>(w) * h > 65536)
        return 0;
    CRasterMemFile out;
    out.Open();
    if (!codec.Encode(&out))
        std::abort();
    Codec back;
    CRasterMemFile in(out.GetBuffer(false), static_cast<uint32_t>(out.Size()));
    if (!back.Decode(&in) || back.GetWidth() != codec.GetWidth() || back.GetHeight() != codec.GetHeight() ||
        back.AlphaIsValid() != codec.AlphaIsValid())
        std::abort();
    for (int32_t y = 0; y < h; ++y)
        for (int32_t x = 0; x < w; ++x) {
            RGBQUAD a = codec.GetPixelColor(x, y, false), b = back.GetPixelColor(x, y, false);
            if (a.rgbRed != b.rgbRed || a.rgbGreen != b.rgbGreen || a.rgbBlue != b.rgbBlue ||
                (codec.AlphaIsValid() && codec.AlphaGet(x, y) != back.AlphaGet(x, y)))
                std::abort();
        }
    return 0;
}
