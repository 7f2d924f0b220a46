zr_fuzz(imagelib_transform SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/fuzz_imagelib_transform.cpp LIBS imagelib)
