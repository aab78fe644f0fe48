# The flags Debian builds its own packages with, all hardening features on, as dpkg-buildflags
# gives them for this machine's architecture: stack protector, fortified libc calls, format
# checks, and relocations made read-only and bound at start-up (lintian checks for these).
# Taken in the source folder, so that dpkg-buildflags maps that folder away in the debug
# information and the build does not depend on where the tree was checked out.
find_program(SPINDRA_DPKG_BUILDFLAGS dpkg-buildflags REQUIRED)
foreach(kind CPPFLAGS CXXFLAGS LDFLAGS)
  execute_process(COMMAND ${CMAKE_COMMAND} -E env DEB_BUILD_MAINT_OPTIONS=hardening=+all
                          ${SPINDRA_DPKG_BUILDFLAGS} --get ${kind}
    WORKING_DIRECTORY ${PROJECT_SOURCE_DIR}
    OUTPUT_VARIABLE debian_${kind} OUTPUT_STRIP_TRAILING_WHITESPACE COMMAND_ERROR_IS_FATAL ANY)
endforeach()
string(APPEND CMAKE_CXX_FLAGS " ${debian_CPPFLAGS} ${debian_CXXFLAGS}")
string(APPEND CMAKE_EXE_LINKER_FLAGS " ${debian_LDFLAGS}")
message(STATUS "Debian build flags: ${debian_CPPFLAGS} ${debian_CXXFLAGS}; linking ${debian_LDFLAGS}")
