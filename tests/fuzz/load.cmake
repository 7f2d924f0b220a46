# Fuzz targets of scenario loading and saved games: "GameInfo.txt", the "SaveData.zrd" header and the whole
# file through the game's load, ".cur" cursors.
zr_fuzz(gameinfo SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/fuzz_gameinfo.cpp LIBS game)
zr_fuzz(savedata SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/fuzz_savedata.cpp LIBS game)
zr_fuzz(cursor SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/fuzz_cursor.cpp LIBS platform_window)
zr_fuzz(savedata_load SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/fuzz_savedata_load.cpp LIBS game demo_data)
target_compile_definitions(fuzz_savedata_load PRIVATE ZR_DEMO_SOURCE="${CMAKE_SOURCE_DIR}/data")
