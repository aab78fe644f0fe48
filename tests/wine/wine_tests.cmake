# GoogleTest built for Windows from the distribution's sources, and add_wine_test, which
# builds a Windows test program and has ctest run it under Wine.

set(GOOGLETEST_SOURCE_DIR /usr/src/googletest CACHE PATH "GoogleTest sources to build for Windows")
set(BUILD_GMOCK OFF CACHE BOOL "" FORCE)
set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
add_subdirectory(${GOOGLETEST_SOURCE_DIR} ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL SYSTEM)

set(WINE_TEST_RUNNER ${CMAKE_CURRENT_SOURCE_DIR}/wine/run-under-wine.sh)
set(WINE_TEST_PREFIX ${CMAKE_BINARY_DIR}/wineprefix)

# A 64-bit build runs under wine64, named to the runner and to Wine as WINELOADER; Debian's
# wine, the runner's default, starts the 32-bit programs and needs wine32.
set(WINE_LOADER_ENVIRONMENT "")
if(CMAKE_SIZEOF_VOID_P EQUAL 8)
  find_program(WINE64_LOADER wine64 PATHS /usr/lib/wine DOC "The Wine loader of 64-bit programs" REQUIRED)
  set(WINE_LOADER_ENVIRONMENT "WINELOADER=${WINE64_LOADER}")
endif()

# add_wine_test(NAME <name> SOURCES <files...> LIBS <targets...> [ENV <VAR=value...>] [PREFIX <dir>])
# PREFIX gives the test a Wine prefix of its own in place of the shared one. A test with a prefix
# of its own has a wineserver of its own, whose windows, claims and files no other test sees, so
# it runs beside the others; the tests of the shared prefix run one at a time.
function(add_wine_test)
  cmake_parse_arguments(PARSE_ARGV 0 arg "" "NAME;PREFIX" "SOURCES;LIBS;ENV")
  if(NOT arg_NAME OR NOT arg_SOURCES)
    message(FATAL_ERROR "add_wine_test needs NAME and SOURCES")
  endif()
  set(one_at_a_time "")
  if(NOT arg_PREFIX)
    set(arg_PREFIX ${WINE_TEST_PREFIX})
    set(one_at_a_time wine_test_prefix)
  endif()
  set(environment "WINEPREFIX=${arg_PREFIX}" ${WINE_LOADER_ENVIRONMENT} ${arg_ENV})
  add_executable(${arg_NAME} ${arg_SOURCES})
  target_include_directories(${arg_NAME} PRIVATE ${PROJECT_SOURCE_DIR}/tests ${PROJECT_SOURCE_DIR}/src)
  target_link_libraries(${arg_NAME} PRIVATE ${arg_LIBS} GTest::gtest_main)
  add_test(NAME ${arg_NAME} COMMAND ${WINE_TEST_RUNNER} $<TARGET_FILE:${arg_NAME}>)
  set_tests_properties(${arg_NAME} PROPERTIES
    ENVIRONMENT "${environment}"
    RESOURCE_LOCK "${one_at_a_time}"
    TIMEOUT 900)
endfunction()

add_wine_test(NAME wine_harness_test SOURCES wine/harness_test.cpp ENV SPINDRA_HARNESS_PROBE=passed-through)
# The runner must hand a failing program's exit code on to ctest.
add_test(NAME wine_harness_failure_reaches_ctest
  COMMAND ${WINE_TEST_RUNNER} $<TARGET_FILE:wine_harness_test>
          --gtest_also_run_disabled_tests --gtest_filter=Harness.DISABLED_FailsOnPurpose)
set(environment "WINEPREFIX=${WINE_TEST_PREFIX}" ${WINE_LOADER_ENVIRONMENT})
set_tests_properties(wine_harness_failure_reaches_ctest PROPERTIES
  ENVIRONMENT "${environment}" RESOURCE_LOCK wine_test_prefix WILL_FAIL TRUE TIMEOUT 900)

# What the tests that make reports check of them, compiled once for all of them.
add_library(spindra_wine_program_reports OBJECT wine/program_reports.cpp)
target_include_directories(spindra_wine_program_reports PRIVATE ${PROJECT_SOURCE_DIR}/tests ${PROJECT_SOURCE_DIR}/src)
target_link_libraries(spindra_wine_program_reports PRIVATE GTest::gtest nlohmann_json)
set(wine_program_reports $<TARGET_OBJECTS:spindra_wine_program_reports>)

# add_report_replays(AFTER <test> DIR <folder> REPORTS <names...>): the reports that test leaves
# in the folder (<name>.jsonl, beside each what its replay must show) are each replayed by a test
# of its own, once that test has run. The folder is handed to it as SPINDRA_TEST_REPORTS, as
# Wine sees it (the build machine's root directory is drive Z:).
function(add_report_replays)
  cmake_parse_arguments(PARSE_ARGV 0 arg "" "AFTER;DIR" "REPORTS")
  file(MAKE_DIRECTORY ${arg_DIR})
  set_property(TEST ${arg_AFTER} APPEND PROPERTY ENVIRONMENT "SPINDRA_TEST_REPORTS=Z:${arg_DIR}")
  set_property(TEST ${arg_AFTER} APPEND PROPERTY FIXTURES_SETUP ${arg_AFTER}_reports)
  foreach(report ${arg_REPORTS})
    add_test(NAME ${arg_AFTER}_replays_${report}
      COMMAND ${CMAKE_COMMAND} -DREPLAY_PROGRAM=${SPINDRA_REPLAY_PROGRAM} -DREPORT=${arg_DIR}/${report}.jsonl
              -P ${CMAKE_CURRENT_SOURCE_DIR}/wine/replay_report.cmake)
    set_tests_properties(${arg_AFTER}_replays_${report} PROPERTIES FIXTURES_REQUIRED ${arg_AFTER}_reports)
  endforeach()
endfunction()
