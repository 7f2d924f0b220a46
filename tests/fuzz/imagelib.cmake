zr_fuzz(imagelib_decode SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/fuzz_imagelib_decode.cpp LIBS imagelib)
zr_fuzz(imagelib_bmp SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/fuzz_imagelib_bmp.cpp LIBS imagelib)
zr_fuzz(imagelib_handle SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/fuzz_imagelib_handle.cpp LIBS imagelib)
