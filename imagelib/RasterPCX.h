// The PCX codec: run-length encoded ZSoft pictures of 1 to 4 one-bit planes, 2, 4 or 8 bits in one plane, and 3
// or 4 planes of 8 bits (the fourth being alpha).
#pragma once

#include "imagelib/Raster.h"

#include <vector>

class CRasterPCX : public CRaster {
public:
    CRasterPCX() : CRaster(RASTER_FORMAT_PCX) {}

    // Reads a PCX file from the stream's position; sizes, counts and runs are checked before they touch memory.
    bool Decode(CRasterFile* hFile);
    // Writes the image as a version 5 PCX file at the stream's position.
    bool Encode(CRasterFile* hFile);

protected:
    bool Fail(const char* text);
    // Combines up to 4 one-bit planes of a row (plane i gives bit i) into one index per pixel; bytes past
    // `lineBytes` read as 0.
    bool PlanesToPixels(uint8_t* pixels, const uint8_t* bitplanes, uint32_t lineBytes, uint32_t planes,
                        uint32_t bitsPerPixel, uint32_t width);
    // Splits one packed plane of 1, 2, 4 or 8 bits per pixel into one index per pixel, most significant bits
    // first; bytes past `lineBytes` read as 0.
    bool UnpackPixels(uint8_t* pixels, const uint8_t* bitplanes, uint32_t lineBytes, uint32_t planes,
                      uint32_t bitsPerPixel, uint32_t width);
    // Gathers bit `plane` of each index into bytes, most significant bit first.
    static void PackPlane(uint8_t* buff, const uint8_t* indices, uint32_t width, uint32_t plane);
    // Run-length codes a byte buffer: runs of up to 63 equal bytes. False when a byte could not be written.
    static bool RLE(CRasterFile* hFile, const uint8_t* buffer, uint32_t size);
};
