# Fuzz targets of the EOC unit data: its unit lists and unit factors, and the saved block with the messages it applies.
zr_fuzz(eoc_unit_lists SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/fuzz_eoc_unit_lists.cpp LIBS game)
zr_fuzz(eoc_messages SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/fuzz_eoc_messages.cpp LIBS game)
