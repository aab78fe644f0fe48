# Linux: the command-line updater spindra-update over the hidraw transport.

include(cmake/firmware_image.cmake)

include(cmake/udev_rule.cmake)

# The program's options, texts, scenarios, permission hint and run, also for the tests; its
# main and its dialog adapter are each program's own objects.
set(terminal_dialog ${PROJECT_SOURCE_DIR}/src/programs/cli/terminal_dialog.cpp)
file(GLOB cli_sources CONFIGURE_DEPENDS src/programs/cli/*.cpp)
list(REMOVE_ITEM cli_sources ${PROJECT_SOURCE_DIR}/src/programs/cli/main.cpp ${terminal_dialog})
add_library(spindra_cli STATIC ${cli_sources})
target_include_directories(spindra_cli PUBLIC ${spindra_generated_dir})
target_link_libraries(spindra_cli PUBLIC spindra_ui spindra_linux spindra_exchange spindra_sim)

# add_command_line_program(<name> MAIN <source> IMAGE <file> PLACEHOLDER <0|1>): the command
# line with its own main, carrying an image and the record of it. The terminal's dialog and
# the system adapter, which embeds the image, are the program's own objects.
function(add_command_line_program name)
  cmake_parse_arguments(PARSE_ARGV 1 arg "" "MAIN;IMAGE;PLACEHOLDER" "")
  set(system_adapter ${PROJECT_SOURCE_DIR}/src/adapters/linux/linux_system.cpp)
  write_image_record(${arg_IMAGE} ${CMAKE_BINARY_DIR}/generated/${name}/image_record.cpp ${arg_PLACEHOLDER})
  add_executable(${name} ${arg_MAIN} ${CMAKE_BINARY_DIR}/generated/${name}/image_record.cpp
    ${terminal_dialog} ${system_adapter})
  target_compile_definitions(${name} PRIVATE SPINDRA_IMAGE_FILE="${arg_IMAGE}")
  set_property(SOURCE ${system_adapter} APPEND PROPERTY OBJECT_DEPENDS ${arg_IMAGE})
  target_link_libraries(${name} PRIVATE spindra_cli)
endfunction()

add_command_line_program(spindra-update MAIN src/programs/cli/main.cpp
  IMAGE ${SPINDRA_EMBEDDED_IMAGE} PLACEHOLDER ${SPINDRA_IMAGE_IS_PLACEHOLDER})

include(cmake/debian_package.cmake)
