# The Debian package of spindra-update (cpack -G DEB in the build directory): the program,
# the udev rule and a man page made from the program's own --help, so the two never differ.

# The package carries the firmware version the program writes: its one home is the header.
set(image_version_header src/update/image_version.h)
file(STRINGS ${image_version_header} image_version_lines REGEX "^#define SPINDRA_IMAGE_VERSION_(MAJOR|MINOR) [0-9]+")
string(REGEX REPLACE ".*MAJOR ([0-9]+).*" "\\1" image_version_major "${image_version_lines}")
string(REGEX REPLACE ".*MINOR ([0-9]+).*" "\\1" image_version_minor "${image_version_lines}")
set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${image_version_header})

set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(spindra_rule_destination lib/udev/rules.d)
set(spindra_man_dir ${CMAKE_BINARY_DIR}/man)
set(spindra_man_page ${spindra_man_dir}/spindra-update.1)

add_host_tool(help_to_man)
set(spindra_cli_texts src/adapters/linux/cli_texts.def)  # the man page's own sections
add_custom_command(OUTPUT ${spindra_man_page} ${spindra_man_page}.gz
  COMMAND spindra-update --help --lang en > ${spindra_man_dir}/help.txt
  COMMAND ${host_tool_dir}/help_to_man ${spindra_man_dir}/help.txt ${PROJECT_SOURCE_DIR}/${spindra_cli_texts}
          ${PROJECT_SOURCE_DIR}/${UDEV_RULE_FILE}
          ${CPACK_PACKAGING_INSTALL_PREFIX}/${spindra_rule_destination}/${UDEV_RULE_NAME}
          ${image_version_major}.${image_version_minor} > ${spindra_man_page}
  COMMAND gzip -9nc ${spindra_man_page} > ${spindra_man_page}.gz
  DEPENDS spindra-update ${host_tool_dir}/help_to_man ${spindra_cli_texts} ${UDEV_RULE_FILE}
  COMMENT "Writing the man page of spindra-update from its --help"
  VERBATIM)
file(MAKE_DIRECTORY ${spindra_man_dir})
add_custom_target(spindra_update_man ALL DEPENDS ${spindra_man_page}.gz)

install(TARGETS spindra-update RUNTIME DESTINATION bin)
install(FILES ${UDEV_RULE_FILE} DESTINATION ${spindra_rule_destination})
install(FILES ${spindra_man_page}.gz DESTINATION share/man/man1)

# postinst and postrm reload udev's rules, where a udev runs, after the rule came or went.
set(spindra_maintainer_scripts)
foreach(script_actions "postinst;configure" "postrm;remove | purge")
  list(GET script_actions 0 SCRIPT)
  list(GET script_actions 1 ACTIONS)
  configure_file(cmake/debian/reload_udev.sh.in ${CMAKE_BINARY_DIR}/debian/${SCRIPT} @ONLY)
  list(APPEND spindra_maintainer_scripts ${CMAKE_BINARY_DIR}/debian/${SCRIPT})
endforeach()

set(SPINDRA_PACKAGE_MAINTAINER "SPINDRA updater team <updater@spindra.invalid>" CACHE STRING
    "Maintainer field of the Debian package")

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME spindra-update)
set(CPACK_PACKAGE_VERSION ${image_version_major}.${image_version_minor})
set(CPACK_PACKAGE_CONTACT ${SPINDRA_PACKAGE_MAINTAINER})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "firmware updater for the SPINDRA 60 LV ESC, command line")
set(CPACK_PACKAGE_DESCRIPTION
    "spindra-update finds a ROUNDEL or DOCK-BOX programming unit on USB (hidraw),\n\
shows the versions of the unit and of the attached SPINDRA 60 LV speed\n\
controller (ESC), and writes the firmware it carries into the ESC.\n\
Its udev rule gives the user at the seat access to the units.")
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_CONTROL_EXTRA ${spindra_maintainer_scripts})
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
set(CPACK_STRIP_FILES ON)
# The architecture comes from dpkg; the library dependencies from dpkg-shlibdeps (dpkg-dev)
# where it is installed, otherwise the three libraries the program links.
find_program(SPINDRA_DPKG_SHLIBDEPS dpkg-shlibdeps)
if(SPINDRA_DPKG_SHLIBDEPS)
  set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
else()
  set(CPACK_DEBIAN_PACKAGE_DEPENDS "libc6, libgcc-s1, libstdc++6")
endif()
include(CPack)
