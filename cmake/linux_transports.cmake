# Linux: the hidraw transport, and the recording and replay of the unit's exchanges that
# stand in front of a transport or in place of it.

find_package(nlohmann_json 3 REQUIRED)
add_library(spindra_exchange STATIC
  src/exchange/exchange_record.cpp
  src/exchange/exchange_replay.cpp
  src/exchange/hex_text.cpp
  src/exchange/json_line.cpp)
target_link_libraries(spindra_exchange PUBLIC spindra_base nlohmann_json::nlohmann_json)

add_library(spindra_hidraw STATIC src/platform/linux/hidraw.cpp src/platform/linux/report_descriptor.cpp)
target_link_libraries(spindra_hidraw PUBLIC spindra_exchange)  # hex text of sysfs contents
