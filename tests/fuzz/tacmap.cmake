# Fuzz targets of the scenario editor: its path grid's load and the reading of a ".zri" it opens.
zr_fuzz(tacmap_grid SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/fuzz_tacmap_grid.cpp LIBS tacmap_model)
zr_fuzz(tacmap_zri SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/fuzz_tacmap_zri.cpp LIBS tacmap_model)
target_compile_definitions(fuzz_tacmap_zri PRIVATE ZR_WORLD_DATA="${CMAKE_SOURCE_DIR}/tests/data/world")
