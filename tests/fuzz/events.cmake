# Fuzz target of the events model: an events data or a scenario description loaded from arbitrary bytes.
zr_fuzz(events SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/fuzz_events.cpp LIBS core)
