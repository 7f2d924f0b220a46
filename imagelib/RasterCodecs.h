// The codec table behind the image object's encode and decode dispatch: one entry per image type.
#pragma once

#include "imagelib/Raster.h"

// How the dispatch reaches one codec. A codec is a class derived from CRaster with Decode (stream) and
// Encode (stream); entries of codecs not built are null and the dispatch treats their type as unknown.
struct RasterCodec {
    CRaster* (*create)();
    bool (*decode)(CRaster* codec, CRasterFile* hFile);
    bool (*encode)(CRaster* codec, CRasterFile* hFile);
    // Several images in one file (GIF only); null when the codec writes one image.
    bool (*encodeMulti)(CRaster* codec, CRasterFile* hFile, CRaster** pImages, int32_t pagecount);
};

// The codec of an image type, or null when the type is unknown or its codec is not built.
const RasterCodec* RasterFindCodec(uint32_t imagetype);

template <class Codec> CRaster* RasterMakeCodec()
{
    return new Codec;
}
template <class Codec> bool RasterCodecDecode(CRaster* codec, CRasterFile* hFile)
{
    return static_cast<Codec*>(codec)->Decode(hFile);
}
template <class Codec> bool RasterCodecEncode(CRaster* codec, CRasterFile* hFile)
{
    return static_cast<Codec*>(codec)->Encode(hFile);
}
