find_package(GTest REQUIRED)

file(GLOB support_sources CONFIGURE_DEPENDS tests/support/*.cpp)
file(GLOB native_test_sources CONFIGURE_DEPENDS tests/native/*.cpp)
add_executable(native_tests ${native_test_sources} ${support_sources})
target_include_directories(native_tests PRIVATE tests src)
# The core and its seam implementations refer to each other, so the linker resolves them as a group.
target_link_libraries(native_tests PRIVATE
  "$<LINK_GROUP:RESCAN,spindra_core,spindra_sim>" GTest::gtest_main)
add_test(NAME native_tests COMMAND native_tests)
set_tests_properties(native_tests PROPERTIES TIMEOUT 300)

# The record of the carried image, taken while configuring, and an empty image refused there.
foreach(case sound empty)
  add_test(NAME image_record_${case}
    COMMAND ${CMAKE_COMMAND} -DCASE=${case} -DWORK_DIR=${CMAKE_BINARY_DIR}/image_record_test/${case}
            -P ${PROJECT_SOURCE_DIR}/tests/cmake/image_record_test.cmake)
endforeach()
set_tests_properties(image_record_empty PROPERTIES PASS_REGULAR_EXPRESSION "empty\\.bin[ \n]+is[ \n]+empty")
