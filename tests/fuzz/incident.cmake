# Fuzz targets of the incident world: the parameters file, incident messages and the saved block.
zr_fuzz(incident_params SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/fuzz_incident_params.cpp LIBS game)
zr_fuzz(incident_batch SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/fuzz_incident_batch.cpp LIBS game)
zr_fuzz(incident_save SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/fuzz_incident_save.cpp LIBS game)
# The run trailer after a saved game's blocks: the incident world's pass timers and fire cursor.
zr_fuzz(run_trailer SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/fuzz_run_trailer.cpp LIBS game)
