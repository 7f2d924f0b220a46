// The table of built codecs by image type.
#include "imagelib/RasterCodecs.h"

#include "imagelib/RasterBMP.h"
#include "imagelib/RasterGIF.h"
#include "imagelib/RasterICO.h"
#include "imagelib/RasterPCX.h"
#include "imagelib/RasterTGA.h"
#include "imagelib/RasterWBMP.h"
#include "imagelib/RasterWMF.h"

namespace {

bool GifEncodeMulti(CRaster* codec, CRasterFile* hFile, CRaster** pImages, int32_t pagecount)
{
    return static_cast<CRasterGIF*>(codec)->Encode(hFile, pImages, pagecount);
}

const RasterCodec kBmp = {RasterMakeCodec<CRasterBMP>, RasterCodecDecode<CRasterBMP>, RasterCodecEncode<CRasterBMP>,
                          nullptr};
const RasterCodec kGif = {RasterMakeCodec<CRasterGIF>, RasterCodecDecode<CRasterGIF>, RasterCodecEncode<CRasterGIF>,
                          GifEncodeMulti};
const RasterCodec kIco = {RasterMakeCodec<CRasterICO>, RasterCodecDecode<CRasterICO>, RasterCodecEncode<CRasterICO>,
                          nullptr};
const RasterCodec kTga = {RasterMakeCodec<CRasterTGA>, RasterCodecDecode<CRasterTGA>, RasterCodecEncode<CRasterTGA>,
                          nullptr};
const RasterCodec kPcx = {RasterMakeCodec<CRasterPCX>, RasterCodecDecode<CRasterPCX>, RasterCodecEncode<CRasterPCX>,
                          nullptr};
const RasterCodec kWbmp = {RasterMakeCodec<CRasterWBMP>, RasterCodecDecode<CRasterWBMP>, RasterCodecEncode<CRasterWBMP>,
                           nullptr};
// Decode with the forced sizes left at 0; Encode refuses.
const RasterCodec kWmf = {RasterMakeCodec<CRasterWMF>, RasterCodecDecode<CRasterWMF>, RasterCodecEncode<CRasterWMF>,
                          nullptr};

// Indexed by image type. The type-0 chain tries them as RasterIO's order says (BMP, ICO, GIF, TGA, PCX, WBMP, WMF),
// skipping empty slots.
const RasterCodec* const kCodecs[RASTER_MAX_FORMATS] = {
    nullptr, // RASTER_FORMAT_UNKNOWN
    &kBmp,   // RASTER_FORMAT_BMP
    &kGif,   // RASTER_FORMAT_GIF
    &kIco,   // RASTER_FORMAT_ICO
    &kTga,   // RASTER_FORMAT_TGA
    &kPcx,   // RASTER_FORMAT_PCX
    &kWbmp,  // RASTER_FORMAT_WBMP
    &kWmf,   // RASTER_FORMAT_WMF
};

} // namespace

const RasterCodec* RasterFindCodec(uint32_t imagetype)
{
    return imagetype < RASTER_MAX_FORMATS ? kCodecs[imagetype] : nullptr;
}
