// TGA decoding speed on a 2048 x 2048 map picture (24-bit raw and run-length, 8-bit colour-mapped run-length)
// beside stb_image reading the same bytes.
#include "imagelib/Raster.h"

#include <benchmark/benchmark.h>

#include <cstdint>
#include <vector>

#include "bench/StbPeer.h"

namespace {

constexpr uint32_t kSide = 2048;

// A 18-byte header, the colour map when given, then the pixel bytes.
std::vector<uint8_t> Tga(uint8_t type, uint8_t depth, const std::vector<uint8_t>& map, const std::vector<uint8_t>& px)
{
    const uint16_t entries = static_cast<uint16_t>(map.size() / 3);
    std::vector<uint8_t> f = {0,
                              static_cast<uint8_t>(entries ? 1 : 0),
                              type,
                              0,
                              0,
                              static_cast<uint8_t>(entries),
                              static_cast<uint8_t>(entries >> 8),
                              static_cast<uint8_t>(entries ? 24 : 0),
                              0,
                              0,
                              0,
                              0,
                              static_cast<uint8_t>(kSide),
                              static_cast<uint8_t>(kSide >> 8),
                              static_cast<uint8_t>(kSide),
                              static_cast<uint8_t>(kSide >> 8),
                              depth,
                              0};
    f.insert(f.end(), map.begin(), map.end());
    f.insert(f.end(), px.begin(), px.end());
    return f;
}

// Run-length packets of pixels of `bytes` bytes each, rows packed separately.
std::vector<uint8_t> Packets(const std::vector<uint8_t>& raw, uint32_t bytes)
{
    std::vector<uint8_t> out;
    for (uint32_t y = 0; y < kSide; ++y) {
        const uint8_t* row = raw.data() + static_cast<size_t>(y) * kSide * bytes;
        for (uint32_t x = 0; x < kSide;) {
            uint32_t n = 1;
            while (x + n < kSide && n < 128 &&
                   std::equal(row + x * bytes, row + (x + 1) * bytes, row + (x + n) * bytes))
                ++n;
            if (n > 1) {
                out.push_back(static_cast<uint8_t>(0x80 | (n - 1)));
                out.insert(out.end(), row + x * bytes, row + (x + 1) * bytes);
            } else {
                out.push_back(0);
                out.insert(out.end(), row + x * bytes, row + (x + 1) * bytes);
            }
            x += n;
        }
    }
    return out;
}

struct Inputs {
    std::vector<uint8_t> raw24, rle24, rle8;
    Inputs()
    {
        std::vector<uint8_t> px24, px8, map;
        for (uint32_t y = 0; y < kSide; ++y)
            for (uint32_t x = 0; x < kSide; ++x) {
                const bool road = x % 512 < 4 || y % 384 < 3;
                const uint8_t block = static_cast<uint8_t>((x / 300) * 7 + (y / 200) * 3);
                px8.push_back(road ? 255 : block);
                px24.insert(px24.end(),
                            {static_cast<uint8_t>(road ? 40 : block * 37), static_cast<uint8_t>(road ? 40 : block * 11),
                             static_cast<uint8_t>(road ? 200 : 255 - block)});
            }
        for (uint32_t i = 0; i < 256; ++i)
            map.insert(map.end(),
                       {static_cast<uint8_t>(i * 37), static_cast<uint8_t>(i * 11), static_cast<uint8_t>(255 - i)});
        raw24 = Tga(2, 24, {}, px24);
        rle24 = Tga(10, 24, {}, Packets(px24, 3));
        rle8 = Tga(9, 8, map, Packets(px8, 1));
    }
};

Inputs& Get()
{
    static Inputs inputs;
    return inputs;
}

void SetRate(benchmark::State& state)
{
    state.counters["MP/s"] =
        benchmark::Counter(static_cast<double>(kSide) * kSide / 1e6, benchmark::Counter::kIsIterationInvariantRate);
}

void Decode(benchmark::State& state, const std::vector<uint8_t>& bytes)
{
    for (auto _ : state) {
        CRaster img;
        if (!img.Decode(const_cast<uint8_t*>(bytes.data()), static_cast<uint32_t>(bytes.size()), RASTER_FORMAT_TGA))
            state.SkipWithError(img.GetLastError());
        benchmark::DoNotOptimize(img.GetBits(0));
    }
    SetRate(state);
}

void StbDecode(benchmark::State& state, const std::vector<uint8_t>& bytes)
{
    StbDecodeLoop(state, bytes);
    SetRate(state);
}

void BM_DecodeRaw24(benchmark::State& s)
{
    Decode(s, Get().raw24);
}
void BM_Stb_DecodeRaw24(benchmark::State& s)
{
    StbDecode(s, Get().raw24);
}
void BM_DecodeRle24(benchmark::State& s)
{
    Decode(s, Get().rle24);
}
void BM_Stb_DecodeRle24(benchmark::State& s)
{
    StbDecode(s, Get().rle24);
}
void BM_DecodeRle8(benchmark::State& s)
{
    Decode(s, Get().rle8);
}
void BM_Stb_DecodeRle8(benchmark::State& s)
{
    StbDecode(s, Get().rle8);
}

} // namespace

BENCHMARK(BM_DecodeRaw24)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Stb_DecodeRaw24)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_DecodeRle24)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Stb_DecodeRle24)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_DecodeRle8)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Stb_DecodeRle8)->Unit(benchmark::kMillisecond);
