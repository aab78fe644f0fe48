# The udev rule ships as a file and is quoted by spindra-update's permission hint and by the
# browser page's notice on Linux: one text for all.
set(UDEV_RULE_FILE src/adapters/linux/70-spindra-update.rules)
get_filename_component(UDEV_RULE_NAME ${UDEV_RULE_FILE} NAME)
file(READ ${UDEV_RULE_FILE} UDEV_RULE_TEXT)
set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${UDEV_RULE_FILE})
set(spindra_generated_dir ${CMAKE_BINARY_DIR}/generated)
configure_file(src/programs/cli/udev_rule.h.in ${spindra_generated_dir}/programs/cli/udev_rule.h @ONLY)
