# Installation of the program with its desktop entry and icon, and the Debian package.
include(GNUInstallDirs)

install(TARGETS kovarra RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
install(FILES ${PROJECT_SOURCE_DIR}/ui/kovarra.desktop
        DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${PROJECT_SOURCE_DIR}/ui/art/icon.png
        DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/48x48/apps RENAME kovarra.png)

set(CPACK_PACKAGE_NAME "kovarra")
set(CPACK_PACKAGE_VENDOR "KovarraV2.0")
set(CPACK_PACKAGE_CONTACT "KovarraV2.0 maintainers <kovarra@localhost>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Recent matches of the LPL teams and their videos")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGING_INSTALL_PREFIX "/usr")
set(CPACK_STRIP_FILES ON)
set(CPACK_GENERATOR "DEB")
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION "net")
# The shared libraries' packages come from dpkg-shlibdeps; the captions need a CJK font.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "fonts-noto-cjk | fonts-wqy-microhei, ca-certificates")
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "xdg-utils")
# Only the program goes into the package, not the libraries' development files.
set(CPACK_COMPONENTS_ALL Unspecified)
include(CPack)
