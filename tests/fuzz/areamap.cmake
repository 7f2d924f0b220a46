# Fuzz targets of the area-map editor: its "GameInfo.txt" lines and the shapefile reader (through shapelib's hooks).
zr_fuzz(areamap_gameinfo SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/fuzz_areamap_gameinfo.cpp LIBS areamap_model)
zr_fuzz(shapefile SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/fuzz_shapefile.cpp LIBS platform_shapefile)
