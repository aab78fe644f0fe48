# The record the build takes of a firmware image: run with -DCASE=sound (the record of a
# three-byte image holds its size and SHA-256, and whether it is the placeholder) or
# -DCASE=empty (an empty image stops the configuration), and -DWORK_DIR=<a directory for the
# files>.
include(${CMAKE_CURRENT_LIST_DIR}/../../cmake/image_record.cmake)
file(MAKE_DIRECTORY ${WORK_DIR})

if(CASE STREQUAL "empty")
  file(WRITE ${WORK_DIR}/empty.bin "")
  write_image_record(${WORK_DIR}/empty.bin ${WORK_DIR}/empty_record.cpp 0)
  message(FATAL_ERROR "An empty image was recorded")
endif()

file(WRITE ${WORK_DIR}/abc.bin "abc")
set(digest "0xba, 0x78, 0x16, 0xbf, 0x8f, 0x01, 0xcf, 0xea, 0x41, 0x41, 0x40, 0xde, 0x5d, 0xae, \
0x22, 0x23, 0xb0, 0x03, 0x61, 0xa3, 0x96, 0x17, 0x7a, 0x9c, 0xb4, 0x10, 0xff, 0x61, 0xf2, 0x00, 0x15, 0xad")
foreach(placeholder 0 1)
  write_image_record(${WORK_DIR}/abc.bin ${WORK_DIR}/abc_record_${placeholder}.cpp ${placeholder})
  file(READ ${WORK_DIR}/abc_record_${placeholder}.cpp record)
  if(placeholder)
    set(expected "{3u, {{${digest}}}, true}")
  else()
    set(expected "{3u, {{${digest}}}, false}")
  endif()
  string(FIND "${record}" "${expected}" found)
  if(found EQUAL -1)
    message(FATAL_ERROR "The record does not hold the image's size and SHA-256 and what it is:\n${record}")
  endif()
endforeach()
