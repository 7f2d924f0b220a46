# Display benchmarks: colour-keyed 800 x 600 blit and full-screen fill, beside SDL2 and memcpy.
find_package(SDL2 REQUIRED)
zr_bench(bench_display SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/display_bench.cpp LIBS core SDL2::SDL2)
