# Fuzz targets of the front-end screens' tables: the lobby's "Multiplayer_Menu_Data.csv", the role grid's "Role_Menu.csv".
zr_fuzz(multiplayer_menu SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/fuzz_multiplayer_menu.cpp LIBS game)
zr_fuzz(role_menu SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/fuzz_role_menu.cpp LIBS game)
