# Fuzz targets of the network: the frame reader, the session packets, the file chunks a client receives, the
# user-list file.
zr_fuzz(net_frames SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/fuzz_net_frames.cpp LIBS net)
zr_fuzz(net_session_packets SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/fuzz_net_session_packets.cpp LIBS net)
zr_fuzz(net_file_chunks SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/fuzz_net_file_chunks.cpp LIBS game)
zr_fuzz(net_user_list SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/fuzz_net_user_list.cpp LIBS net)
