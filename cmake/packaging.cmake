# Install layout and packages:
#   Windows: a zip with WrenboltConfig.exe, wrenbolt.exe, the browser page,
#            README and guide.
#   Linux:   a tarball and a Debian package (wrenbolt) with wrenbolt,
#            wrenbolt-beacon-sim, the man pages, the guide and the browser
#            page (share/wrenbolt/wrenbolt-config.html).
include(GNUInstallDirs)

if(WIN32)
  set(WB_INSTALL_BINDIR .)
  set(WB_INSTALL_DOCDIR .)
else()
  set(WB_INSTALL_BINDIR ${CMAKE_INSTALL_BINDIR})
  set(WB_INSTALL_DOCDIR ${CMAKE_INSTALL_DOCDIR})
endif()

if(WIN32)
  install(TARGETS WrenboltConfig wrenbolt RUNTIME DESTINATION ${WB_INSTALL_BINDIR})
else()
  # The C++ runtime linked in, so that the programs need only the C library
  # of any Linux of the last years (the Debian package depends on libc6
  # alone). Not with the sanitizers, whose runtime wants the shared one.
  if(CMAKE_CXX_COMPILER_ID STREQUAL "GNU" AND CMAKE_SYSTEM_NAME STREQUAL "Linux"
     AND NOT CMAKE_CXX_FLAGS MATCHES "sanitize")
    foreach(program wrenbolt wrenbolt-beacon-sim)
      target_link_options(${program} PRIVATE -static-libstdc++ -static-libgcc)
    endforeach()
  endif()
  install(TARGETS wrenbolt wrenbolt-beacon-sim RUNTIME DESTINATION ${WB_INSTALL_BINDIR})
  install(FILES ${PROJECT_SOURCE_DIR}/docs/man/wrenbolt.1 ${PROJECT_SOURCE_DIR}/docs/man/wrenbolt-beacon-sim.1
          DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
endif()
install(FILES ${PROJECT_SOURCE_DIR}/README.md ${PROJECT_SOURCE_DIR}/docs/user-guide.md
        DESTINATION ${WB_INSTALL_DOCDIR})
install(DIRECTORY ${PROJECT_SOURCE_DIR}/docs/screenshots DESTINATION ${WB_INSTALL_DOCDIR})
# The browser page, built by the web preset (make web): one file that runs
# in any browser with Web Serial, beside the programs. A package made
# without that build leaves it out.
set(WB_WEB_PAGE ${PROJECT_SOURCE_DIR}/build/web/wrenbolt-config.html CACHE FILEPATH
    "The browser page that goes into the package")
if(WIN32)
  install(FILES ${WB_WEB_PAGE} DESTINATION . OPTIONAL)
else()
  install(FILES ${WB_WEB_PAGE} DESTINATION ${CMAKE_INSTALL_DATADIR}/wrenbolt OPTIONAL)
endif()

set(CPACK_PACKAGE_NAME WrenboltConfig)
set(CPACK_PACKAGE_VENDOR "WrenboltConfig developers")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Configure Wrenbolt transmitter-hunt beacons")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_DIRECTORY ${CMAKE_BINARY_DIR}/packages)
set(CPACK_STRIP_FILES ON)
if(WIN32)
  set(CPACK_GENERATOR ZIP)
  set(CPACK_SYSTEM_NAME windows-x64)
else()
  set(CPACK_GENERATOR TGZ DEB)
  set(CPACK_SYSTEM_NAME linux-${CMAKE_SYSTEM_PROCESSOR})
  set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
  set(CPACK_DEBIAN_PACKAGE_NAME wrenbolt)
  set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
  set(CPACK_DEBIAN_PACKAGE_MAINTAINER "WrenboltConfig developers <wrenbolt@localhost>")
  set(CPACK_DEBIAN_PACKAGE_SECTION hamradio)
  set(CPACK_DEBIAN_PACKAGE_HOMEPAGE "https://localhost/wrenbolt")
  set(CPACK_PACKAGE_DESCRIPTION "Reads, edits, writes and verifies the settings of Wrenbolt\n\
transmitter-hunt beacons over a serial port; hunt plans for many beacons;\n\
a simulated beacon on a pseudo-terminal; the browser page.")
  # dpkg-shlibdeps finds the libraries the programs really need (libc6).
  set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
endif()
include(CPack)
