# Fuzz targets of the events editor: its unit tables, and a ".zre" of arbitrary bytes opened and then imported.
zr_fuzz(ostrel_unit_table SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/fuzz_ostrel_unit_table.cpp LIBS events_model)
zr_fuzz(ostrel_open_import SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/fuzz_ostrel_open_import.cpp LIBS events_model)
