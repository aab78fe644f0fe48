# The Debian package of spindra-update (cpack -G DEB in the release preset's build): the
# program, the udev rule, a man page made from the program's own --help, so the two never
# differ, and the copyright and changelog every Debian package has. Only the package's build
# (SPINDRA_DEBIAN_PACKAGE) makes it, so what ships is built with the distribution's flags.
if(NOT SPINDRA_DEBIAN_PACKAGE)
  return()
endif()

# The package carries the firmware version the program writes: its one home is the header.
set(image_version_header src/update/image_version.h)
file(STRINGS ${image_version_header} image_version_lines REGEX "^#define SPINDRA_IMAGE_VERSION_(MAJOR|MINOR) [0-9]+")
string(REGEX REPLACE ".*MAJOR ([0-9]+).*" "\\1" image_version_major "${image_version_lines}")
string(REGEX REPLACE ".*MINOR ([0-9]+).*" "\\1" image_version_minor "${image_version_lines}")
set(image_version ${image_version_major}.${image_version_minor})
set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${image_version_header})

set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "firmware updater for the SPINDRA 60 LV ESC, command line")
set(spindra_description_start
    "spindra-update finds a ROUNDEL or DOCK-BOX programming unit on USB (hidraw)\n\
and shows the versions of the unit and of the attached SPINDRA 60 LV speed\n\
controller (ESC).")
set(spindra_description_end "Its udev rule gives the user at the seat access to the units.")
if(SPINDRA_IMAGE_IS_PLACEHOLDER)
  # A build without the firmware image, for trying the program out. Its version sorts
  # before the one that carries the image, so that package replaces it as an upgrade.
  set(CPACK_PACKAGE_VERSION ${image_version}~noimage)
  string(APPEND CPACK_PACKAGE_DESCRIPTION_SUMMARY ", without firmware")
  set(CPACK_PACKAGE_DESCRIPTION "${spindra_description_start}\n\
This build carries no firmware image: it only shows the status and\n\
simulates updates (--simulate, --replay); it cannot update an ESC.\n\
${spindra_description_end}")
else()
  set(CPACK_PACKAGE_VERSION ${image_version})
  set(CPACK_PACKAGE_DESCRIPTION "${spindra_description_start}\n\
It carries firmware ${image_version} and writes it into the ESC.\n\
${spindra_description_end}")
endif()

set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(spindra_rule_destination lib/udev/rules.d)
set(spindra_doc_destination share/doc/spindra-update)
set(spindra_man_dir ${CMAKE_BINARY_DIR}/man)
set(spindra_man_page ${spindra_man_dir}/spindra-update.1)

add_host_tool(help_to_man)
set(spindra_cli_texts src/programs/cli/cli_texts.def)  # the man page's own sections
add_custom_command(OUTPUT ${spindra_man_page} ${spindra_man_page}.gz
  COMMAND spindra-update --help --lang en > ${spindra_man_dir}/help.txt
  COMMAND ${host_tool_dir}/help_to_man ${spindra_man_dir}/help.txt ${PROJECT_SOURCE_DIR}/${spindra_cli_texts}
          ${PROJECT_SOURCE_DIR}/${UDEV_RULE_FILE}
          ${CPACK_PACKAGING_INSTALL_PREFIX}/${spindra_rule_destination}/${UDEV_RULE_NAME}
          ${image_version} > ${spindra_man_page}
  COMMAND gzip -9nc ${spindra_man_page} > ${spindra_man_page}.gz
  DEPENDS spindra-update ${host_tool_dir}/help_to_man ${spindra_cli_texts} ${UDEV_RULE_FILE}
  COMMENT "Writing the man page of spindra-update from its --help"
  VERBATIM)
file(MAKE_DIRECTORY ${spindra_man_dir})
add_custom_target(spindra_update_man ALL DEPENDS ${spindra_man_page}.gz)

# The copyright file in the machine-readable format: the project's code under the licence
# in LICENSE (its notice and text taken from there), and the firmware image, where the
# package carries one, under its maker's terms.
set(spindra_debian_dir ${CMAKE_BINARY_DIR}/debian)
set(spindra_image_copyright_file cmake/debian/firmware_image.copyright)
set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS LICENSE ${spindra_image_copyright_file})
file(READ LICENSE licence)
if(NOT licence MATCHES "Copyright \\(c\\) ([^\n]+)\n\n(.+[^\n])\n*$")
  message(FATAL_ERROR "LICENSE has no line 'Copyright (c) <year> <holder>' followed by the licence text")
endif()
set(spindra_copyright ${CMAKE_MATCH_1})
string(REPLACE "\n\n" "\n.\n" spindra_licence_text "${CMAKE_MATCH_2}")
string(REPLACE "\n" "\n " spindra_licence_text " ${spindra_licence_text}")
set(spindra_image_copyright "")
if(NOT SPINDRA_IMAGE_IS_PLACEHOLDER)
  file(READ ${spindra_image_copyright_file} spindra_image_copyright)
  string(PREPEND spindra_image_copyright "\n")
endif()
configure_file(cmake/debian/copyright.in ${spindra_debian_dir}/copyright @ONLY)

# The changelog of a native package, its latest entry for the image version; a package
# without the image takes that entry as its own version's.
set(spindra_changelog cmake/debian/changelog)
set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${spindra_changelog})
file(READ ${spindra_changelog} changelog)
if(NOT changelog MATCHES "^spindra-update \\(([^)]+)\\)")
  message(FATAL_ERROR "${spindra_changelog} does not begin with an entry 'spindra-update (<version>)'")
elseif(NOT CMAKE_MATCH_1 STREQUAL image_version)
  message(FATAL_ERROR "${spindra_changelog} begins with version ${CMAKE_MATCH_1}, but the firmware is "
                      "${image_version} (${image_version_header}): add an entry for ${image_version}")
endif()
string(REGEX REPLACE "^spindra-update \\([^)]+\\)" "spindra-update (${CPACK_PACKAGE_VERSION})" changelog "${changelog}")
file(WRITE ${spindra_debian_dir}/changelog "${changelog}")
execute_process(COMMAND gzip -9nc ${spindra_debian_dir}/changelog
  OUTPUT_FILE ${spindra_debian_dir}/changelog.gz COMMAND_ERROR_IS_FATAL ANY)

install(TARGETS spindra-update RUNTIME DESTINATION bin)
# Stripped as dh_strip does it: cpack's own strip would leave the compiler's .comment.
install(CODE "execute_process(COMMAND ${CMAKE_STRIP} --remove-section=.comment --remove-section=.note
  \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/bin/spindra-update\" COMMAND_ERROR_IS_FATAL ANY)")
install(FILES ${UDEV_RULE_FILE} DESTINATION ${spindra_rule_destination})
install(FILES ${spindra_man_page}.gz DESTINATION share/man/man1)
install(FILES ${spindra_debian_dir}/copyright ${spindra_debian_dir}/changelog.gz DESTINATION ${spindra_doc_destination})

# postinst and postrm reload udev's rules, where a udev runs, after the rule came or went.
set(spindra_maintainer_scripts)
foreach(script_actions "postinst;configure" "postrm;remove | purge")
  list(GET script_actions 0 SCRIPT)
  list(GET script_actions 1 ACTIONS)
  configure_file(cmake/debian/reload_udev.sh.in ${spindra_debian_dir}/${SCRIPT} @ONLY)
  list(APPEND spindra_maintainer_scripts ${spindra_debian_dir}/${SCRIPT})
endforeach()

set(SPINDRA_PACKAGE_MAINTAINER "SPINDRA updater team <updater@spindra.invalid>" CACHE STRING
    "Maintainer field of the Debian package")

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME spindra-update)
set(CPACK_PACKAGE_CONTACT ${SPINDRA_PACKAGE_MAINTAINER})
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_CONTROL_EXTRA ${spindra_maintainer_scripts})
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
# The architecture comes from dpkg, the library dependencies from dpkg-shlibdeps (dpkg-dev,
# which the package's build flags need as well).
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
include(CPack)
