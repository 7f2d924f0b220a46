# Fuzz targets of the HUD's text files: "HUDPopupMenus.txt", the info-text lists and the art-list row count.
zr_fuzz(hud_popup_menus SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/fuzz_hud_popup_menus.cpp LIBS game)
zr_fuzz(hud_info_texts SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/fuzz_hud_info_texts.cpp LIBS game)
zr_fuzz(hud_art_list SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/fuzz_hud_art_list.cpp LIBS game)
