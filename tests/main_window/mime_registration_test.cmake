# SPDX-License-Identifier: GPL-3.0-or-later
# The shared-mime-info definition is accepted by update-mime-database and maps *.nmr to the
# type the desktop entry opens. Run as: cmake -DMIME_FILE=... -DDESKTOP_FILE=... -DWORK_DIR=...
#   -DUPDATE_MIME_DATABASE=... -P mime_registration_test.cmake
file(REMOVE_RECURSE "${WORK_DIR}")
file(MAKE_DIRECTORY "${WORK_DIR}/packages")
file(COPY_FILE "${MIME_FILE}" "${WORK_DIR}/packages/org.numerella.Numerella.xml")
execute_process(COMMAND "${UPDATE_MIME_DATABASE}" "${WORK_DIR}"
                RESULT_VARIABLE result ERROR_VARIABLE errors OUTPUT_QUIET)
if(NOT result EQUAL 0 OR errors MATCHES "rror")
  message(FATAL_ERROR "update-mime-database refused the definition (${result}): ${errors}")
endif()

file(STRINGS "${DESKTOP_FILE}" mime_line REGEX "^MimeType=")
string(REGEX REPLACE "^MimeType=([^;]*);?$" "\\1" desktop_type "${mime_line}")
file(STRINGS "${WORK_DIR}/globs2" globs REGEX ":\\*\\.nmr$")
if(NOT globs MATCHES "^[0-9]+:${desktop_type}:\\*\\.nmr$" OR desktop_type STREQUAL "")
  message(FATAL_ERROR "*.nmr maps to '${globs}', the desktop entry opens '${desktop_type}'")
endif()
file(REMOVE_RECURSE "${WORK_DIR}")
message(STATUS "*.nmr is ${desktop_type}")
