# Installation of the programs and the Debian package built from it (`make
# package`). Everything else an installation holds is in data/.
include(GNUInstallDirs)

install(TARGETS corvane corvane-settings corvane-place RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
# The update checks' network module installs from app/updates, which finds it
# relative to the program.

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME corvane)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "Corvane developers")
set(CPACK_PACKAGE_CONTACT "Corvane maintainers <maintainers@users.noreply.c-seed-bf2c829e.example>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "grid window tiler for X11")
set(CPACK_PACKAGE_DESCRIPTION
  "Corvane sits in the system tray. Open its grid with a click or a global shortcut, drag out a \
rectangle of cells, and the focused window lands on that part of the monitor, with optional \
margins and gaps. Named layouts apply from the grid or from any application, every placement \
is verified and can be undone, and scripts drive it from the command line. It needs an X11 \
session with an EWMH window manager.")
# Release binaries without their debugging information: a fifth of the size.
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION x11)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
if(CORVANE_HOMEPAGE_URL)
  set(CPACK_DEBIAN_PACKAGE_HOMEPAGE ${CORVANE_HOMEPAGE_URL})
endif()
# The shared libraries come from dpkg-shlibdeps; the X11 platform plugin is
# loaded by Qt at run time, so no library names it, and Qt needs a font.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "qt6-qpa-plugins, fonts-dejavu-core | fonts-freefont-ttf | fonts-liberation2")
include(CPack)
