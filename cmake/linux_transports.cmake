# Linux: the adapters every program shares (the system adapter is each program's own object:
# linux_programs.cmake).

# hidraw and its report descriptors, and the signals held while an update writes.
find_package(Threads REQUIRED)
add_library(spindra_linux STATIC
  src/adapters/linux/hidraw.cpp
  src/adapters/linux/interruptions.cpp
  src/adapters/linux/report_descriptor.cpp)
target_link_libraries(spindra_linux PUBLIC spindra_seams Threads::Threads)
