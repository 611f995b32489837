# What the Linux program installs, and its Debian package (scripts/package.sh runs CPack):
# the program, its desktop entry and icons, the guide and the licence.
include(GNUInstallDirs)

install(TARGETS korlo-log-analyzer RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
install(FILES ${PROJECT_SOURCE_DIR}/packaging/korlo-log-analyzer.desktop
  DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
# Each drawn size (assets/icons/korlo-log-analyzer-SIZE.png) in the icon theme's folder of its size.
file(GLOB korlo_icon_files ${PROJECT_SOURCE_DIR}/assets/icons/korlo-log-analyzer-*.png)
foreach(icon ${korlo_icon_files})
  string(REGEX REPLACE ".*-([0-9]+)\\.png$" "\\1" size ${icon})
  install(FILES ${icon} DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps
    RENAME korlo-log-analyzer.png)
endforeach()
install(FILES ${PROJECT_SOURCE_DIR}/assets/korlo-log-analyzer.svg
  DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)
# A Debian package names its licence in /usr/share/doc/PACKAGE/copyright.
install(FILES ${PROJECT_SOURCE_DIR}/LICENSE
  DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/korlo-log-analyzer RENAME copyright)
# The guide as one HTML file (scripts/guide-html.py), when the packaging script made it.
set(KORLO_GUIDE_HTML "" CACHE FILEPATH "The operator's guide as HTML, installed with the program")
if(KORLO_GUIDE_HTML)
  install(FILES ${KORLO_GUIDE_HTML} DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/korlo-log-analyzer)
endif()

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME korlo-log-analyzer)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "Korlo log analyzer developers")
set(CPACK_PACKAGE_CONTACT "Korlo log analyzer developers <korlo-log-analyzer@users.noreply.github.com>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Log analyzer for Korlo engine game servers")
set(CPACK_PACKAGE_DESCRIPTION
  "Reads the per-day, tab-separated event logs of a Korlo engine game server (usually in the
Chinese ANSI code page) and finds records by keyword on chosen columns, by action category and
by time range; sorts, counts values, exports to Excel workbooks and CSV, and follows the logs
of a live server. Licensed under the MIT licence.")
set(CPACK_RESOURCE_FILE_LICENSE ${PROJECT_SOURCE_DIR}/LICENSE)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
# The libraries the program links (Qt, libxlsxwriter, the C++ runtime) from dpkg-shlibdeps; and
# what it loads without linking: the X11 platform plugin, Qt's Chinese dialog texts and a font
# that has the Chinese characters.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "qt6-qpa-plugins, qt6-translations-l10n, fonts-noto-cjk")
set(CPACK_STRIP_FILES ON)
include(CPack)
