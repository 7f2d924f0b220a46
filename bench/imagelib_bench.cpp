// BMP decode and encode speed in megapixels per second, beside stb_image's decoder and a memcpy of the pixels; the
// largest picture a run-length file under 1 MiB may make, with its memory.
#include "imagelib/Raster.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "bench/StbPeer.h"

namespace {

constexpr uint32_t kSide = 4096;

void PutLE(std::vector<uint8_t>& v, uint32_t x, int bytes)
{
    for (int i = 0; i < bytes; ++i)
        v.push_back(static_cast<uint8_t>(x >> (8 * i)));
}

// Palette index of a map-like picture: flat land-use blocks, roads and a river.
uint8_t MapIndex(uint32_t x, uint32_t y, uint32_t colors)
{
    if (x % 512 < 4 || y % 384 < 3)
        return static_cast<uint8_t>(colors - 1); // roads
    int64_t d = static_cast<int64_t>(x) - static_cast<int64_t>(y) / 2 - 900;
    if (d > -20 && d < 20)
        return static_cast<uint8_t>(colors - 2); // river
    return static_cast<uint8_t>(((x / 700) * 7 + (y / 500) * 3) % (colors - 2));
}

CRaster MakeMap(uint32_t bpp)
{
    CRaster img(kSide, kSide, bpp, RASTER_FORMAT_BMP);
    uint32_t colors = img.GetNumColors();
    if (colors) {
        for (uint32_t i = 0; i < colors; ++i)
            img.SetPaletteColor(static_cast<uint8_t>(i), static_cast<uint8_t>(i * 37), static_cast<uint8_t>(i * 11),
                                static_cast<uint8_t>(255 - i * 5));
        for (uint32_t y = 0; y < kSide; ++y)
            for (uint32_t x = 0; x < kSide; ++x)
                img.SetPixelIndex(static_cast<int32_t>(x), static_cast<int32_t>(y), MapIndex(x, y, colors));
    } else {
        for (uint32_t y = 0; y < kSide; ++y) {
            uint8_t* row = img.GetBits(y);
            for (uint32_t x = 0; x < kSide; ++x) {
                uint8_t i = MapIndex(x, y, 32);
                row[3 * x] = static_cast<uint8_t>(i * 37 + (x & 7));
                row[3 * x + 1] = static_cast<uint8_t>(i * 11 + (y & 7));
                row[3 * x + 2] = static_cast<uint8_t>(255 - i * 5);
            }
        }
    }
    return img;
}

std::vector<uint8_t> Encode(CRaster& img)
{
    uint8_t* buf = nullptr;
    int32_t size = 0;
    img.Encode(buf, size, RASTER_FORMAT_BMP);
    std::vector<uint8_t> out(buf, buf + size);
    img.FreeMemory(buf);
    return out;
}

// The file and info headers of a square run-length BMP of `bpp` (8 or 4) bits, before its palette.
std::vector<uint8_t> RleHeader(uint32_t side, uint32_t bpp, uint32_t colors, uint32_t pixelBytes)
{
    const uint32_t off = 14 + 40 + colors * 4;
    std::vector<uint8_t> f;
    PutLE(f, 0x4D42, 2);
    PutLE(f, off + pixelBytes, 4);
    PutLE(f, 0, 4);
    PutLE(f, off, 4);
    for (uint32_t v : {40u, side, side})
        PutLE(f, v, 4);
    PutLE(f, 1, 2);
    PutLE(f, bpp, 2);
    for (uint32_t v : {bpp == 4 ? 2u : 1u, pixelBytes, 3780u, 3780u, colors, 0u})
        PutLE(f, v, 4);
    return f;
}

// A run-length BMP (8 or 4 bits) of a palette image: encoded runs only, an end of line per row.
std::vector<uint8_t> EncodeRle(CRaster& img)
{
    const bool four = img.GetBpp() == 4;
    std::vector<uint8_t> px;
    for (uint32_t y = 0; y < kSide; ++y) {
        uint32_t x = 0;
        while (x < kSide) {
            uint8_t a = img.GetPixelIndex(static_cast<int32_t>(x), static_cast<int32_t>(y));
            uint32_t n = 1;
            while (x + n < kSide && n < 255 && img.GetPixelIndex(static_cast<int32_t>(x + n), static_cast<int32_t>(y)) == a)
                ++n;
            px.push_back(static_cast<uint8_t>(n));
            px.push_back(four ? static_cast<uint8_t>((a << 4) | a) : a);
            x += n;
        }
        px.push_back(0);
        px.push_back(0);
    }
    px.push_back(0);
    px.push_back(1);
    const uint32_t colors = img.GetNumColors();
    std::vector<uint8_t> f = RleHeader(kSide, img.GetBpp(), colors, static_cast<uint32_t>(px.size()));
    const uint8_t* pal = reinterpret_cast<const uint8_t*>(img.GetPalette());
    f.insert(f.end(), pal, pal + colors * 4);
    f.insert(f.end(), px.begin(), px.end());
    return f;
}

// The same file stored top-down (negative height): the reader turns it over.
std::vector<uint8_t> TopDown(std::vector<uint8_t> bytes)
{
    const uint32_t h = static_cast<uint32_t>(-static_cast<int32_t>(kSide));
    for (int i = 0; i < 4; ++i)
        bytes[22 + i] = static_cast<uint8_t>(h >> (8 * i));
    return bytes;
}

// The largest 8-bit run-length picture a file under 1 MiB may make: 11300 x 11300 of full runs (255 pixels per two
// bytes), 1,040,678 bytes. Pictures its runs cannot fill are refused.
constexpr uint32_t kLargestRle = 11300;

std::vector<uint8_t> LargestRle8()
{
    std::vector<uint8_t> px;
    for (uint32_t y = 0; y < kLargestRle; ++y) {
        for (uint32_t x = 0; x < kLargestRle; x += 255) {
            px.push_back(static_cast<uint8_t>(std::min<uint32_t>(255, kLargestRle - x)));
            px.push_back(static_cast<uint8_t>(x / 255 + y));
        }
        px.push_back(0);
        px.push_back(0);
    }
    std::vector<uint8_t> f = RleHeader(kLargestRle, 8, 256, static_cast<uint32_t>(px.size()));
    for (uint32_t i = 0; i < 256; ++i)
        PutLE(f, i * 0x010101u, 4);
    f.insert(f.end(), px.begin(), px.end());
    return f;
}

struct Inputs {
    CRaster rgb = MakeMap(24);
    CRaster map8 = MakeMap(8);
    CRaster map4 = MakeMap(4);
    std::vector<uint8_t> rgbBytes = Encode(rgb);
    std::vector<uint8_t> rgbTopDown = TopDown(rgbBytes);
    std::vector<uint8_t> rle8 = EncodeRle(map8);
    std::vector<uint8_t> rle4 = EncodeRle(map4);
    std::vector<uint8_t> largestRle8 = LargestRle8();
};

Inputs& Get()
{
    static Inputs inputs;
    return inputs;
}

void SetRate(benchmark::State& state)
{
    state.counters["MP/s"] = benchmark::Counter(static_cast<double>(kSide) * kSide / 1e6,
                                                benchmark::Counter::kIsIterationInvariantRate);
}

void Decode(benchmark::State& state, const std::vector<uint8_t>& bytes)
{
    for (auto _ : state) {
        CRaster img;
        if (!img.Decode(const_cast<uint8_t*>(bytes.data()), static_cast<uint32_t>(bytes.size()), RASTER_FORMAT_BMP))
            state.SkipWithError(img.GetLastError());
        benchmark::DoNotOptimize(img.GetBits(0));
    }
    SetRate(state);
}

void EncodeBench(benchmark::State& state, CRaster& img)
{
    for (auto _ : state) {
        uint8_t* buf = nullptr;
        int32_t size = 0;
        if (!img.Encode(buf, size, RASTER_FORMAT_BMP))
            state.SkipWithError(img.GetLastError());
        benchmark::DoNotOptimize(buf);
        img.FreeMemory(buf);
    }
    SetRate(state);
}

void StbDecode(benchmark::State& state, const std::vector<uint8_t>& bytes)
{
    StbDecodeLoop(state, bytes);
    SetRate(state);
}

void BM_Decode24(benchmark::State& s) { Decode(s, Get().rgbBytes); }
void BM_Stb_Decode24(benchmark::State& s) { StbDecode(s, Get().rgbBytes); }
void BM_Decode24TopDown(benchmark::State& s) { Decode(s, Get().rgbTopDown); }
void BM_Stb_Decode24TopDown(benchmark::State& s) { StbDecode(s, Get().rgbTopDown); }
void BM_Memcpy24(benchmark::State& state)
{
    CRaster& img = Get().rgb;
    std::vector<uint8_t> dst(img.GetHeader().biSizeImage);
    for (auto _ : state) {
        std::memcpy(dst.data(), img.GetBits(0), dst.size());
        benchmark::DoNotOptimize(dst.data());
        benchmark::ClobberMemory();
    }
    SetRate(state);
}
void BM_Encode24(benchmark::State& s) { EncodeBench(s, Get().rgb); }
void BM_DecodeRle8(benchmark::State& s) { Decode(s, Get().rle8); }
void BM_Stb_DecodeRle8(benchmark::State& s) { StbDecode(s, Get().rle8); }
void BM_Encode8(benchmark::State& s) { EncodeBench(s, Get().map8); }
void BM_DecodeRle4(benchmark::State& s) { Decode(s, Get().rle4); }
void BM_Stb_DecodeRle4(benchmark::State& s) { StbDecode(s, Get().rle4); }
void BM_Encode4(benchmark::State& s) { EncodeBench(s, Get().map4); }
void BM_DecodeLargestRle8UnderAMegabyte(benchmark::State& state)
{
    const std::vector<uint8_t>& bytes = Get().largestRle8;
    uint32_t picture = 0;
    for (auto _ : state) {
        CRaster img;
        if (!img.Decode(const_cast<uint8_t*>(bytes.data()), static_cast<uint32_t>(bytes.size()), RASTER_FORMAT_BMP))
            state.SkipWithError(img.GetLastError());
        picture = img.GetSize();
        benchmark::DoNotOptimize(img.GetBits(0));
    }
    state.counters["file KiB"] = static_cast<double>(bytes.size()) / 1024;
    state.counters["picture MiB"] = static_cast<double>(picture) / (1 << 20);
    state.counters["MP/s"] = benchmark::Counter(static_cast<double>(kLargestRle) * kLargestRle / 1e6,
                                                benchmark::Counter::kIsIterationInvariantRate);
}

} // namespace

BENCHMARK(BM_Decode24)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Stb_Decode24)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Decode24TopDown)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Stb_Decode24TopDown)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Memcpy24)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Encode24)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_DecodeRle8)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Stb_DecodeRle8)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Encode8)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_DecodeRle4)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Stb_DecodeRle4)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Encode4)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_DecodeLargestRle8UnderAMegabyte)->Unit(benchmark::kMillisecond);
