# Benchmark of the squads: one movement step and one game step of 500 squads on a 100 x 75 map (budget 33 ms).
zr_bench(bench_squads SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/squads/SquadStepBench.cpp LIBS game)
target_include_directories(bench_squads PRIVATE ${CMAKE_SOURCE_DIR}/tests)
