# Windows programs: the product, the simulated-unit build, and the tests that run them
# under Wine. Each piece lives in its own file.
add_compile_options(-municode)
add_link_options(-static -static-libgcc -static-libstdc++)

include(cmake/wine_tests.cmake OPTIONAL)         # GoogleTest for Windows, running tests under Wine
include(cmake/windows_resources.cmake OPTIONAL)  # catalogue, dialogs, artwork, image
include(cmake/windows_platform.cmake OPTIONAL)   # platform adapters and the programs
include(cmake/end_to_end_tests.cmake OPTIONAL)   # the programs driven under Wine
include(cmake/stand_in_bus_tests.cmake OPTIONAL) # the product on its own HID path under Wine
