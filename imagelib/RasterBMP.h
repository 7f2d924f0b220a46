// The BMP codec: reads Windows and OS/2 bitmaps (raw, run-length, bit fields, top-down) and writes plain ones.
#pragma once

#include "imagelib/Raster.h"

class CRasterBMP : public CRaster {
public:
    CRasterBMP() : CRaster(RASTER_FORMAT_BMP) {}

    // Reads a BMP file, or a bare bitmap without the 14-byte file header, from the stream's position.
    bool Decode(CRasterFile* hFile);
    // Writes the image as an uncompressed BMP file at the stream's position.
    bool Encode(CRasterFile* hFile);

protected:
    bool Fail(const char* text);
    // Reads and checks the information header; false refuses it.
    bool ReadInfoHeader(CRasterFile* hFile, RASTERINFOHEADER& bih, bool& core);
    bool ReadPalette(CRasterFile* hFile, const RASTERINFOHEADER& bih, bool core);
    bool DecodeBitfields(CRasterFile* hFile, const RASTERINFOHEADER& bih, uint32_t masks[3], int32_t start,
                         uint32_t offBits);
};
