# End-to-end tests under Wine: the simulated-unit program's own entry and dialog, driven
# from a second thread of the same process, and the product started as a process of its
# own. Once per interface language; the run at real pacing takes about 50 s, so German
# leaves it out.
# The test's own code and the program pieces of spindra-updater-sim.exe that are sources
# rather than libraries, compiled once for both languages.
add_library(spindra_end_to_end_objects OBJECT
  wine/end_to_end_test.cpp
  wine/dialog_driver.cpp
  wine/simulated_program.cpp
  wine/updater_views.cpp
  ${PROJECT_SOURCE_DIR}/src/platform/win32/entry.cpp
  ${PROJECT_SOURCE_DIR}/src/platform/win32/simulated_bus.cpp)
target_include_directories(spindra_end_to_end_objects PRIVATE ${PROJECT_SOURCE_DIR}/tests ${PROJECT_SOURCE_DIR}/src)
target_link_libraries(spindra_end_to_end_objects PRIVATE GTest::gtest)
# Wine sees the build machine's root directory as drive Z:.
target_compile_definitions(spindra_end_to_end_objects PRIVATE SPINDRA_SIMULATED_UNIT
  SPINDRA_PRODUCT_PROGRAM="Z:$<TARGET_FILE:spindra-updater>")

foreach(locale en_US de_DE)
  set(test_env LANG=${locale}.UTF-8 LC_ALL=${locale}.UTF-8)
  if(locale STREQUAL "de_DE")
    list(APPEND test_env "GTEST_FILTER=-*AtRealPacing*")
  endif()
  add_wine_test(NAME wine_end_to_end_test_${locale}
    SOURCES $<TARGET_OBJECTS:spindra_end_to_end_objects>
    LIBS spindra_main_dialog spindra_core spindra_sim spindra_win32 spindra_resources
         spindra_firmware_image
    ENV ${test_env})
  add_dependencies(wine_end_to_end_test_${locale} spindra-updater)
endforeach()
