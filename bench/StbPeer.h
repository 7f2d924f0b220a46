// stb_image as the decoding peer of the image benchmarks: one loop over a file in memory.
#pragma once

#include <benchmark/benchmark.h>

#include <cstdint>
#include <vector>

#ifdef ZR_HAVE_STB
#include <stb_image.h>
#endif

// Decodes `bytes` with stb_image once per iteration; skips the benchmark when stb fails or is not installed.
inline void StbDecodeLoop(benchmark::State& state, const std::vector<uint8_t>& bytes)
{
#ifdef ZR_HAVE_STB
    for (auto _ : state) {
        int w = 0, h = 0, n = 0;
        uint8_t* p = stbi_load_from_memory(bytes.data(), static_cast<int>(bytes.size()), &w, &h, &n, 0);
        if (!p) {
            state.SkipWithError(stbi_failure_reason());
            break;
        }
        benchmark::DoNotOptimize(p);
        stbi_image_free(p);
    }
#else
    (void)bytes;
    state.SkipWithError("stb_image (libstb-dev) not installed");
#endif
}
