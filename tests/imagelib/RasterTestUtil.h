// Helpers of the image library tests: byte builders for hand-made files and asymmetric fixture images.
#pragma once

#include "imagelib/Raster.h"

#include <cstdint>
#include <string>
#include <vector>

namespace rastertest {

// Appends little-endian fields to a byte vector.
struct Bytes {
    std::vector<uint8_t> v;
    Bytes& u8(uint32_t x)
    {
        v.push_back(static_cast<uint8_t>(x));
        return *this;
    }
    Bytes& u16(uint32_t x) { return u8(x).u8(x >> 8); }
    Bytes& u32(uint32_t x) { return u16(x).u16(x >> 16); }
    Bytes& raw(std::initializer_list<uint8_t> b)
    {
        v.insert(v.end(), b);
        return *this;
    }
    Bytes& fill(size_t n, uint8_t b)
    {
        v.insert(v.end(), n, b);
        return *this;
    }
    size_t size() const { return v.size(); }
};

// A 14-byte file header.
inline void FileHeader(Bytes& b, uint32_t fileSize, uint32_t offBits)
{
    b.u16(0x4D42).u32(fileSize).u16(0).u16(0).u32(offBits);
}

// A 40-byte information header.
inline void InfoHeader(Bytes& b, int32_t w, int32_t h, uint16_t bits, uint32_t compression, uint32_t sizeImage = 0,
                       uint32_t clrUsed = 0, uint32_t headerSize = 40)
{
    b.u32(headerSize).u32(static_cast<uint32_t>(w)).u32(static_cast<uint32_t>(h)).u16(1).u16(bits).u32(compression);
    b.u32(sizeImage).u32(3780).u32(3780).u32(clrUsed).u32(0);
}

// Pixel colour of an asymmetric pattern: every (x, y) differs, so row or column order mistakes show.
inline RGBQUAD PatternColor(int x, int y)
{
    return RGBQUAD{static_cast<uint8_t>(x * 37 + y * 11), static_cast<uint8_t>(x * 5 + y * 71 + 3),
                   static_cast<uint8_t>(200 - x * 13 - y * 29), 0};
}

// An image of the given depth with an asymmetric pattern (indices for palette images, colours otherwise).
inline CRaster MakePattern(uint32_t w, uint32_t h, uint32_t bpp)
{
    CRaster img(w, h, bpp, RASTER_FORMAT_BMP);
    uint32_t colors = img.GetNumColors();
    for (uint32_t i = 0; i < colors; ++i)
        img.SetPaletteColor(static_cast<uint8_t>(i), static_cast<uint8_t>(i * 7 + 1), static_cast<uint8_t>(255 - i),
                            static_cast<uint8_t>(i * 3 + 50));
    for (int y = 0; y < static_cast<int>(h); ++y)
        for (int x = 0; x < static_cast<int>(w); ++x) {
            if (colors)
                img.SetPixelIndex(x, y, static_cast<uint8_t>((x * 3 + y * 5 + x * y) % colors));
            else
                img.SetPixelColor(x, y, PatternColor(x, y));
        }
    return img;
}

inline bool SameColor(RGBQUAD a, RGBQUAD b)
{
    return a.rgbBlue == b.rgbBlue && a.rgbGreen == b.rgbGreen && a.rgbRed == b.rgbRed;
}

// Every pixel's colour equal (fourth byte ignored); a message names the first difference.
inline std::string ComparePixels(CRaster& a, CRaster& b)
{
    if (a.GetWidth() != b.GetWidth() || a.GetHeight() != b.GetHeight())
        return "size " + std::to_string(a.GetWidth()) + "x" + std::to_string(a.GetHeight()) + " vs " +
               std::to_string(b.GetWidth()) + "x" + std::to_string(b.GetHeight());
    for (int y = 0; y < static_cast<int>(a.GetHeight()); ++y)
        for (int x = 0; x < static_cast<int>(a.GetWidth()); ++x)
            if (!SameColor(a.GetPixelColor(x, y, false), b.GetPixelColor(x, y, false)))
                return "pixel " + std::to_string(x) + "," + std::to_string(y);
    return "";
}

// A memory stream that takes only its first `limit` bytes: later writes fail, as on a full disk.
class CShortFile : public CRasterMemFile {
public:
    explicit CShortFile(uint32_t limit) : m_limit(limit) { Open(); }
    uint32_t Write(const void* buffer, uint32_t size, uint32_t count) override
    {
        const uint64_t want = static_cast<uint64_t>(size) * count;
        if (static_cast<uint64_t>(Tell()) + want > m_limit)
            return 0;
        return CRasterMemFile::Write(buffer, size, count);
    }
    bool PutC(uint8_t c) override { return Write(&c, 1, 1) == 1; }

private:
    uint32_t m_limit;
};

// Writes an image through streams that take only the first k bytes of the n its whole file needs, for every k below
// n: each write must fail with `text`, and the whole stream must succeed. Empty, or a message naming the first fault.
template <class Write> std::string EveryShortWriteFails(Write write, CRaster& errors, const char* text)
{
    CRasterMemFile whole;
    whole.Open();
    if (!write(&whole))
        return std::string("the whole file fails: ") + errors.GetLastError();
    const uint32_t n = static_cast<uint32_t>(whole.Size());
    for (uint32_t k = 0; k < n; ++k) {
        CShortFile cut(k);
        if (write(&cut))
            return "a stream of " + std::to_string(k) + " of " + std::to_string(n) + " bytes reports success";
        if (std::string(errors.GetLastError()) != text)
            return "cut at " + std::to_string(k) + ": " + errors.GetLastError();
    }
    return "";
}

// Encodes an image to BMP bytes in memory.
inline std::vector<uint8_t> EncodeBmp(CRaster& img)
{
    uint8_t* buf = nullptr;
    int32_t size = 0;
    std::vector<uint8_t> out;
    if (img.Encode(buf, size, RASTER_FORMAT_BMP))
        out.assign(buf, buf + size);
    img.FreeMemory(buf);
    return out;
}

} // namespace rastertest
