# Fuzz targets of the screens' layout readers: an art list ("<screen>_Art.csv") and "Info.txt".
zr_fuzz(art_list SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/fuzz_art_list.cpp LIBS game)
zr_fuzz(info_txt SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/fuzz_info_txt.cpp LIBS game)
