# Writes the site's service worker from its template: the SHA-256 of each of the site's
# files and, to name its cache, the SHA-256 of their sha256sum listing.
#   cmake -DFOLDER=<site> -DFILES=<name;...> -DTEMPLATE=<service_worker.js.in> -P web_service_worker.cmake
set(listing "")
set(SITE_FILES "")
list(SORT FILES)
foreach(name IN LISTS FILES)
  file(SHA256 ${FOLDER}/${name} digest)
  string(APPEND listing "${digest}  ${name}\n")
  string(APPEND SITE_FILES "  '${name}': '${digest}',\n")
endforeach()
string(REGEX REPLACE ",\n$" "" SITE_FILES "${SITE_FILES}")
string(SHA256 SITE_SHA256 "${listing}")
configure_file(${TEMPLATE} ${FOLDER}/service_worker.js @ONLY)
file(TOUCH_NOCREATE ${FOLDER}/service_worker.js)  # for the build, also when nothing changed
