# Benchmarks of the game's main loop on the demo data: idle CPU of the title screen and a paused game, adding
# a 400-character line to the message panels, and a host's tick while a joined player floods chat.
zr_bench(bench_game_loop SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/loop/IdleLoopBench.cpp
         ${CMAKE_CURRENT_SOURCE_DIR}/loop/MessagePanelBench.cpp
         ${CMAKE_CURRENT_SOURCE_DIR}/loop/FloodBench.cpp LIBS game)
target_include_directories(bench_game_loop PRIVATE ${CMAKE_SOURCE_DIR}/tests)
target_compile_definitions(bench_game_loop PRIVATE ZR_DEMO_DATA_DIR="${CMAKE_BINARY_DIR}/data")
add_dependencies(bench_game_loop demo-data)
