# libFuzzer targets over everything a unit sends. The whole build carries the sanitizers
# and coverage instrumentation (see the fuzz preset); only the targets link libFuzzer.
find_package(GTest REQUIRED)  # the recording dialog reports misuse through GoogleTest

# add_fuzz_target(<name> <libraries...>)
function(add_fuzz_target name)
  add_executable(${name} ${CMAKE_CURRENT_SOURCE_DIR}/fuzz/${name}.cpp ${support_sources})
  target_include_directories(${name} PRIVATE ${CMAKE_CURRENT_SOURCE_DIR})
  target_link_options(${name} PRIVATE -fsanitize=fuzzer)
  target_link_libraries(${name} PRIVATE ${ARGN} GTest::gtest)
endfunction()

add_fuzz_target(identity_fuzz spindra_ui spindra_sim)
add_fuzz_target(update_fuzz spindra_ui spindra_sim)
add_fuzz_target(broadcast_fuzz spindra_ui spindra_sim)
# The Linux transport's own parsers: report descriptors from sysfs and exchange files. The
# tests' support, linked into every target, reads the catalogue.
add_fuzz_target(descriptor_fuzz spindra_linux spindra_res)
add_fuzz_target(replay_fuzz spindra_ui spindra_exchange)
