# Image library: resampling and turns beside stb_image_resize, a naive loop and memcpy.
zr_bench(bench_imagelib_transform SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/imagelib_transform_bench.cpp LIBS imagelib)
find_path(ZR_STB_RESIZE_INCLUDE stb_image_resize.h PATH_SUFFIXES stb)
find_library(ZR_STB_RESIZE_LIB stb)
if(ZR_STB_RESIZE_INCLUDE AND ZR_STB_RESIZE_LIB)
  target_include_directories(bench_imagelib_transform PRIVATE ${ZR_STB_RESIZE_INCLUDE})
  target_link_libraries(bench_imagelib_transform PRIVATE ${ZR_STB_RESIZE_LIB})
  target_compile_definitions(bench_imagelib_transform PRIVATE ZR_HAVE_STB_RESIZE=1)
endif()
