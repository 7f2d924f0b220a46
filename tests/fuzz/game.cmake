# Fuzz targets of the game core: the dispatcher over arbitrary packets, the review-log reader over arbitrary files.
zr_fuzz(dispatch SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/fuzz_dispatch.cpp LIBS game)
zr_fuzz(aar_events SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/fuzz_aar_events.cpp LIBS game)
# The settings file "ZR.ini" as any bytes, read and rewritten.
zr_fuzz(settings SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/fuzz_settings.cpp LIBS game)
