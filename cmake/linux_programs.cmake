# Linux: the command-line updater spindra-update over the hidraw transport.

include(cmake/firmware_image.cmake)

# The udev rule ships as a file and is quoted by the permission hint: one text for both.
set(UDEV_RULE_FILE src/adapters/linux/70-spindra-update.rules)
get_filename_component(UDEV_RULE_NAME ${UDEV_RULE_FILE} NAME)
file(READ ${UDEV_RULE_FILE} UDEV_RULE_TEXT)
set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${UDEV_RULE_FILE})
set(spindra_generated_dir ${CMAKE_BINARY_DIR}/generated)
configure_file(src/programs/cli/udev_rule.h.in ${spindra_generated_dir}/programs/cli/udev_rule.h @ONLY)

# The terminal's dialog and the system as the command line has them, with the carried image.
set(spindra_update_system src/adapters/linux/linux_system.cpp)
add_library(spindra_linux_seams OBJECT src/adapters/linux/terminal_dialog.cpp ${spindra_update_system})
target_compile_definitions(spindra_linux_seams PRIVATE
  SPINDRA_IMAGE_FILE="${SPINDRA_EMBEDDED_IMAGE}" SPINDRA_IMAGE_IS_PLACEHOLDER=${SPINDRA_IMAGE_IS_PLACEHOLDER})
set_source_files_properties(${spindra_update_system} PROPERTIES OBJECT_DEPENDS ${SPINDRA_EMBEDDED_IMAGE})
target_link_libraries(spindra_linux_seams PUBLIC spindra_linux)

# The program's options, scenarios, permission hint and run, also for the tests.
file(GLOB cli_sources CONFIGURE_DEPENDS src/programs/cli/*.cpp)
list(REMOVE_ITEM cli_sources ${PROJECT_SOURCE_DIR}/src/programs/cli/main.cpp)
add_library(spindra_cli STATIC ${cli_sources})
target_include_directories(spindra_cli PUBLIC ${spindra_generated_dir})
target_link_libraries(spindra_cli PUBLIC spindra_ui spindra_linux spindra_exchange spindra_sim)

write_image_record(${SPINDRA_EMBEDDED_IMAGE} ${spindra_generated_dir}/image_record.cpp)
add_executable(spindra-update src/programs/cli/main.cpp ${spindra_generated_dir}/image_record.cpp)
target_link_libraries(spindra-update PRIVATE spindra_cli spindra_linux_seams)

include(cmake/debian_package.cmake)
