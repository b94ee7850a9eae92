# tolvarin_library(<target> [DEPS <targets>...])
# Builds every .cpp/.c below the calling folder into one static library.
function(tolvarin_library target)
  cmake_parse_arguments(ARG "" "" "DEPS" ${ARGN})
  file(GLOB_RECURSE sources CONFIGURE_DEPENDS
       ${CMAKE_CURRENT_SOURCE_DIR}/*.cpp ${CMAKE_CURRENT_SOURCE_DIR}/*.c)
  if(sources)
    add_library(${target} STATIC ${sources})
    target_link_libraries(${target} PUBLIC ${ARG_DEPS})
    target_include_directories(${target} PUBLIC ${PROJECT_SOURCE_DIR})
  else()
    add_library(${target} INTERFACE)
    target_link_libraries(${target} INTERFACE ${ARG_DEPS})
    target_include_directories(${target} INTERFACE ${PROJECT_SOURCE_DIR})
  endif()
endfunction()

# Time limits of the tests, in seconds, sized for the normal build. The
# sanitizer build's unoptimized, instrumented code runs several times slower
# (the software rasterizer most of all), so its limits are this many times
# longer.
set(TOLVARIN_TIMEOUT_SCALE 1)
if(TOLVARIN_SANITIZE)
  set(TOLVARIN_TIMEOUT_SCALE 8)
endif()

# tolvarin_tests(<target> [DEPS <targets>...] [TIMEOUT <seconds>]
#                [SLOW <gtest filter> <seconds>]... [PROPERTIES <name> <value>...])
# One GoogleTest program for the test sources below the calling folder;
# PROPERTIES are set on each of its tests. Every test gets a time limit:
# TIMEOUT (default 60 s) for the program's tests, and the tests a SLOW filter
# names (say "ClearRun.*:NoDrawOption.*") get that group's own limit instead.
function(tolvarin_tests target)
  cmake_parse_arguments(ARG "" "TIMEOUT" "DEPS;SLOW;PROPERTIES" ${ARGN})
  file(GLOB_RECURSE sources CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*.cpp)
  if(NOT sources)
    return()
  endif()
  if(NOT ARG_TIMEOUT)
    set(ARG_TIMEOUT 60)
  endif()
  add_executable(${target} ${sources})
  target_link_libraries(${target} PRIVATE ${ARG_DEPS} test_support GTest::gtest GTest::gtest_main)
  target_compile_definitions(${target} PRIVATE
    TOLVARIN_SOURCE_DIR="${PROJECT_SOURCE_DIR}"
    TOLVARIN_BUILD_DIR="${PROJECT_BINARY_DIR}"
    TOLVARIN_TEST_DIR="${CMAKE_CURRENT_SOURCE_DIR}")
  # Tests never need a display or a sound card: SDL's dummy drivers.
  set_target_properties(${target} PROPERTIES CROSSCOMPILING_EMULATOR
    "env;SDL_VIDEODRIVER=dummy;SDL_AUDIODRIVER=dummy")

  # Parameterised tests are named by their suites' name generators alone; the
  # printed parameter stays out of the test name. The slow groups are each
  # discovered with their own limit, the rest without them.
  list(LENGTH ARG_SLOW slowLength)
  math(EXPR odd "${slowLength} % 2")
  if(odd)
    message(FATAL_ERROR "tolvarin_tests(${target}): SLOW takes pairs of a gtest filter and seconds")
  endif()
  set(slowFilters "")
  set(group 0)
  while(slowLength GREATER 0)
    list(POP_FRONT ARG_SLOW filter seconds)
    math(EXPR limit "${seconds} * ${TOLVARIN_TIMEOUT_SCALE}")
    math(EXPR group "${group} + 1")
    gtest_discover_tests(${target}
      WORKING_DIRECTORY ${PROJECT_BINARY_DIR}
      DISCOVERY_MODE PRE_TEST
      NO_PRETTY_VALUES
      TEST_FILTER "${filter}"
      TEST_LIST ${target}_SLOW_${group}_TESTS
      PROPERTIES TIMEOUT ${limit} ${ARG_PROPERTIES})
    if(slowFilters)
      string(APPEND slowFilters ":")
    endif()
    string(APPEND slowFilters "${filter}")
    list(LENGTH ARG_SLOW slowLength)
  endwhile()
  math(EXPR limit "${ARG_TIMEOUT} * ${TOLVARIN_TIMEOUT_SCALE}")
  set(rest "")
  if(slowFilters)
    set(rest TEST_FILTER "-${slowFilters}")
  endif()
  gtest_discover_tests(${target}
    WORKING_DIRECTORY ${PROJECT_BINARY_DIR}
    DISCOVERY_MODE PRE_TEST
    NO_PRETTY_VALUES
    ${rest}
    PROPERTIES TIMEOUT ${limit} ${ARG_PROPERTIES})
endfunction()
