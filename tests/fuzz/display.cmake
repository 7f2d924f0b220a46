# Fuzz targets of the display's readers of outside bytes: BMP files into surfaces, the pop-up frame list.
zr_fuzz(bmp SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/fuzz_bmp.cpp LIBS platform_gdi)
zr_fuzz(popup_list SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/fuzz_popup_list.cpp LIBS core)
