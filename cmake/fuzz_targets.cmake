# libFuzzer targets over everything a unit sends. The whole build carries the sanitizers
# and coverage instrumentation (see the fuzz preset); only the targets link libFuzzer.
file(GLOB support_sources CONFIGURE_DEPENDS tests/support/*.cpp)
find_package(GTest REQUIRED)  # the recording dialog reports misuse through GoogleTest

# add_fuzz_target(<name> [TRANSPORT <library>]): the transport serves the hid:: seam, the
# simulated unit unless named.
function(add_fuzz_target name)
  cmake_parse_arguments(PARSE_ARGV 1 arg "" "TRANSPORT" "")
  if(NOT arg_TRANSPORT)
    set(arg_TRANSPORT spindra_sim)
  endif()
  add_executable(${name} tests/fuzz/${name}.cpp ${support_sources})
  target_include_directories(${name} PRIVATE tests src)
  target_link_options(${name} PRIVATE -fsanitize=fuzzer)
  target_link_libraries(${name} PRIVATE "$<LINK_GROUP:RESCAN,spindra_core,${arg_TRANSPORT}>" GTest::gtest)
endfunction()

add_fuzz_target(identity_fuzz)
add_fuzz_target(update_fuzz)
add_fuzz_target(broadcast_fuzz)

# The Linux transport's own parsers: report descriptors from sysfs and exchange files.
find_package(nlohmann_json 3 REQUIRED)
add_library(spindra_linux_fuzz STATIC
  src/exchange/exchange_replay.cpp
  src/exchange/hex_text.cpp
  src/platform/linux/hid_adapter.cpp
  src/platform/linux/hidraw.cpp
  src/exchange/json_line.cpp
  src/platform/linux/report_descriptor.cpp)
target_include_directories(spindra_linux_fuzz PUBLIC src)
target_link_libraries(spindra_linux_fuzz PUBLIC nlohmann_json::nlohmann_json)
add_fuzz_target(descriptor_fuzz TRANSPORT spindra_linux_fuzz)
add_fuzz_target(replay_fuzz TRANSPORT spindra_linux_fuzz)
