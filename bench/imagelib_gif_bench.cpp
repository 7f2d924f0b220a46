// GIF speed in megapixels per second: decode of a 4096² map-like picture and of 2048² noise beside stb_image and
// giflib on the same bytes and a memcpy of the index plane; encode in each code mode beside giflib (with sizes).
#include "imagelib/RasterGIF.h"

#include "bench/StbPeer.h"

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <cstring>
#include <vector>

#ifdef ZR_HAVE_GIFLIB
#include <gif_lib.h>
#endif

namespace {

// Palette index of a map-like picture: flat land-use blocks, roads and a river.
uint8_t MapIndex(uint32_t x, uint32_t y)
{
    if (x % 512 < 4 || y % 384 < 3)
        return 255; // roads
    int64_t d = static_cast<int64_t>(x) - static_cast<int64_t>(y) / 2 - 900;
    if (d > -20 && d < 20)
        return 254; // river
    return static_cast<uint8_t>(((x / 700) * 7 + (y / 500) * 3 + ((x ^ y) % 97 == 0 ? 1 : 0)) % 254);
}

CRaster MakePicture(uint32_t side, bool noise)
{
    CRaster img(side, side, 8, RASTER_FORMAT_GIF);
    for (uint32_t i = 0; i < 256; ++i)
        img.SetPaletteColor(static_cast<uint8_t>(i), static_cast<uint8_t>(i * 37), static_cast<uint8_t>(i * 11),
                            static_cast<uint8_t>(255 - i * 5));
    uint32_t seed = 1;
    for (uint32_t y = 0; y < side; ++y) {
        uint8_t* row = img.GetBits(y);
        for (uint32_t x = 0; x < side; ++x) {
            seed = seed * 1103515245u + 12345u;
            row[x] = noise ? static_cast<uint8_t>(seed >> 16) : MapIndex(x, side - 1 - y);
        }
    }
    return img;
}

std::vector<uint8_t> Encode(CRaster& img, uint32_t mode)
{
    img.SetCodecOption(mode, RASTER_FORMAT_GIF);
    uint8_t* buf = nullptr;
    int32_t size = 0;
    img.Encode(buf, size, RASTER_FORMAT_GIF);
    std::vector<uint8_t> out(buf, buf + size);
    img.FreeMemory(buf);
    return out;
}

struct Picture {
    uint32_t side;
    CRaster img;
    std::vector<uint8_t> bytes; // LZW
    Picture(uint32_t s, bool noise) : side(s), img(MakePicture(s, noise)), bytes(Encode(img, RASTER_GIF_LZW)) {}
};

Picture& Map()
{
    static Picture p(4096, false);
    return p;
}
Picture& Noise()
{
    static Picture p(2048, true);
    return p;
}

void SetRate(benchmark::State& state, uint32_t side)
{
    state.counters["MP/s"] =
        benchmark::Counter(static_cast<double>(side) * side / 1e6, benchmark::Counter::kIsIterationInvariantRate);
}

void Decode(benchmark::State& state, Picture& p)
{
    for (auto _ : state) {
        CRaster img;
        if (!img.Decode(p.bytes.data(), static_cast<uint32_t>(p.bytes.size()), RASTER_FORMAT_GIF))
            state.SkipWithError(img.GetLastError());
        benchmark::DoNotOptimize(img.GetBits(0));
    }
    SetRate(state, p.side);
}

void StbDecode(benchmark::State& state, Picture& p)
{
    StbDecodeLoop(state, p.bytes);
    SetRate(state, p.side);
}

#ifdef ZR_HAVE_GIFLIB
struct Src {
    const std::vector<uint8_t>* b;
    size_t pos;
};
int ReadMem(GifFileType* g, GifByteType* buf, int n)
{
    Src* s = static_cast<Src*>(g->UserData);
    size_t k = std::min(static_cast<size_t>(n), s->b->size() - s->pos);
    std::memcpy(buf, s->b->data() + s->pos, k);
    s->pos += k;
    return static_cast<int>(k);
}
int WriteMem(GifFileType* g, const GifByteType* b, int n)
{
    auto* out = static_cast<std::vector<uint8_t>*>(g->UserData);
    out->insert(out->end(), b, b + n);
    return n;
}
#endif

void GiflibDecode(benchmark::State& state, Picture& p)
{
#ifdef ZR_HAVE_GIFLIB
    for (auto _ : state) {
        Src src{&p.bytes, 0};
        int err = 0;
        GifFileType* g = DGifOpen(&src, ReadMem, &err);
        if (!g || DGifSlurp(g) != GIF_OK) {
            state.SkipWithError("giflib could not read the picture");
            break;
        }
        benchmark::DoNotOptimize(g->SavedImages[0].RasterBits);
        DGifCloseFile(g, &err);
    }
    SetRate(state, p.side);
#else
    (void)p;
    state.SkipWithError("giflib (libgif-dev) not installed");
#endif
}

void Memcpy(benchmark::State& state, Picture& p)
{
    std::vector<uint8_t> dst(p.img.GetHeader().biSizeImage);
    for (auto _ : state) {
        std::memcpy(dst.data(), p.img.GetBits(0), dst.size());
        benchmark::DoNotOptimize(dst.data());
        benchmark::ClobberMemory();
    }
    SetRate(state, p.side);
}

// Encodes into a block large enough from the start, so the memory stream's growth steps stay out of the figure.
void EncodeMode(benchmark::State& state, Picture& p, uint32_t mode)
{
    p.img.SetCodecOption(mode, RASTER_FORMAT_GIF);
    std::vector<uint8_t> block(static_cast<size_t>(p.side) * p.side * 2);
    size_t bytes = 0;
    for (auto _ : state) {
        CRasterMemFile out(block.data(), static_cast<uint32_t>(block.size()));
        if (!p.img.Encode(&out, RASTER_FORMAT_GIF))
            state.SkipWithError(p.img.GetLastError());
        bytes = static_cast<size_t>(out.Tell());
        benchmark::DoNotOptimize(block.data());
    }
    SetRate(state, p.side);
    state.counters["bytes"] = static_cast<double>(bytes);
}

void GiflibEncode(benchmark::State& state, Picture& p)
{
#ifdef ZR_HAVE_GIFLIB
    std::vector<GifPixelType> rows(static_cast<size_t>(p.side) * p.side);
    for (uint32_t r = 0; r < p.side; ++r)
        std::memcpy(&rows[static_cast<size_t>(r) * p.side], p.img.GetBits(p.side - 1 - r), p.side);
    std::vector<GifColorType> colors(256);
    for (int i = 0; i < 256; ++i) {
        RGBQUAD c = p.img.GetPaletteColor(static_cast<uint8_t>(i));
        colors[static_cast<size_t>(i)] = GifColorType{c.rgbRed, c.rgbGreen, c.rgbBlue};
    }
    size_t bytes = 0;
    for (auto _ : state) {
        std::vector<uint8_t> out;
        int err = 0;
        GifFileType* g = EGifOpen(&out, WriteMem, &err);
        ColorMapObject* map = GifMakeMapObject(256, colors.data());
        EGifPutScreenDesc(g, static_cast<int>(p.side), static_cast<int>(p.side), 8, 0, map);
        EGifPutImageDesc(g, 0, 0, static_cast<int>(p.side), static_cast<int>(p.side), false, nullptr);
        for (uint32_t r = 0; r < p.side; ++r)
            EGifPutLine(g, &rows[static_cast<size_t>(r) * p.side], static_cast<int>(p.side));
        EGifCloseFile(g, &err);
        GifFreeMapObject(map);
        bytes = out.size();
        benchmark::DoNotOptimize(out.data());
    }
    SetRate(state, p.side);
    state.counters["bytes"] = static_cast<double>(bytes);
#else
    (void)p;
    state.SkipWithError("giflib (libgif-dev) not installed");
#endif
}

void BM_DecodeMap(benchmark::State& s)
{
    Decode(s, Map());
}
void BM_Stb_DecodeMap(benchmark::State& s)
{
    StbDecode(s, Map());
}
void BM_Giflib_DecodeMap(benchmark::State& s)
{
    GiflibDecode(s, Map());
}
void BM_MemcpyMap(benchmark::State& s)
{
    Memcpy(s, Map());
}
void BM_DecodeNoise(benchmark::State& s)
{
    Decode(s, Noise());
}
void BM_Stb_DecodeNoise(benchmark::State& s)
{
    StbDecode(s, Noise());
}
void BM_Giflib_DecodeNoise(benchmark::State& s)
{
    GiflibDecode(s, Noise());
}
void BM_MemcpyNoise(benchmark::State& s)
{
    Memcpy(s, Noise());
}
void BM_EncodeLzwMap(benchmark::State& s)
{
    EncodeMode(s, Map(), RASTER_GIF_LZW);
}
void BM_EncodeNoneMap(benchmark::State& s)
{
    EncodeMode(s, Map(), RASTER_GIF_NONE);
}
void BM_EncodeRleMap(benchmark::State& s)
{
    EncodeMode(s, Map(), RASTER_GIF_RLE);
}
void BM_Giflib_EncodeMap(benchmark::State& s)
{
    GiflibEncode(s, Map());
}
void BM_EncodeLzwNoise(benchmark::State& s)
{
    EncodeMode(s, Noise(), RASTER_GIF_LZW);
}
void BM_EncodeNoneNoise(benchmark::State& s)
{
    EncodeMode(s, Noise(), RASTER_GIF_NONE);
}
void BM_EncodeRleNoise(benchmark::State& s)
{
    EncodeMode(s, Noise(), RASTER_GIF_RLE);
}
void BM_Giflib_EncodeNoise(benchmark::State& s)
{
    GiflibEncode(s, Noise());
}

} // namespace

BENCHMARK(BM_DecodeMap)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Stb_DecodeMap)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Giflib_DecodeMap)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_MemcpyMap)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_DecodeNoise)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Stb_DecodeNoise)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Giflib_DecodeNoise)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_MemcpyNoise)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_EncodeLzwMap)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_EncodeNoneMap)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_EncodeRleMap)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Giflib_EncodeMap)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_EncodeLzwNoise)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_EncodeNoneNoise)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_EncodeRleNoise)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Giflib_EncodeNoise)->Unit(benchmark::kMillisecond);
