// Encode and decode dispatch of the image object over streams, FILE* handles, memory and files.
#include "imagelib/Raster.h"
#include "imagelib/RasterCodecs.h"
#include "platform/system/SafeWrite.h"

#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>

bool CRaster::EncodeSafeCheck(CRasterFile* hFile)
{
    if (!hFile) {
        SetError("null file handler");
        return true;
    }
    if (!m_pDib) {
        SetError("null image!!!");
        return true;
    }
    return false;
}

bool CRaster::CodecEncode(CRasterFile* hFile, uint32_t imagetype)
{
    const RasterCodec* codec = RasterFindCodec(imagetype);
    if (!codec) {
        SetError("Encode: Unknown format");
        return false;
    }
    // A ghost of this image: it writes this image's blocks and frees none of them.
    std::unique_ptr<CRaster> tmp(codec->create());
    tmp->Ghost(this);
    if (codec->encode(tmp.get(), hFile))
        return true;
    SetError(tmp->GetLastError());
    return false;
}

bool CRaster::Encode(CRasterFile* hFile, uint32_t imagetype)
{
    return CodecEncode(hFile, imagetype);
}

bool CRaster::Encode(CRasterFile* hFile, CRaster** pImages, int32_t pagecount, uint32_t imagetype)
{
    const RasterCodec* codec = imagetype == RASTER_FORMAT_GIF ? RasterFindCodec(imagetype) : nullptr;
    if (imagetype == RASTER_FORMAT_GIF && (!codec || !codec->encodeMulti)) {
        SetError("Encode: Unknown format");
        return false;
    }
    if (!codec) {
        SetError("Multipage Encode, Unsupported operation for this format");
        return false;
    }
    std::unique_ptr<CRaster> tmp(codec->create());
    if (codec->encodeMulti(tmp.get(), hFile, pImages, pagecount))
        return true;
    SetError(tmp->GetLastError());
    return false;
}

bool CRaster::Encode(FILE* hFile, uint32_t imagetype)
{
    CRasterIOFile file(hFile);
    return Encode(&file, imagetype);
}

bool CRaster::Encode(FILE* hFile, CRaster** pImages, int32_t pagecount, uint32_t imagetype)
{
    CRasterIOFile file(hFile);
    return Encode(&file, pImages, pagecount, imagetype);
}

bool CRaster::Encode(uint8_t*& buffer, int32_t& size, uint32_t imagetype)
{
    if (buffer) {
        SetError("the buffer must be empty");
        return false;
    }
    CRasterMemFile file;
    file.Open();
    if (!Encode(&file, imagetype))
        return false;
    size = file.Size();
    buffer = file.GetBuffer(true);
    return true;
}

bool CRaster::Encode2RGBA(CRasterFile* hFile)
{
    if (EncodeSafeCheck(hFile))
        return false;
    for (int32_t y = 0; y < static_cast<int32_t>(GetHeight()); ++y) {
        for (int32_t x = 0; x < static_cast<int32_t>(GetWidth()); ++x) {
            RGBQUAD c = BlindGetPixelColor(x, y);
            uint8_t alpha = 0;
            if (m_pAlpha)
                alpha = BlindAlphaGet(x, y);
            else if (GetPalette())
                alpha = c.rgbReserved;
            if (!hFile->PutC(c.rgbRed) || !hFile->PutC(c.rgbGreen) || !hFile->PutC(c.rgbBlue) || !hFile->PutC(alpha)) {
                SetError("write error");
                return false;
            }
        }
    }
    return true;
}

bool CRaster::Encode2RGBA(uint8_t*& buffer, int32_t& size)
{
    if (buffer) {
        SetError("the buffer must be empty");
        return false;
    }
    CRasterMemFile file;
    file.Open();
    if (!Encode2RGBA(&file))
        return false;
    size = file.Size();
    buffer = file.GetBuffer(true);
    return true;
}

bool CRaster::CodecDecode(CRasterFile* hFile, uint32_t imagetype)
{
    const RasterCodec* codec = RasterFindCodec(imagetype);
    if (!codec) {
        SetError("Decode: Unknown or wrong format");
        return false;
    }
    std::unique_ptr<CRaster> tmp(codec->create());
    tmp->CopyInfo(*this);
    if (codec->decode(tmp.get(), hFile))
        return Transfer(*tmp);
    SetError(tmp->GetLastError());
    if (imagetype == RASTER_FORMAT_GIF || imagetype == RASTER_FORMAT_ICO)
        m_info.nNumFrames = tmp->GetNumFrames();
    return false;
}

bool CRaster::Decode(CRasterFile* hFile, uint32_t imagetype)
{
    if (imagetype >= 1 && imagetype < RASTER_MAX_FORMATS)
        return CodecDecode(hFile, imagetype);
    if (imagetype != RASTER_FORMAT_UNKNOWN || !hFile) {
        SetError("Decode: Unknown or wrong format");
        return false;
    }
    // Every built codec in turn, each from the same start.
    static const uint32_t kOrder[] = {RASTER_FORMAT_BMP, RASTER_FORMAT_ICO,  RASTER_FORMAT_GIF, RASTER_FORMAT_TGA,
                                      RASTER_FORMAT_PCX, RASTER_FORMAT_WBMP, RASTER_FORMAT_WMF};
    int32_t start = hFile->Tell();
    for (uint32_t type : kOrder) {
        if (!RasterFindCodec(type))
            continue;
        hFile->Seek(start, SEEK_SET);
        if (CodecDecode(hFile, type))
            return true;
    }
    hFile->Seek(start, SEEK_SET);
    SetError("Decode: Unknown or wrong format");
    return false;
}

bool CRaster::Decode(FILE* hFile, uint32_t imagetype)
{
    CRasterIOFile file(hFile);
    return Decode(&file, imagetype);
}

bool CRaster::Decode(uint8_t* buffer, uint32_t size, uint32_t imagetype)
{
    CRasterMemFile file(buffer, size);
    return Decode(&file, imagetype);
}

bool CRaster::Load(const char* filename, uint32_t imagetype)
{
    if (!filename)
        return false;
    if (imagetype >= 1 && imagetype < RASTER_MAX_FORMATS) {
        CRasterIOFile file;
        if (!file.Open(filename, "rb"))
            return false;
        if (Decode(&file, imagetype))
            return true;
    }
    char kept[sizeof(m_info.szLastError)];
    std::memcpy(kept, m_info.szLastError, sizeof(kept));
    CRasterIOFile file;
    if (!file.Open(filename, "rb"))
        return false;
    bool ok = Decode(&file, RASTER_FORMAT_UNKNOWN);
    if (!ok && imagetype != RASTER_FORMAT_UNKNOWN)
        std::memcpy(m_info.szLastError, kept, sizeof(kept));
    return ok;
}

bool CRaster::Save(const char* filename, uint32_t imagetype)
{
    if (!filename || !*filename)
        return false;
    // Written safely beside the target and put in place only when every write went well: a failed save
    // leaves the old file as it was, and a power cut one of the two whole.
    platform::CSafeFile file(filename);
    if (!file.Open())
        return false;
    bool ok = Encode(file.File(), imagetype);
    if (ok && !file.Commit()) {
        SetError("write error");
        ok = false;
    }
    return ok;
}

bool CRaster::LoadResource(const RasterResource* hRes, uint32_t imagetype, void* hModule)
{
    (void)hModule;
    if (!hRes || !hRes->data) {
        SetError("Unable to load resource!");
        return false;
    }
    if (hRes->size == 0)
        return false;
    CRasterMemFile file(const_cast<uint8_t*>(hRes->data), hRes->size);
    return Decode(&file, imagetype);
}
