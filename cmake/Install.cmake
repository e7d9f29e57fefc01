# What `cmake --install` lays out and what the Debian package holds.
#
#   bin/                     orvalis and the command-line tools
#   share/orvalis/           the program folder without its executable: the demo catalogue,
#                            the user database the first start copies, PDF sheets, templates,
#                            help (read-only; the program finds it from bin/../share/orvalis)
#   share/applications/      desktop entries; share/icons/hicolor/ the icon;
#   share/metainfo/          the AppStream description; share/mime/ the .pts template type
#
# The package's install step records the installation in /etc/xdg/orvalis/registry.ini
# (`orvalis --install`) and removes that file again when the package is purged.

include(GNUInstallDirs)

set(_desktop ${PROJECT_SOURCE_DIR}/data/desktop)

foreach(_tool orvalis orv_report_runner orv_catalogue orv_designer)
  if(TARGET ${_tool})
    install(TARGETS ${_tool} RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
  endif()
endforeach()

# The program folder as the build lays it out, less what belongs to one user or one run.
install(DIRECTORY ${ORVALIS_PROGRAM_DIR}/ DESTINATION ${CMAKE_INSTALL_DATADIR}/orvalis
        USE_SOURCE_PERMISSIONS
        REGEX "/orvalis/orvalis$" EXCLUDE
        PATTERN "Zeb.ini" EXCLUDE
        PATTERN "registry.ini" EXCLUDE
        PATTERN "*.BAK" EXCLUDE
        PATTERN ".orvalis-*" EXCLUDE
        PATTERN "*-journal" EXCLUDE)

install(FILES ${_desktop}/orvalis.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
if(TARGET orv_designer)
  install(FILES ${_desktop}/orvalis-designer.desktop
          DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
endif()
install(FILES ${_desktop}/orvalis-mime.xml DESTINATION ${CMAKE_INSTALL_DATADIR}/mime/packages
        RENAME orvalis.xml)
install(FILES ${_desktop}/cz.halmberg.orvalis.metainfo.xml
        DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
install(FILES ${_desktop}/orvalis-48.png DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/48x48/apps
        RENAME orvalis.png)
install(FILES ${_desktop}/orvalis-128.png
        DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/128x128/apps RENAME orvalis.png)
install(FILES ${_desktop}/orvalis.svg DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)

# Debian wants the copyright file and a compressed changelog in the package's doc folder.
install(FILES ${_desktop}/copyright DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/orvalis)
# A native package (no Debian revision) names it changelog.gz.
set(_changelog ${PROJECT_BINARY_DIR}/changelog.gz)
add_custom_command(OUTPUT ${_changelog}
  COMMAND gzip -n -9 -c ${_desktop}/changelog > ${_changelog}
  DEPENDS ${_desktop}/changelog VERBATIM)
add_custom_target(debian_changelog ALL DEPENDS ${_changelog})
install(FILES ${_changelog} DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/orvalis)

# --- the Debian package (./package)
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME orvalis)
set(CPACK_PACKAGE_VERSION 2.1.0)
set(CPACK_PACKAGE_CONTACT "Halmberg s.r.o. <podpora@halmberg.cz>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "reference catalogue of metal grades for engineers")
set(CPACK_PACKAGE_DESCRIPTION
    "A desktop reference catalogue of steels, cast irons and non-ferrous
metals with a Czech user interface. Materials are found by designation
in any national standard, by chemical composition, by mechanical
properties or by usage; each has a card with composition, equivalents,
properties, heat treatment and notes. Own materials and notes are kept
beside the catalogue; material information is printed through the
program's own banded report generator.")
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION science)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "fonts-liberation2, qt6-qpa-plugins")
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "poppler-utils, cups-client, xdg-utils")
set(CPACK_DEBIAN_PACKAGE_CONTROL_EXTRA
    ${_desktop}/postinst ${_desktop}/postrm)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
set(CPACK_STRIP_FILES ON)
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
include(CPack)
