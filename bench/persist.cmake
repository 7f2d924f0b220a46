# Benchmark of the binary archive: storing and loading a graph of 10,000 small objects, beside a plain fread.
zr_bench(bench_archive SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/bench_archive.cpp
         ${CMAKE_SOURCE_DIR}/tests/support/PersistTestClasses.cpp LIBS core)
target_include_directories(bench_archive PRIVATE ${CMAKE_SOURCE_DIR}/tests)
