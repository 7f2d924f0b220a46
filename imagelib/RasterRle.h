// Run-length decoders of the published 8-bit and 4-bit bitmap codings, clipped to the image.
#pragma once

#include "imagelib/Raster.h"

// Decodes 8-bit runs from the stream's position into the image's rows (bottom row first). Stores beyond a row or
// the last row are dropped and decoding goes on; it ends at end of bitmap, past the last row or at the stream end.
void RasterDecodeRle8(CRaster& image, CRasterFile* hFile);
// The same for 4-bit runs: encoded runs alternate the value's high and low nibble; deltas count pixels.
void RasterDecodeRle4(CRaster& image, CRasterFile* hFile);
// The most pixels `bytes` of runs can give a picture of `bits` per pixel: 255 units per two bytes (bytes in
// 8-bit runs, nibbles in 4-bit ones).
inline uint64_t RasterRleFillable(uint64_t bytes, bool rle8, uint32_t bits)
{
    return bytes / 2 * 255 * (rle8 ? 8 : 4) / (bits ? bits : 1);
}
