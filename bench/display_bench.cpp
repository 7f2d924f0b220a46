// Keyed 800 x 600 16-bit blit and full-screen fill: our surfaces, SDL2's SDL_BlitSurface / SDL_FillRect on the
// same pixels, and memcpy / memset of the same bytes as the limit.
#include "core/display/CDisplay.h"

#include <SDL.h>
#include <benchmark/benchmark.h>

#include <cstring>

namespace {

constexpr int kWidth = 800;
constexpr int kHeight = 600;
constexpr uint16_t kMagenta = 0xF81F;

// Art with runs of magenta between runs of colour, as sprites and frames have.
void FillArt(platform::PixelSurface& s)
{
    for (int y = 0; y < s.Height(); ++y)
        for (int x = 0; x < s.Width(); ++x)
            s.SetPixel(x, y, ((x / 24 + y / 16) % 3 == 0) ? kMagenta : static_cast<uint16_t>(x * 7 + y));
}

struct Surfaces {
    CSurface source;
    CSurface target;
    Surfaces()
    {
        CSurfaceDesc desc(true, DDSD_CAPS | DDSD_WIDTH | DDSD_HEIGHT, DDSCAPS_OFFSCREENPLAIN, kWidth, kHeight, 0);
        source.Create(desc);
        target.Create(desc);
        FillArt(*source.GetPixels());
        DDCOLORKEY key{kMagenta, 0xFF00FF};
        source.SetColorKey(DDCKEY_SRCBLT, &key);
    }
    SDL_Surface* Wrap(CSurface& s)
    {
        platform::PixelSurface* p = s.GetPixels();
        return SDL_CreateRGBSurfaceWithFormatFrom(p->Data(), p->Width(), p->Height(), 16, p->PitchBytes(),
                                                  SDL_PIXELFORMAT_RGB565);
    }
};

void BM_KeyedBlit_Ours(benchmark::State& state)
{
    Surfaces s;
    RECT all{0, 0, kWidth, kHeight};
    for (auto _ : state) {
        s.target.BltFast(0, 0, &s.source, &all, DDBLTFAST_SRCCOLORKEY);
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(state.iterations() * kWidth * kHeight * 2);
}

void BM_KeyedBlit_SDL(benchmark::State& state)
{
    Surfaces s;
    SDL_Surface* src = s.Wrap(s.source);
    SDL_Surface* dst = s.Wrap(s.target);
    SDL_SetColorKey(src, SDL_TRUE, kMagenta);
    for (auto _ : state) {
        SDL_BlitSurface(src, nullptr, dst, nullptr);
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(state.iterations() * kWidth * kHeight * 2);
    SDL_FreeSurface(src);
    SDL_FreeSurface(dst);
}

void BM_KeyedBlit_Memcpy(benchmark::State& state)
{
    Surfaces s;
    for (auto _ : state) {
        std::memcpy(s.target.GetPixels()->Data(), s.source.GetPixels()->Data(), size_t(kWidth) * kHeight * 2);
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(state.iterations() * kWidth * kHeight * 2);
}

void BM_Fill_Ours(benchmark::State& state)
{
    CDisplay display(nullptr, kWidth, kHeight, 16, RGB(20, 30, 60), true);
    for (auto _ : state) {
        display.Clear(true);
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(state.iterations() * kWidth * kHeight * 2);
}

void BM_Fill_SDL(benchmark::State& state)
{
    Surfaces s;
    SDL_Surface* dst = s.Wrap(s.target);
    Uint32 colour = SDL_MapRGB(dst->format, 20, 30, 60);
    for (auto _ : state) {
        SDL_FillRect(dst, nullptr, colour);
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(state.iterations() * kWidth * kHeight * 2);
    SDL_FreeSurface(dst);
}

void BM_Fill_Memset(benchmark::State& state)
{
    Surfaces s;
    for (auto _ : state) {
        std::memset(s.target.GetPixels()->Data(), 0x21, size_t(kWidth) * kHeight * 2);
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(state.iterations() * kWidth * kHeight * 2);
}

} // namespace

BENCHMARK(BM_KeyedBlit_Ours);
BENCHMARK(BM_KeyedBlit_SDL);
BENCHMARK(BM_KeyedBlit_Memcpy);
BENCHMARK(BM_Fill_Ours);
BENCHMARK(BM_Fill_SDL);
BENCHMARK(BM_Fill_Memset);
