# Benchmarks of the incident world: one authority step with a large fire and spills, against its 500 ms budget.
zr_bench(bench_incident_step SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/incident/IncidentStepBench.cpp LIBS game)
target_include_directories(bench_incident_step PRIVATE ${CMAKE_SOURCE_DIR}/tests)
