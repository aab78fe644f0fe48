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
  OBJECT_DEPENDS "${PROJECT_SOURCE_DIR}/src/res/messages.def;${PROJECT_SOURCE_DIR}/src/res/dialog_templates.inc;\
${PROJECT_SOURCE_DIR}/src/res/updater.manifest;${SPINDRA_RESOURCE_DIR}/updater.ico;\
${SPINDRA_RESOURCE_DIR}/setup_picture.bmp")

# add_firmware_image(<target> <image>): an object library that gives a program the image
# as raw-data resource 140 together with the record of its size and SHA-256 that the
# updater checks it against. Every program that carries an image links one of these.
function(add_firmware_image target image)
  set(dir ${CMAKE_BINARY_DIR}/res/${target})
  write_image_record(${image} ${dir}/image_record.cpp)
  set(IMAGE_FILE ${image})
  configure_file(${PROJECT_SOURCE_DIR}/src/res/firmware_image.rc.in ${dir}/firmware_image.rc @ONLY)
  add_library(${target} OBJECT ${dir}/firmware_image.rc ${dir}/image_record.cpp)
  target_include_directories(${target} PRIVATE ${PROJECT_SOURCE_DIR}/src)
  set_source_files_properties(${dir}/firmware_image.rc PROPERTIES OBJECT_DEPENDS ${image})
endfunction()

add_firmware_image(spindra_firmware_image ${SPINDRA_EMBEDDED_IMAGE})

# The resources as Windows serves them, once per interface language. Wine takes the language
# from LANG only where that locale is installed; LC_ALL is its fallback when it is not.
if(COMMAND add_wine_test)
  foreach(locale en_US de_DE)
    add_wine_test(NAME resources_test_${locale} SOURCES tests/wine/resources_test.cpp
      LIBS spindra_resources spindra_firmware_image spindra_core ENV LANG=${locale}.UTF-8 LC_ALL=${locale}.UTF-8)
    # Wine sees the build machine's root directory as drive Z:.
    target_compile_definitions(resources_test_${locale} PRIVATE SPINDRA_EMBEDDED_IMAGE="Z:${SPINDRA_EMBEDDED_IMAGE}")
  endforeach()
endif()
