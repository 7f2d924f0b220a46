# Fuzz targets of the rules: the scenario's " Scores.csv", the score-rules file and the engine's saved block.
zr_fuzz(score_table SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/fuzz_score_table.cpp LIBS game)
zr_fuzz(score_rules SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/fuzz_score_rules.cpp LIBS game)
zr_fuzz(engine_block SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/fuzz_engine_block.cpp LIBS game)
