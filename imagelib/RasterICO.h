// The icon and cursor codec: reads one image of an icon or cursor file, writes a one-image icon.
#pragma once

#include "imagelib/Raster.h"

#include <vector>

class CRasterICO : public CRaster {
public:
    CRasterICO() : CRaster(RASTER_FORMAT_ICO) {}

    // Reads the image the information record asks for; the file's image count goes to the record.
    bool Decode(CRasterFile* hFile);
    // Writes the image (at most 255 × 255) as a one-image icon with its AND mask.
    bool Encode(CRasterFile* hFile);

protected:
    bool Fail(const char* text);
    // Turns the AND mask into alpha or colour transparency.
    void ApplyMask(const std::vector<uint8_t>& mask, uint32_t fileBits);
    // The AND mask of the image: 1 where a pixel is transparent.
    std::vector<uint8_t> MakeMask();
};
