# The fast native tests: the core against the simulated unit, the recording dialog and the
# virtual clock; the Linux transports on prepared trees; spindra-update run as a user would.
find_package(GTest REQUIRED)

# In folders that mirror src/.
file(GLOB_RECURSE native_test_sources CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/native/*.cpp)
add_executable(native_tests ${native_test_sources} ${support_sources})
target_include_directories(native_tests PRIVATE ${CMAKE_CURRENT_SOURCE_DIR} ${spindra_generated_dir})
target_link_libraries(native_tests PRIVATE
  spindra_cli GTest::gtest_main)
# The program the tests run, and the image it carries to compare with.
add_dependencies(native_tests spindra-update)
target_compile_definitions(native_tests PRIVATE
  SPINDRA_UPDATE_PROGRAM="$<TARGET_FILE:spindra-update>" SPINDRA_UPDATE_IMAGE="${SPINDRA_EMBEDDED_IMAGE}")
# In two halves side by side (GoogleTest's shards): much of their time goes to programs that
# wait at real pacing.
foreach(shard 0 1)
  add_test(NAME native_tests_${shard} COMMAND native_tests)
  set_tests_properties(native_tests_${shard} PROPERTIES
    ENVIRONMENT "GTEST_TOTAL_SHARDS=2;GTEST_SHARD_INDEX=${shard}" TIMEOUT 300)
endforeach()

# spindra-update as the tests run it on prepared hidraw trees, carrying an image of its own:
# 100 blocks, the last one partial, so that a whole update at real pacing takes seconds.
set(cli_test_image ${CMAKE_BINARY_DIR}/test-image/firmware_image.bin)
make_generated_image_now(${cli_test_image} 0x54455354 4790)
add_command_line_program(spindra-update-test MAIN ${CMAKE_CURRENT_SOURCE_DIR}/programs/cli_on_test_roots.cpp
  IMAGE ${cli_test_image} PLACEHOLDER 0)
add_dependencies(native_tests spindra-update-test)
target_compile_definitions(native_tests PRIVATE
  SPINDRA_UPDATE_TEST_PROGRAM="$<TARGET_FILE:spindra-update-test>" SPINDRA_UPDATE_TEST_IMAGE="${cli_test_image}")

# The record of the carried image, taken while configuring, and an empty image refused there.
foreach(case sound empty)
  add_test(NAME image_record_${case}
    COMMAND ${CMAKE_COMMAND} -DCASE=${case} -DWORK_DIR=${CMAKE_BINARY_DIR}/image_record_test/${case}
            -P ${CMAKE_CURRENT_SOURCE_DIR}/cmake/image_record_test.cmake)
endforeach()
set_tests_properties(image_record_empty PROPERTIES PASS_REGULAR_EXPRESSION "empty\\.bin[ \n]+is[ \n]+empty")

# The Debian package, made by the package's build alone: built, looked into, checked by
# lintian, installed and purged in a throwaway root; and built once more the other way, with
# the test image where this build carries none, without an image where it carries one.
if(SPINDRA_DEBIAN_PACKAGE)
  add_test(NAME deb_package
    COMMAND sh ${CMAKE_CURRENT_SOURCE_DIR}/package/deb_package_test.sh ${CMAKE_BINARY_DIR} ${PROJECT_SOURCE_DIR}
            ${CMAKE_COMMAND} ${CMAKE_CPACK_COMMAND} ${SPINDRA_EMBEDDED_IMAGE} ${SPINDRA_IMAGE_IS_PLACEHOLDER}
            ${cli_test_image})
endif()
