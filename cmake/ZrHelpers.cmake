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
  # Fuzz targets see inside the libraries they reach; windows and tests are left uninstrumented (the
  # instrumentation nearly doubles their compile time and no fuzz target links them).
  if(ZR_FUZZ AND NOT _zr_qt_library)
    target_compile_options(${name} PRIVATE -fsanitize=fuzzer-no-link)
  endif()
endfunction()

# A library of Qt widgets (the editors' ui/ folders): zr_library with moc run on its headers.
function(zr_qt_library name)
  set(_zr_qt_library TRUE)
  zr_library(${name} ${ARGN})
  get_target_property(type ${name} TYPE)
  if(NOT type STREQUAL "INTERFACE_LIBRARY")
    set_target_properties(${name} PROPERTIES AUTOMOC ON)
  endif()
endfunction()

# Collects the libraries `target` links, directly or through other targets, into the variable `out`.
function(_zr_link_closure target out)
  set(seen ${${out}})
  set(queue ${target})
  while(queue)
    list(POP_FRONT queue item)
    string(REGEX REPLACE "^\\$<LINK_ONLY:(.*)>$" "\\1" item "${item}")
    if(item IN_LIST seen)
      continue()
    endif()
    list(APPEND seen ${item})
    if(TARGET ${item})
      get_target_property(type ${item} TYPE)
      set(libs)
      if(NOT type STREQUAL "INTERFACE_LIBRARY")
        get_target_property(direct ${item} LINK_LIBRARIES)
        if(direct)
          list(APPEND libs ${direct})
        endif()
      endif()
      get_target_property(iface ${item} INTERFACE_LINK_LIBRARIES)
      if(iface)
        list(APPEND libs ${iface})
      endif()
      list(APPEND queue ${libs})
    endif()
  endwhile()
  set(${out} ${seen} PARENT_SCOPE)
endfunction()

# Fails the configuration when a library built from a model/ folder below `dir` links Qt or a ui library.
function(zr_check_models_without_qt dir)
  get_property(targets DIRECTORY ${dir} PROPERTY BUILDSYSTEM_TARGETS)
  get_property(subdirs DIRECTORY ${dir} PROPERTY SUBDIRECTORIES)
  foreach(sub ${subdirs})
    zr_check_models_without_qt(${sub})
  endforeach()
  foreach(t ${targets})
    get_target_property(type ${t} TYPE)
    if(type STREQUAL "INTERFACE_LIBRARY")
      continue()
    endif()
    get_target_property(srcs ${t} SOURCES)
    set(is_model FALSE)
    foreach(src ${srcs})
      if(src MATCHES "/model/")
        set(is_model TRUE)
      endif()
    endforeach()
    if(is_model)
      set(closure)
      _zr_link_closure(${t} closure)
      foreach(lib ${closure})
        if(lib MATCHES "^Qt[0-9]*::" OR lib MATCHES "^editor_ui$" OR lib MATCHES "_ui$")
          message(FATAL_ERROR "${t} is built from a model/ folder but links ${lib}: models link no Qt.")
        endif()
      endforeach()
    endif()
  endforeach()
endfunction()

# Headless drivers for every test, and the leak checker's suppressions of Qt's and fontconfig's own caches (escaped so
# the list survives test discovery).
set(ZR_TEST_ENVIRONMENT
    "SDL_VIDEODRIVER=offscreen\\;SDL_AUDIODRIVER=dummy\\;SDL_VIDEO_EGL_DRIVER=none\\;SDL_RENDER_DRIVER=software\\;QT_QPA_PLATFORM=offscreen\\;ZR_SOURCE_DIR=${CMAKE_SOURCE_DIR}\\;ZR_DEMO_DATA=${CMAKE_BINARY_DIR}/data\\;LSAN_OPTIONS=suppressions=${CMAKE_SOURCE_DIR}/tests/lsan-suppressions.txt:print_suppressions=0")

# A GoogleTest executable registered with CTest. Tests run headless. With QT the test of Qt windows gets the
# editors' test main (an application object, modal dialogs that cannot hang) and moc.
function(zr_test name)
  cmake_parse_arguments(ARG "QT;NO_DEMO_DATA" "" "SOURCES;LIBS" ${ARGN})
  add_executable(${name} ${ARG_SOURCES} ${CMAKE_SOURCE_DIR}/tests/support/TestEnvironment.cpp)
  # CTest's environment property keeps only the first of a list through test discovery: the program sets the rest.
  set_source_files_properties(${CMAKE_SOURCE_DIR}/tests/support/TestEnvironment.cpp PROPERTIES COMPILE_DEFINITIONS
                              "ZR_TEST_SOURCE_DIR=\"${CMAKE_SOURCE_DIR}\";ZR_TEST_DEMO_DATA=\"${CMAKE_BINARY_DIR}/data\"")
  if(ARG_QT)
    target_link_libraries(${name} PRIVATE ${ARG_LIBS} editor_test_support GTest::gtest GTest::gmock)
    set_target_properties(${name} PROPERTIES AUTOMOC ON)
  else()
    target_link_libraries(${name} PRIVATE ${ARG_LIBS} GTest::gtest GTest::gtest_main GTest::gmock)
  endif()
  target_include_directories(${name} PRIVATE ${CMAKE_SOURCE_DIR} ${CMAKE_SOURCE_DIR}/tests)
  zr_warnings(${name})
  # Test code gains nothing from -O2 but compile time.
  if(CMAKE_BUILD_TYPE STREQUAL "Release")
    target_compile_options(${name} PRIVATE -O1)
  endif()
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
