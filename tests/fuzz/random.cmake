# Fuzz target of the instant of play that ends a saved game, its random state among it.
zr_fuzz(play_instant SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/fuzz_play_instant.cpp LIBS game)
