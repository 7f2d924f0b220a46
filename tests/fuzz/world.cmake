# Fuzz targets of the world model: tile types, reference lists, the archive loads of its documents and the
# saved station stock.
zr_fuzz(tiletypes SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/fuzz_tiletypes.cpp LIBS core)
zr_fuzz(tilemap_archive SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/fuzz_tilemap_archive.cpp LIBS core)
zr_fuzz(pathgrid_archive SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/fuzz_pathgrid_archive.cpp LIBS core)
zr_fuzz(reference_lists SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/fuzz_reference_lists.cpp LIBS core)
zr_fuzz(spritemanager_archive SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/fuzz_spritemanager_archive.cpp LIBS core)
zr_fuzz(areamap_archive SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/fuzz_areamap_archive.cpp LIBS core)
zr_fuzz(station_block SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/fuzz_station_block.cpp LIBS core)
