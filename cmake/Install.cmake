# cmake --install and cpack -G DEB: the executables in bin, the shipped
# resources in share/tramond (the application looks there after its own
# directory), the desktop entry, icon and man page where the desktop and man
# look for them.
include(GNUInstallDirs)

if(TARGET tramond)
  install(TARGETS tramond RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
endif()
if(TARGET tramond-regsim)
  install(TARGETS tramond-regsim RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
endif()
install(DIRECTORY ${PROJECT_SOURCE_DIR}/resources/ DESTINATION ${CMAKE_INSTALL_DATADIR}/tramond
        PATTERN desktop EXCLUDE
        PATTERN man EXCLUDE)
install(FILES ${PROJECT_SOURCE_DIR}/resources/desktop/tramond.desktop
        DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${PROJECT_SOURCE_DIR}/resources/desktop/tramond.svg
        DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)
# Man pages are installed compressed (Debian policy); -n keeps the package
# reproducible. The verbs' part is written by the executable from the same
# table as its --help (cmake/ManPage.cmake).
find_program(TRAMOND_GZIP gzip REQUIRED)
if(TARGET tramond)
  set(_man_page ${PROJECT_BINARY_DIR}/man/tramond.1)
  set(_man ${_man_page}.gz)
  add_custom_command(OUTPUT ${_man_page} ${_man}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${PROJECT_BINARY_DIR}/man
    COMMAND ${CMAKE_COMMAND} -DTRAMOND=$<TARGET_FILE:tramond>
            -DTEMPLATE=${PROJECT_SOURCE_DIR}/resources/man/tramond.1.in -DOUT=${_man_page}
            -P ${PROJECT_SOURCE_DIR}/cmake/ManPage.cmake
    COMMAND ${TRAMOND_GZIP} -9n -c ${_man_page} > ${_man}
    DEPENDS tramond ${PROJECT_SOURCE_DIR}/resources/man/tramond.1.in ${PROJECT_SOURCE_DIR}/cmake/ManPage.cmake)
  add_custom_target(tramond_man ALL DEPENDS ${_man})
  install(FILES ${_man} DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
endif()

# The shop PC's side of the fleet: the nightly update unit, its timer and
# failure hook where systemd looks for a package's units, the network-port
# drop-in to link per instance, the account they run as (created by the
# package's postinst), and the Ansible role and playbook.
install(FILES ${PROJECT_SOURCE_DIR}/contrib/systemd/tramond-update@.service
              ${PROJECT_SOURCE_DIR}/contrib/systemd/tramond-update@.timer
              ${PROJECT_SOURCE_DIR}/contrib/systemd/tramond-update-failed@.service
        DESTINATION lib/systemd/system)
install(FILES ${PROJECT_SOURCE_DIR}/contrib/systemd/network-port.conf
        DESTINATION ${CMAKE_INSTALL_DATADIR}/tramond/systemd)
install(FILES ${PROJECT_SOURCE_DIR}/contrib/systemd/tramond.sysusers
        DESTINATION lib/sysusers.d RENAME tramond.conf)
install(DIRECTORY ${PROJECT_SOURCE_DIR}/contrib/ansible/ DESTINATION ${CMAKE_INSTALL_DATADIR}/tramond/ansible)

# Installing builds nothing: build first (all, or the installed targets
# tramond, tramond-regsim and tramond_man as scripts/check-package.sh does),
# so a package never waits for the tests and benchmarks.
set(CMAKE_SKIP_INSTALL_ALL_DEPENDENCY ON)

set(CPACK_PACKAGE_NAME tramond)
set(CPACK_PACKAGE_VENDOR "Orvalt")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Prepare, keep and transfer the programs of ORB4400 cash registers")
set(CPACK_PACKAGE_DESCRIPTION
    "Tramond edits the configuration (program) of ORB4400 cash registers in dialogs and moves it to and from one register or a network of up to 24 over RS232, interactively or unattended from the command line.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "Orvalt <support@orvalt.example>")
set(CPACK_DEBIAN_PACKAGE_SECTION misc)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE "https://orvalt.example/tramond")
# The shared libraries (Qt and the C++ runtime) are read off the executables.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# Loaded, not linked: the window opens through a Qt platform plugin. On
# Debian 12 the X11 one (xcb, also used under XWayland) ships in libqt6gui6,
# declared here for it even where the libraries alone would not name it; the
# native Wayland one is qt6-wayland.
set(CPACK_DEBIAN_PACKAGE_DEPENDS "libqt6gui6")
# Opened, not linked: the mail client hand-over and the help in the browser.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "xdg-utils, qt6-wayland")
# Registers behind a network, and the fleet playbook on the dealer's machine.
set(CPACK_DEBIAN_PACKAGE_SUGGESTS "ser2net, ansible-core")
set(CPACK_DEBIAN_PACKAGE_CONTROL_EXTRA ${PROJECT_SOURCE_DIR}/cmake/deb/postinst)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
include(CPack)
