# Under Wine: the resources as Windows serves them, the platform adapters, and what the
# shipped programs import and load.

# The resources as Windows serves them, once per interface language. Wine takes the language
# from LANG only where that locale is installed; LC_ALL is its fallback when it is not.
foreach(locale en_US de_DE)
  add_wine_test(NAME resources_test_${locale} SOURCES wine/resources_test.cpp
    LIBS spindra_resources spindra_firmware_image spindra_res ENV LANG=${locale}.UTF-8 LC_ALL=${locale}.UTF-8)
  # Wine sees the build machine's root directory as drive Z:.
  target_compile_definitions(resources_test_${locale} PRIVATE SPINDRA_EMBEDDED_IMAGE="Z:${SPINDRA_EMBEDDED_IMAGE}")
endforeach()

# A program of the Windows adapters carries an image, or the record of none.
add_wine_test(NAME wine_hid_transport_test
  SOURCES wine/hid_transport_test.cpp ${PROJECT_SOURCE_DIR}/src/adapters/image/no_image_record.cpp
  LIBS spindra_link spindra_win32_seams)
string(REPEAT "x" 3000 LONG_TEXT)  # longer than any text the dialog adapter hands out
configure_file(wine/platform_adapters_test.rc.in ${CMAKE_BINARY_DIR}/platform_adapters_test.rc @ONLY)
add_wine_test(NAME wine_platform_adapters_test
  SOURCES wine/platform_adapters_test.cpp wine/import_hook.cpp ${CMAKE_BINARY_DIR}/platform_adapters_test.rc
  LIBS spindra_win32_seams)

# What the shipped programs import and how they load DLLs at run time. Wine sees the build
# machine's root directory as drive Z:.
set(shipped_programs
  SPINDRA_PRODUCT_EXE="Z:$<TARGET_FILE:spindra-updater>"
  SPINDRA_SIMULATED_EXE="Z:$<TARGET_FILE:spindra-updater-sim>")
add_wine_test(NAME wine_program_image_test SOURCES wine/program_image_test.cpp LIBS version)
target_compile_definitions(wine_program_image_test PRIVATE ${shipped_programs})
add_dependencies(wine_program_image_test spindra-updater spindra-updater-sim)

add_wine_test(NAME wine_single_instance_test
  SOURCES wine/single_instance_test.cpp wine/program_driver.cpp ${wine_program_reports}
  LIBS spindra_res spindra_base nlohmann_json ENV LANG=en_US.UTF-8 LC_ALL=en_US.UTF-8)
target_compile_definitions(wine_single_instance_test PRIVATE ${shipped_programs})
add_dependencies(wine_single_instance_test spindra-updater)

add_wine_test(NAME wine_report_request_test SOURCES wine/report_request_test.cpp ${wine_program_reports}
  LIBS spindra_program_report nlohmann_json)

add_library(planted_dll SHARED wine/planted_dll.cpp)
add_executable(careless_loader wine/careless_loader.cpp)
target_link_options(careless_loader PRIVATE -municode)
add_wine_test(NAME wine_dll_planting_test SOURCES wine/dll_planting_test.cpp wine/program_driver.cpp
  ENV WINEDLLOVERRIDES=hid,comctl32=n,b)
target_compile_definitions(wine_dll_planting_test PRIVATE ${shipped_programs}
  SPINDRA_PLANTED_DLL="Z:$<TARGET_FILE:planted_dll>" SPINDRA_CARELESS_LOADER="Z:$<TARGET_FILE:careless_loader>")
add_dependencies(wine_dll_planting_test spindra-updater spindra-updater-sim planted_dll careless_loader)
