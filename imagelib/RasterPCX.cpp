// PCX reading and writing: the 128-byte header, the byte run-length stream of plane rows, the 256-colour palette.
#include "imagelib/RasterPCX.h"
#include "imagelib/RasterByteReader.h"

#include <algorithm>
#include <cstring>

namespace {

constexpr uint32_t kHeaderSize = 128;
constexpr uint8_t kManufacturer = 10, kPaletteMark = 12;

// Index x of a stored row of 1, 4 or 8 bits per pixel.
uint8_t LoadIndex(const uint8_t* row, uint32_t x, uint32_t bits)
{
    switch (bits) {
    case 1:
        return (row[x >> 3] >> (7 - (x & 7))) & 1;
    case 4:
        return (row[x >> 1] >> ((x & 1) ? 0 : 4)) & 0x0F;
    default:
        return row[x];
    }
}

// Stores index v at x of a row of 1, 4 or 8 bits per pixel.
void StoreIndex(uint8_t* row, uint32_t x, uint32_t bits, uint8_t v)
{
    switch (bits) {
    case 1: {
        uint8_t m = static_cast<uint8_t>(0x80 >> (x & 7));
        row[x >> 3] = static_cast<uint8_t>((v & 1) ? row[x >> 3] | m : row[x >> 3] & ~m);
        break;
    }
    case 4: {
        uint8_t& b = row[x >> 1];
        b = (x & 1) ? static_cast<uint8_t>((b & 0xF0) | (v & 0x0F)) : static_cast<uint8_t>((b & 0x0F) | (v << 4));
        break;
    }
    default:
        row[x] = v;
    }
}

// The one-value run writer of 8-bit plane rows: a run ends when the value changes or reaches 63.
class RunWriter {
public:
    explicit RunWriter(CRasterFile* file) : m_file(file) {}
    void Put(uint8_t v)
    {
        if (m_count && (v != m_value || m_count == 63))
            Flush();
        m_value = v;
        ++m_count;
    }
    // The pending run, and a 0 byte when the row's byte count is odd.
    void EndRow(bool pad)
    {
        Flush();
        if (pad)
            Byte(0);
    }
    bool Ok() const { return m_ok; }

private:
    void Byte(uint8_t b) { m_ok = m_file->PutC(b) && m_ok; }
    void Flush()
    {
        if (!m_count)
            return;
        if (m_count > 1 || m_value >= 0xC0)
            Byte(static_cast<uint8_t>(0xC0 | m_count));
        Byte(m_value);
        m_count = 0;
    }
    CRasterFile* m_file;
    uint8_t m_value = 0;
    uint32_t m_count = 0;
    bool m_ok = true;
};

} // namespace

bool CRasterPCX::Fail(const char* text)
{
    SetError(text);
    return false;
}

bool CRasterPCX::PlanesToPixels(uint8_t* pixels, const uint8_t* bitplanes, uint32_t lineBytes, uint32_t planes,
                                uint32_t bitsPerPixel, uint32_t width)
{
    if (planes > 4)
        return Fail("Can't handle more than 4 planes");
    if (bitsPerPixel != 1)
        return Fail("Can't handle more than 1 bit per pixel");
    std::memset(pixels, 0, width);
    for (uint32_t p = 0; p < planes; ++p) {
        const uint8_t* plane = bitplanes + static_cast<size_t>(p) * lineBytes;
        const uint32_t inside = std::min<uint64_t>(width, static_cast<uint64_t>(lineBytes) * 8);
        for (uint32_t x = 0; x < inside; ++x)
            if ((plane[x >> 3] >> (7 - (x & 7))) & 1)
                pixels[x] = static_cast<uint8_t>(pixels[x] | (1 << p));
    }
    return true;
}

bool CRasterPCX::UnpackPixels(uint8_t* pixels, const uint8_t* bitplanes, uint32_t lineBytes, uint32_t planes,
                              uint32_t bitsPerPixel, uint32_t width)
{
    if (planes != 1)
        return Fail("Can't handle packed pixels with more than 1 plane.");
    const uint32_t perByte = 8 / bitsPerPixel, mask = (1u << bitsPerPixel) - 1;
    const uint32_t inside = std::min<uint64_t>(width, static_cast<uint64_t>(lineBytes) * perByte);
    for (uint32_t x = 0; x < inside; ++x) {
        uint32_t shift = 8 - bitsPerPixel * (x % perByte + 1);
        pixels[x] = static_cast<uint8_t>((bitplanes[x / perByte] >> shift) & mask);
    }
    std::fill(pixels + inside, pixels + width, 0);
    return true;
}

void CRasterPCX::PackPlane(uint8_t* buff, const uint8_t* indices, uint32_t width, uint32_t plane)
{
    for (uint32_t x = 0; x < width; ++x) {
        uint8_t m = static_cast<uint8_t>(0x80 >> (x & 7));
        if ((indices[x] >> plane) & 1)
            buff[x >> 3] |= m;
        else
            buff[x >> 3] &= static_cast<uint8_t>(~m);
    }
}

bool CRasterPCX::RLE(CRasterFile* hFile, const uint8_t* buffer, uint32_t size)
{
    bool ok = true;
    for (uint32_t i = 0; i < size;) {
        uint8_t v = buffer[i];
        uint32_t run = 1;
        while (i + run < size && run < 63 && buffer[i + run] == v)
            ++run;
        if (run > 1 || v >= 0xC0)
            ok = hFile->PutC(static_cast<uint8_t>(0xC0 | run)) && ok;
        ok = hFile->PutC(v) && ok;
        i += run;
    }
    return ok;
}

bool CRasterPCX::Decode(CRasterFile* hFile)
{
    if (!hFile)
        return false;
    uint8_t h[kHeaderSize];
    if (hFile->Read(h, 1, kHeaderSize) != kHeaderSize)
        return Fail("Can't read PCX image");
    if (h[0] != kManufacturer)
        return Fail("Error: Not a PCX file");
    if (h[2] != 1)
        return Fail("PCX file has unknown encoding scheme");
    const uint32_t bpp = h[3], planes = h[65], lineBytes = rasterbytes::Get16(h + 66);
    const uint32_t xmin = rasterbytes::Get16(h + 4), ymin = rasterbytes::Get16(h + 6);
    const uint32_t xmax = rasterbytes::Get16(h + 8), ymax = rasterbytes::Get16(h + 10);
    SetXDPI(rasterbytes::Get16(h + 12));
    SetYDPI(rasterbytes::Get16(h + 14));
    if (planes > 4)
        return Fail("Can't handle image with more than 4 planes");
    if (xmax < xmin || ymax < ymin)
        return Fail("Bad PCX image size");
    const bool rgb = bpp == 8 && (planes == 3 || planes == 4);
    if (planes == 0)
        return Fail("PCX image has no planes");
    if (planes == 1 && bpp != 1 && bpp != 2 && bpp != 4 && bpp != 8)
        return Fail("Can't handle packed pixels of this depth");
    if (planes > 1 && !rgb && bpp != 1)
        return Fail("Can't handle more than 1 bit per pixel");
    const uint32_t width = xmax - xmin + 1, height = ymax - ymin + 1;
    // Only what a PCX file can hold again: a row of byte planes is at most 65534 bytes (an even count).
    if ((bpp == 8 || rgb) && width > 65534)
        return Fail("Image too large for PCX");

    // The decoded block is bounded by the memory cap and by what the rest of the stream can expand to.
    const uint64_t stride = static_cast<uint64_t>(lineBytes) * planes;
    const uint64_t blockSize = stride * height;
    if (blockSize > GetMaxMemory())
        return Fail("RASTER_MAX_MEMORY exceeded");
    const int64_t left = CRasterByteReader::Remaining(hFile);
    if (left >= 0 && blockSize > static_cast<uint64_t>(left) * 63)
        return Fail("corrupted PCX");

    const uint32_t bits = rgb ? 24 : planes > 1 ? 4 : bpp;
    if (!Create(width, height, bits, RASTER_FORMAT_PCX))
        return false;
    if (planes == 4 && rgb && !AlphaCreate())
        return false;
    if (GetEscape())
        return Fail("Cancelled");

    std::vector<uint8_t> block, indices;
    try {
        block.resize(static_cast<size_t>(blockSize));
        indices.resize(width);
    } catch (...) {
        return Fail("can't allocate memory");
    }
    CRasterByteReader in(hFile);
    for (size_t i = 0; i < block.size();) {
        int c = in.Get();
        if (c < 0)
            return Fail("corrupted PCX");
        if ((c & 0xC0) != 0xC0) {
            block[i++] = static_cast<uint8_t>(c);
            continue;
        }
        const size_t count = static_cast<size_t>(c & 0x3F);
        if (count > block.size() - i)
            return Fail("repeat count spans end of image");
        int v = in.Get();
        if (v < 0)
            return Fail("corrupted PCX");
        std::memset(block.data() + i, v, count);
        i += count;
    }

    uint8_t table[256 * 3] = {};
    std::memcpy(table, h + 16, 48);
    if (bpp == 8 && planes == 1) {
        if (in.Get() != kPaletteMark)
            return Fail("bad color map signature");
        if (in.Read(table, sizeof(table)) != sizeof(table))
            return Fail("corrupted PCX");
    } else if (bpp == 1 && planes == 1) {
        static const uint8_t kBlackWhite[6] = {0, 0, 0, 255, 255, 255};
        std::memcpy(table, kBlackWhite, sizeof(kBlackWhite));
    }
    for (uint32_t i = 0; i < GetNumColors(); ++i)
        SetPaletteColor(static_cast<uint8_t>(i), table[3 * i], table[3 * i + 1], table[3 * i + 2]);

    for (uint32_t y = 0; y < height; ++y) {
        if (GetEscape())
            return Fail("Cancelled");
        const uint8_t* src = block.data() + static_cast<size_t>(y) * stride;
        const uint32_t row = height - 1 - y;
        uint8_t* dst = GetBits(row);
        if (rgb) {
            // Bytes past the plane's line length stay 0.
            const uint32_t inside = std::min(width, lineBytes);
            for (uint32_t x = 0; x < inside; ++x) {
                dst[3 * x + 2] = src[x];
                dst[3 * x + 1] = src[lineBytes + x];
                dst[3 * x] = src[2 * static_cast<size_t>(lineBytes) + x];
            }
            if (planes == 4)
                for (uint32_t x = 0; x < width; ++x)
                    AlphaSet(static_cast<int32_t>(x), static_cast<int32_t>(row),
                             x < inside ? src[3 * static_cast<size_t>(lineBytes) + x] : 0);
            continue;
        }
        bool ok = planes == 1 ? UnpackPixels(indices.data(), src, lineBytes, planes, bpp, width)
                              : PlanesToPixels(indices.data(), src, lineBytes, planes, bpp, width);
        if (!ok)
            return false;
        for (uint32_t x = 0; x < width; ++x)
            StoreIndex(dst, x, GetBpp(), indices[x]);
    }
    return true;
}

bool CRasterPCX::Encode(CRasterFile* hFile)
{
    if (EncodeSafeCheck(hFile))
        return false;
    const uint32_t width = GetWidth(), height = GetHeight(), depth = GetBpp();
    const bool deep = depth == 8 || depth == 24;
    const uint32_t planes = deep ? (GetPalette() ? 1 : AlphaIsValid() ? 4 : 3) : (GetNumColors() == 16 ? 4 : 1);
    uint32_t lineBytes = deep ? width : (width + 7) / 8;
    lineBytes += lineBytes & 1;
    if (width > 65536 || height > 65536 || lineBytes > 65535)
        return Fail("Image too large for PCX");

    uint8_t h[kHeaderSize] = {};
    h[0] = kManufacturer;
    h[1] = 5;
    h[2] = 1;
    h[3] = deep ? 8 : 1;
    rasterbytes::Put16(h + 8, static_cast<uint16_t>(width - 1));
    rasterbytes::Put16(h + 10, static_cast<uint16_t>(height - 1));
    rasterbytes::Put16(h + 12, static_cast<uint16_t>(std::clamp(GetXDPI(), 0, 65535)));
    rasterbytes::Put16(h + 14, static_cast<uint16_t>(std::clamp(GetYDPI(), 0, 65535)));
    if (!deep && planes == 1) {
        std::memset(h + 19, 255, 3);
    } else if (!deep) {
        for (uint32_t i = 0; i < 16; ++i) {
            RGBQUAD c = GetPaletteColor(static_cast<uint8_t>(i));
            h[16 + 3 * i] = c.rgbRed;
            h[17 + 3 * i] = c.rgbGreen;
            h[18 + 3 * i] = c.rgbBlue;
        }
    }
    h[65] = static_cast<uint8_t>(planes);
    rasterbytes::Put16(h + 66, static_cast<uint16_t>(lineBytes));
    rasterbytes::Put16(h + 68, GetPalette() ? 0 : 1);
    if (hFile->Write(h, kHeaderSize, 1) != 1)
        return Fail("cannot write PCX header");

    CRasterMemFile data;
    if (!data.Open())
        return Fail("can't allocate memory");
    bool ok = true;
    if (deep) {
        RunWriter out(&data);
        const bool pad = (width & 1) != 0;
        for (uint32_t y = 0; y < height; ++y) {
            const uint32_t row = height - 1 - y;
            const uint8_t* src = GetBits(row);
            if (planes == 1) {
                for (uint32_t x = 0; x < width; ++x)
                    out.Put(src[x]);
                out.EndRow(pad);
                continue;
            }
            for (uint32_t p = 0; p < planes; ++p) {
                for (uint32_t x = 0; x < width; ++x)
                    out.Put(p == 3 ? AlphaGet(static_cast<int32_t>(x), static_cast<int32_t>(row)) : src[3 * x + 2 - p]);
                out.EndRow(pad);
            }
        }
        ok = out.Ok();
        if (planes == 1) {
            uint8_t pal[1 + 256 * 3] = {kPaletteMark};
            for (uint32_t i = 0; i < 256; ++i) {
                RGBQUAD c = GetPaletteColor(static_cast<uint8_t>(i));
                pal[1 + 3 * i] = c.rgbRed;
                pal[2 + 3 * i] = c.rgbGreen;
                pal[3 + 3 * i] = c.rgbBlue;
            }
            ok = ok && data.Write(pal, sizeof(pal), 1) == 1;
        }
    } else {
        // The file's 0 is the dark colour: a 1-bit palette with the brighter colour first is written inverted.
        const RGBQUAD c0 = GetPaletteColor(0), c1 = GetPaletteColor(1);
        const bool invert = depth == 1 && CompareColors(&c0, &c1) > 0;
        std::vector<uint8_t> indices(width), line(lineBytes);
        for (uint32_t y = 0; y < height && ok; ++y) {
            const uint8_t* src = GetBits(height - 1 - y);
            for (uint32_t x = 0; x < width; ++x)
                indices[x] = static_cast<uint8_t>(LoadIndex(src, x, depth) ^ (invert ? 1 : 0));
            for (uint32_t p = 0; p < planes; ++p) {
                std::fill(line.begin(), line.end(), 0);
                PackPlane(line.data(), indices.data(), width, p);
                ok = RLE(&data, line.data(), lineBytes) && ok;
            }
        }
    }
    if (!ok)
        return Fail("can't allocate memory");
    const uint32_t size = static_cast<uint32_t>(data.Size());
    if (hFile->Write(data.GetBuffer(false), size, 1) != 1)
        return Fail("write error");
    return true;
}
