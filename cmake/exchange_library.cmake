# The reports every program writes and spindra-update replays: the recorder in front of a
# transport, the replay in place of one, and the session's events beside them. nlohmann/json is
# header-only; a cross build (mingw, emscripten) gets the host's headers of it alone, copied
# into the build, so that no other host header is found in their place.

if(CMAKE_CROSSCOMPILING)
  find_path(nlohmann_json_headers nlohmann/json.hpp PATHS /usr/include NO_DEFAULT_PATH NO_CMAKE_FIND_ROOT_PATH
            REQUIRED)
  set(nlohmann_json_copy ${CMAKE_BINARY_DIR}/nlohmann_json)
  file(COPY ${nlohmann_json_headers}/nlohmann DESTINATION ${nlohmann_json_copy})
  add_library(nlohmann_json INTERFACE)
  target_include_directories(nlohmann_json SYSTEM INTERFACE ${nlohmann_json_copy})
  add_library(nlohmann_json::nlohmann_json ALIAS nlohmann_json)
else()
  find_package(nlohmann_json 3 REQUIRED)
endif()

file(GLOB exchange_sources CONFIGURE_DEPENDS src/adapters/exchange/*.cpp)
add_library(spindra_exchange STATIC ${exchange_sources})
target_link_libraries(spindra_exchange PUBLIC spindra_ui nlohmann_json::nlohmann_json)
