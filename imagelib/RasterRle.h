// Run-length decoders of the published 8-bit and 4-bit bitmap codings, clipped to the image.
#pragma once

#include "imagelib/Raster.h"

// Decodes 8-bit runs from the stream's position into the image's rows (bottom row first). Stores beyond a row or
// the last row are dropped and decoding goes on; it ends at end of bitmap, past the last row or at the stream end.
void RasterDecodeRle8(CRaster& image, CRasterFile* hFile);
// The same for 4-bit runs: encoded runs alternate the value's high and low nibble; deltas count pixels.
void RasterDecodeRle4(CRaster& image, CRasterFile* hFile);
