# The version of this build: BASE_VERSION+gitYYYYMMDD.HHMMSS.HASH from the commit the sources
# were checked out at (its commit time in UTC, so successive commits sort upwards), or
# BASE_VERSION alone outside a git checkout. Every rebuilt package then has a version of its own.
#
# Run at every build: cmake -DSOURCE_DIR=... -DBASE_VERSION=... -DOUT_DIR=... -P BuildVersion.cmake
# Writes OUT_DIR/version.txt (read by cpack), OUT_DIR/BuildVersion.h (the program's --version)
# and OUT_DIR/changelog (the package's change log, headed by this version), each only when its
# contents change, so an unchanged commit rebuilds nothing.

function(talvenor_write_if_changed path contents)
  if(EXISTS "${path}")
    file(READ "${path}" _old)
    if(_old STREQUAL contents)
      return()
    endif()
  endif()
  file(WRITE "${path}" "${contents}")
endfunction()

set(_version "${BASE_VERSION}")
find_program(_git git)
if(_git)
  execute_process(COMMAND ${CMAKE_COMMAND} -E env TZ=UTC ${_git} -C "${SOURCE_DIR}" log -1
                          --format=%cd.%h --abbrev=7 --date=format-local:%Y%m%d.%H%M%S
                  OUTPUT_VARIABLE _commit OUTPUT_STRIP_TRAILING_WHITESPACE ERROR_QUIET RESULT_VARIABLE _result)
  if(_result EQUAL 0 AND _commit MATCHES "^[0-9]+\\.[0-9]+\\.[0-9a-f]+$")
    set(_version "${BASE_VERSION}+git${_commit}")
  endif()
endif()

file(MAKE_DIRECTORY "${OUT_DIR}")
talvenor_write_if_changed("${OUT_DIR}/version.txt" "${_version}\n")
talvenor_write_if_changed("${OUT_DIR}/BuildVersion.h"
                          "#pragma once\n#define TALVENOR_BUILD_VERSION \"${_version}\"\n")
file(READ "${SOURCE_DIR}/res/linux/changelog" _changelog)
string(REGEX REPLACE "^talvenor \\([^)]*\\)" "talvenor (${_version})" _changelog "${_changelog}")
talvenor_write_if_changed("${OUT_DIR}/changelog" "${_changelog}")
