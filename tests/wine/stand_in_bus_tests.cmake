# The product exe on its own Win32 HID path under Wine. Stand-in setupapi.dll and hid.dll
# (test helpers, never shipped) describe the devices of a stand-in bus whose server serves
# the simulated unit model as message-mode named pipes; the product opens, writes and reads
# those through kernel32 as it would a HID device. The product is built again for this with
# a generated test image of its own, and runs in a Wine prefix of its own, where per-program
# overrides give it the stand-ins.
set(stand_in_dir ${CMAKE_BINARY_DIR}/stand-in-bus)
set(stand_in_sources ${CMAKE_CURRENT_SOURCE_DIR}/wine/stand_in_bus)

# The test image: same kind and size as the placeholder, other bytes.
set(test_image ${stand_in_dir}/image/firmware_image.bin)
make_generated_image_now(${test_image} 0x54455354)
add_firmware_image(stand_in_test_image ${test_image} 0)

# The product with the test image, under the product's own name: the overrides go by name.
add_updater_program(spindra-updater-test-image)
target_link_libraries(spindra-updater-test-image PRIVATE stand_in_test_image)
set_target_properties(spindra-updater-test-image PROPERTIES
  OUTPUT_NAME spindra-updater RUNTIME_OUTPUT_DIRECTORY ${stand_in_dir})

# The stand-in DLLs, exporting the undecorated names of the system's.
add_library(stand_in_control STATIC ${stand_in_sources}/control_client.cpp ${stand_in_sources}/device_list.cpp)
foreach(dll setupapi hid)
  add_library(stand_in_${dll} SHARED ${stand_in_sources}/${dll}.cpp)
  target_link_libraries(stand_in_${dll} PRIVATE stand_in_control)
  target_link_options(stand_in_${dll} PRIVATE -Wl,--kill-at)
  set_target_properties(stand_in_${dll} PROPERTIES OUTPUT_NAME ${dll} PREFIX "" LIBRARY_OUTPUT_DIRECTORY ${stand_in_dir}
    RUNTIME_OUTPUT_DIRECTORY ${stand_in_dir}/dlls)
endforeach()

add_executable(stand_in_bus_server ${stand_in_sources}/server.cpp
  ${PROJECT_SOURCE_DIR}/src/adapters/image/no_image_record.cpp)
target_link_options(stand_in_bus_server PRIVATE -municode)
target_link_libraries(stand_in_bus_server PRIVATE spindra_sim spindra_win32_seams)

set(test_name wine_product_hid_path_test)
set(PRODUCT_EXE spindra-updater.exe)
set(TEST_EXE ${test_name}.exe)
configure_file(${stand_in_sources}/stand_in_bus.reg.in ${stand_in_dir}/stand_in_bus.reg @ONLY)
add_wine_test(NAME ${test_name}
  SOURCES wine/product_hid_path_test.cpp wine/program_driver.cpp wine/dialog_driver.cpp
          wine/updater_views.cpp ${wine_program_reports} ${stand_in_sources}/control_client.cpp
  LIBS spindra_ui nlohmann_json
  PREFIX ${stand_in_dir}/wineprefix
  ENV LANG=en_US.UTF-8 LC_ALL=en_US.UTF-8
      "WINE_PREFIX_SYSTEM_DLLS=$<TARGET_FILE:stand_in_setupapi>:$<TARGET_FILE:stand_in_hid>"
      WINE_PREFIX_REGISTRY=${stand_in_dir}/stand_in_bus.reg)
# Wine sees the build machine's root directory as drive Z:.
target_compile_definitions(${test_name} PRIVATE
  STAND_IN_PRODUCT="Z:$<TARGET_FILE:spindra-updater-test-image>"
  STAND_IN_SERVER="Z:$<TARGET_FILE:stand_in_bus_server>")
target_include_directories(${test_name} PRIVATE ${stand_in_sources})
add_dependencies(${test_name} spindra-updater-test-image stand_in_setupapi stand_in_hid stand_in_bus_server)
add_report_replays(AFTER ${test_name} DIR ${CMAKE_BINARY_DIR}/reports/product-hid-path
  REPORTS product-ready product-lock-failure)
