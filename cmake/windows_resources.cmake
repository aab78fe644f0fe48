# Resources linked into the Windows programs: the catalogue and the dialog templates in
# English and German, the manifest, and the icon, picture and firmware image, which the
# build produces with small generators compiled for the build machine.

set(SPINDRA_FIRMWARE_IMAGE "" CACHE FILEPATH
    "Firmware image to embed as raw data 140; empty gives the simulated-unit build a generated \
placeholder and the product no image at all")

set(SPINDRA_RESOURCE_DIR ${CMAKE_BINARY_DIR}/res)
set(host_tool_dir ${CMAKE_BINARY_DIR}/host-tools)
file(MAKE_DIRECTORY ${SPINDRA_RESOURCE_DIR} ${host_tool_dir})

# The generators run during the build, so they are built by the build machine's compiler,
# not by the cross compiler of this tree.
find_program(SPINDRA_HOST_CXX NAMES g++ c++ REQUIRED)

function(add_host_tool name)
  set(source ${PROJECT_SOURCE_DIR}/tools/${name}.cpp)
  add_custom_command(OUTPUT ${host_tool_dir}/${name}
    COMMAND ${SPINDRA_HOST_CXX} -std=c++17 -O2 -Wall -Wextra -o ${host_tool_dir}/${name} ${source}
    DEPENDS ${source}
    COMMENT "Building host tool ${name}"
    VERBATIM)
endfunction()

add_host_tool(make_artwork)
add_custom_command(OUTPUT ${SPINDRA_RESOURCE_DIR}/updater.ico ${SPINDRA_RESOURCE_DIR}/setup_picture.bmp
  COMMAND ${host_tool_dir}/make_artwork ${SPINDRA_RESOURCE_DIR}/updater.ico ${SPINDRA_RESOURCE_DIR}/setup_picture.bmp
  DEPENDS ${host_tool_dir}/make_artwork
  COMMENT "Drawing the icon and the set-up picture"
  VERBATIM)

set(SPINDRA_EMBEDDED_IMAGE ${SPINDRA_RESOURCE_DIR}/firmware_image.bin)
if(SPINDRA_FIRMWARE_IMAGE)
  if(NOT EXISTS ${SPINDRA_FIRMWARE_IMAGE} OR IS_DIRECTORY ${SPINDRA_FIRMWARE_IMAGE})
    message(FATAL_ERROR "SPINDRA_FIRMWARE_IMAGE names no file: ${SPINDRA_FIRMWARE_IMAGE}")
  endif()
  file(SIZE ${SPINDRA_FIRMWARE_IMAGE} image_size)
  message(STATUS "Embedding firmware image ${SPINDRA_FIRMWARE_IMAGE} (${image_size} bytes)")
  add_custom_command(OUTPUT ${SPINDRA_EMBEDDED_IMAGE}
    COMMAND ${CMAKE_COMMAND} -E copy ${SPINDRA_FIRMWARE_IMAGE} ${SPINDRA_EMBEDDED_IMAGE}
    DEPENDS ${SPINDRA_FIRMWARE_IMAGE}
    VERBATIM)
else()
  message(STATUS "No SPINDRA_FIRMWARE_IMAGE given: embedding a placeholder image, not real firmware")
  add_host_tool(make_placeholder_image)
  add_custom_command(OUTPUT ${SPINDRA_EMBEDDED_IMAGE}
    COMMAND ${host_tool_dir}/make_placeholder_image ${SPINDRA_EMBEDDED_IMAGE}
    DEPENDS ${host_tool_dir}/make_placeholder_image
    COMMENT "Generating the placeholder firmware image"
    VERBATIM)
endif()

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

set(image_script ${PROJECT_SOURCE_DIR}/src/res/firmware_image.rc)
add_library(spindra_firmware_image OBJECT ${image_script})
target_include_directories(spindra_firmware_image PRIVATE ${SPINDRA_RESOURCE_DIR})
set_source_files_properties(${image_script} PROPERTIES OBJECT_DEPENDS ${SPINDRA_EMBEDDED_IMAGE})

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
