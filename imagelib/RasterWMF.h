// The metafile codec: placeable Windows metafiles and enhanced metafiles drawn by our own record player into a
// white picture; read only.
#pragma once

#include "imagelib/Raster.h"

#include <cstdint>
#include <vector>

class CRasterWMF : public CRaster {
public:
    CRasterWMF() : CRaster(RASTER_FORMAT_WMF) {}

    // Reads a placeable Windows metafile or an enhanced metafile from the stream's position and draws it. Forced
    // sizes other than 0 replace the picture's own; either way no side passes 4000 pixels.
    bool Decode(CRasterFile* hFile, uint32_t nForceWidth = 0, uint32_t nForceHeight = 0);
    // Always refused: metafiles are not written.
    bool Encode(CRasterFile* hFile);

    // The 22-byte placeable header, its fields as read.
    struct PlaceableHeader {
        uint32_t key = 0;
        uint16_t hmf = 0;
        int16_t left = 0, top = 0, right = 0, bottom = 0;
        uint16_t inch = 0; // units per inch
        uint32_t reserved = 0;
        uint16_t checksum = 0;
    };
    // The key matches, the checksum is the XOR of the ten words before it, and units per inch lie in 1..2540.
    static bool CheckMetafileHeader(const uint8_t* bytes22, PlaceableHeader& header);
    // Fits a size into 4000 x 4000: a wider picture is narrowed to 4000 and its height scaled alike, then a
    // taller one likewise; no side becomes 0.
    static void ShrinkMetafile(int64_t& width, int64_t& height);

protected:
    // The metafile found in the stream: its bytes and the picture size they ask for.
    struct Metafile {
        std::vector<uint8_t> bytes;
        bool placeable = false;
        PlaceableHeader head;
        int64_t width = 0, height = 0;
    };
    // A placeable metafile at `start`: header checked, the metafile's bytes read; false leaves the stream anywhere.
    bool ReadPlaceable(CRasterFile* hFile, int32_t start, uint64_t available, Metafile& mf);
    // An enhanced metafile at `start`, header record first; false with the failure text set.
    bool ReadEnhanced(CRasterFile* hFile, int32_t start, uint64_t available, Metafile& mf);
    bool Fail(const char* text);
};
