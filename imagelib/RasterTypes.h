// Plain colour, rectangle and header records of the image library, plus little-endian byte helpers.
#pragma once

#include <cmath>
#include <cstdint>

// A palette entry or pixel colour: blue, green, red and a fourth byte (alpha where used).
struct RGBQUAD {
    uint8_t rgbBlue;
    uint8_t rgbGreen;
    uint8_t rgbRed;
    uint8_t rgbReserved;
};

// A colour as 0x00BBGGRR: red in the low byte.
using COLORREF = uint32_t;

inline constexpr COLORREF RasterRGB(uint8_t r, uint8_t g, uint8_t b)
{
    return static_cast<COLORREF>(r) | (static_cast<COLORREF>(g) << 8) | (static_cast<COLORREF>(b) << 16);
}
inline constexpr uint8_t RasterGetR(COLORREF c)
{
    return static_cast<uint8_t>(c & 0xFF);
}
inline constexpr uint8_t RasterGetG(COLORREF c)
{
    return static_cast<uint8_t>((c >> 8) & 0xFF);
}
inline constexpr uint8_t RasterGetB(COLORREF c)
{
    return static_cast<uint8_t>((c >> 16) & 0xFF);
}

// Three-byte palette colour in red, green, blue order.
struct rgb_color {
    uint8_t r, g, b;
};

// A rectangle of whole pixels (left, top, right, bottom).
struct RASTERRECT {
    int32_t left;
    int32_t top;
    int32_t right;
    int32_t bottom;
};

// The 40-byte device-independent bitmap information header, held as values.
struct RASTERINFOHEADER {
    uint32_t biSize;
    int32_t biWidth;
    int32_t biHeight;
    uint16_t biPlanes;
    uint16_t biBitCount;
    uint32_t biCompression;
    uint32_t biSizeImage;
    int32_t biXPelsPerMeter;
    int32_t biYPelsPerMeter;
    uint32_t biClrUsed;
    uint32_t biClrImportant;
};

inline constexpr uint32_t kRasterInfoHeaderSize = 40;

// Dots per inch as pixels per metre and back, rounded to the nearest and held inside the int range.
inline int32_t DpiToPelsPerMeter(int32_t dpi)
{
    const double v = std::floor(dpi * 39.37007874015748 + 0.5);
    return v >= 2147483647.0 ? INT32_MAX : v <= -2147483648.0 ? INT32_MIN : static_cast<int32_t>(v);
}
inline int32_t PelsPerMeterToDpi(int32_t pels)
{
    const double v = std::floor(pels * 0.0254 + 0.5);
    return v >= 2147483647.0 ? INT32_MAX : v <= -2147483648.0 ? INT32_MIN : static_cast<int32_t>(v);
}

namespace rasterbytes {

inline uint16_t Get16(const uint8_t* p)
{
    return static_cast<uint16_t>(p[0] | (p[1] << 8));
}
inline uint32_t Get32(const uint8_t* p)
{
    return static_cast<uint32_t>(p[0]) | (static_cast<uint32_t>(p[1]) << 8) | (static_cast<uint32_t>(p[2]) << 16) |
           (static_cast<uint32_t>(p[3]) << 24);
}
inline void Put16(uint8_t* p, uint16_t v)
{
    p[0] = static_cast<uint8_t>(v);
    p[1] = static_cast<uint8_t>(v >> 8);
}
inline void Put32(uint8_t* p, uint32_t v)
{
    p[0] = static_cast<uint8_t>(v);
    p[1] = static_cast<uint8_t>(v >> 8);
    p[2] = static_cast<uint8_t>(v >> 16);
    p[3] = static_cast<uint8_t>(v >> 24);
}

// Reads a 40-byte information header laid out field by field, little-endian.
inline RASTERINFOHEADER ReadInfoHeader(const uint8_t* p)
{
    RASTERINFOHEADER h;
    h.biSize = Get32(p);
    h.biWidth = static_cast<int32_t>(Get32(p + 4));
    h.biHeight = static_cast<int32_t>(Get32(p + 8));
    h.biPlanes = Get16(p + 12);
    h.biBitCount = Get16(p + 14);
    h.biCompression = Get32(p + 16);
    h.biSizeImage = Get32(p + 20);
    h.biXPelsPerMeter = static_cast<int32_t>(Get32(p + 24));
    h.biYPelsPerMeter = static_cast<int32_t>(Get32(p + 28));
    h.biClrUsed = Get32(p + 32);
    h.biClrImportant = Get32(p + 36);
    return h;
}

// Writes the 40 header bytes field by field, little-endian.
inline void WriteInfoHeader(uint8_t* p, const RASTERINFOHEADER& h)
{
    Put32(p, h.biSize);
    Put32(p + 4, static_cast<uint32_t>(h.biWidth));
    Put32(p + 8, static_cast<uint32_t>(h.biHeight));
    Put16(p + 12, h.biPlanes);
    Put16(p + 14, h.biBitCount);
    Put32(p + 16, h.biCompression);
    Put32(p + 20, h.biSizeImage);
    Put32(p + 24, static_cast<uint32_t>(h.biXPelsPerMeter));
    Put32(p + 28, static_cast<uint32_t>(h.biYPelsPerMeter));
    Put32(p + 32, h.biClrUsed);
    Put32(p + 36, h.biClrImportant);
}

} // namespace rasterbytes
