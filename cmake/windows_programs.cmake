# Windows programs: the product and the simulated-unit build, each piece in its own file.
# Their tests under Wine are in tests/wine/.
add_compile_options(-municode)
add_link_options(-static -static-libgcc -static-libstdc++)

include(cmake/windows_resources.cmake)  # catalogue, dialogs, artwork, image
include(cmake/windows_platform.cmake)   # platform adapters and the programs
