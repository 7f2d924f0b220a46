// The TGA codec: colour-mapped, true-colour and grey Truevision pictures, raw or run-length encoded.
#pragma once

#include "imagelib/Raster.h"

class CRasterByteReader;

// The 18-byte TGA header, field by field.
struct TGAHEADER {
    uint8_t IdLength;
    uint8_t CmapType;
    uint8_t ImageType;
    uint16_t CmapIndex;
    uint16_t CmapLength;
    uint8_t CmapEntrySize;
    uint16_t X_Origin;
    uint16_t Y_Origin;
    uint16_t ImageWidth;
    uint16_t ImageHeight;
    uint8_t PixelDepth;
    uint8_t ImagDesc;
};

class CRasterTGA : public CRaster {
public:
    CRasterTGA() : CRaster(RASTER_FORMAT_TGA) {}

    // Reads a TGA file from the stream's position; sizes and depths are checked before they touch memory.
    bool Decode(CRasterFile* hFile);
    // Writes an 8-bit image as colour-mapped, a 24-bit one as true colour (32 bits with its alpha channel).
    bool Encode(CRasterFile* hFile);

protected:
    bool Fail(const char* text);
    // Reads `count` pixels into the row from column `x0`; false when the stream ended first.
    bool ExpandUncompressedLine(uint8_t* pDest, const TGAHEADER& head, CRasterByteReader& in, uint32_t count,
                                uint32_t row, uint32_t x0);
    // Reads one row of run-length packets; a packet running past the row's end is carried into the next row
    // (`carry`: its pixels still to come, 0 none; `runValue` the repeated pixel). False when the stream ended.
    bool ExpandCompressedLine(uint8_t* pDest, const TGAHEADER& head, CRasterByteReader& in, uint32_t width,
                              uint32_t row, uint8_t& carry, uint32_t& carryCount, uint8_t runValue[4]);
};
