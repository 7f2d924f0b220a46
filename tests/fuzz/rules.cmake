# Fuzz targets of the rules: the scenario's " Scores.csv", the score-rules file and the engine's saved block.
zr_fuzz(score_table SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/fuzz_score_table.cpp LIBS game)
zr_fuzz(score_rules SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/fuzz_score_rules.cpp LIBS game)
zr_fuzz(engine_block SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/fuzz_engine_block.cpp LIBS game)
# The saved game's scoring block and the IAP screen's block.
zr_fuzz(scoring_block SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/fuzz_scoring_block.cpp LIBS game)
zr_fuzz(iap_block SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/fuzz_iap_block.cpp LIBS game)
