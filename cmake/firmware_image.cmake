# The firmware image the programs carry, and the small generators the build runs, which
# are built by the build machine's compiler whatever the programs are compiled for.
#
# Sets SPINDRA_EMBEDDED_IMAGE (the file to embed) and SPINDRA_IMAGE_IS_PLACEHOLDER (1 when
# no real image was named: only the simulated unit and replays are then given it).

set(SPINDRA_FIRMWARE_IMAGE "" CACHE FILEPATH
    "Firmware image the updater writes; empty gives the simulated unit a generated placeholder \
and the product no image at all")

set(host_tool_dir ${CMAKE_BINARY_DIR}/host-tools)
file(MAKE_DIRECTORY ${host_tool_dir})
find_program(SPINDRA_HOST_CXX NAMES g++ c++ REQUIRED)

# add_host_tool(<name>): tools/<name>.cpp built as ${host_tool_dir}/<name>.
function(add_host_tool name)
  set(source ${PROJECT_SOURCE_DIR}/tools/${name}.cpp)
  add_custom_command(OUTPUT ${host_tool_dir}/${name}
    COMMAND ${SPINDRA_HOST_CXX} -std=c++17 -O2 -Wall -Wextra -o ${host_tool_dir}/${name} ${source}
    DEPENDS ${source}
    COMMENT "Building host tool ${name}"
    VERBATIM)
endfunction()

# Also the generator of the tests' own images.
add_host_tool(make_placeholder_image)

set(SPINDRA_EMBEDDED_IMAGE ${CMAKE_BINARY_DIR}/res/firmware_image.bin)
file(MAKE_DIRECTORY ${CMAKE_BINARY_DIR}/res)
if(SPINDRA_FIRMWARE_IMAGE)
  if(NOT EXISTS ${SPINDRA_FIRMWARE_IMAGE} OR IS_DIRECTORY ${SPINDRA_FIRMWARE_IMAGE})
    message(FATAL_ERROR "SPINDRA_FIRMWARE_IMAGE names no file: ${SPINDRA_FIRMWARE_IMAGE}")
  endif()
  file(SIZE ${SPINDRA_FIRMWARE_IMAGE} image_size)
  message(STATUS "Embedding firmware image ${SPINDRA_FIRMWARE_IMAGE} (${image_size} bytes)")
  set(SPINDRA_IMAGE_IS_PLACEHOLDER 0)
  add_custom_command(OUTPUT ${SPINDRA_EMBEDDED_IMAGE}
    COMMAND ${CMAKE_COMMAND} -E copy ${SPINDRA_FIRMWARE_IMAGE} ${SPINDRA_EMBEDDED_IMAGE}
    DEPENDS ${SPINDRA_FIRMWARE_IMAGE}
    VERBATIM)
else()
  message(STATUS "No SPINDRA_FIRMWARE_IMAGE given: a placeholder image for the simulated unit only")
  set(SPINDRA_IMAGE_IS_PLACEHOLDER 1)
  add_custom_command(OUTPUT ${SPINDRA_EMBEDDED_IMAGE}
    COMMAND ${host_tool_dir}/make_placeholder_image ${SPINDRA_EMBEDDED_IMAGE}
    DEPENDS ${host_tool_dir}/make_placeholder_image
    COMMENT "Generating the placeholder firmware image"
    VERBATIM)
endif()
