# Windows adapters behind the platform seams, and the two programs built on them.

enable_language(RC)

# Dialog, system and what they share with the HID transport. The simulated-unit build
# uses these with the simulated bus in place of the transport.
add_library(spindra_win32 STATIC
  src/platform/win32/common_controls.cpp
  src/platform/win32/device_broadcast.cpp
  src/platform/win32/dialog.cpp
  src/platform/win32/hid_library.cpp
  src/platform/win32/program_handles.cpp
  src/platform/win32/single_instance.cpp
  src/platform/win32/system.cpp
  src/platform/win32/system_library.cpp)
target_link_libraries(spindra_win32 PUBLIC spindra_base)  # the deadline pause, the device-change record

# The HID transport over SetupAPI and hid.dll: the real USB bus.
add_library(spindra_win32_hid STATIC src/platform/win32/bounded_io.cpp src/platform/win32/hid_transport.cpp)
target_link_libraries(spindra_win32_hid PUBLIC spindra_win32 setupapi)

# The main dialog: its procedure, the picture and the red row.
add_library(spindra_main_dialog STATIC src/platform/win32/main_dialog.cpp)
target_link_libraries(spindra_main_dialog PUBLIC spindra_core spindra_win32)

# Each program's own version resource: file name and description differ between them.
set(version_script ${PROJECT_SOURCE_DIR}/src/res/version_info.rc)

# add_updater_program(<name> TRANSPORT <library> [SOURCES <files...>])
function(add_updater_program name)
  cmake_parse_arguments(PARSE_ARGV 1 arg "" "TRANSPORT" "SOURCES")
  add_executable(${name} WIN32 ${PROJECT_SOURCE_DIR}/src/platform/win32/entry.cpp ${version_script} ${arg_SOURCES})
  # windres reports no dependencies.
  set_source_files_properties(${version_script} TARGET_DIRECTORY ${name}
    PROPERTIES OBJECT_DEPENDS ${PROJECT_SOURCE_DIR}/src/update/image_version.h)
  target_link_options(${name} PRIVATE -municode)  # the entry is wWinMain
  # ASLR and DEP, whatever the linker's defaults (newer ld has them on already).
  target_link_options(${name} PRIVATE -Wl,--dynamicbase,--nxcompat)
  # The transport before the dialog and system adapters: the simulated unit pauses through sys::.
  target_link_libraries(${name} PRIVATE
    spindra_main_dialog spindra_core ${arg_TRANSPORT} spindra_win32 spindra_resources)
endfunction()

add_updater_program(spindra-updater TRANSPORT spindra_win32_hid)
add_updater_program(spindra-updater-sim TRANSPORT spindra_sim SOURCES src/platform/win32/simulated_bus.cpp)
target_compile_definitions(spindra-updater-sim PRIVATE SPINDRA_SIMULATED_UNIT)
# A placeholder written to a real ESC would leave it without working firmware, so the
# product carries an image only when a real one is given; without one it refuses to update.
target_link_libraries(spindra-updater-sim PRIVATE spindra_firmware_image)
if(SPINDRA_FIRMWARE_IMAGE)
  target_link_libraries(spindra-updater PRIVATE spindra_firmware_image)
else()
  target_sources(spindra-updater PRIVATE src/platform/win32/no_firmware_image.cpp)
endif()

# Wall time of a whole update against the sum of its pauses (scripts/benchmark.sh); not a test.
add_executable(update_pacing_benchmark benchmarks/update_pacing.cpp tests/wine/program_driver.cpp)
target_include_directories(update_pacing_benchmark PRIVATE src tests/wine)
target_link_options(update_pacing_benchmark PRIVATE -municode)
add_dependencies(update_pacing_benchmark spindra-updater-sim)
