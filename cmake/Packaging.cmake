# Installation of both programs with their desktop files, icons and manual page, and a
# Debian package made by CPack (cpack -G DEB in the build folder).

set(NUMERELLA_APP_ID org.numerella.Numerella)

if(NUMERELLA_GUI)
  install(FILES ${CMAKE_SOURCE_DIR}/data/${NUMERELLA_APP_ID}.desktop
          DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
  install(FILES ${CMAKE_SOURCE_DIR}/data/${NUMERELLA_APP_ID}.metainfo.xml
          DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
  install(FILES ${CMAKE_SOURCE_DIR}/data/${NUMERELLA_APP_ID}.mime.xml
          DESTINATION ${CMAKE_INSTALL_DATADIR}/mime/packages RENAME ${NUMERELLA_APP_ID}.xml)
  foreach(size 16 22 24 32 48 64 128 256)
    install(FILES ${CMAKE_SOURCE_DIR}/data/icons/hicolor/${size}x${size}/apps/${NUMERELLA_APP_ID}.png
            DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps)
  endforeach()
endif()

# The manual page, compressed as Debian wants it.
find_program(NUMERELLA_GZIP gzip)
if(NUMERELLA_GZIP)
  set(man_page ${CMAKE_BINARY_DIR}/man/numerella-eval.1.gz)
  add_custom_command(
    OUTPUT ${man_page}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_BINARY_DIR}/man
    COMMAND ${NUMERELLA_GZIP} -9 -n -c ${CMAKE_SOURCE_DIR}/data/numerella-eval.1 > ${man_page}
    DEPENDS ${CMAKE_SOURCE_DIR}/data/numerella-eval.1
    VERBATIM)
  add_custom_target(numerella_man_page ALL DEPENDS ${man_page})
  install(FILES ${man_page} DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
else()
  install(FILES ${CMAKE_SOURCE_DIR}/data/numerella-eval.1 DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
endif()

set(CPACK_PACKAGE_NAME numerella)
set(CPACK_PACKAGE_VENDOR "Numerella")
set(CPACK_PACKAGE_CONTACT "Numerella <numerella@localhost>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Formula calculator with an Italian interface")
set(CPACK_PACKAGE_DESCRIPTION
    "Numerella computes typed formulas with elementary, gamma, aggregate and statistical\n\
functions, keeps a history of the last ten results and saves it to calculation files.\n\
numerella-eval runs the same formulas from the command line.")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_GENERATOR DEB)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION math)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
# Library dependencies (Qt, the C++ runtime) are found by dpkg-shlibdeps when it is installed.
find_program(NUMERELLA_DPKG_SHLIBDEPS dpkg-shlibdeps)
if(NUMERELLA_DPKG_SHLIBDEPS)
  set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
endif()
if(NUMERELLA_GUI)
  set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "qt6-translations-l10n, fonts-dejavu-core")
endif()
include(CPack)
