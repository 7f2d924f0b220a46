// TGA reading and writing: the 18-byte header, the colour map by its entry size, raw and run-length rows.
#include "imagelib/RasterTGA.h"
#include "imagelib/RasterByteReader.h"

#include <algorithm>
#include <cstring>
#include <vector>

namespace {

constexpr uint32_t kHeaderSize = 18;
constexpr uint8_t kRightToLeft = 0x10, kTopToBottom = 0x20;

TGAHEADER ReadHeader(const uint8_t* b)
{
    TGAHEADER h;
    h.IdLength = b[0];
    h.CmapType = b[1];
    h.ImageType = b[2];
    h.CmapIndex = rasterbytes::Get16(b + 3);
    h.CmapLength = rasterbytes::Get16(b + 5);
    h.CmapEntrySize = b[7];
    h.X_Origin = rasterbytes::Get16(b + 8);
    h.Y_Origin = rasterbytes::Get16(b + 10);
    h.ImageWidth = rasterbytes::Get16(b + 12);
    h.ImageHeight = rasterbytes::Get16(b + 14);
    h.PixelDepth = b[16];
    h.ImagDesc = b[17];
    return h;
}

void WriteHeader(uint8_t* b, const TGAHEADER& h)
{
    b[0] = h.IdLength;
    b[1] = h.CmapType;
    b[2] = h.ImageType;
    rasterbytes::Put16(b + 3, h.CmapIndex);
    rasterbytes::Put16(b + 5, h.CmapLength);
    b[7] = h.CmapEntrySize;
    rasterbytes::Put16(b + 8, h.X_Origin);
    rasterbytes::Put16(b + 10, h.Y_Origin);
    rasterbytes::Put16(b + 12, h.ImageWidth);
    rasterbytes::Put16(b + 14, h.ImageHeight);
    b[16] = h.PixelDepth;
    b[17] = h.ImagDesc;
}

// Bytes of one pixel or colour-map entry of the given depth (15 bits take two bytes).
uint32_t BytesOf(uint32_t depth)
{
    return (depth + 7) / 8;
}

// A 15- or 16-bit value as blue, green, red: 5 bits each, the top bit ignored.
void From555(const uint8_t* s, uint8_t* bgr)
{
    const uint32_t v = rasterbytes::Get16(s);
    bgr[0] = static_cast<uint8_t>((v & 0x1F) << 3);
    bgr[1] = static_cast<uint8_t>((v >> 2) & 0xF8);
    bgr[2] = static_cast<uint8_t>((v >> 7) & 0xF8);
}

// Stores one pixel read from the file at column x of the row.
void StorePixel(CRaster& img, uint8_t* pDest, const uint8_t* px, uint32_t depth, uint32_t x, uint32_t row)
{
    switch (depth) {
    case 8:
        pDest[x] = px[0];
        break;
    case 15:
    case 16:
        From555(px, pDest + 3 * x);
        break;
    default:
        std::memcpy(pDest + 3 * x, px, 3);
        if (depth == 32)
            img.AlphaSet(static_cast<int32_t>(x), static_cast<int32_t>(row), px[3]);
    }
}

} // namespace

bool CRasterTGA::Fail(const char* text)
{
    SetError(text);
    return false;
}

bool CRasterTGA::ExpandUncompressedLine(uint8_t* pDest, const TGAHEADER& head, CRasterByteReader& in, uint32_t count,
                                        uint32_t row, uint32_t x0)
{
    const uint32_t n = BytesOf(head.PixelDepth);
    // Index and blue, green, red pixels are stored as they come: one read for the run of them.
    if (head.PixelDepth == 8 || head.PixelDepth == 24)
        return in.Read(pDest + static_cast<size_t>(x0) * n, count * n) == count * n;
    uint8_t px[4];
    for (uint32_t i = 0; i < count; ++i) {
        if (in.Read(px, n) != n)
            return false;
        StorePixel(*this, pDest, px, head.PixelDepth, x0 + i, row);
    }
    return true;
}

bool CRasterTGA::ExpandCompressedLine(uint8_t* pDest, const TGAHEADER& head, CRasterByteReader& in, uint32_t width,
                                      uint32_t row, uint8_t& carry, uint32_t& carryCount, uint8_t runValue[4])
{
    const uint32_t n = BytesOf(head.PixelDepth);
    for (uint32_t x = 0; x < width;) {
        // A packet carried from the row before goes on; otherwise a new packet header.
        bool isRun;
        uint32_t count;
        if (carryCount) {
            isRun = carry != 0;
            count = carryCount;
        } else {
            int b = in.Get();
            if (b < 0)
                return false;
            isRun = (b & 0x80) != 0;
            count = (static_cast<uint32_t>(b) & 0x7F) + 1;
            if (isRun && in.Read(runValue, n) != n)
                return false;
        }
        const uint32_t here = std::min(count, width - x);
        carry = isRun ? 1 : 0;
        carryCount = count - here;
        if (isRun) {
            for (uint32_t i = 0; i < here; ++i)
                StorePixel(*this, pDest, runValue, head.PixelDepth, x + i, row);
        } else if (!ExpandUncompressedLine(pDest, head, in, here, row, x)) {
            carryCount = 0;
            return false;
        }
        x += here;
    }
    return true;
}

bool CRasterTGA::Decode(CRasterFile* hFile)
{
    if (!hFile)
        return false;
    uint8_t b[kHeaderSize];
    if (hFile->Read(b, 1, kHeaderSize) != kHeaderSize)
        return Fail("Not a TGA");
    const TGAHEADER head = ReadHeader(b);
    bool compressed = false;
    switch (head.ImageType) {
    case 1:
    case 2:
    case 3:
        break;
    case 9:
    case 10:
    case 11:
        compressed = true;
        break;
    default:
        return Fail("Unknown TGA image type");
    }
    const uint32_t depth = head.PixelDepth, width = head.ImageWidth, height = head.ImageHeight;
    if (width == 0 || height == 0 || head.CmapLength > 256 ||
        (depth != 8 && depth != 15 && depth != 16 && depth != 24 && depth != 32))
        return Fail("bad TGA header");
    // Mapped and grey pictures hold one byte per pixel, true colour more than one.
    const bool trueColor = (head.ImageType & 7) == 2;
    if (trueColor == (depth == 8))
        return Fail("bad TGA header");
    const uint32_t entrySize = head.CmapEntrySize;
    const bool hasMap = head.CmapType != 0 && head.CmapLength > 0;
    if (hasMap && entrySize != 15 && entrySize != 16 && entrySize != 24 && entrySize != 32)
        return Fail("bad TGA header");

    // What the file must still hold for all rows but the last, before any room is made for them.
    const uint32_t pixelBytes = BytesOf(depth);
    const uint64_t before = static_cast<uint64_t>(height - 1) * width;
    uint64_t need = head.IdLength + (hasMap ? static_cast<uint64_t>(head.CmapLength) * BytesOf(entrySize) : 0);
    need += compressed ? (before + 127) / 128 * (1 + pixelBytes) : before * pixelBytes;
    const int64_t left = CRasterByteReader::Remaining(hFile);
    if (left >= 0 && need > static_cast<uint64_t>(left))
        return Fail("corrupted TGA");

    CRasterByteReader in(hFile);
    uint8_t skip[255];
    if (in.Read(skip, head.IdLength) != head.IdLength)
        return Fail("corrupted TGA");
    if (!Create(width, height, depth, RASTER_FORMAT_TGA)) {
        if (std::strcmp(GetLastError(), "RASTER_MAX_MEMORY exceeded") != 0)
            SetError("TGA Create failed");
        return false;
    }
    if (depth == 32 && !AlphaCreate())
        return false;
    if (GetEscape())
        return Fail("Cancelled");

    if (hasMap) {
        const uint32_t n = BytesOf(entrySize);
        uint8_t e[4];
        for (uint32_t i = 0; i < head.CmapLength; ++i) {
            if (in.Read(e, n) != n)
                return Fail("corrupted TGA");
            uint8_t bgr[3] = {e[0], e[1], e[2]};
            if (n == 2)
                From555(e, bgr);
            // Entry i of the map is colour index first + i.
            const uint32_t index = head.CmapIndex + i;
            if (index < GetNumColors())
                SetPaletteColor(static_cast<uint8_t>(index), bgr[2], bgr[1], bgr[0]);
        }
    }
    if ((head.ImageType & 7) == 3)
        SetGrayPalette();

    uint8_t carry = 0, runValue[4] = {};
    uint32_t carryCount = 0;
    for (uint32_t y = 0; y < height; ++y) {
        if (GetEscape())
            return Fail("Cancelled");
        // A run carried into this row needs no byte; anything else does.
        if (!(carryCount && carry) && in.AtEnd())
            return Fail("corrupted TGA");
        const uint32_t row = (head.ImagDesc & kTopToBottom) ? height - 1 - y : y;
        // A row cut short keeps the rest as created; the next row then finds the end.
        if (compressed)
            ExpandCompressedLine(GetBits(row), head, in, width, row, carry, carryCount, runValue);
        else
            ExpandUncompressedLine(GetBits(row), head, in, width, row, 0);
    }
    if ((head.ImagDesc & kRightToLeft) && !Mirror())
        return Fail("can't allocate memory");
    return true;
}

bool CRasterTGA::Encode(CRasterFile* hFile)
{
    if (EncodeSafeCheck(hFile))
        return false;
    const uint32_t depth = GetBpp(), width = GetWidth(), height = GetHeight();
    if (depth < 8)
        return Fail("Bit depth must be 8 or 24");
    if (width > 65535 || height > 65535)
        return Fail("Image too large for TGA");
    const bool alpha = depth == 24 && AlphaIsValid();
    TGAHEADER head{};
    head.CmapType = GetPalette() ? 1 : 0;
    head.ImageType = depth == 8 ? 1 : 2;
    head.CmapLength = depth == 8 ? 256 : 0;
    head.CmapEntrySize = depth == 8 ? 24 : 0;
    head.ImageWidth = static_cast<uint16_t>(width);
    head.ImageHeight = static_cast<uint16_t>(height);
    head.PixelDepth = static_cast<uint8_t>(alpha ? 32 : depth);
    uint8_t b[kHeaderSize];
    WriteHeader(b, head);
    bool ok = hFile->Write(b, kHeaderSize, 1) == 1;
    if (ok && depth == 8) {
        uint8_t pal[256 * 3];
        for (uint32_t i = 0; i < 256; ++i) {
            RGBQUAD c = GetPaletteColor(static_cast<uint8_t>(i));
            pal[3 * i] = c.rgbBlue;
            pal[3 * i + 1] = c.rgbGreen;
            pal[3 * i + 2] = c.rgbRed;
        }
        ok = hFile->Write(pal, sizeof(pal), 1) == 1;
    }
    const uint32_t rowBytes = alpha ? width * 4 : depth / 8 * width;
    std::vector<uint8_t> line(alpha ? rowBytes : 0);
    for (uint32_t y = 0; y < height && ok; ++y) {
        const uint8_t* src = GetBits(y);
        if (alpha) {
            for (uint32_t x = 0; x < width; ++x) {
                std::memcpy(&line[4 * x], src + 3 * x, 3);
                line[4 * x + 3] = static_cast<uint8_t>(AlphaGet(static_cast<int32_t>(x), static_cast<int32_t>(y)) *
                                                       AlphaGetMax() / 255);
            }
            src = line.data();
        }
        ok = hFile->Write(src, rowBytes, 1) == 1;
    }
    if (!ok)
        return Fail("write error");
    return true;
}
