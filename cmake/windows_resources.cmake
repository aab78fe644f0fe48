# Resources linked into the Windows programs: the catalogue and the dialog templates in
# English and German, the manifest, and the icon, picture and firmware image, which the
# build produces with small generators compiled for the build machine.

include(cmake/firmware_image.cmake)
set(SPINDRA_RESOURCE_DIR ${CMAKE_BINARY_DIR}/res)

add_host_tool(make_artwork)
add_custom_command(OUTPUT ${SPINDRA_RESOURCE_DIR}/updater.ico ${SPINDRA_RESOURCE_DIR}/setup_picture.bmp
  COMMAND ${host_tool_dir}/make_artwork ${SPINDRA_RESOURCE_DIR}/updater.ico ${SPINDRA_RESOURCE_DIR}/setup_picture.bmp
  DEPENDS ${host_tool_dir}/make_artwork
  COMMENT "Drawing the icon and the set-up picture"
  VERBATIM)

set(resource_script ${PROJECT_SOURCE_DIR}/src/res/updater.rc)
add_library(spindra_resources OBJECT ${resource_script})
target_include_directories(spindra_resources PRIVATE ${PROJECT_SOURCE_DIR}/src/res ${SPINDRA_RESOURCE_DIR})
# The texts are UTF-8 narrow literals: windres must read them in code page 65001 to store
# them as the exact wide texts. windres reports no dependencies, so everything the script
# pulls in is listed here.
set_source_files_properties(${resource_script} PROPERTIES
  COMPILE_OPTIONS --codepage=65001
  OBJECT_DEPENDS "${PROJECT_SOURCE_DIR}/src/res/messages.def;${PROJECT_SOURCE_DIR}/src/res/dialog_templates.inc;${PROJECT_SOURCE_DIR}/src/res/dialog_texts.h;\
${PROJECT_SOURCE_DIR}/src/res/updater.manifest;${SPINDRA_RESOURCE_DIR}/updater.ico;\
${SPINDRA_RESOURCE_DIR}/setup_picture.bmp")

# add_firmware_image(<target> <image> <placeholder 0|1>): an object library that gives a
# program the image as raw-data resource 140 together with the record of its size and SHA-256
# that the updater checks it against. Every program that carries an image links one of these.
function(add_firmware_image target image placeholder)
  set(dir ${CMAKE_BINARY_DIR}/res/${target})
  write_image_record(${image} ${dir}/image_record.cpp ${placeholder})
  set(IMAGE_FILE ${image})
  configure_file(${PROJECT_SOURCE_DIR}/src/res/firmware_image.rc.in ${dir}/firmware_image.rc @ONLY)
  add_library(${target} OBJECT ${dir}/firmware_image.rc ${dir}/image_record.cpp)
  target_include_directories(${target} PRIVATE ${PROJECT_SOURCE_DIR}/src)
  set_source_files_properties(${dir}/firmware_image.rc PROPERTIES OBJECT_DEPENDS ${image})
endfunction()

add_firmware_image(spindra_firmware_image ${SPINDRA_EMBEDDED_IMAGE} ${SPINDRA_IMAGE_IS_PLACEHOLDER})
