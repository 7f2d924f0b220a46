// The BMP codec: every header, size and run from the file is checked before it touches memory.
#include "imagelib/RasterBMP.h"
#include "imagelib/RasterRle.h"

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstring>
#include <vector>

namespace {

constexpr uint16_t kBM = 0x4D42;
constexpr uint32_t kBiRgb = 0, kBiRle8 = 1, kBiRle4 = 2, kBiBitfields = 3;

struct Channel {
    uint32_t mask = 0;
    int shift = 0;
    int bits = 0;
    explicit Channel(uint32_t m) : mask(m)
    {
        if (mask) {
            shift = __builtin_ctz(mask);
            bits = 32 - __builtin_clz(mask >> shift);
        }
    }
    uint8_t Get(uint32_t w) const
    {
        if (!mask)
            return 0;
        uint32_t v = (w & mask) >> shift;
        return static_cast<uint8_t>(bits >= 8 ? v >> (bits - 8) : v << (8 - bits));
    }
};

// The most pixels the bytes from `at` to the stream's end can give: whole stored rows, or for runs 255 units per
// two bytes (bytes in 8-bit runs, nibbles in 4-bit ones). A stream that cannot tell its size bounds nothing.
uint64_t FillablePixels(CRasterFile* hFile, int64_t at, const RASTERINFOHEADER& bih)
{
    const int64_t size = hFile->Size();
    if (size < 0 || at < 0)
        return UINT64_MAX;
    const uint64_t bytes = static_cast<uint64_t>(std::max<int64_t>(0, size - at));
    const uint64_t bits = bih.biBitCount, width = static_cast<uint32_t>(bih.biWidth);
    if (bits <= 8 && (bih.biCompression == kBiRle8 || bih.biCompression == kBiRle4))
        return RasterRleFillable(bytes, bih.biCompression == kBiRle8, static_cast<uint32_t>(bits));
    const uint64_t rowBytes = (bits * width + 31) / 32 * 4;
    return bytes / rowBytes * width;
}

} // namespace

bool CRasterBMP::Fail(const char* text)
{
    SetError(text);
    return false;
}

bool CRasterBMP::ReadInfoHeader(CRasterFile* hFile, RASTERINFOHEADER& bih, bool& core)
{
    uint8_t buf[64] = {};
    if (hFile->Read(buf, 4, 1) != 1)
        return false;
    uint32_t size = rasterbytes::Get32(buf);
    core = false;
    if (size == 12) {
        if (hFile->Read(buf + 4, 8, 1) != 1)
            return false;
        bih = RASTERINFOHEADER{};
        bih.biSize = 12;
        bih.biWidth = rasterbytes::Get16(buf + 4);
        bih.biHeight = rasterbytes::Get16(buf + 6);
        bih.biPlanes = rasterbytes::Get16(buf + 8);
        bih.biBitCount = rasterbytes::Get16(buf + 10);
        core = true;
    } else if (size == 40 || size == 64) {
        if (hFile->Read(buf + 4, size - 4, 1) != 1)
            return false;
        bih = rasterbytes::ReadInfoHeader(buf);
    } else if (size > 40 && size <= 4096) {
        if (hFile->Read(buf + 4, 36, 1) != 1 || !hFile->Seek(static_cast<int32_t>(size - 40), SEEK_CUR))
            return false;
        bih = rasterbytes::ReadInfoHeader(buf);
        uint64_t rows = static_cast<uint64_t>(std::llabs(static_cast<int64_t>(bih.biHeight)));
        uint64_t expected =
            ((static_cast<uint64_t>(bih.biBitCount) * static_cast<uint32_t>(bih.biWidth) + 31) / 32) * rows * 4;
        if (bih.biSizeImage != expected || bih.biPlanes != 1 || bih.biCompression != 0 || bih.biClrUsed != 0)
            return false;
    } else {
        return false;
    }
    // Width, height and depth come from anywhere: refuse what no bitmap can hold.
    if (bih.biWidth <= 0 || bih.biHeight == 0 || bih.biHeight == INT32_MIN)
        return false;
    switch (bih.biBitCount) {
    case 1:
    case 4:
    case 8:
    case 16:
    case 24:
    case 32:
        break;
    default:
        return false;
    }
    uint64_t rows = static_cast<uint64_t>(std::llabs(static_cast<int64_t>(bih.biHeight)));
    if (bih.biSizeImage == 0) {
        uint64_t rowBytes =
            ((static_cast<uint64_t>(bih.biBitCount) * static_cast<uint32_t>(bih.biWidth) + 31) >> 3) & ~uint64_t(3);
        bih.biSizeImage = static_cast<uint32_t>(std::min<uint64_t>(rowBytes * rows, UINT32_MAX));
    }
    if (bih.biClrUsed == 0 && bih.biBitCount <= 8)
        bih.biClrUsed = 1u << bih.biBitCount;
    return true;
}

bool CRasterBMP::ReadPalette(CRasterFile* hFile, const RASTERINFOHEADER& bih, bool core)
{
    RGBQUAD* pal = GetPalette();
    if (!pal)
        return true;
    uint32_t entries = bih.biClrUsed;
    if (entries == 0 && bih.biBitCount <= 8)
        entries = 1u << bih.biBitCount;
    // A colour table longer than any palette is cut: at most 256 entries are read.
    entries = std::min<uint32_t>(entries, 256);
    uint32_t entrySize = core ? 3 : 4;
    uint8_t table[256 * 4] = {};
    hFile->Read(table, entrySize, entries);
    uint32_t stored = std::min(entries, GetNumColors());
    for (uint32_t i = 0; i < stored; ++i) {
        const uint8_t* e = table + i * entrySize;
        pal[i] = RGBQUAD{e[0], e[1], e[2], 0};
    }
    return true;
}

bool CRasterBMP::DecodeBitfields(CRasterFile* hFile, const RASTERINFOHEADER& bih, uint32_t masks[3], int32_t start,
                                 uint32_t offBits)
{
    if (offBits)
        hFile->Seek(static_cast<int32_t>(static_cast<int64_t>(start) + offBits), SEEK_SET);
    const uint32_t width = GetWidth(), height = GetHeight();
    const bool is16 = bih.biBitCount == 16;
    if (is16) {
        // 16-bit rows fit the 24-bit rows of the same width: read them in place and widen from the end.
        uint64_t stride = ((static_cast<uint64_t>(width) + 1) / 2) * 4;
        uint64_t total = stride * height;
        if (total > m_head.biSizeImage)
            return Fail("can't allocate memory");
        hFile->Read(m_info.pImage, static_cast<uint32_t>(total), 1);
        Bitfield2RGB(m_info.pImage, masks[0], masks[1], masks[2], 16);
        return true;
    }
    // 32 bits: row by row through one row buffer.
    std::vector<uint8_t> line;
    try {
        line.assign(static_cast<size_t>(width) * 4, 0);
    } catch (...) {
        return Fail("can't allocate memory");
    }
    const Channel r(masks[0]), g(masks[1]), b(masks[2]);
    const bool plain = (masks[0] | masks[1] | masks[2]) == 0;
    for (uint32_t y = 0; y < height; ++y) {
        if (hFile->Read(line.data(), 1, static_cast<uint32_t>(line.size())) != line.size())
            break;
        uint8_t* d = GetBits(y);
        const uint8_t* s = line.data();
        for (uint32_t x = 0; x < width; ++x, s += 4, d += 3) {
            if (plain) {
                d[0] = s[0];
                d[1] = s[1];
                d[2] = s[2];
            } else {
                uint32_t w = rasterbytes::Get32(s);
                d[0] = b.Get(w);
                d[1] = g.Get(w);
                d[2] = r.Get(w);
            }
        }
    }
    return true;
}

bool CRasterBMP::Decode(CRasterFile* hFile)
{
    if (!hFile)
        return false;
    int32_t start = hFile->Tell();
    uint8_t fh[14];
    if (hFile->Read(fh, 14, 1) != 1)
        return Fail("Not a BMP");
    uint32_t offBits = rasterbytes::Get32(fh + 10);
    if (rasterbytes::Get16(fh) != kBM) {
        offBits = 0;
        hFile->Seek(start, SEEK_SET);
    }
    RASTERINFOHEADER bih;
    bool core = false;
    if (!ReadInfoHeader(hFile, bih, core))
        return Fail("Error reading BMP info");
    bool topDown = bih.biHeight < 0;
    uint32_t height = static_cast<uint32_t>(topDown ? -bih.biHeight : bih.biHeight);
    uint32_t width = static_cast<uint32_t>(bih.biWidth);

    if (GetEscape() == -1) {
        m_head.biWidth = bih.biWidth;
        m_head.biHeight = static_cast<int32_t>(height);
        SetError("output dimensions returned");
        return true;
    }
    // Mended: a few bytes claiming a huge picture were given all its memory; now the data must be able to fill it.
    const int64_t dataAt = offBits ? static_cast<int64_t>(start) + offBits : hFile->Tell();
    if (!RasterDataCanFill(static_cast<uint64_t>(width) * height, FillablePixels(hFile, dataAt, bih)))
        return Fail("BMP picture too large for its image data");
    if (!Create(width, height, bih.biBitCount, RASTER_FORMAT_BMP)) {
        if (std::strcmp(GetLastError(), "RASTER_MAX_MEMORY exceeded") != 0)
            SetError("Can't allocate memory");
        return false;
    }
    m_head.biXPelsPerMeter = bih.biXPelsPerMeter;
    m_head.biYPelsPerMeter = bih.biYPelsPerMeter;
    m_info.xDPI = PelsPerMeterToDpi(bih.biXPelsPerMeter);
    m_info.yDPI = PelsPerMeterToDpi(bih.biYPelsPerMeter);
    if (GetEscape())
        return Fail("Cancelled");

    ReadPalette(hFile, bih, core);
    if (GetEscape())
        return Fail("Cancelled");

    auto seekPixels = [&] {
        if (offBits)
            hFile->Seek(static_cast<int32_t>(static_cast<int64_t>(start) + offBits), SEEK_SET);
    };
    // Plain rows in one read; top-down rows each straight to its place, with no second picture to turn over.
    bool placed = false;
    auto readRows = [&] {
        if (!topDown) {
            hFile->Read(m_info.pImage, m_head.biSizeImage, 1);
            return;
        }
        const uint32_t eff = m_info.dwEffWidth;
        for (uint32_t y = 0; y < height; ++y)
            if (hFile->Read(GetBits(height - 1 - y), 1, eff) != eff)
                break;
        placed = true;
    };
    // The three channel masks that follow the header with bit-field compression; unread ones keep their default.
    auto readMasks = [&](uint32_t masks[3]) {
        uint8_t m[12];
        if (hFile->Read(m, 12, 1) == 1) {
            masks[0] = rasterbytes::Get32(m);
            masks[1] = rasterbytes::Get32(m + 4);
            masks[2] = rasterbytes::Get32(m + 8);
        }
    };
    switch (bih.biBitCount) {
    case 1:
    case 4:
    case 8:
        seekPixels();
        if (bih.biCompression == kBiRgb)
            readRows();
        else if (bih.biCompression == kBiRle8)
            RasterDecodeRle8(*this, hFile);
        else if (bih.biCompression == kBiRle4)
            RasterDecodeRle4(*this, hFile);
        else
            return Fail("compression type not supported");
        break;
    case 16: {
        uint32_t masks[3] = {0x7C00, 0x03E0, 0x001F};
        if (bih.biCompression == kBiBitfields)
            readMasks(masks);
        if (!DecodeBitfields(hFile, bih, masks, start, offBits))
            return false;
        break;
    }
    case 24:
        seekPixels();
        if (bih.biCompression != kBiRgb)
            return Fail("unknown compression");
        readRows();
        break;
    case 32: {
        if (bih.biCompression != kBiRgb && bih.biCompression != kBiBitfields)
            return Fail("unknown compression");
        // With bit fields the masks follow the header; each channel is then taken by its own mask.
        uint32_t masks[3] = {0, 0, 0};
        if (bih.biCompression == kBiBitfields)
            readMasks(masks);
        if (!DecodeBitfields(hFile, bih, masks, start, offBits))
            return false;
        break;
    }
    default:
        return Fail("Error reading BMP info");
    }
    if (topDown && !placed)
        Flip();
    return true;
}

bool CRasterBMP::Encode(CRasterFile* hFile)
{
    if (EncodeSafeCheck(hFile))
        return false;
    SyncHeaderToDib();
    uint8_t fh[14] = {};
    rasterbytes::Put16(fh, kBM);
    rasterbytes::Put32(fh + 2, GetSize() + 14);
    rasterbytes::Put32(fh + 10, 14 + m_head.biSize + GetPaletteSize());
    if (hFile->Write(fh, 14, 1) != 1 || hFile->Write(m_pDib, GetSize(), 1) != 1)
        return Fail("write error");
    return true;
}
