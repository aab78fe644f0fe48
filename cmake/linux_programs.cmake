# Linux: the hidraw transport with recording and replay of the unit's exchanges.

# Portable pieces, tested natively: no hid:: or dlg:: of their own.
add_library(spindra_linux STATIC
  src/platform/linux/exchange_record.cpp
  src/platform/linux/exchange_replay.cpp
  src/platform/linux/hex_text.cpp
  src/platform/linux/hidraw.cpp
  src/platform/linux/json_line.cpp
  src/platform/linux/report_descriptor.cpp)
target_link_libraries(spindra_linux PUBLIC spindra_core)

# The hid:: seam over those transports, for the Linux program only (the tests have the simulated unit there).
add_library(spindra_hidraw STATIC src/platform/linux/hid_adapter.cpp)
target_link_libraries(spindra_hidraw PUBLIC spindra_linux)

target_link_libraries(native_tests PRIVATE spindra_linux)
