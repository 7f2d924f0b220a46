# Image library: BMP decode and encode beside stb_image's decoder and a plain memcpy.
zr_bench(bench_imagelib SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/imagelib_bench.cpp LIBS imagelib)
find_path(ZR_STB_BENCH_INCLUDE stb_image.h PATH_SUFFIXES stb)
find_library(ZR_STB_BENCH_LIB stb)
if(ZR_STB_BENCH_INCLUDE AND ZR_STB_BENCH_LIB)
  target_include_directories(bench_imagelib PRIVATE ${ZR_STB_BENCH_INCLUDE})
  target_link_libraries(bench_imagelib PRIVATE ${ZR_STB_BENCH_LIB})
  target_compile_definitions(bench_imagelib PRIVATE ZR_HAVE_STB=1)
endif()
