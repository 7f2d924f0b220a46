# Fuzz targets of scenario loading and saved games: "GameInfo.txt", the "SaveData.zrd" header, ".cur" cursors.
zr_fuzz(gameinfo SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/fuzz_gameinfo.cpp LIBS game)
zr_fuzz(savedata SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/fuzz_savedata.cpp LIBS game)
zr_fuzz(cursor SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/fuzz_cursor.cpp LIBS platform_window)
