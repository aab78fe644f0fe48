# End-to-end tests under Wine: the simulated-unit program's own entry and dialog, driven
# from a second thread of the same process, and the product started as a process of its
# own. Once per interface language; the run at real pacing takes about 50 s, so German
# leaves it out.
# The simulated-unit program's own entry and the code that drives it from a second thread,
# compiled once for the tests in both languages and the screenshot shooter.
add_library(spindra_driven_program OBJECT
  wine/dialog_driver.cpp
  wine/simulated_program.cpp
  ${PROJECT_SOURCE_DIR}/src/programs/windows/entry.cpp
  ${PROJECT_SOURCE_DIR}/src/programs/windows/simulated_unit_program.cpp)
target_include_directories(spindra_driven_program PRIVATE ${PROJECT_SOURCE_DIR}/tests ${PROJECT_SOURCE_DIR}/src)
target_compile_definitions(spindra_driven_program PRIVATE SPINDRA_SIMULATED_UNIT)
target_link_libraries(spindra_driven_program PRIVATE spindra_program_report)
set(driven_program_libs spindra_main_dialog spindra_program_report spindra_win32_seams spindra_sim
    spindra_resources spindra_firmware_image)

add_library(spindra_end_to_end_objects OBJECT wine/end_to_end_test.cpp wine/updater_views.cpp)
target_include_directories(spindra_end_to_end_objects PRIVATE ${PROJECT_SOURCE_DIR}/tests ${PROJECT_SOURCE_DIR}/src)
target_link_libraries(spindra_end_to_end_objects PRIVATE GTest::gtest nlohmann_json)
# Wine sees the build machine's root directory as drive Z:.
target_compile_definitions(spindra_end_to_end_objects PRIVATE
  SPINDRA_PRODUCT_PROGRAM="Z:$<TARGET_FILE:spindra-updater>")

# Takes the README's pictures with scripts/screenshots.sh; not a test.
add_executable(screenshot_shooter wine/screenshot_shooter.cpp $<TARGET_OBJECTS:spindra_driven_program>)
target_include_directories(screenshot_shooter PRIVATE ${PROJECT_SOURCE_DIR}/tests ${PROJECT_SOURCE_DIR}/src)
target_link_libraries(screenshot_shooter PRIVATE ${driven_program_libs})
target_link_options(screenshot_shooter PRIVATE -municode)

foreach(locale en_US de_DE)
  set(test_env LANG=${locale}.UTF-8 LC_ALL=${locale}.UTF-8)
  if(locale STREQUAL "de_DE")
    list(APPEND test_env "GTEST_FILTER=-*AtRealPacing*")
  endif()
  add_wine_test(NAME wine_end_to_end_test_${locale}
    SOURCES $<TARGET_OBJECTS:spindra_end_to_end_objects> $<TARGET_OBJECTS:spindra_driven_program>
            ${wine_program_reports}
    LIBS ${driven_program_libs}
    PREFIX ${CMAKE_BINARY_DIR}/wineprefix-${locale}
    ENV ${test_env})
  add_dependencies(wine_end_to_end_test_${locale} spindra-updater)
  set(replayed lock-failure)
  if(NOT locale STREQUAL "de_DE")
    list(APPEND replayed whole-update)
  endif()
  add_report_replays(AFTER wine_end_to_end_test_${locale} DIR ${CMAKE_BINARY_DIR}/reports/end-to-end-${locale}
    REPORTS ${replayed})
endforeach()
