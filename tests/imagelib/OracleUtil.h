// Helpers of the oracle tests: top-down RGB pictures, PPM files, outside tools and stb_image.
#pragma once

#include "imagelib/Raster.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <string>
#include <unistd.h>
#include <vector>

#ifdef ZR_HAVE_STB
#include <stb_image.h>
#endif

namespace rastertest {

// A picture as top-down RGB triplets, the way PNM files and stb_image give it.
struct Rgb {
    int w = 0, h = 0;
    std::vector<uint8_t> px;
    const uint8_t* at(int x, int rowFromTop) const { return &px[(static_cast<size_t>(rowFromTop) * w + x) * 3]; }
};

inline bool HaveTool(const char* path)
{
    return access(path, X_OK) == 0;
}

inline std::string Temp(const std::string& name)
{
    return testing::TempDir() + "oracle_" + std::to_string(getpid()) + "_" + name;
}

inline void WriteBytes(const std::string& path, const std::vector<uint8_t>& bytes)
{
    std::ofstream out(path, std::ios::binary);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

inline std::vector<uint8_t> ReadBytes(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::vector<uint8_t>((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

inline bool RunTool(const std::string& cmd)
{
    return std::system(("(" + cmd + ") 2>/dev/null").c_str()) == 0;
}

// Reads a binary PPM (P6, maxval 255).
inline bool ParsePpm(const std::vector<uint8_t>& b, Rgb& out)
{
    size_t i = 0;
    auto token = [&]() {
        std::string t;
        while (i < b.size()) {
            if (b[i] == '#') {
                while (i < b.size() && b[i] != '\n')
                    ++i;
            } else if (isspace(b[i])) {
                ++i;
            } else {
                break;
            }
        }
        while (i < b.size() && !isspace(b[i]))
            t += static_cast<char>(b[i++]);
        return t;
    };
    if (token() != "P6")
        return false;
    out.w = std::atoi(token().c_str());
    out.h = std::atoi(token().c_str());
    if (token() != "255")
        return false;
    ++i;
    size_t n = static_cast<size_t>(out.w) * out.h * 3;
    if (b.size() < i + n)
        return false;
    out.px.assign(b.begin() + static_cast<long>(i), b.begin() + static_cast<long>(i + n));
    return true;
}

inline std::vector<uint8_t> MakePpm(const Rgb& rgb)
{
    std::string head = "P6\n" + std::to_string(rgb.w) + " " + std::to_string(rgb.h) + "\n255\n";
    std::vector<uint8_t> out(head.begin(), head.end());
    out.insert(out.end(), rgb.px.begin(), rgb.px.end());
    return out;
}

// A map-like picture of `colors` flat areas with an asymmetric layout.
inline Rgb MapPicture(int w, int h, int colors)
{
    Rgb r;
    r.w = w;
    r.h = h;
    r.px.resize(static_cast<size_t>(w) * h * 3);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            int c = ((x / 5) + (y / 3) * 3 + (x > y ? 1 : 0)) % colors;
            uint8_t* p = &r.px[(static_cast<size_t>(y) * w + x) * 3];
            p[0] = static_cast<uint8_t>(c * 255 / std::max(1, colors - 1));
            p[1] = static_cast<uint8_t>((c * 97) & 0xFF);
            p[2] = static_cast<uint8_t>(255 - c * 13);
        }
    return r;
}

// Compares our image with a top-down RGB picture; empty when equal within `tolerance`.
inline std::string Compare(CRaster& img, const Rgb& ref, int tolerance = 0)
{
    if (static_cast<int>(img.GetWidth()) != ref.w || static_cast<int>(img.GetHeight()) != ref.h)
        return "size differs";
    for (int r = 0; r < ref.h; ++r)
        for (int x = 0; x < ref.w; ++x) {
            RGBQUAD c = img.GetPixelColor(x, ref.h - 1 - r, false);
            const uint8_t* p = ref.at(x, r);
            if (std::abs(c.rgbRed - p[0]) > tolerance || std::abs(c.rgbGreen - p[1]) > tolerance ||
                std::abs(c.rgbBlue - p[2]) > tolerance)
                return "pixel " + std::to_string(x) + "," + std::to_string(r) + " from the top";
        }
    return "";
}

// A picture with alpha as top-down RGBA quadruplets (PAM files of tuple type RGB_ALPHA, or RGB with alpha 255).
struct Rgba {
    int w = 0, h = 0;
    std::vector<uint8_t> px;
    const uint8_t* at(int x, int rowFromTop) const { return &px[(static_cast<size_t>(rowFromTop) * w + x) * 4]; }
};

// Reads a PAM (P7) of depth 3 or 4 and maxval 255.
inline bool ParsePam(const std::vector<uint8_t>& b, Rgba& out)
{
    std::string text(b.begin(), b.end());
    size_t end = text.find("ENDHDR\n");
    if (text.rfind("P7\n", 0) != 0 || end == std::string::npos)
        return false;
    auto field = [&](const char* name) {
        size_t at = text.find(std::string("\n") + name + " ");
        return at < end ? std::atoi(text.c_str() + at + std::strlen(name) + 2) : -1;
    };
    out.w = field("WIDTH");
    out.h = field("HEIGHT");
    int depth = field("DEPTH");
    if (out.w <= 0 || out.h <= 0 || (depth != 3 && depth != 4) || field("MAXVAL") != 255)
        return false;
    size_t at = end + 7, n = static_cast<size_t>(out.w) * out.h;
    if (b.size() < at + n * depth)
        return false;
    out.px.resize(n * 4);
    for (size_t i = 0; i < n; ++i) {
        for (int c = 0; c < 3; ++c)
            out.px[4 * i + c] = b[at + i * depth + c];
        out.px[4 * i + 3] = depth == 4 ? b[at + i * depth + 3] : 255;
    }
    return true;
}

inline std::vector<uint8_t> MakePam(const Rgba& p)
{
    std::string head = "P7\nWIDTH " + std::to_string(p.w) + "\nHEIGHT " + std::to_string(p.h) +
                       "\nDEPTH 4\nMAXVAL 255\nTUPLTYPE RGB_ALPHA\nENDHDR\n";
    std::vector<uint8_t> out(head.begin(), head.end());
    out.insert(out.end(), p.px.begin(), p.px.end());
    return out;
}

// Compares our image with an RGBA picture: alpha 0 there must be a transparent pixel here (transparent index or
// colour, or alpha 0), any other pixel the same colour and not transparent.
inline std::string CompareRgba(CRaster& img, const Rgba& ref)
{
    if (static_cast<int>(img.GetWidth()) != ref.w || static_cast<int>(img.GetHeight()) != ref.h)
        return "size differs";
    for (int r = 0; r < ref.h; ++r)
        for (int x = 0; x < ref.w; ++x) {
            int y = ref.h - 1 - r;
            const uint8_t* p = ref.at(x, r);
            bool clear = img.IsTransparent(x, y) || (img.AlphaIsValid() && img.AlphaGet(x, y) == 0);
            std::string where = "pixel " + std::to_string(x) + "," + std::to_string(r) + " from the top";
            if ((p[3] == 0) != clear)
                return where + (clear ? " transparent here only" : " transparent there only");
            RGBQUAD c = img.GetPixelColor(x, y, false);
            if (!clear && (c.rgbRed != p[0] || c.rgbGreen != p[1] || c.rgbBlue != p[2]))
                return where;
        }
    return "";
}

#ifdef ZR_HAVE_STB
inline Rgb StbDecode(const std::vector<uint8_t>& bytes)
{
    Rgb r;
    int n = 0;
    uint8_t* p = stbi_load_from_memory(bytes.data(), static_cast<int>(bytes.size()), &r.w, &r.h, &n, 3);
    if (p) {
        r.px.assign(p, p + static_cast<size_t>(r.w) * r.h * 3);
        stbi_image_free(p);
    }
    return r;
}
#endif

} // namespace rastertest
