// The table of built codecs by image type.
#include "imagelib/RasterCodecs.h"

#include "imagelib/RasterBMP.h"

namespace {

const RasterCodec kBmp = {RasterMakeCodec<CRasterBMP>, RasterCodecDecode<CRasterBMP>, RasterCodecEncode<CRasterBMP>,
                          nullptr};

// Indexed by image type; GIF, ICO, TGA, PCX, WBMP and metafiles are not built yet.
const RasterCodec* const kCodecs[RASTER_MAX_FORMATS] = {nullptr, &kBmp,   nullptr, nullptr,
                                                        nullptr, nullptr, nullptr, nullptr};

} // namespace

const RasterCodec* RasterFindCodec(uint32_t imagetype)
{
    return imagetype < RASTER_MAX_FORMATS ? kCodecs[imagetype] : nullptr;
}
