// Helpers of the PCX and TGA tests: images made from RGB pictures, decoding bytes, and a stream that fills up.
#pragma once

#include "GifTestUtil.h"
#include "OracleUtil.h"

#include <map>
#include <string>
#include <tuple>
#include <vector>

namespace rastertest {

// An image of the given depth holding the picture: palette depths take the picture's colours in order of first
// appearance (the picture must have few enough), 24 bits take them as they are.
inline CRaster FromRgb(const Rgb& pic, uint32_t bpp)
{
    CRaster img(static_cast<uint32_t>(pic.w), static_cast<uint32_t>(pic.h), bpp, RASTER_FORMAT_BMP);
    std::map<std::tuple<int, int, int>, int> index;
    for (int r = 0; r < pic.h; ++r)
        for (int x = 0; x < pic.w; ++x) {
            const uint8_t* p = pic.at(x, r);
            const int y = pic.h - 1 - r;
            if (bpp == 24) {
                img.SetPixelColor(x, y, RGBQUAD{p[2], p[1], p[0], 0});
                continue;
            }
            auto key = std::make_tuple(p[0], p[1], p[2]);
            auto it = index.find(key);
            if (it == index.end()) {
                int n = static_cast<int>(index.size());
                it = index.emplace(key, n).first;
                img.SetPaletteColor(static_cast<uint8_t>(n), p[0], p[1], p[2]);
            }
            img.SetPixelIndex(x, y, static_cast<uint8_t>(it->second));
        }
    return img;
}

// A picture of black and white areas.
inline Rgb BlackWhite(int w, int h)
{
    Rgb r = MapPicture(w, h, 2);
    for (size_t i = 0; i < r.px.size(); i += 3) {
        uint8_t v = r.px[i] ? 255 : 0;
        r.px[i] = r.px[i + 1] = r.px[i + 2] = v;
    }
    return r;
}

// A picture of grey levels.
inline Rgb Grey(int w, int h)
{
    Rgb r = MapPicture(w, h, 40);
    for (size_t i = 0; i < r.px.size(); i += 3)
        r.px[i + 1] = r.px[i + 2] = r.px[i];
    return r;
}

// The picture with black and white swapped.
inline Rgb Inverted(Rgb r)
{
    for (uint8_t& v : r.px)
        v = static_cast<uint8_t>(255 - v);
    return r;
}

inline bool DecodeAs(CRaster& img, const std::vector<uint8_t>& bytes, uint32_t type)
{
    return img.Decode(const_cast<uint8_t*>(bytes.data()), static_cast<uint32_t>(bytes.size()), type);
}

// A memory stream that refuses every write past `limit` bytes, as a full disk does.
class CLimitedFile : public CRasterMemFile {
public:
    explicit CLimitedFile(int32_t limit) : m_limit(limit) { Open(); }
    uint32_t Write(const void* buffer, uint32_t size, uint32_t count) override
    {
        if (Tell() + static_cast<int64_t>(size) * count > m_limit)
            return 0;
        return CRasterMemFile::Write(buffer, size, count);
    }
    bool PutC(uint8_t c) override { return Tell() < m_limit && CRasterMemFile::PutC(c); }

private:
    int32_t m_limit;
};

} // namespace rastertest
