# Linux: the command-line updater spindra-update over the hidraw transport.

include(cmake/firmware_image.cmake)

# The udev rule ships as a file and is quoted by the permission hint: one text for both.
set(UDEV_RULE_FILE src/platform/linux/70-spindra-update.rules)
get_filename_component(UDEV_RULE_NAME ${UDEV_RULE_FILE} NAME)
file(READ ${UDEV_RULE_FILE} UDEV_RULE_TEXT)
set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${UDEV_RULE_FILE})
set(spindra_generated_dir ${CMAKE_BINARY_DIR}/generated)
configure_file(src/cli/udev_rule.h.in ${spindra_generated_dir}/cli/udev_rule.h @ONLY)

# The command line's texts and the permission hint, also for the tests.
add_library(spindra_cli_texts STATIC src/cli/cli_texts.cpp src/cli/permission_hint.cpp)
target_include_directories(spindra_cli_texts PUBLIC ${spindra_generated_dir})
target_link_libraries(spindra_cli_texts PUBLIC spindra_base)

set(spindra_update_system src/cli/linux_system.cpp)
write_image_record(${SPINDRA_EMBEDDED_IMAGE} ${spindra_generated_dir}/image_record.cpp)
add_executable(spindra-update
  ${spindra_generated_dir}/image_record.cpp
  src/cli/command_line.cpp
  src/cli/main.cpp
  src/cli/options.cpp
  src/cli/scenarios.cpp
  src/cli/terminal_dialog.cpp
  ${spindra_update_system})
target_compile_definitions(spindra-update PRIVATE
  SPINDRA_IMAGE_FILE="${SPINDRA_EMBEDDED_IMAGE}" SPINDRA_IMAGE_IS_PLACEHOLDER=${SPINDRA_IMAGE_IS_PLACEHOLDER})
set_source_files_properties(${spindra_update_system} PROPERTIES OBJECT_DEPENDS ${SPINDRA_EMBEDDED_IMAGE})
target_link_libraries(spindra-update PRIVATE spindra_core spindra_hidraw spindra_exchange spindra_sim spindra_cli_texts)

include(cmake/debian_package.cmake)
