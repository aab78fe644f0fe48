# The browser updater: a folder of static files (page, worker, WebAssembly, picture) that any
# HTTPS host can serve, made by Debian's emscripten.

include(cmake/firmware_image.cmake)
include(cmake/udev_rule.cmake)

# The browser's adapters: WebHID, the dialog drawn by the page, the worker's timers.
file(GLOB web_adapter_sources CONFIGURE_DEPENDS src/adapters/web/*.cpp)
add_library(spindra_web OBJECT ${web_adapter_sources})
target_link_libraries(spindra_web PUBLIC spindra_res spindra_seams)

# The core awaits WebHID, the page's answers and the timers through Asyncify; nothing is
# evaluated from text, so the page's policy needs no 'unsafe-eval'.
set(web_link_options -sASYNCIFY -sASYNCIFY_STACK_SIZE=65536 -sDYNAMIC_EXECUTION=0 -sENVIRONMENT=worker
    -sMODULARIZE=1 -sEXPORT_NAME=createUpdaterModule -sFILESYSTEM=0 -sEXPORTED_RUNTIME_METHODS=ccall
    -sEXPORTED_FUNCTIONS=_updaterStart,_updaterPress,_updaterDeviceChange,_updaterTakeOver)

set(web_page_files src/programs/web/index.html src/programs/web/page.css src/programs/web/page_start.js
    src/programs/web/page_report.js src/programs/web/page.js src/programs/web/updater_worker.js
    src/adapters/web/webhid.js src/programs/web/manifest.webmanifest)
list(TRANSFORM web_page_files PREPEND ${PROJECT_SOURCE_DIR}/)

# The page's and the worker's reading of the contract the core includes as page_contract.h.
set(web_contract_def ${PROJECT_SOURCE_DIR}/src/adapters/web/page_contract.def)
set(web_contract_script ${CMAKE_BINARY_DIR}/generated/page_contract.js)
add_custom_command(OUTPUT ${web_contract_script}
  COMMAND ${CMAKE_COMMAND} -DDEF=${web_contract_def} -DOUTPUT=${web_contract_script}
          -P ${PROJECT_SOURCE_DIR}/cmake/page_contract.cmake
  DEPENDS ${web_contract_def} ${PROJECT_SOURCE_DIR}/cmake/page_contract.cmake
  COMMENT "Writing the page's contract for its scripts"
  VERBATIM)
add_custom_target(spindra-page-contract DEPENDS ${web_contract_script})
list(APPEND web_page_files ${web_contract_script})

# The icon, the app icons of the manifest, and the picture: the artwork's pure green becomes
# transparent, as the dialog leaves it undrawn.
find_program(SPINDRA_IMAGEMAGICK_CONVERT convert REQUIRED)
set(web_picture_dir ${CMAKE_BINARY_DIR}/res)
set(web_app_icon_sizes 192 512)
set(web_artwork_arguments)
set(web_app_icon_commands)
set(web_artwork ${web_picture_dir}/picture.png ${web_picture_dir}/updater.ico)
foreach(size IN LISTS web_app_icon_sizes)
  list(APPEND web_artwork_arguments ${size} ${web_picture_dir}/icon-${size}.bmp)
  list(APPEND web_app_icon_commands COMMAND ${SPINDRA_IMAGEMAGICK_CONVERT} ${web_picture_dir}/icon-${size}.bmp -strip
       ${web_picture_dir}/icon-${size}.png)
  list(APPEND web_artwork ${web_picture_dir}/icon-${size}.png)
endforeach()
add_host_tool(make_artwork)
add_custom_command(OUTPUT ${web_artwork}
  COMMAND ${host_tool_dir}/make_artwork ${web_picture_dir}/updater.ico ${web_picture_dir}/setup_picture.bmp
          ${web_artwork_arguments}
  COMMAND ${SPINDRA_IMAGEMAGICK_CONVERT} ${web_picture_dir}/setup_picture.bmp -transparent "#00FF00" -strip
          ${web_picture_dir}/picture.png
  ${web_app_icon_commands}
  DEPENDS ${host_tool_dir}/make_artwork
  COMMENT "Drawing the page's picture"
  VERBATIM)

# embed_image_source(<image> <source>): the image as an array in a source.
function(embed_image_source image source)
  file(READ ${image} IMAGE_BYTES HEX)
  string(REGEX REPLACE "(..)" "0x\\1," IMAGE_BYTES "${IMAGE_BYTES}")
  set(IMAGE_FILE ${image})
  configure_file(${PROJECT_SOURCE_DIR}/src/adapters/web/embedded_image.cpp.in ${source} @ONLY)
endfunction()

# add_web_page(<name> IMAGE <file> PLACEHOLDER <0|1> FOLDER <dir>): the page in <dir>,
# carrying the image and the record of it; <name>-site builds the whole folder, with the
# service worker that keeps it offline.
function(add_web_page name)
  cmake_parse_arguments(PARSE_ARGV 1 arg "" "IMAGE;PLACEHOLDER;FOLDER" "")
  set(generated ${CMAKE_BINARY_DIR}/generated/${name})
  write_image_record(${arg_IMAGE} ${generated}/image_record.cpp ${arg_PLACEHOLDER})
  embed_image_source(${arg_IMAGE} ${generated}/embedded_image.cpp)
  add_executable(${name} ${PROJECT_SOURCE_DIR}/src/programs/web/web_updater.cpp
    ${PROJECT_SOURCE_DIR}/src/programs/web/unit_notices.cpp
    ${PROJECT_SOURCE_DIR}/src/programs/web/image_details.cpp ${PROJECT_SOURCE_DIR}/src/programs/web/page_report.cpp
    ${generated}/image_record.cpp
    ${generated}/embedded_image.cpp $<TARGET_OBJECTS:spindra_web>)
  target_link_libraries(${name} PRIVATE spindra_ui spindra_sim spindra_exchange)
  target_include_directories(${name} PRIVATE ${spindra_generated_dir})
  target_link_options(${name} PRIVATE ${web_link_options})
  set_target_properties(${name} PROPERTIES OUTPUT_NAME updater SUFFIX .js RUNTIME_OUTPUT_DIRECTORY ${arg_FOLDER})
  set(copies)
  set(site_files updater.js updater.wasm)
  foreach(file IN LISTS web_page_files web_artwork)
    get_filename_component(file_name ${file} NAME)
    list(APPEND site_files ${file_name})
    add_custom_command(OUTPUT ${arg_FOLDER}/${file_name}
      COMMAND ${CMAKE_COMMAND} -E copy ${file} ${arg_FOLDER}/${file_name}
      DEPENDS ${file}
      VERBATIM)
    list(APPEND copies ${arg_FOLDER}/${file_name})
  endforeach()
  add_custom_target(${name}-files DEPENDS ${copies})
  add_dependencies(${name}-files spindra-page-contract)
  add_dependencies(${name} ${name}-files)
  set(template ${PROJECT_SOURCE_DIR}/src/programs/web/service_worker.js.in)
  set(writer ${PROJECT_SOURCE_DIR}/cmake/web_service_worker.cmake)
  add_custom_command(OUTPUT ${arg_FOLDER}/service_worker.js
    COMMAND ${CMAKE_COMMAND} -DFOLDER=${arg_FOLDER} "-DFILES=${site_files}" -DTEMPLATE=${template} -P ${writer}
    DEPENDS ${name} ${copies} ${template} ${writer}
    COMMENT "Writing the service worker of ${arg_FOLDER}"
    VERBATIM)
  add_custom_target(${name}-site ALL DEPENDS ${arg_FOLDER}/service_worker.js)
endfunction()

add_web_page(spindra-web-page IMAGE ${SPINDRA_EMBEDDED_IMAGE} PLACEHOLDER ${SPINDRA_IMAGE_IS_PLACEHOLDER}
  FOLDER ${CMAKE_BINARY_DIR}/site)
