# SPDX-License-Identifier: GPL-3.0-or-later
# Installation of both programs with their desktop files, icons and manual pages, and two
# Debian packages made by CPack (cpack -G DEB in the build folder; ./build.sh package builds
# them with Debian's hardening flags):
#   numerella       the window (component numerella, the default of every install rule)
#   numerella-eval  the command line, without Qt (component numerella-eval)

set(NUMERELLA_APP_ID org.numerella.Numerella)
set(NUMERELLA_METAINFO_ID org.numerella.numerella)
set(NUMERELLA_HOMEPAGE "https://numerella.org/")
set(NUMERELLA_MAINTAINER "Numerella maintainers <maintainers@numerella.org>"
    CACHE STRING "Maintainer of the Debian packages: Name <address>")
# The Debian revision of the packages: 1.0.0-1 is the first package of version 1.0.0.
set(NUMERELLA_DEB_REVISION 1 CACHE STRING "Debian revision of the packages")
set(NUMERELLA_DEB_VERSION ${PROJECT_VERSION}-${NUMERELLA_DEB_REVISION})

set(NUMERELLA_PACKAGES numerella-eval)
if(NUMERELLA_GUI)
  list(APPEND NUMERELLA_PACKAGES numerella)
  install(FILES ${CMAKE_SOURCE_DIR}/data/${NUMERELLA_APP_ID}.desktop
          DESTINATION ${CMAKE_INSTALL_DATADIR}/applications COMPONENT numerella)
  install(FILES ${CMAKE_SOURCE_DIR}/data/${NUMERELLA_METAINFO_ID}.metainfo.xml
          DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo COMPONENT numerella)
  install(FILES ${CMAKE_SOURCE_DIR}/data/${NUMERELLA_APP_ID}.mime.xml
          DESTINATION ${CMAKE_INSTALL_DATADIR}/mime/packages RENAME ${NUMERELLA_APP_ID}.xml
          COMPONENT numerella)
  foreach(size 16 22 24 32 48 64 128 256)
    install(FILES ${CMAKE_SOURCE_DIR}/data/icons/hicolor/${size}x${size}/apps/${NUMERELLA_APP_ID}.png
            DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps
            COMPONENT numerella)
  endforeach()
endif()

# Files compressed as Debian wants them (gzip -9n: no name, no time stamp).
find_program(NUMERELLA_GZIP gzip REQUIRED)
add_custom_target(numerella_package_files ALL)
function(numerella_gzipped source output)
  add_custom_command(
    OUTPUT ${output}
    COMMAND ${NUMERELLA_GZIP} -9 -n -c ${source} > ${output}
    DEPENDS ${source}
    VERBATIM)
  get_filename_component(name ${output} NAME)
  add_custom_target(numerella_gz_${name} DEPENDS ${output})
  add_dependencies(numerella_package_files numerella_gz_${name})
endfunction()

# Per package: its manual page, its copyright file in Debian's machine-readable format and
# the Debian changelog of the source they share, and the lintian notes that do not apply.
set(doc_in ${CMAKE_SOURCE_DIR}/cmake/debian)
configure_file(${doc_in}/copyright.in ${CMAKE_BINARY_DIR}/debian/copyright @ONLY)
configure_file(${doc_in}/changelog.in ${CMAKE_BINARY_DIR}/debian/changelog @ONLY)
numerella_gzipped(${CMAKE_BINARY_DIR}/debian/changelog
                  ${CMAKE_BINARY_DIR}/debian/changelog.Debian.gz)
foreach(package IN LISTS NUMERELLA_PACKAGES)
  numerella_gzipped(${CMAKE_SOURCE_DIR}/data/${package}.1 ${CMAKE_BINARY_DIR}/man/${package}.1.gz)
  install(FILES ${CMAKE_BINARY_DIR}/man/${package}.1.gz
          DESTINATION ${CMAKE_INSTALL_MANDIR}/man1 COMPONENT ${package})
  install(FILES ${CMAKE_BINARY_DIR}/debian/copyright ${CMAKE_BINARY_DIR}/debian/changelog.Debian.gz
          DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/${package} COMPONENT ${package})
  configure_file(${doc_in}/lintian-overrides.in ${CMAKE_BINARY_DIR}/debian/${package}.lintian @ONLY)
  install(FILES ${CMAKE_BINARY_DIR}/debian/${package}.lintian
          DESTINATION ${CMAKE_INSTALL_DATADIR}/lintian/overrides RENAME ${package}
          COMPONENT ${package})
endforeach()

# A stripped install (CPack's) also drops the compilers' version notes, as Debian's dh_strip
# does; the programs' own install rules have stripped them by then.
foreach(package IN LISTS NUMERELLA_PACKAGES)
  install(CODE "
    if(CMAKE_INSTALL_DO_STRIP)
      execute_process(COMMAND \"${CMAKE_OBJCOPY}\" --remove-section=.comment
        \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/${CMAKE_INSTALL_BINDIR}/${package}\"
        COMMAND_ERROR_IS_FATAL ANY)
    endif()" COMPONENT ${package})
endforeach()

set(CPACK_PACKAGE_NAME numerella)
set(CPACK_PACKAGE_VENDOR "The Numerella developers")
set(CPACK_PACKAGE_CONTACT "${NUMERELLA_MAINTAINER}")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_GENERATOR DEB)
set(CPACK_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS
    OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)
set(CPACK_DEB_COMPONENT_INSTALL ON)
set(CPACK_COMPONENTS_ALL ${NUMERELLA_PACKAGES})
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_RELEASE ${NUMERELLA_DEB_REVISION})
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "${NUMERELLA_MAINTAINER}")
set(CPACK_DEBIAN_PACKAGE_SECTION math)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE "${NUMERELLA_HOMEPAGE}")
set(CPACK_DEBIAN_PACKAGE_SOURCE numerella)
# Library dependencies (Qt, the C++ runtime) are found by dpkg-shlibdeps (package dpkg-dev).
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)

# Descriptions: a summary line and lines of at most 80 columns. (CPack puts a package-wide
# CPACK_PACKAGE_DESCRIPTION_SUMMARY above each; none is set, so each keeps its own.)
set(CPACK_DEBIAN_NUMERELLA_PACKAGE_NAME numerella)
set(CPACK_DEBIAN_NUMERELLA_DESCRIPTION "scientific formula calculator with an Italian interface
Numerella computes typed formulas with elementary, gamma, aggregate and
statistical functions (binomial, Poisson, normal, Student's t, chi-square
and F distributions) in single precision. It keeps a history of the last
ten formulas and results, saves it to calculation files and reads them
back, and prints the card of its intrinsic functions.
.
The interface is in Italian.")
set(CPACK_DEBIAN_NUMERELLA_PACKAGE_RECOMMENDS "qt6-translations-l10n, fonts-dejavu-core")

set(CPACK_DEBIAN_NUMERELLA-EVAL_PACKAGE_NAME numerella-eval)
set(CPACK_DEBIAN_NUMERELLA-EVAL_DESCRIPTION "command-line formula calculator of Numerella
numerella-eval computes Numerella formulas given as arguments or read from
standard input, one per line, and prints the results exactly as the
Numerella window shows them, or one JSON object per formula with the
compiled program and the values. It suits scripts and needs no display.
At a terminal it offers line editing, a history kept between sessions and
completion of function names.")

include(CPack)
