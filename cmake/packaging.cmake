# Install layout and packages:
#   Windows: a zip with WrenboltConfig.exe, wrenbolt.exe, the browser page,
#            README and guide.
#   Linux:   a tarball with wrenbolt, wrenbolt-beacon-sim, the man pages and
#            the browser page (share/wrenbolt/wrenbolt-config.html).
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
  set(CPACK_GENERATOR TGZ)
  set(CPACK_SYSTEM_NAME linux-${CMAKE_SYSTEM_PROCESSOR})
endif()
include(CPack)
