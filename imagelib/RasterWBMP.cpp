// Wireless bitmap reading and writing: a small header of multi-byte integers, then rows from the top.
#include "imagelib/RasterWBMP.h"
#include "imagelib/RasterByteReader.h"

#include <cstring>
#include <vector>

namespace {

enum class IntRead { Ok, End, TooLong };

// A multi-byte integer: seven bits per byte, most significant first, the top bit set on all but the last byte.
IntRead ReadMultiByte(CRasterFile* f, uint32_t& value)
{
    value = 0;
    for (int n = 0; n < 5; ++n) {
        int b = f->GetC();
        if (b < 0)
            return IntRead::End;
        value = (value << 7) | static_cast<uint32_t>(b & 0x7F);
        if (!(b & 0x80))
            return n < 4 ? IntRead::Ok : IntRead::TooLong;
    }
    return IntRead::TooLong;
}

size_t PutMultiByte(uint8_t* out, uint32_t value)
{
    if (value < 128) {
        out[0] = static_cast<uint8_t>(value);
        return 1;
    }
    out[0] = static_cast<uint8_t>(0x80 | (value >> 7));
    out[1] = static_cast<uint8_t>(value & 0x7F);
    return 2;
}

int Brightness(RGBQUAD c)
{
    return (601 * c.rgbGreen + 306 * c.rgbRed + 117 * c.rgbBlue) >> 10;
}

} // namespace

bool CRasterWBMP::Fail(const char* text)
{
    SetError(text);
    return false;
}

bool CRasterWBMP::Decode(CRasterFile* hFile)
{
    if (!hFile)
        return false;
    uint32_t type = 0, width = 0, height = 0;
    IntRead t = ReadMultiByte(hFile, type);
    int fixed = t != IntRead::End ? hFile->GetC() : -1;
    IntRead w = fixed >= 0 ? ReadMultiByte(hFile, width) : IntRead::End;
    IntRead h = w != IntRead::End ? ReadMultiByte(hFile, height) : IntRead::End;
    if (h == IntRead::End)
        return Fail("Not a WBMP");
    if (t != IntRead::Ok || type != 0)
        return Fail("Unsupported WBMP type");
    if (w != IntRead::Ok || h != IntRead::Ok || width == 0 || height == 0)
        return Fail("Corrupted WBMP");
    const uint32_t rowBytes = (width + 7) / 8;
    // Mended: 8 bytes could claim 65535 x 65535 pixels; now the rows that follow must be able to fill the picture.
    const int64_t left = CRasterByteReader::Remaining(hFile);
    if (left >= 0 &&
        !RasterDataCanFill(static_cast<uint64_t>(width) * height, static_cast<uint64_t>(left) / rowBytes * width))
        return Fail("WBMP picture too large for its image data");
    if (!Create(width, height, 1, RASTER_FORMAT_WBMP)) {
        if (std::strcmp(GetLastError(), "RASTER_MAX_MEMORY exceeded") != 0)
            SetError("WBMP Create failed");
        return false;
    }
    SetGrayPalette();
    for (uint32_t y = 0; y < height; ++y)
        if (hFile->Read(GetBits(height - 1 - y), 1, rowBytes) != rowBytes)
            break;
    return true;
}

bool CRasterWBMP::Encode(CRasterFile* hFile)
{
    if (EncodeSafeCheck(hFile))
        return false;
    const uint32_t width = GetWidth(), height = GetHeight();
    if (width >= 256 || height >= 256 || GetBpp() != 1)
        return Fail("Can't save this image as WBMP");
    uint8_t head[6] = {0, 0};
    size_t n = 2;
    n += PutMultiByte(head + n, width);
    n += PutMultiByte(head + n, height);
    bool ok = hFile->Write(head, 1, static_cast<uint32_t>(n)) == n;
    // The file's 1 is white: a palette with the brighter colour first is written inverted.
    const bool invert = Brightness(GetPaletteColor(0)) > Brightness(GetPaletteColor(1));
    const uint32_t rowBytes = (width + 7) / 8;
    std::vector<uint8_t> row(rowBytes);
    for (uint32_t y = 0; y < height && ok; ++y) {
        std::memcpy(row.data(), GetBits(height - 1 - y), rowBytes);
        if (invert)
            for (uint8_t& b : row)
                b = static_cast<uint8_t>(~b);
        ok = hFile->Write(row.data(), 1, rowBytes) == rowBytes;
    }
    if (!ok)
        return Fail("write error");
    return true;
}
