# nlohmann-json (Debian's nlohmann-json3-dev, header-only) as the target
# nlohmann_json::nlohmann_json, the same for every build.
#
# Natively the package's own CMake files provide it. For Windows the header
# stands in the build machine's /usr/include, which must never go on the cross
# compiler's include path whole (it would mix the build machine's C library
# headers with MinGW's): only a folder of the build tree holding a link to the
# library's own `nlohmann/` folder goes there.
if(CMAKE_CROSSCOMPILING)
  find_path(TARNWICK_NLOHMANN_JSON_ROOT nlohmann/json.hpp
    PATHS /usr/include NO_DEFAULT_PATH NO_CMAKE_FIND_ROOT_PATH)
  if(NOT TARNWICK_NLOHMANN_JSON_ROOT)
    message(FATAL_ERROR "nlohmann/json.hpp not found: install nlohmann-json3-dev")
  endif()
  set(_tarnwick_json_include ${CMAKE_BINARY_DIR}/third_party/nlohmann_json/include)
  file(MAKE_DIRECTORY ${_tarnwick_json_include})
  file(CREATE_LINK ${TARNWICK_NLOHMANN_JSON_ROOT}/nlohmann ${_tarnwick_json_include}/nlohmann
    SYMBOLIC)
  add_library(tarnwick_nlohmann_json INTERFACE)
  target_include_directories(tarnwick_nlohmann_json SYSTEM INTERFACE ${_tarnwick_json_include})
  add_library(nlohmann_json::nlohmann_json ALIAS tarnwick_nlohmann_json)
else()
  find_package(nlohmann_json 3.9 REQUIRED)
endif()
