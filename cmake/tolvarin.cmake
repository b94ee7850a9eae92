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

# tolvarin_tests(<target> [DEPS <targets>...] [PROPERTIES <name> <value>...])
# One GoogleTest program for the test sources below the calling folder;
# PROPERTIES are set on each of its tests.
function(tolvarin_tests target)
  cmake_parse_arguments(ARG "" "" "DEPS;PROPERTIES" ${ARGN})
  file(GLOB_RECURSE sources CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*.cpp)
  if(NOT sources)
    return()
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
  set(properties)
  if(ARG_PROPERTIES)
    set(properties PROPERTIES ${ARG_PROPERTIES})
  endif()
  # Parameterised tests are named by their suites' name generators alone; the
  # printed parameter stays out of the test name.
  gtest_discover_tests(${target}
    WORKING_DIRECTORY ${PROJECT_BINARY_DIR}
    DISCOVERY_MODE PRE_TEST
    NO_PRETTY_VALUES
    ${properties})
endfunction()
