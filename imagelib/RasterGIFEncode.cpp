// GIF encoding: header, extensions and frame bodies, animations, and true-colour pictures as mosaics of tiles.
#include "imagelib/RasterGIF.h"
#include "imagelib/RasterGIFCodes.h"

#include <algorithm>
#include <cstring>

namespace {

constexpr uint32_t kTileW = 17, kTileH = 15;

void WriteTable(GifOutput& out, const CRaster& image)
{
    const RGBQUAD* pal = image.GetPalette();
    uint8_t raw[768];
    const uint32_t n = std::min<uint32_t>(image.GetNumColors(), 256);
    for (uint32_t i = 0; i < n; ++i) {
        raw[3 * i] = pal[i].rgbRed;
        raw[3 * i + 1] = pal[i].rgbGreen;
        raw[3 * i + 2] = pal[i].rgbBlue;
    }
    out.Write(raw, n * 3);
}

bool SameRgb(RGBQUAD a, RGBQUAD b)
{
    return a.rgbRed == b.rgbRed && a.rgbGreen == b.rgbGreen && a.rgbBlue == b.rgbBlue;
}

} // namespace

bool CRasterGIF::CheckSize(CRaster* image)
{
    if (image->GetWidth() > 65535 || image->GetHeight() > 65535)
        return Fail("Can't save this image as GIF");
    return true;
}

bool CRasterGIF::FinishWrite(GifOutput& out)
{
    CRasterFile* f = out.File();
    if (out.Failed() || !f->Flush() || f->Error())
        return Fail("Write Error in GIF file");
    return true;
}

bool CRasterGIF::Encode(FILE* fp)
{
    CRasterIOFile file(fp);
    return Encode(&file);
}

bool CRasterGIF::Encode(FILE* fp, CRaster** pImages, int32_t pagecount, bool bLocalColorMap)
{
    CRasterIOFile file(fp);
    return Encode(&file, pImages, pagecount, bLocalColorMap);
}

bool CRasterGIF::Encode(CRasterFile* fp)
{
    if (EncodeSafeCheck(fp) || !CheckSize(this))
        return false;
    GifOutput out(fp);
    if (GetBpp() <= 8) {
        EncodeHeader(out);
        EncodeExtension(out);
        EncodeComment(out);
        // A single picture fills the screen.
        EncodeBody(out, false, 0, 0);
        out.PutC(';');
    } else if (!EncodeRGB(out)) {
        return false;
    }
    return FinishWrite(out);
}

bool CRasterGIF::Encode(CRasterFile* fp, CRaster** pImages, int32_t pagecount, bool bLocalColorMap)
{
    if (!fp)
        return Fail("invalid file pointer");
    if (!pImages || pagecount <= 0 || !pImages[0])
        return Fail("multipage GIF, no images!");
    // Every frame is checked before a byte is written.
    CRaster* first = pImages[0];
    for (int32_t i = 0; i < pagecount; ++i) {
        CRaster* img = pImages[i];
        if (!img)
            return Fail("Bad image pointer");
        if (!img->IsValid() || img->GetBpp() > 8 || !img->GetPalette())
            return Fail("multipage GIF, every frame needs a palette");
        int32_t x = 0, y = 0;
        if (i > 0)
            img->GetOffset(&x, &y);
        if (x < 0 || y < 0 || static_cast<uint64_t>(x) + img->GetWidth() > first->GetWidth() ||
            static_cast<uint64_t>(y) + img->GetHeight() > first->GetHeight())
            return Fail("multipage GIF, frame outside the first image");
    }
    if (!CheckSize(first))
        return false;

    GifOutput out(fp);
    CRasterGIF ghost;
    ghost.Ghost(first);
    ghost.m_dispmeth = m_dispmeth;
    std::memcpy(ghost.m_comment, m_comment, sizeof(m_comment));
    ghost.EncodeHeader(out);
    if (m_loops != 1)
        EncodeLoopExtension(out);
    ghost.EncodeExtension(out);
    ghost.EncodeComment(out);
    ghost.EncodeBody(out, false, 0, 0);
    for (int32_t i = 1; i < pagecount; ++i) {
        CRaster* img = pImages[i];
        ghost.Ghost(img);
        ghost.EncodeExtension(out);
        // The global table serves only frames of that very palette.
        const bool local = bLocalColorMap || !img->IsSamePalette(*first, false);
        int32_t x = 0, y = 0;
        img->GetOffset(&x, &y);
        ghost.EncodeBody(out, local, x, y);
    }
    out.PutC(';');
    return FinishWrite(out);
}

void CRasterGIF::EncodeHeader(GifOutput& out)
{
    out.Write("GIF89a", 6);
    out.Putword(GetWidth());
    out.Putword(GetHeight());
    const bool table = GetPalette() != nullptr;
    const uint32_t bits = GetBpp();
    const uint8_t flags = table ? static_cast<uint8_t>(0x80 | (((bits - 1) & 3) << 5) | (bits - 1)) : 0x11;
    out.PutC(flags);
    out.PutC(0); // background index
    out.PutC(0); // aspect
    if (table)
        WriteTable(out, *this);
}

void CRasterGIF::EncodeLoopExtension(GifOutput& out)
{
    static const uint8_t head[] = {0x21, 0xFF, 11, 'N', 'E', 'T', 'S', 'C', 'A', 'P', 'E', '2', '.', '0', 3, 1};
    out.Write(head, sizeof(head));
    out.Putword(static_cast<uint32_t>(std::clamp(m_loops - 1, 0, 65535)));
    out.PutC(0);
}

void CRasterGIF::EncodeExtension(GifOutput& out)
{
    m_gifgce.flags = static_cast<uint8_t>((m_dispmeth & 7) << 2);
    if (IsTransparent())
        m_gifgce.flags |= 1;
    m_gifgce.delaytime = static_cast<uint16_t>(std::min<uint32_t>(GetFrameDelay(), 65535));
    m_gifgce.transpcolindex = static_cast<uint8_t>(GetTransIndex());
    out.PutC(0x21);
    out.PutC(0xF9);
    out.PutC(4);
    out.PutC(m_gifgce.flags);
    out.Putword(m_gifgce.delaytime);
    out.PutC(m_gifgce.transpcolindex);
    out.PutC(0);
}

void CRasterGIF::EncodeComment(GifOutput& out)
{
    const size_t n = strnlen(m_comment, 255);
    if (n == 0)
        return;
    out.PutC(0x21);
    out.PutC(0xFE);
    out.PutC(static_cast<uint8_t>(n));
    out.Write(m_comment, static_cast<uint32_t>(n));
    out.PutC(0);
}

void CRasterGIF::EncodeBody(GifOutput& out, bool bLocalColorMap, int32_t left, int32_t top)
{
    const uint32_t bits = GetBpp();
    out.PutC(0x2C);
    out.Putword(static_cast<uint32_t>(left));
    out.Putword(static_cast<uint32_t>(top));
    out.Putword(GetWidth());
    out.Putword(GetHeight());
    out.PutC(bLocalColorMap ? static_cast<uint8_t>(0x80 | (bits - 1)) : 0);
    if (bLocalColorMap)
        WriteTable(out, *this);
    const int codeSize = bits == 1 ? 2 : static_cast<int>(bits);
    out.PutC(static_cast<uint8_t>(codeSize));
    GifPixels pixels(*this);
    switch (GetCodecOption(RASTER_FORMAT_GIF)) {
    case RASTER_GIF_NONE:
        compressNONE(codeSize + 1, pixels, out);
        break;
    case RASTER_GIF_RLE:
        compressRLE(codeSize + 1, pixels, out);
        break;
    default:
        compressLZW(codeSize + 1, pixels, out);
        break;
    }
    out.PutC(0);
}

bool CRasterGIF::EncodeRGB(GifOutput& out)
{
    EncodeHeader(out);
    EncodeComment(out);
    const uint32_t w = GetWidth(), h = GetHeight();
    const bool transparent = IsTransparent();
    const RGBQUAD transColor = GetTransColor();
    for (uint32_t ty = 0; ty < h; ty += kTileH) {
        for (uint32_t tx = 0; tx < w; tx += kTileW) {
            const uint32_t tw = std::min(kTileW, w - tx), th = std::min(kTileH, h - ty);
            CRasterGIF tile;
            if (!tile.Create(tw, th, 8, RASTER_FORMAT_UNKNOWN))
                return Fail(tile.GetLastError());
            RGBQUAD* pal = tile.GetPalette();
            if (transparent) {
                pal[0] = RGBQUAD{transColor.rgbBlue, transColor.rgbGreen, transColor.rgbRed, 0};
                tile.SetTransIndex(0);
            }
            // Entry 1 + 17 × row + column holds that pixel's colour; rows count from the tile's top.
            for (uint32_t r = 0; r < th; ++r) {
                const uint8_t* src = GetBits(h - 1 - (ty + r)) + 3 * tx;
                for (uint32_t k = 0; k < tw; ++k)
                    pal[1 + kTileW * r + k] = RGBQUAD{src[3 * k], src[3 * k + 1], src[3 * k + 2], 0};
            }
            // Each pixel takes the first entry of its colour: the transparent one where it matches.
            for (uint32_t r = 0; r < th; ++r) {
                uint8_t* dst = tile.GetBits(th - 1 - r);
                for (uint32_t k = 0; k < tw; ++k) {
                    const uint32_t own = 1 + kTileW * r + k;
                    uint32_t j = 0;
                    while (j < own && !SameRgb(pal[j], pal[own]))
                        ++j;
                    dst[k] = static_cast<uint8_t>(j);
                }
            }
            tile.SetCodecOption(GetCodecOption(RASTER_FORMAT_GIF), RASTER_FORMAT_GIF);
            tile.m_dispmeth = m_dispmeth;
            tile.EncodeExtension(out);
            tile.EncodeBody(out, true, static_cast<int32_t>(tx), static_cast<int32_t>(ty));
        }
    }
    out.PutC(';');
    return true;
}
