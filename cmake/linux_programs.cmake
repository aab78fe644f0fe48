# Linux: the hidraw transport with recording and replay of the unit's exchanges.

# Portable pieces, tested natively: no hid:: or dlg:: of their own.
find_package(nlohmann_json 3 REQUIRED)
add_library(spindra_linux STATIC
  src/exchange/exchange_record.cpp
  src/exchange/exchange_replay.cpp
  src/exchange/hex_text.cpp
  src/platform/linux/hidraw.cpp
  src/exchange/json_line.cpp
  src/platform/linux/report_descriptor.cpp)
target_link_libraries(spindra_linux PUBLIC spindra_core nlohmann_json::nlohmann_json)

# The hid:: seam over those transports, for the Linux program only (the tests have the simulated unit there).
add_library(spindra_hidraw STATIC src/platform/linux/hid_adapter.cpp)
target_link_libraries(spindra_hidraw PUBLIC spindra_linux)

target_link_libraries(native_tests PRIVATE spindra_linux)

# --- spindra-update: the command-line updater ---

include(cmake/firmware_image.cmake)

# The udev rule ships as a file and is quoted by the permission hint: one text for both.
set(UDEV_RULE_FILE src/platform/linux/70-spindra-update.rules)
get_filename_component(UDEV_RULE_NAME ${UDEV_RULE_FILE} NAME)
file(READ ${UDEV_RULE_FILE} UDEV_RULE_TEXT)
set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${UDEV_RULE_FILE})
set(spindra_generated_dir ${CMAKE_BINARY_DIR}/generated)
configure_file(src/cli/udev_rule.h.in ${spindra_generated_dir}/cli/udev_rule.h @ONLY)

# The simulated unit without its hid:: side: spindra-update chooses its transport when it starts.
file(GLOB sim_model_sources CONFIGURE_DEPENDS src/platform/sim/*.cpp)
list(FILTER sim_model_sources EXCLUDE REGEX "/simulated_hid\\.cpp$")
add_library(spindra_sim_model STATIC ${sim_model_sources})
target_include_directories(spindra_sim_model PUBLIC src)

set(spindra_update_system src/cli/linux_system.cpp)
write_image_record(${SPINDRA_EMBEDDED_IMAGE} ${spindra_generated_dir}/image_record.cpp)
add_executable(spindra-update
  ${spindra_generated_dir}/image_record.cpp
  src/cli/cli_texts.cpp
  src/cli/command_line.cpp
  src/cli/main.cpp
  src/cli/options.cpp
  src/cli/scenarios.cpp
  src/cli/terminal_dialog.cpp
  ${spindra_update_system})
target_include_directories(spindra-update PRIVATE ${spindra_generated_dir})
target_compile_definitions(spindra-update PRIVATE
  SPINDRA_IMAGE_FILE="${SPINDRA_EMBEDDED_IMAGE}" SPINDRA_IMAGE_IS_PLACEHOLDER=${SPINDRA_IMAGE_IS_PLACEHOLDER})
set_source_files_properties(${spindra_update_system} PROPERTIES OBJECT_DEPENDS ${SPINDRA_EMBEDDED_IMAGE})
target_link_libraries(spindra-update PRIVATE
  "$<LINK_GROUP:RESCAN,spindra_core,spindra_hidraw,spindra_linux,spindra_sim_model>")

install(TARGETS spindra-update RUNTIME DESTINATION bin)
install(FILES ${UDEV_RULE_FILE} DESTINATION lib/udev/rules.d)

# The native tests run the program as a user would and compare with the image it carries.
add_dependencies(native_tests spindra-update)
target_include_directories(native_tests PRIVATE ${spindra_generated_dir})
target_compile_definitions(native_tests PRIVATE
  SPINDRA_UPDATE_PROGRAM="$<TARGET_FILE:spindra-update>" SPINDRA_UPDATE_IMAGE="${SPINDRA_EMBEDDED_IMAGE}")
