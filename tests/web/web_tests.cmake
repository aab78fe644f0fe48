# The browser updater's tests in headless Chromium. The test page carries a generated image as
# if it were the real one, so that units behind the WebHID stand-in can be updated: the
# placeholder's bytes, which the host build carries too where it is given no image, so that its
# spindra-update replays the page's reports of those updates as they happened.
set(web_test_image ${CMAKE_BINARY_DIR}/res/web_test_image_placeholder_bytes.bin)
make_generated_image_now(${web_test_image})
add_web_page(spindra-web-test-page IMAGE ${web_test_image} PLACEHOLDER 0 FOLDER ${CMAKE_BINARY_DIR}/test-site)

# The stand-in's unit: the simulated unit, in WebAssembly, for the worker's navigator.hid.
set(web_test_support ${CMAKE_BINARY_DIR}/test-support)
add_executable(spindra-web-unit-model web/stand_in/unit_model_module.cpp)
target_link_libraries(spindra-web-unit-model PRIVATE spindra_sim)
target_link_options(spindra-web-unit-model PRIVATE -sENVIRONMENT=worker -sMODULARIZE=1 -sEXPORT_NAME=createUnitModel
  -sFILESYSTEM=0 -sDYNAMIC_EXECUTION=0 -sEXPORTED_RUNTIME_METHODS=ccall
  -sEXPORTED_FUNCTIONS=_standInLoad,_standInProductId,_standInReportLength,_standInExchange,_standInFlash,_malloc,_free)
set_target_properties(spindra-web-unit-model PROPERTIES OUTPUT_NAME unit_model SUFFIX .js
  RUNTIME_OUTPUT_DIRECTORY ${web_test_support})

# add_web_test(<file>): one node:test file of tests/web as a test of its own, so that the
# long ones (whole updates at real pacing) run side by side.
function(add_web_test file)
  get_filename_component(name ${file} NAME_WE)
  add_test(NAME web_${name} COMMAND node --test ${CMAKE_CURRENT_SOURCE_DIR}/web/${file})
  set_tests_properties(web_${name} PROPERTIES ENVIRONMENT
    "SPINDRA_WEB_TEST_SITE=${CMAKE_BINARY_DIR}/test-site;\
SPINDRA_WEB_TEST_SUPPORT=${web_test_support};SPINDRA_WEB_TEST_IMAGE=${web_test_image};\
SPINDRA_WEB_SITE=${CMAKE_BINARY_DIR}/site;SPINDRA_WEB_SITE_IMAGE=${SPINDRA_EMBEDDED_IMAGE};\
SPINDRA_WEB_SITE_PLACEHOLDER=${SPINDRA_IMAGE_IS_PLACEHOLDER};SPINDRA_REPLAY_PROGRAM=${SPINDRA_REPLAY_PROGRAM}")
endfunction()

add_web_test(page_test.mjs)
add_web_test(update_test.mjs)
add_web_test(hidden_update_test.mjs)
add_web_test(silent_unit_test.mjs)
add_web_test(one_updater_test.mjs)
add_web_test(unit_notices_test.mjs)
add_web_test(start_test.mjs)
add_web_test(accessibility_test.mjs)
add_web_test(report_test.mjs)
add_web_test(report_update_test.mjs)
