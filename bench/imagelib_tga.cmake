# Image library: TGA decoding beside stb_image.
zr_bench(bench_imagelib_tga SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/imagelib_tga_bench.cpp LIBS imagelib)
find_path(ZR_STB_TGA_BENCH_INCLUDE stb_image.h PATH_SUFFIXES stb)
find_library(ZR_STB_TGA_BENCH_LIB stb)
if(ZR_STB_TGA_BENCH_INCLUDE AND ZR_STB_TGA_BENCH_LIB)
  target_include_directories(bench_imagelib_tga PRIVATE ${ZR_STB_TGA_BENCH_INCLUDE})
  target_link_libraries(bench_imagelib_tga PRIVATE ${ZR_STB_TGA_BENCH_LIB})
  target_compile_definitions(bench_imagelib_tga PRIVATE ZR_HAVE_STB=1)
endif()
