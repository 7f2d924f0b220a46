// Resizing and turning speed of the image object on 4096 x 4096 pictures, beside stb_image_resize with the
// matching filter, a naive quarter-turn loop and a memcpy of the same bytes (the limit).
#include "imagelib/Raster.h"

#include <benchmark/benchmark.h>

#include <cstring>
#include <memory>
#include <vector>

#ifdef ZR_HAVE_STB_RESIZE
#include <stb_image_resize.h>
#endif

namespace {

constexpr uint32_t kSide = 4096;

// A map-like picture: flat blocks with soft gradients, roads and a river.
CRaster MakePicture(uint32_t bpp)
{
    CRaster img(kSide, kSide, bpp, RASTER_FORMAT_BMP);
    if (bpp == 8)
        for (uint32_t i = 0; i < 256; ++i)
            img.SetPaletteColor(static_cast<uint8_t>(i), static_cast<uint8_t>(i * 37), static_cast<uint8_t>(i * 11),
                                static_cast<uint8_t>(255 - i));
    for (uint32_t y = 0; y < kSide; ++y) {
        uint8_t* row = img.GetBits(y);
        for (uint32_t x = 0; x < kSide; ++x) {
            const bool road = x % 512 < 4 || y % 384 < 3;
            const uint8_t block = static_cast<uint8_t>((x / 700) * 7 + (y / 500) * 3);
            if (bpp == 8) {
                row[x] = road ? 255 : block;
            } else {
                row[3 * x] = road ? 40 : static_cast<uint8_t>(block * 37 + (x >> 5));
                row[3 * x + 1] = road ? 40 : static_cast<uint8_t>(block * 11 + (y >> 5));
                row[3 * x + 2] = road ? 200 : static_cast<uint8_t>(255 - block * 5);
            }
        }
    }
    return img;
}

CRaster& Picture24()
{
    static CRaster img = MakePicture(24);
    return img;
}

CRaster& Picture8()
{
    static CRaster img = MakePicture(8);
    return img;
}

void SetRates(benchmark::State& state, uint32_t outW, uint32_t outH)
{
    state.counters["srcMP/s"] =
        benchmark::Counter(static_cast<double>(kSide) * kSide / 1e6, benchmark::Counter::kIsIterationInvariantRate);
    state.counters["dstMP/s"] =
        benchmark::Counter(static_cast<double>(outW) * outH / 1e6, benchmark::Counter::kIsIterationInvariantRate);
}

// Sizes by range(0): 0 the map bitmap's 800 x 448, 1 twice the picture's size.
uint32_t OutW(const benchmark::State& s)
{
    return s.range(0) ? 2 * kSide : 800;
}
uint32_t OutH(const benchmark::State& s)
{
    return s.range(0) ? 2 * kSide : 448;
}

void BM_Resample(benchmark::State& state, int mode)
{
    CRaster& src = Picture24();
    for (auto _ : state) {
        CRaster out;
        if (!src.Resample(static_cast<int32_t>(OutW(state)), static_cast<int32_t>(OutH(state)), mode, &out))
            state.SkipWithError("Resample failed");
        benchmark::DoNotOptimize(out.GetBits(0));
    }
    SetRates(state, OutW(state), OutH(state));
}
void BM_Resample_Average(benchmark::State& s)
{
    BM_Resample(s, 0);
}
void BM_Resample_Nearest(benchmark::State& s)
{
    BM_Resample(s, 1);
}
void BM_Resample_BSpline(benchmark::State& s)
{
    BM_Resample(s, 2);
}

void BM_QIShrink(benchmark::State& state)
{
    CRaster& src = Picture24();
    for (auto _ : state) {
        CRaster out;
        if (!src.QIShrink(800, 448, &out))
            state.SkipWithError("QIShrink failed");
        benchmark::DoNotOptimize(out.GetBits(0));
    }
    SetRates(state, 800, 448);
}

void BM_Resample2(benchmark::State& state, CRaster::InterpolationMethod method)
{
    CRaster& src = Picture24();
    for (auto _ : state) {
        CRaster out;
        if (!src.Resample2(static_cast<int32_t>(OutW(state)), static_cast<int32_t>(OutH(state)), method,
                           CRaster::OverflowRepeat, &out))
            state.SkipWithError("Resample2 failed");
        benchmark::DoNotOptimize(out.GetBits(0));
    }
    SetRates(state, OutW(state), OutH(state));
}
void BM_Resample2_Bilinear(benchmark::State& s)
{
    BM_Resample2(s, CRaster::InterpolationBilinear);
}
void BM_Resample2_CatmullRom(benchmark::State& s)
{
    BM_Resample2(s, CRaster::InterpolationCatrom);
}
void BM_Resample2_Mitchell(benchmark::State& s)
{
    BM_Resample2(s, CRaster::InterpolationMitchell);
}

#ifdef ZR_HAVE_STB_RESIZE
void BM_Stb_Resize(benchmark::State& state, stbir_filter filter)
{
    CRaster& src = Picture24();
    const uint32_t w = OutW(state), h = OutH(state);
    for (auto _ : state) {
        // A fresh block each time, as the image object's results are.
        std::unique_ptr<uint8_t[]> out(new uint8_t[static_cast<size_t>(w) * h * 3]);
        if (!stbir_resize_uint8_generic(src.GetBits(0), kSide, kSide, static_cast<int>(src.GetEffWidth()), out.get(),
                                        static_cast<int>(w), static_cast<int>(h), static_cast<int>(w * 3), 3,
                                        STBIR_ALPHA_CHANNEL_NONE, 0, STBIR_EDGE_CLAMP, filter, STBIR_COLORSPACE_LINEAR,
                                        nullptr))
            state.SkipWithError("stbir_resize failed");
        benchmark::DoNotOptimize(out.get());
    }
    SetRates(state, w, h);
}
#else
enum stbir_filter {
    STBIR_FILTER_BOX,
    STBIR_FILTER_TRIANGLE,
    STBIR_FILTER_CUBICBSPLINE,
    STBIR_FILTER_CATMULLROM,
    STBIR_FILTER_MITCHELL
};
void BM_Stb_Resize(benchmark::State& state, stbir_filter)
{
    state.SkipWithError("stb_image_resize (libstb-dev) not installed");
}
#endif
// The box filter is the peer of the averaging mode and of the quick shrink, the cubic B-spline that of mode 2.
void BM_Stb_Resize_Box(benchmark::State& s)
{
    BM_Stb_Resize(s, STBIR_FILTER_BOX);
}
void BM_Stb_Resize_BSpline(benchmark::State& s)
{
    BM_Stb_Resize(s, STBIR_FILTER_CUBICBSPLINE);
}
void BM_Stb_Resize_Triangle(benchmark::State& s)
{
    BM_Stb_Resize(s, STBIR_FILTER_TRIANGLE);
}
void BM_Stb_Resize_CatmullRom(benchmark::State& s)
{
    BM_Stb_Resize(s, STBIR_FILTER_CATMULLROM);
}
void BM_Stb_Resize_Mitchell(benchmark::State& s)
{
    BM_Stb_Resize(s, STBIR_FILTER_MITCHELL);
}

// The floor of every resize: a new picture of the output size, written once.
void BM_NewPicture(benchmark::State& state)
{
    for (auto _ : state) {
        CRaster out(OutW(state), OutH(state), 24, RASTER_FORMAT_BMP);
        std::memset(out.GetBits(0), 1, out.GetHeader().biSizeImage);
        benchmark::DoNotOptimize(out.GetBits(0));
    }
    SetRates(state, OutW(state), OutH(state));
}

// ---- quarter turns ----

CRaster& TurnSource(const benchmark::State& state)
{
    return state.range(0) == 24 ? Picture24() : Picture8();
}

void BM_RotateLeft(benchmark::State& state)
{
    CRaster& src = TurnSource(state);
    for (auto _ : state) {
        CRaster out;
        if (!src.RotateLeft(&out))
            state.SkipWithError("RotateLeft failed");
        benchmark::DoNotOptimize(out.GetBits(0));
    }
    SetRates(state, kSide, kSide);
}

void BM_RotateRight(benchmark::State& state)
{
    CRaster& src = TurnSource(state);
    for (auto _ : state) {
        CRaster out;
        if (!src.RotateRight(&out))
            state.SkipWithError("RotateRight failed");
        benchmark::DoNotOptimize(out.GetBits(0));
    }
    SetRates(state, kSide, kSide);
}

// The plain loop: destination rows in order, each pixel read down a source column.
void BM_NaiveTurn(benchmark::State& state)
{
    CRaster& src = TurnSource(state);
    const size_t px = src.GetBpp() / 8, eff = src.GetEffWidth();
    for (auto _ : state) {
        CRaster out(kSide, kSide, src.GetBpp(), RASTER_FORMAT_BMP);
        const uint8_t* s = src.GetBits(0);
        for (uint32_t y = 0; y < kSide; ++y) {
            uint8_t* d = out.GetBits(y);
            for (uint32_t x = 0; x < kSide; ++x)
                std::memcpy(d + px * x, s + eff * x + px * (kSide - 1 - y), px);
        }
        benchmark::DoNotOptimize(out.GetBits(0));
    }
    SetRates(state, kSide, kSide);
}

void BM_MemcpyTurnBytes(benchmark::State& state)
{
    CRaster& src = TurnSource(state);
    for (auto _ : state) {
        CRaster out(kSide, kSide, src.GetBpp(), RASTER_FORMAT_BMP);
        std::memcpy(out.GetBits(0), src.GetBits(0), src.GetHeader().biSizeImage);
        benchmark::DoNotOptimize(out.GetBits(0));
    }
    SetRates(state, kSide, kSide);
}

void BM_Rotate2_30(benchmark::State& state)
{
    CRaster& src = Picture24();
    uint32_t w = 0, h = 0;
    for (auto _ : state) {
        CRaster out;
        if (!src.Rotate2(30.0f, &out, CRaster::InterpolationBilinear, CRaster::OverflowBackground))
            state.SkipWithError("Rotate2 failed");
        w = out.GetWidth();
        h = out.GetHeight();
        benchmark::DoNotOptimize(out.GetBits(0));
    }
    SetRates(state, w, h);
}

} // namespace

BENCHMARK(BM_NewPicture)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Resample_Average)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_QIShrink)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Stb_Resize_Box)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Resample_Nearest)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Resample_BSpline)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Stb_Resize_BSpline)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Resample2_Bilinear)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Stb_Resize_Triangle)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Resample2_CatmullRom)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Stb_Resize_CatmullRom)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Resample2_Mitchell)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Stb_Resize_Mitchell)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_RotateLeft)->Arg(24)->Arg(8)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_RotateRight)->Arg(24)->Arg(8)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_NaiveTurn)->Arg(24)->Arg(8)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_MemcpyTurnBytes)->Arg(24)->Arg(8)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Rotate2_30)->Unit(benchmark::kMillisecond);
