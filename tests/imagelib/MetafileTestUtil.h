// Helpers of the metafile tests: Windows and enhanced metafiles written record by record, field by field, and
// pixel probes of the pictures they make.
#pragma once

#include "imagelib/RasterWMF.h"
#include "RasterTestUtil.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <initializer_list>
#include <string>
#include <vector>

namespace wmftest {

using rastertest::Bytes;

constexpr uint32_t kRed = 0x0000FF, kGreen = 0x00FF00, kBlue = 0xFF0000, kBlack = 0, kWhite = 0xFFFFFF;

// A Windows metafile: records of 16-bit words after the 18-byte header.
struct Wmf {
    Bytes rec;
    uint16_t objects = 4;
    Wmf& R(uint16_t function, std::initializer_list<int> words)
    {
        rec.u32(static_cast<uint32_t>(3 + words.size())).u16(function);
        for (int w : words)
            rec.u16(static_cast<uint16_t>(w));
        return *this;
    }
    Wmf& Colour(uint16_t function, uint32_t c, std::initializer_list<int> before = {})
    {
        rec.u32(static_cast<uint32_t>(3 + before.size() + 2)).u16(function);
        for (int w : before)
            rec.u16(static_cast<uint16_t>(w));
        rec.u32(c);
        return *this;
    }
    Wmf& Brush(uint32_t c, int style = 0) { return R(0x02FC, {style, int(c & 0xFFFF), int(c >> 16), 0}); }
    Wmf& Pen(uint32_t c, int style = 0) { return R(0x02FA, {style, 1, 0, int(c & 0xFFFF), int(c >> 16)}); }
    Wmf& Select(int i) { return R(0x012D, {i}); }
    Wmf& Rect(int l, int t, int r, int b) { return R(0x041B, {b, r, t, l}); }
    std::vector<uint8_t> Build(bool eof = true)
    {
        Bytes body = rec;
        if (eof)
            body.u32(3).u16(0);
        Bytes b;
        b.u16(1).u16(9).u16(0x300).u32(static_cast<uint32_t>((18 + body.size()) / 2)).u16(objects).u32(0).u16(0);
        b.v.insert(b.v.end(), body.v.begin(), body.v.end());
        return b.v;
    }
};

// The 22-byte placeable header (checksum made right unless `checksumDelta`) before a Windows metafile.
inline std::vector<uint8_t> Placeable(const std::vector<uint8_t>& wmf, int l, int t, int r, int b, int inch,
                                      int checksumDelta = 0)
{
    Bytes h;
    h.u32(0x9AC6CDD7).u16(0).u16(l).u16(t).u16(r).u16(b).u16(inch).u32(0);
    uint16_t sum = 0;
    for (size_t i = 0; i < 20; i += 2)
        sum ^= static_cast<uint16_t>(h.v[i] | (h.v[i + 1] << 8));
    h.u16(static_cast<uint16_t>(sum + checksumDelta));
    h.v.insert(h.v.end(), wmf.begin(), wmf.end());
    return h.v;
}

// An enhanced metafile: records of 32-bit fields after the header record; the reference device is 96 dpi.
struct Emf {
    Bytes rec;
    uint32_t records = 1;
    Emf& R(uint32_t type, std::initializer_list<int32_t> fields)
    {
        rec.u32(type).u32(static_cast<uint32_t>(8 + 4 * fields.size()));
        for (int32_t f : fields)
            rec.u32(static_cast<uint32_t>(f));
        ++records;
        return *this;
    }
    std::vector<uint8_t> Build(int l, int t, int r, int b, uint16_t handles = 8)
    {
        R(14, {0, 16, 20});
        Bytes h;
        h.u32(1).u32(88).u32(l).u32(t).u32(r).u32(b).u32(0).u32(0).u32(0).u32(0);
        h.u32(0x464D4520).u32(0x10000).u32(static_cast<uint32_t>(88 + rec.size())).u32(records).u16(handles).u16(0);
        h.u32(0).u32(0).u32(0).u32(960).u32(960).u32(254).u32(254);
        h.v.insert(h.v.end(), rec.v.begin(), rec.v.end());
        return h.v;
    }
};

inline bool DecodeWmf(CRaster& img, const std::vector<uint8_t>& bytes, uint32_t type = RASTER_FORMAT_WMF)
{
    return img.Decode(const_cast<uint8_t*>(bytes.data()), static_cast<uint32_t>(bytes.size()), type);
}

// The colour at (x, y) counted from the top, as 0x00BBGGRR.
inline uint32_t At(CRaster& img, int x, int y)
{
    RGBQUAD c = img.GetPixelColor(x, static_cast<int>(img.GetHeight()) - 1 - y, false);
    return uint32_t(c.rgbRed) | (uint32_t(c.rgbGreen) << 8) | (uint32_t(c.rgbBlue) << 16);
}

struct Probe {
    int x, y;
    uint32_t colour;
};

inline void ExpectProbes(CRaster& img, std::initializer_list<Probe> probes, const std::string& what)
{
    for (const Probe& p : probes)
        EXPECT_EQ(At(img, p.x, p.y), p.colour) << what << " at " << p.x << "," << p.y;
}

// A one-inch placeable picture of 1000 logical units a side: 96 x 96 pixels, 1 pixel = 10.4 units.
inline std::vector<uint8_t> Inch(Wmf& w)
{
    return Placeable(w.Build(), 0, 0, 1000, 1000, 1000);
}
} // namespace wmftest
