# Linux: the recording and replay of the unit's exchanges that stand in front of a transport
# or in place of it, and the Linux adapters every program shares (the system adapter is each
# program's own object: linux_programs.cmake).

find_package(nlohmann_json 3 REQUIRED)
file(GLOB exchange_sources CONFIGURE_DEPENDS src/adapters/exchange/*.cpp)
add_library(spindra_exchange STATIC ${exchange_sources})
target_link_libraries(spindra_exchange PUBLIC spindra_ui nlohmann_json::nlohmann_json)

# hidraw and its report descriptors, and the signals held while an update writes.
find_package(Threads REQUIRED)
add_library(spindra_linux STATIC
  src/adapters/linux/hidraw.cpp
  src/adapters/linux/interruptions.cpp
  src/adapters/linux/report_descriptor.cpp)
target_link_libraries(spindra_linux PUBLIC spindra_seams Threads::Threads)
