# cmake/simdjson.cmake: simdjson compiled into the build as a static library, so the module needs
# no simdjson on the machine that imports it.
#
# The source is the single-file amalgamation (simdjson.h and simdjson.cpp) that the pysimdjson
# source distribution carries. pip fetches that pinned distribution through whatever index it is
# configured to use (pip.conf, PIP_INDEX_URL), into the build tree, and its SHA-256 is checked;
# nothing of it is kept in this repository. To build offline, point
# FETCHCONTENT_SOURCE_DIR_SIMDJSON at an unpacked copy of the same archive.
set(TARVO_SIMDJSON_REQUIREMENT "pysimdjson==7.0.2")
set(TARVO_SIMDJSON_ARCHIVE "pysimdjson-7.0.2.tar.gz")
set(TARVO_SIMDJSON_SHA256 "44cf276e48912a3b9c7ca362c14da8420a7ac15a9f1a16ec95becff86db3904a")

if(FETCHCONTENT_SOURCE_DIR_SIMDJSON)
  set(simdjson_root "${FETCHCONTENT_SOURCE_DIR_SIMDJSON}")
else()
  set(simdjson_download "${CMAKE_BINARY_DIR}/_deps/simdjson-sdist")
  set(simdjson_archive "${simdjson_download}/${TARVO_SIMDJSON_ARCHIVE}")
  if(NOT EXISTS "${simdjson_archive}")
    message(STATUS "Fetching ${TARVO_SIMDJSON_REQUIREMENT} (simdjson's source) with pip")
    # Only this package as its source distribution; its build requirements, which pip reads to
    # tell the distribution's metadata, come as wheels.
    execute_process(
      COMMAND "${Python_EXECUTABLE}" -m pip download --no-deps --no-binary pysimdjson
              --disable-pip-version-check --quiet -d "${simdjson_download}"
              "${TARVO_SIMDJSON_REQUIREMENT}"
      RESULT_VARIABLE simdjson_status ERROR_VARIABLE simdjson_error)
    if(NOT simdjson_status EQUAL 0 OR NOT EXISTS "${simdjson_archive}")
      message(FATAL_ERROR "pip could not fetch ${TARVO_SIMDJSON_REQUIREMENT}; to build offline, "
                          "set FETCHCONTENT_SOURCE_DIR_SIMDJSON to an unpacked copy of "
                          "${TARVO_SIMDJSON_ARCHIVE}.\n${simdjson_error}")
    endif()
  endif()
  file(SHA256 "${simdjson_archive}" simdjson_sha256)
  if(NOT simdjson_sha256 STREQUAL TARVO_SIMDJSON_SHA256)
    file(REMOVE "${simdjson_archive}")
    message(FATAL_ERROR "${TARVO_SIMDJSON_ARCHIVE} has SHA-256 ${simdjson_sha256}, not "
                        "${TARVO_SIMDJSON_SHA256}: removed")
  endif()
  set(simdjson_unpacked "${CMAKE_BINARY_DIR}/_deps/simdjson-src")
  if(NOT EXISTS "${simdjson_unpacked}/pysimdjson-7.0.2/simdjson/simdjson.cpp")
    file(ARCHIVE_EXTRACT INPUT "${simdjson_archive}" DESTINATION "${simdjson_unpacked}")
  endif()
  set(simdjson_root "${simdjson_unpacked}/pysimdjson-7.0.2")
endif()

set(simdjson_amalgamation "${simdjson_root}/simdjson")
if(NOT EXISTS "${simdjson_amalgamation}/simdjson.cpp")
  message(FATAL_ERROR "no simdjson.cpp in ${simdjson_amalgamation}")
endif()
add_library(simdjson STATIC "${simdjson_amalgamation}/simdjson.cpp")
# SYSTEM: warnings in simdjson's header are not ours to fix, and must not fail a -Werror build.
target_include_directories(simdjson SYSTEM PUBLIC "${simdjson_amalgamation}")
target_compile_options(simdjson PRIVATE -w)
add_library(simdjson::simdjson ALIAS simdjson)
