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
target_include_directories(spindra_win32 PUBLIC src)
target_link_libraries(spindra_win32 PUBLIC spindra_core)  # the deadline pause

# The HID transport over SetupAPI and hid.dll: the real USB bus.
add_library(spindra_win32_hid STATIC src/platform/win32/bounded_io.cpp src/platform/win32/hid_transport.cpp)
target_link_libraries(spindra_win32_hid PUBLIC spindra_win32 setupapi)

# The main dialog: its procedure, the picture and the red row.
add_library(spindra_main_dialog STATIC src/platform/win32/main_dialog.cpp)
target_link_libraries(spindra_main_dialog PUBLIC spindra_win32)

# add_updater_program(<name> TRANSPORT <library> [SOURCES <files...>])
function(add_updater_program name)
  cmake_parse_arguments(PARSE_ARGV 1 arg "" "TRANSPORT" "SOURCES")
  add_executable(${name} WIN32 src/platform/win32/entry.cpp ${arg_SOURCES})
  target_link_options(${name} PRIVATE -municode)  # the entry is wWinMain
  # ASLR and DEP, whatever the linker's defaults (newer ld has them on already).
  target_link_options(${name} PRIVATE -Wl,--dynamicbase,--nxcompat)
  target_link_libraries(${name} PRIVATE
    "$<LINK_GROUP:RESCAN,spindra_core,spindra_main_dialog,spindra_win32,${arg_TRANSPORT}>")
  if(TARGET spindra_resources)
    target_link_libraries(${name} PRIVATE spindra_resources)
  endif()
endfunction()

add_updater_program(spindra-updater TRANSPORT spindra_win32_hid)
add_updater_program(spindra-updater-sim TRANSPORT spindra_sim SOURCES src/platform/win32/simulated_bus.cpp)
target_compile_definitions(spindra-updater-sim PRIVATE SPINDRA_SIMULATED_UNIT)
# A placeholder written to a real ESC would leave it without working firmware, so the
# product carries an image only when a real one is given; without one it refuses to update.
if(TARGET spindra_firmware_image)
  target_link_libraries(spindra-updater-sim PRIVATE spindra_firmware_image)
  if(SPINDRA_FIRMWARE_IMAGE)
    target_link_libraries(spindra-updater PRIVATE spindra_firmware_image)
  else()
    target_sources(spindra-updater PRIVATE src/platform/win32/no_firmware_image.cpp)
  endif()
endif()

# Wall time of a whole update against the sum of its pauses (scripts/benchmark.sh); not a test.
add_executable(update_pacing_benchmark benchmarks/update_pacing.cpp tests/wine/program_driver.cpp)
target_include_directories(update_pacing_benchmark PRIVATE src tests/wine)
target_link_options(update_pacing_benchmark PRIVATE -municode)
add_dependencies(update_pacing_benchmark spindra-updater-sim)

if(COMMAND add_wine_test)
  add_wine_test(NAME wine_hid_transport_test
    SOURCES tests/wine/hid_transport_test.cpp
    LIBS "$<LINK_GROUP:RESCAN,spindra_core,spindra_win32_hid,spindra_win32>")
  string(REPEAT "x" 3000 LONG_TEXT)  # longer than any text the dialog adapter hands out
  configure_file(tests/wine/platform_adapters_test.rc.in ${CMAKE_BINARY_DIR}/platform_adapters_test.rc @ONLY)
  add_wine_test(NAME wine_platform_adapters_test
    SOURCES tests/wine/platform_adapters_test.cpp ${CMAKE_BINARY_DIR}/platform_adapters_test.rc
    LIBS spindra_win32)

  # What the shipped programs import and how they load DLLs at run time. Wine sees the build
  # machine's root directory as drive Z:.
  set(shipped_programs
    SPINDRA_PRODUCT_EXE="Z:$<TARGET_FILE:spindra-updater>"
    SPINDRA_SIMULATED_EXE="Z:$<TARGET_FILE:spindra-updater-sim>")
  add_wine_test(NAME wine_program_image_test SOURCES tests/wine/program_image_test.cpp)
  target_compile_definitions(wine_program_image_test PRIVATE ${shipped_programs})
  add_dependencies(wine_program_image_test spindra-updater spindra-updater-sim)

  add_wine_test(NAME wine_single_instance_test SOURCES tests/wine/single_instance_test.cpp tests/wine/program_driver.cpp)
  target_compile_definitions(wine_single_instance_test PRIVATE ${shipped_programs})
  add_dependencies(wine_single_instance_test spindra-updater)

  add_library(planted_dll SHARED tests/wine/planted_dll.cpp)
  add_executable(careless_loader tests/wine/careless_loader.cpp)
  target_link_options(careless_loader PRIVATE -municode)
  add_wine_test(NAME wine_dll_planting_test SOURCES tests/wine/dll_planting_test.cpp tests/wine/program_driver.cpp
    ENV WINEDLLOVERRIDES=hid,comctl32=n,b)
  target_compile_definitions(wine_dll_planting_test PRIVATE ${shipped_programs}
    SPINDRA_PLANTED_DLL="Z:$<TARGET_FILE:planted_dll>" SPINDRA_CARELESS_LOADER="Z:$<TARGET_FILE:careless_loader>")
  add_dependencies(wine_dll_planting_test spindra-updater spindra-updater-sim planted_dll careless_loader)
endif()
