# Fuzz targets of the position relay: received datagrams and frame packets, and "L3.ini".
zr_fuzz(relay_datagram SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/fuzz_relay_datagram.cpp LIBS relay)
zr_fuzz(relay_ini SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/fuzz_relay_ini.cpp LIBS relay)
