# The Debian package, made by CPack (scripts/package): everything `cmake --install` puts under the
# prefix /usr, its library dependencies found by dpkg-shlibdeps, and maintainer scripts that create
# the group and the writable folders.

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME kirasuite)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "Webkira")
set(CPACK_PACKAGE_CONTACT "Webkira suite maintainers <suite@webkira.jp>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "nursery clerk's city report, printer settings, VB6 grid migration")
string(CONCAT CPACK_PACKAGE_DESCRIPTION
    "The Webkira suite for Debian desktops.\n"
    "citylink fills the city of Sapporo's usage workbook for care outside hours\n"
    "from a month's attendance export of the web attendance service. Its\n"
    "settings and daily log are shared by the members of the group kirasuite.\n"
    "gridmover migrates Visual Basic 6 projects from an older data-bound grid\n"
    "control to the current one, all files or none.")
set(CPACK_PACKAGE_DIRECTORY ${PROJECT_BINARY_DIR}/package)

# Installed as `cmake --install --prefix /usr` would, so install_layout.cmake sees the real prefix.
set(CPACK_SET_DESTDIR ON)
set(CPACK_INSTALL_PREFIX /usr)
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)

set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION misc)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# libprintctl: a shlibs file for programs built against it; the ldconfig trigger (debian/triggers)
# makes the loader see its soname link in the library folder.
set(CPACK_DEBIAN_PACKAGE_GENERATE_SHLIBS ON)
# Beside the libraries: setfacl for the maintainer scripts, the platform plugins the windows need.
set(CPACK_DEBIAN_PACKAGE_DEPENDS "acl, passwd, qt6-qpa-plugins")
# The clerk's window fills the workbook in LibreOffice Calc where it is installed (the programs
# start without it: the Calc backend is a module loaded when asked for).
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "fonts-noto-cjk | fonts-ipafont-gothic, libreoffice-calc")
set(CPACK_DEBIAN_PACKAGE_CONTROL_EXTRA
    ${CMAKE_CURRENT_SOURCE_DIR}/debian/postinst
    ${CMAKE_CURRENT_SOURCE_DIR}/debian/postrm
    ${CMAKE_CURRENT_SOURCE_DIR}/debian/triggers)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)

include(CPack)
