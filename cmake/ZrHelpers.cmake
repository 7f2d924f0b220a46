# Shared CMake helpers: warnings, sub-folder discovery, tests, fuzz targets and benchmarks.

# Warnings as errors on our own code.
function(zr_warnings target)
  target_compile_options(${target} PRIVATE -Wall -Wextra -Werror)
endfunction()

# Adds every immediate sub-folder of the current source folder that has a CMakeLists.txt.
macro(zr_add_subdirs)
  file(GLOB _zr_children LIST_DIRECTORIES true RELATIVE ${CMAKE_CURRENT_SOURCE_DIR} ${CMAKE_CURRENT_SOURCE_DIR}/*)
  list(SORT _zr_children)
  foreach(_zr_child ${_zr_children})
    if(IS_DIRECTORY ${CMAKE_CURRENT_SOURCE_DIR}/${_zr_child} AND EXISTS ${CMAKE_CURRENT_SOURCE_DIR}/${_zr_child}/CMakeLists.txt)
      add_subdirectory(${_zr_child})
    endif()
  endforeach()
endmacro()

# A library made of every .cpp below the given folders (relative to the current source folder).
function(zr_library name)
  cmake_parse_arguments(ARG "" "" "DIRS;LIBS;PUBLIC_INCLUDES" ${ARGN})
  set(srcs)
  foreach(d ${ARG_DIRS})
    file(GLOB_RECURSE s CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/${d}/*.cpp)
    list(APPEND srcs ${s})
  endforeach()
  if(NOT srcs)
    # Nothing written yet: a header-only placeholder keeps dependants building.
    add_library(${name} INTERFACE)
    target_include_directories(${name} INTERFACE ${CMAKE_SOURCE_DIR} ${ARG_PUBLIC_INCLUDES})
    target_link_libraries(${name} INTERFACE ${ARG_LIBS})
    return()
  endif()
  add_library(${name} STATIC ${srcs})
  target_include_directories(${name} PUBLIC ${CMAKE_SOURCE_DIR} ${ARG_PUBLIC_INCLUDES})
  target_link_libraries(${name} PUBLIC ${ARG_LIBS})
  zr_warnings(${name})
endfunction()

# Headless drivers for every test (escaped so the list survives test discovery).
set(ZR_TEST_ENVIRONMENT
    "SDL_VIDEODRIVER=offscreen\\;SDL_AUDIODRIVER=dummy\\;SDL_VIDEO_EGL_DRIVER=none\\;SDL_RENDER_DRIVER=software\\;QT_QPA_PLATFORM=offscreen\\;ZR_SOURCE_DIR=${CMAKE_SOURCE_DIR}\\;ZR_DEMO_DATA=${CMAKE_BINARY_DIR}/data")

# A GoogleTest executable registered with CTest. Tests run headless.
function(zr_test name)
  cmake_parse_arguments(ARG "NO_DEMO_DATA" "" "SOURCES;LIBS" ${ARGN})
  add_executable(${name} ${ARG_SOURCES})
  target_link_libraries(${name} PRIVATE ${ARG_LIBS} GTest::gtest GTest::gtest_main GTest::gmock)
  target_include_directories(${name} PRIVATE ${CMAKE_SOURCE_DIR} ${CMAKE_SOURCE_DIR}/tests)
  zr_warnings(${name})
  # Tests over the demo data read the build's own folder: make it first.
  if(TARGET demo-data AND NOT ARG_NO_DEMO_DATA)
    add_dependencies(${name} demo-data)
  endif()
  gtest_discover_tests(${name}
    WORKING_DIRECTORY ${CMAKE_CURRENT_BINARY_DIR}
    DISCOVERY_TIMEOUT 60
    PROPERTIES ENVIRONMENT "${ZR_TEST_ENVIRONMENT}")
endfunction()

# A fuzz target: fuzz_<name> built from one source with LLVMFuzzerTestOneInput.
# With ZR_FUZZ it links libFuzzer; otherwise it links a small driver that replays
# the committed corpus, and CTest runs that replay.
function(zr_fuzz name)
  cmake_parse_arguments(ARG "" "" "SOURCES;LIBS" ${ARGN})
  set(target fuzz_${name})
  if(ZR_FUZZ)
    add_executable(${target} ${ARG_SOURCES})
    target_compile_options(${target} PRIVATE -fsanitize=fuzzer)
    target_link_options(${target} PRIVATE -fsanitize=fuzzer)
  else()
    add_executable(${target} ${ARG_SOURCES} ${CMAKE_SOURCE_DIR}/tests/fuzz/replay_main.cpp)
  endif()
  target_link_libraries(${target} PRIVATE ${ARG_LIBS})
  target_include_directories(${target} PRIVATE ${CMAKE_SOURCE_DIR} ${CMAKE_SOURCE_DIR}/tests)
  zr_warnings(${target})
  set(corpus ${CMAKE_SOURCE_DIR}/tests/fuzz/corpus/${name})
  if(NOT ZR_FUZZ AND EXISTS ${corpus})
    add_test(NAME fuzz_replay_${name} COMMAND ${target} ${corpus})
  endif()
endfunction()

# A Google Benchmark program.
function(zr_bench name)
  cmake_parse_arguments(ARG "" "" "SOURCES;LIBS" ${ARGN})
  add_executable(${name} ${ARG_SOURCES})
  target_link_libraries(${name} PRIVATE ${ARG_LIBS} benchmark::benchmark benchmark::benchmark_main)
  target_include_directories(${name} PRIVATE ${CMAKE_SOURCE_DIR})
  zr_warnings(${name})
endfunction()
