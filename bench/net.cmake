# Benchmark of the network: game messages from a host to 1, 8 and 23 clients on loopback (a 32-byte message 55,
# a deflated 760-byte message 43), beside the same bytes written by plain send() to as many loopback sockets.
zr_bench(bench_net SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/net/NetBench.cpp LIBS net)
