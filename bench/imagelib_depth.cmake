# Image library: grey levels and lowered depths beside a plain per-pixel loop and a brute-force nearest colour.
zr_bench(bench_imagelib_depth SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/imagelib_depth_bench.cpp LIBS imagelib)
