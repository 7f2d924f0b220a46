# Benchmark of the binary archive: storing and loading a graph of 10,000 small objects, beside Boost.Serialization's
# binary archive on the same graph and a plain fread.
zr_bench(bench_archive SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/bench_archive.cpp
         ${CMAKE_SOURCE_DIR}/tests/support/PersistTestClasses.cpp LIBS core)
target_include_directories(bench_archive PRIVATE ${CMAKE_SOURCE_DIR}/tests)
find_path(ZR_BOOST_SERIALIZATION_INCLUDE boost/archive/binary_iarchive.hpp)
find_library(ZR_BOOST_SERIALIZATION_LIB boost_serialization)
if(ZR_BOOST_SERIALIZATION_INCLUDE AND ZR_BOOST_SERIALIZATION_LIB)
  target_include_directories(bench_archive SYSTEM PRIVATE ${ZR_BOOST_SERIALIZATION_INCLUDE})
  target_link_libraries(bench_archive PRIVATE ${ZR_BOOST_SERIALIZATION_LIB})
  target_compile_definitions(bench_archive PRIVATE ZR_HAVE_BOOST_SERIALIZATION=1)
else()
  message(STATUS "Boost.Serialization not found: the archive benchmark runs without its peer (scripts/deps --test installs it)")
endif()
