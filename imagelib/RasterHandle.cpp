// DIB memory blocks in and out of the image object; the block's own layout is checked against its size.
#include "imagelib/Raster.h"
#include "imagelib/RasterRle.h"

#include <algorithm>
#include <cmath>
#include <cstring>

RasterDibBlock CRaster::CopyToHandle()
{
    if (!m_pDib)
        return {};
    SyncHeaderToDib();
    return RasterDibBlock(m_pDib, m_pDib + GetSize());
}

bool CRaster::CreateFromHANDLE(const RasterDibBlock& block)
{
    return CreateFromHANDLE(block.data(), block.size());
}

bool CRaster::CreateFromHANDLE(const uint8_t* block, size_t size)
{
    if (!Destroy())
        return false;
    if (!block || size < 4)
        return false;
    RASTERINFOHEADER bih{};
    uint32_t headerSize = rasterbytes::Get32(block);
    bool core = headerSize == 12;
    if (core) {
        if (size < 12)
            return false;
        bih.biSize = 12;
        bih.biWidth = rasterbytes::Get16(block + 4);
        bih.biHeight = rasterbytes::Get16(block + 6);
        bih.biPlanes = rasterbytes::Get16(block + 8);
        bih.biBitCount = rasterbytes::Get16(block + 10);
    } else {
        if (headerSize < 40 || headerSize > size)
            return false;
        bih = rasterbytes::ReadInfoHeader(block);
    }
    // The block comes from anywhere: refuse sizes and depths no bitmap holds.
    if (bih.biWidth <= 0 || bih.biHeight == 0 || bih.biHeight == INT32_MIN)
        return false;
    const uint32_t bits = bih.biBitCount;
    if (bits != 1 && bits != 4 && bits != 8 && bits != 16 && bits != 24 && bits != 32)
        return false;
    const bool topDown = bih.biHeight < 0;
    const uint32_t width = static_cast<uint32_t>(bih.biWidth);
    const uint32_t height = static_cast<uint32_t>(topDown ? -static_cast<int64_t>(bih.biHeight) : bih.biHeight);
    const uint32_t compression = bih.biCompression;

    // Where each part lies, in 64 bits, before anything is created.
    uint64_t offset = headerSize;
    uint32_t masks[3] = {0, 0, 0};
    if (compression == 3 && (bits == 16 || bits == 32)) {
        // Bit fields: inside a header of 52 bytes or more, else right after it.
        const uint8_t* m = block + 40;
        if (headerSize < 52) {
            if (size < offset + 12)
                return false;
            m = block + offset;
            offset += 12;
        }
        masks[0] = rasterbytes::Get32(m);
        masks[1] = rasterbytes::Get32(m + 4);
        masks[2] = rasterbytes::Get32(m + 8);
    } else if (bits == 16) {
        masks[0] = 0x7C00;
        masks[1] = 0x03E0;
        masks[2] = 0x001F;
    }
    uint32_t entries = bih.biClrUsed;
    if (entries == 0 && bits <= 8)
        entries = 1u << bits;
    entries = std::min<uint32_t>(entries, 256);
    const uint32_t entrySize = core ? 3 : 4;
    const uint64_t paletteOffset = offset;
    offset += static_cast<uint64_t>(entries) * entrySize;
    if (offset > size)
        return false;
    if (bits <= 8 && compression != 0 && compression != 1 && compression != 2) {
        SetError("compression type not supported");
        return false;
    }
    if (bits > 8 && compression != 0 && compression != 3) {
        SetError("unknown compression");
        return false;
    }
    const uint64_t stride = ((static_cast<uint64_t>(width) * bits + 31) / 32) * 4;
    const bool raw = bits > 8 || compression == 0;
    if (raw && (size - offset) / stride < height)
        return false;
    // Runs, like rows, must be able to fill the picture before its memory is taken.
    if (!raw && !RasterDataCanFill(static_cast<uint64_t>(width) * height,
                                   RasterRleFillable(size - offset, compression == 1, bits))) {
        SetError("DIB picture too large for its image data");
        return false;
    }

    if (!Create(width, height, bits, 0))
        return false;
    int32_t xdpi = PelsPerMeterToDpi(bih.biXPelsPerMeter);
    int32_t ydpi = PelsPerMeterToDpi(bih.biYPelsPerMeter);
    SetXDPI(bih.biXPelsPerMeter ? xdpi : 96);
    SetYDPI(bih.biYPelsPerMeter ? ydpi : 96);

    if (RGBQUAD* pal = GetPalette()) {
        uint32_t stored = std::min(entries, GetNumColors());
        for (uint32_t i = 0; i < stored; ++i) {
            const uint8_t* e = block + paletteOffset + static_cast<uint64_t>(i) * entrySize;
            pal[i] = RGBQUAD{e[0], e[1], e[2], 0};
        }
    }
    const uint8_t* pixels = block + offset;
    if (bits <= 8 && compression != 0) {
        CRasterMemFile runs(const_cast<uint8_t*>(pixels),
                            static_cast<uint32_t>(std::min<uint64_t>(size - offset, INT32_MAX)));
        if (compression == 1)
            RasterDecodeRle8(*this, &runs);
        else
            RasterDecodeRle4(*this, &runs);
    } else if (bits == 16 || bits == 32) {
        Bitfield2RGB(pixels, masks[0], masks[1], masks[2], static_cast<uint8_t>(bits));
    } else {
        // Rows by the source's own layout: the same stride as this image's at 1, 4, 8 and 24 bits.
        for (uint32_t y = 0; y < height; ++y)
            std::memcpy(GetBits(y), pixels + stride * y, static_cast<size_t>(stride));
    }
    if (topDown)
        Flip();
    return true;
}
