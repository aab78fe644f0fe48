# The firmware image the programs carry, and the small generators the build runs, which
# are built by the build machine's compiler whatever the programs are compiled for.
#
# Sets SPINDRA_EMBEDDED_IMAGE (the file to embed) and SPINDRA_IMAGE_IS_PLACEHOLDER (1 when
# no real image was named: only the simulated unit and replays are then given it). The
# image is in place when configuring ends, so that its record can be taken then.

include(${CMAKE_CURRENT_LIST_DIR}/image_record.cmake)

set(SPINDRA_FIRMWARE_IMAGE "" CACHE FILEPATH
    "Firmware image the updater writes; empty gives the simulated unit a generated placeholder \
and the product no image at all")

set(host_tool_dir ${CMAKE_BINARY_DIR}/host-tools)
file(MAKE_DIRECTORY ${host_tool_dir})
find_program(SPINDRA_HOST_CXX NAMES g++ c++ REQUIRED)
set(host_tool_flags -std=c++17 -O2 -Wall -Wextra)

# add_host_tool(<name>): tools/<name>.cpp built as ${host_tool_dir}/<name>.
function(add_host_tool name)
  set(source ${PROJECT_SOURCE_DIR}/tools/${name}.cpp)
  add_custom_command(OUTPUT ${host_tool_dir}/${name}
    COMMAND ${SPINDRA_HOST_CXX} ${host_tool_flags} -o ${host_tool_dir}/${name} ${source}
    DEPENDS ${source}
    COMMENT "Building host tool ${name}"
    VERBATIM)
endfunction()

# run_host_tool_now(<name> <args...>): builds and runs tools/<name>.cpp while configuring.
function(run_host_tool_now name)
  set(source ${PROJECT_SOURCE_DIR}/tools/${name}.cpp)
  set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${source})
  execute_process(COMMAND ${SPINDRA_HOST_CXX} ${host_tool_flags} -o ${host_tool_dir}/${name} ${source}
    RESULT_VARIABLE failed)
  if(NOT failed)
    execute_process(COMMAND ${host_tool_dir}/${name} ${ARGN} RESULT_VARIABLE failed)
  endif()
  if(failed)
    message(FATAL_ERROR "Host tool ${name} failed: ${failed}")
  endif()
endfunction()

# make_generated_image_now(<file> [seed]): the deterministic generated image, made while
# configuring (again only when its generator changed) so that its record can be taken then.
function(make_generated_image_now file)
  if(${PROJECT_SOURCE_DIR}/tools/make_placeholder_image.cpp IS_NEWER_THAN ${file})
    get_filename_component(dir ${file} DIRECTORY)
    file(MAKE_DIRECTORY ${dir})
    file(REMOVE ${file})  # a run that fails must not leave a part of an image to be taken later
    run_host_tool_now(make_placeholder_image ${file} ${ARGN})
  endif()
endfunction()

file(MAKE_DIRECTORY ${CMAKE_BINARY_DIR}/res)
if(SPINDRA_FIRMWARE_IMAGE)
  if(NOT EXISTS ${SPINDRA_FIRMWARE_IMAGE} OR IS_DIRECTORY ${SPINDRA_FIRMWARE_IMAGE})
    message(FATAL_ERROR "SPINDRA_FIRMWARE_IMAGE names no file: ${SPINDRA_FIRMWARE_IMAGE}")
  endif()
  set(SPINDRA_IMAGE_IS_PLACEHOLDER 0)
  set(SPINDRA_EMBEDDED_IMAGE ${CMAKE_BINARY_DIR}/res/firmware_image.bin)
  # A changed image configures again, so the record always describes what is embedded.
  configure_file(${SPINDRA_FIRMWARE_IMAGE} ${SPINDRA_EMBEDDED_IMAGE} COPYONLY)
else()
  message(STATUS "No SPINDRA_FIRMWARE_IMAGE given: a placeholder image for the simulated unit only")
  set(SPINDRA_IMAGE_IS_PLACEHOLDER 1)
  set(SPINDRA_EMBEDDED_IMAGE ${CMAKE_BINARY_DIR}/res/placeholder_image.bin)
  make_generated_image_now(${SPINDRA_EMBEDDED_IMAGE})
endif()
