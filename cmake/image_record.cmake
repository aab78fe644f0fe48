# write_image_record(<image> <source> <placeholder 0|1>): checks a firmware image a program is
# to carry, prints its size and SHA-256, and writes a source that builds both into the program
# (sys::recordedImage), so that the updater can tell a damaged program file before it writes
# anything, together with whether the image is the generated placeholder, which goes to
# stand-ins alone. An empty image stops the configuration.
function(write_image_record image source placeholder)
  file(SIZE ${image} size)
  if(size EQUAL 0)
    message(FATAL_ERROR "The firmware image ${image} is empty: there is nothing to write to an ESC")
  endif()
  file(SHA256 ${image} digest)
  message(STATUS "Firmware image ${image}: ${size} bytes, SHA-256 ${digest}")
  set(IMAGE_FILE ${image})
  set(IMAGE_SIZE ${size})
  if(placeholder)
    set(IMAGE_IS_PLACEHOLDER true)
  else()
    set(IMAGE_IS_PLACEHOLDER false)
  endif()
  string(REGEX REPLACE "(..)" "0x\\1, " IMAGE_SHA256_BYTES ${digest})
  string(REGEX REPLACE ", $" "" IMAGE_SHA256_BYTES ${IMAGE_SHA256_BYTES})
  configure_file(${CMAKE_CURRENT_FUNCTION_LIST_DIR}/../src/adapters/image/image_record.cpp.in ${source} @ONLY)
endfunction()
