// Test fixtures written on the fly: BMP files of several depths, PCM WAV files, and BMP dumps of 16-bit surfaces.
#pragma once

#include "platform/display/PixelSurface.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace fixtures {

// SDL's headless drivers unless the environment names others (CTest's environment list may not reach us whole).
inline const bool g_bHeadlessDrivers = [] {
    setenv("SDL_VIDEODRIVER", "offscreen", 0);
    setenv("SDL_AUDIODRIVER", "dummy", 0);
    // No GL driver: the software renderer, and no EGL library for the offscreen driver to load (the system's
    // EGL driver leaks at exit, which the leak sanitizer would report against us).
    setenv("SDL_RENDER_DRIVER", "software", 0);
    setenv("SDL_VIDEO_EGL_DRIVER", "none", 0);
    return true;
}();

// A fresh folder for the running test, so tests run in parallel never share fixture files.
inline std::string TestFolder()
{
    const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
    std::string name = std::string("fx_") + info->test_suite_name() + "_" + info->name();
    std::filesystem::remove_all(name);
    std::filesystem::create_directories(name);
    return name;
}

inline void Put16(std::vector<uint8_t>& v, uint32_t x)
{
    v.push_back(x & 0xFF);
    v.push_back((x >> 8) & 0xFF);
}
inline void Put32(std::vector<uint8_t>& v, uint32_t x)
{
    Put16(v, x & 0xFFFF);
    Put16(v, x >> 16);
}

// A 24-bit BMP whose pixel (x, y) is colour(x, y) as COLORREF; bottom-up unless topDown.
inline std::vector<uint8_t> MakeBmp24(int w, int h, const std::function<COLORREF(int, int)>& colour,
                                      bool topDown = false)
{
    int stride = ((w * 24 + 31) / 32) * 4;
    std::vector<uint8_t> v;
    v.push_back('B');
    v.push_back('M');
    Put32(v, 54 + stride * h);
    Put32(v, 0);
    Put32(v, 54);
    Put32(v, 40);
    Put32(v, static_cast<uint32_t>(w));
    Put32(v, static_cast<uint32_t>(topDown ? -h : h));
    Put16(v, 1);
    Put16(v, 24);
    Put32(v, 0);
    Put32(v, static_cast<uint32_t>(stride * h));
    Put32(v, 2835);
    Put32(v, 2835);
    Put32(v, 0);
    Put32(v, 0);
    for (int row = 0; row < h; ++row) {
        int y = topDown ? row : h - 1 - row;
        size_t start = v.size();
        for (int x = 0; x < w; ++x) {
            COLORREF c = colour(x, y);
            v.push_back(static_cast<uint8_t>(GetBValue(c)));
            v.push_back(static_cast<uint8_t>(GetGValue(c)));
            v.push_back(static_cast<uint8_t>(GetRValue(c)));
        }
        while (v.size() - start < static_cast<size_t>(stride))
            v.push_back(0);
    }
    return v;
}

// A BMP with a palette (1, 4 or 8 bits): index(x, y) picks from `palette`.
inline std::vector<uint8_t> MakeBmpIndexed(int w, int h, int bits, const std::vector<COLORREF>& palette,
                                           const std::function<int(int, int)>& index)
{
    int stride = ((w * bits + 31) / 32) * 4;
    uint32_t off = 54 + 4 * static_cast<uint32_t>(palette.size());
    std::vector<uint8_t> v;
    v.push_back('B');
    v.push_back('M');
    Put32(v, off + stride * h);
    Put32(v, 0);
    Put32(v, off);
    Put32(v, 40);
    Put32(v, static_cast<uint32_t>(w));
    Put32(v, static_cast<uint32_t>(h));
    Put16(v, 1);
    Put16(v, static_cast<uint32_t>(bits));
    Put32(v, 0);
    Put32(v, static_cast<uint32_t>(stride * h));
    Put32(v, 0);
    Put32(v, 0);
    Put32(v, static_cast<uint32_t>(palette.size()));
    Put32(v, 0);
    for (COLORREF c : palette) {
        v.push_back(static_cast<uint8_t>(GetBValue(c)));
        v.push_back(static_cast<uint8_t>(GetGValue(c)));
        v.push_back(static_cast<uint8_t>(GetRValue(c)));
        v.push_back(0);
    }
    for (int row = 0; row < h; ++row) {
        int y = h - 1 - row;
        std::vector<uint8_t> line(static_cast<size_t>(stride), 0);
        for (int x = 0; x < w; ++x) {
            int i = index(x, y);
            int bit = x * bits;
            line[bit / 8] |= static_cast<uint8_t>(i << (8 - bits - bit % 8));
        }
        v.insert(v.end(), line.begin(), line.end());
    }
    return v;
}

// A BMP of 16 or 32 bits with bit-field masks.
inline std::vector<uint8_t> MakeBmpBitfields(int w, int h, int bits, uint32_t rm, uint32_t gm, uint32_t bm,
                                             const std::function<uint32_t(int, int)>& raw)
{
    int stride = ((w * bits + 31) / 32) * 4;
    uint32_t off = 54 + 12;
    std::vector<uint8_t> v;
    v.push_back('B');
    v.push_back('M');
    Put32(v, off + stride * h);
    Put32(v, 0);
    Put32(v, off);
    Put32(v, 40);
    Put32(v, static_cast<uint32_t>(w));
    Put32(v, static_cast<uint32_t>(h));
    Put16(v, 1);
    Put16(v, static_cast<uint32_t>(bits));
    Put32(v, 3);
    Put32(v, static_cast<uint32_t>(stride * h));
    Put32(v, 0);
    Put32(v, 0);
    Put32(v, 0);
    Put32(v, 0);
    Put32(v, rm);
    Put32(v, gm);
    Put32(v, bm);
    for (int row = 0; row < h; ++row) {
        int y = h - 1 - row;
        size_t start = v.size();
        for (int x = 0; x < w; ++x) {
            if (bits == 16)
                Put16(v, raw(x, y));
            else
                Put32(v, raw(x, y));
        }
        while (v.size() - start < static_cast<size_t>(stride))
            v.push_back(0);
    }
    return v;
}

inline bool WriteFile(const std::string& path, const std::vector<uint8_t>& bytes)
{
    FILE* f = std::fopen(path.c_str(), "wb");
    if (!f)
        return false;
    bool ok = std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
    return std::fclose(f) == 0 && ok;
}

// A 24-bit BMP of a 16-bit surface, for looking at what was drawn.
inline bool SaveSurfaceBmp(const platform::PixelSurface& s, const std::string& path)
{
    return WriteFile(path, MakeBmp24(s.Width(), s.Height(),
                                     [&](int x, int y) { return platform::Rgb565ToColorRef(s.GetPixel(x, y)); }));
}

// An 8-bit mono PCM WAV of `samples` samples (a square wave).
inline std::vector<uint8_t> MakeWav(int samples, int rate = 22050)
{
    std::vector<uint8_t> v;
    auto tag = [&](const char* t) {
        for (int i = 0; i < 4; ++i)
            v.push_back(static_cast<uint8_t>(t[i]));
    };
    tag("RIFF");
    Put32(v, 36 + static_cast<uint32_t>(samples));
    tag("WAVE");
    tag("fmt ");
    Put32(v, 16);
    Put16(v, 1);
    Put16(v, 1);
    Put32(v, static_cast<uint32_t>(rate));
    Put32(v, static_cast<uint32_t>(rate));
    Put16(v, 1);
    Put16(v, 8);
    tag("data");
    Put32(v, static_cast<uint32_t>(samples));
    for (int i = 0; i < samples; ++i)
        v.push_back((i / 50) % 2 ? 160 : 96);
    return v;
}

} // namespace fixtures
