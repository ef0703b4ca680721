# cmake/simdjson.cmake: simdjson compiled into the build as a static library, so the module needs
# no simdjson on the machine that imports it.
#
# The source is the single-file amalgamation (simdjson.h and simdjson.cpp) that the pysimdjson
# source distribution on PyPI carries. It is downloaded at configure time and checked against
# its SHA-256; nothing of it is kept in this repository. To build offline, point
# FETCHCONTENT_SOURCE_DIR_SIMDJSON at an unpacked copy of the same archive.
include(FetchContent)
if(POLICY CMP0135)
  cmake_policy(SET CMP0135 NEW)  # extracted files get the time of extraction
endif()
FetchContent_Declare(simdjson
  URL "https://files.pythonhosted.org/packages/9c/24/65e3cad88e74ef8ca59fefded953eb78ebface8a3199c3a97fe318a7387b/pysimdjson-7.0.2.tar.gz"
  URL_HASH SHA256=44cf276e48912a3b9c7ca362c14da8420a7ac15a9f1a16ec95becff86db3904a)
# The archive holds no CMake project, so this only downloads and unpacks it.
FetchContent_MakeAvailable(simdjson)

set(simdjson_amalgamation "${simdjson_SOURCE_DIR}/simdjson")
if(NOT EXISTS "${simdjson_amalgamation}/simdjson.cpp")
  message(FATAL_ERROR "no simdjson.cpp in ${simdjson_amalgamation}")
endif()
add_library(simdjson STATIC "${simdjson_amalgamation}/simdjson.cpp")
# SYSTEM: warnings in simdjson's header are not ours to fix, and must not fail a -Werror build.
target_include_directories(simdjson SYSTEM PUBLIC "${simdjson_amalgamation}")
target_compile_options(simdjson PRIVATE -w)
add_library(simdjson::simdjson ALIAS simdjson)
