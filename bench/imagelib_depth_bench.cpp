// Colour depth speed on a 2048 x 2048 photo-like picture: grey levels beside a plain per-pixel loop, and lowering
// to 8 and 4 bits on the standard palette beside a brute-force nearest-colour search of the same palette.
#include "imagelib/Raster.h"

#include <benchmark/benchmark.h>

#include <cstring>
#include <memory>
#include <vector>

namespace {

constexpr uint32_t kSide = 2048;

// Soft gradients with grain: many colours, few of them repeated next to each other.
CRaster MakePhoto()
{
    CRaster img(kSide, kSide, 24, RASTER_FORMAT_BMP);
    uint32_t seed = 7;
    for (uint32_t y = 0; y < kSide; ++y) {
        uint8_t* row = img.GetBits(y);
        for (uint32_t x = 0; x < kSide; ++x) {
            seed = seed * 1103515245u + 12345u;
            const uint32_t grain = (seed >> 16) & 15;
            row[3 * x] = static_cast<uint8_t>((x >> 3) + grain);
            row[3 * x + 1] = static_cast<uint8_t>((y >> 3) + grain);
            row[3 * x + 2] = static_cast<uint8_t>(((x + y) >> 4) + grain);
        }
    }
    return img;
}

CRaster& Photo()
{
    static CRaster img = MakePhoto();
    return img;
}

void SetRate(benchmark::State& state)
{
    state.counters["MP/s"] =
        benchmark::Counter(static_cast<double>(kSide) * kSide / 1e6, benchmark::Counter::kIsIterationInvariantRate);
}

void BM_GrayScale24(benchmark::State& state)
{
    for (auto _ : state) {
        state.PauseTiming();
        CRaster img(Photo());
        state.ResumeTiming();
        if (!img.GrayScale())
            state.SkipWithError("GrayScale failed");
        benchmark::DoNotOptimize(img.GetBits(0));
    }
    SetRate(state);
}

// The same grey levels by a plain loop over the pixels into a plane made once.
void BM_PlainGrayLoop24(benchmark::State& state)
{
    CRaster& src = Photo();
    const uint32_t eff = (kSide + 3) & ~3u;
    std::vector<uint8_t> dst(static_cast<size_t>(eff) * kSide);
    for (auto _ : state) {
        for (uint32_t y = 0; y < kSide; ++y) {
            const uint8_t* s = src.GetBits(y);
            uint8_t* d = dst.data() + static_cast<size_t>(y) * eff;
            for (uint32_t x = 0; x < kSide; ++x, s += 3)
                d[x] = static_cast<uint8_t>((s[2] * 306 + s[1] * 601 + s[0] * 117) >> 10);
        }
        benchmark::DoNotOptimize(dst.data());
        benchmark::ClobberMemory();
    }
    SetRate(state);
}

void DecreaseBench(benchmark::State& state, uint32_t bits, bool diffusion)
{
    for (auto _ : state) {
        state.PauseTiming();
        CRaster img(Photo());
        state.ResumeTiming();
        if (!img.DecreaseBpp(bits, diffusion))
            state.SkipWithError("DecreaseBpp failed");
        benchmark::DoNotOptimize(img.GetBits(0));
    }
    SetRate(state);
}

void BM_DecreaseBpp8(benchmark::State& s)
{
    DecreaseBench(s, 8, false);
}
void BM_DecreaseBpp8Diffused(benchmark::State& s)
{
    DecreaseBench(s, 8, true);
}
void BM_DecreaseBpp4(benchmark::State& s)
{
    DecreaseBench(s, 4, false);
}

// Each pixel's nearest entry of the standard palette by trying every entry (the first of equal distances wins).
void BruteNearest(benchmark::State& state, uint32_t bits)
{
    CRaster pal(1, 1, bits, RASTER_FORMAT_BMP);
    pal.SetStdPalette();
    const RGBQUAD* entries = pal.GetPalette();
    const uint32_t n = pal.GetNumColors();
    CRaster& src = Photo();
    std::vector<uint8_t> dst(static_cast<size_t>(kSide) * kSide);
    for (auto _ : state) {
        for (uint32_t y = 0; y < kSide; ++y) {
            const uint8_t* s = src.GetBits(y);
            uint8_t* d = dst.data() + static_cast<size_t>(y) * kSide;
            for (uint32_t x = 0; x < kSide; ++x, s += 3) {
                int best = 1 << 30;
                uint32_t bestIndex = 0;
                for (uint32_t i = 0; i < n; ++i) {
                    const int db = entries[i].rgbBlue - s[0], dg = entries[i].rgbGreen - s[1],
                              dr = entries[i].rgbRed - s[2];
                    const int dist = db * db + dg * dg + dr * dr;
                    if (dist < best) {
                        best = dist;
                        bestIndex = i;
                    }
                }
                d[x] = static_cast<uint8_t>(bestIndex);
            }
        }
        benchmark::DoNotOptimize(dst.data());
        benchmark::ClobberMemory();
    }
    SetRate(state);
}

void BM_BruteNearest8(benchmark::State& s)
{
    BruteNearest(s, 8);
}
void BM_BruteNearest4(benchmark::State& s)
{
    BruteNearest(s, 4);
}

} // namespace

BENCHMARK(BM_GrayScale24)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PlainGrayLoop24)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_DecreaseBpp8)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_DecreaseBpp8Diffused)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_BruteNearest8)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_DecreaseBpp4)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_BruteNearest4)->Unit(benchmark::kMillisecond);
