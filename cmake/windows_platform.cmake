# Windows adapters behind the platform seams, and the two programs built on them.

enable_language(RC)

# What the Windows adapters share, and the HID transport over SetupAPI and hid.dll.
add_library(spindra_win32 STATIC
  src/adapters/win32/bounded_io.cpp
  src/adapters/win32/common_controls.cpp
  src/adapters/win32/device_broadcast.cpp
  src/adapters/win32/hid_library.cpp
  src/adapters/win32/program_handles.cpp
  src/adapters/win32/shell_library.cpp
  src/adapters/win32/single_instance.cpp
  src/adapters/win32/system_facts.cpp
  src/adapters/win32/system_library.cpp
  src/adapters/win32/win32_hid.cpp)
# uuid: the known folders' ids, linked in.
target_link_libraries(spindra_win32 PUBLIC spindra_seams setupapi uuid)

# The dialog and system seams on user32, comctl32 and the kernel, given to each program as
# objects of its own.
add_library(spindra_win32_seams OBJECT src/adapters/win32/win32_dialog.cpp
  src/adapters/win32/win32_progress_window.cpp src/adapters/win32/win32_system.cpp)
target_link_libraries(spindra_win32_seams PUBLIC spindra_win32)

# The main dialog: its procedure, the picture and the red row.
add_library(spindra_main_dialog STATIC src/programs/windows/main_dialog.cpp)
target_link_libraries(spindra_main_dialog PUBLIC spindra_ui spindra_win32)

# The report a user may ask for on the command line: where it goes, and the recording.
add_library(spindra_program_report STATIC src/programs/windows/program_report.cpp
  src/programs/windows/report_request.cpp)
target_link_libraries(spindra_program_report PUBLIC spindra_exchange spindra_win32)

# Each program's own version resource: file name and description differ between them.
set(version_script ${PROJECT_SOURCE_DIR}/src/res/version_info.rc)

# add_updater_program(<name> [SOURCES <files...>] [LIBS <libraries...>])
function(add_updater_program name)
  cmake_parse_arguments(PARSE_ARGV 1 arg "" "" "SOURCES;LIBS")
  add_executable(${name} WIN32 ${PROJECT_SOURCE_DIR}/src/programs/windows/entry.cpp ${version_script} ${arg_SOURCES})
  # windres reports no dependencies.
  set_source_files_properties(${version_script} TARGET_DIRECTORY ${name}
    PROPERTIES OBJECT_DEPENDS ${PROJECT_SOURCE_DIR}/src/update/image_version.h)
  target_link_options(${name} PRIVATE -municode)  # the entry is wWinMain
  # ASLR and DEP, whatever the linker's defaults (newer ld has them on already).
  target_link_options(${name} PRIVATE -Wl,--dynamicbase,--nxcompat)
  target_link_libraries(${name} PRIVATE spindra_main_dialog spindra_program_report spindra_win32_seams
    spindra_resources ${arg_LIBS})
endfunction()

add_updater_program(spindra-updater)
add_updater_program(spindra-updater-sim SOURCES src/programs/windows/simulated_unit_program.cpp LIBS spindra_sim)
target_compile_definitions(spindra-updater-sim PRIVATE SPINDRA_SIMULATED_UNIT)
# The product carries no placeholder, which the image rule (adapters/image/image_policy.h)
# would never hand out to the units it reaches: without a real image it carries none and
# refuses to update.
target_link_libraries(spindra-updater-sim PRIVATE spindra_firmware_image)
if(SPINDRA_FIRMWARE_IMAGE)
  target_link_libraries(spindra-updater PRIVATE spindra_firmware_image)
else()
  target_sources(spindra-updater PRIVATE src/adapters/image/no_image_record.cpp)
endif()

# Wall time of a whole update against the sum of its pauses (scripts/benchmark.sh); not a test.
add_executable(update_pacing_benchmark benchmarks/update_pacing.cpp tests/wine/program_driver.cpp)
target_include_directories(update_pacing_benchmark PRIVATE src tests/wine)
target_link_options(update_pacing_benchmark PRIVATE -municode)
add_dependencies(update_pacing_benchmark spindra-updater-sim)
