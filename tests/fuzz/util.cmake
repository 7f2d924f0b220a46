zr_fuzz(inflate SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/fuzz_inflate.cpp LIBS core_util)
