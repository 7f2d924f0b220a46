// The wireless bitmap codec: type 0, one bit per pixel, sizes as multi-byte integers.
#pragma once

#include "imagelib/Raster.h"

class CRasterWBMP : public CRaster {
public:
    CRasterWBMP() : CRaster(RASTER_FORMAT_WBMP) {}

    // Reads a type-0 wireless bitmap from the stream's position; short pixel data leaves black rows.
    bool Decode(CRasterFile* hFile);
    // Writes a 1-bit image narrower and lower than 256 pixels, white where the palette's brighter entry is.
    bool Encode(CRasterFile* hFile);

protected:
    bool Fail(const char* text);
};
