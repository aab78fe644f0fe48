# The browser updater's tests in headless Chromium. The test page carries a generated image as
# if it were the real one, so that units behind the WebHID stand-in can be updated.
set(web_test_image ${CMAKE_BINARY_DIR}/res/web_test_image.bin)
make_generated_image_now(${web_test_image} 0x57454254)
add_web_page(spindra-web-test-page IMAGE ${web_test_image} PLACEHOLDER 0 FOLDER ${CMAKE_BINARY_DIR}/test-site)
