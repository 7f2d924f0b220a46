# Fuzz targets of the squads: the squad messages' payload readers and the squad managers' saved-game blocks.
zr_fuzz(squad_messages SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/fuzz_squad_messages.cpp LIBS game)
zr_fuzz(squad_block SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/fuzz_squad_block.cpp LIBS game)
