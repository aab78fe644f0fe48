# Windows programs: the product and the simulated-unit build, each piece in its own file.
# Their tests under Wine are in tests/wine/.
add_compile_options(-municode)
add_link_options(-static -static-libgcc -static-libstdc++)

# One commit builds the same bytes in any folder at any time. The compilers write no build
# paths into the programs, and the PE time stamp is SOURCE_DATE_EPOCH as found when
# configuring (ld reads it at link time, so every link is handed that value), or else zero.
add_compile_options("$<$<COMPILE_LANGUAGE:C,CXX>:-ffile-prefix-map=${PROJECT_SOURCE_DIR}=.>"
                    "$<$<COMPILE_LANGUAGE:C,CXX>:-ffile-prefix-map=${CMAKE_BINARY_DIR}=build>")
if(DEFINED ENV{SOURCE_DATE_EPOCH})
  set(CMAKE_CXX_LINKER_LAUNCHER ${CMAKE_COMMAND} -E env SOURCE_DATE_EPOCH=$ENV{SOURCE_DATE_EPOCH})
else()
  add_link_options(-Wl,--no-insert-timestamp)
endif()

include(cmake/windows_resources.cmake)  # catalogue, dialogs, artwork, image
include(cmake/windows_platform.cmake)   # platform adapters and the programs
