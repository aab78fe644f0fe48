# libFuzzer targets over everything a unit sends. The whole build carries the sanitizers
# and coverage instrumentation (see the fuzz preset); only the targets link libFuzzer.
file(GLOB support_sources CONFIGURE_DEPENDS tests/support/*.cpp)
find_package(GTest REQUIRED)  # the recording dialog reports misuse through GoogleTest

function(add_fuzz_target name)
  add_executable(${name} tests/fuzz/${name}.cpp ${support_sources})
  target_include_directories(${name} PRIVATE tests src)
  target_link_options(${name} PRIVATE -fsanitize=fuzzer)
  target_link_libraries(${name} PRIVATE "$<LINK_GROUP:RESCAN,spindra_core,spindra_sim>" GTest::gtest)
endfunction()

add_fuzz_target(identity_fuzz)
add_fuzz_target(update_fuzz)
add_fuzz_target(broadcast_fuzz)
