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

foreach(target WrenboltConfig wrenbolt wrenbolt-beacon-sim)
  if(TARGET ${target})
    install(TARGETS ${target} RUNTIME DESTINATION ${WB_INSTALL_BINDIR})
  endif()
endforeach()

install(FILES ${PROJECT_SOURCE_DIR}/README.md DESTINATION ${WB_INSTALL_DOCDIR})
if(EXISTS ${PROJECT_SOURCE_DIR}/docs/user-guide.md)
  install(FILES ${PROJECT_SOURCE_DIR}/docs/user-guide.md DESTINATION ${WB_INSTALL_DOCDIR})
endif()
if(EXISTS ${PROJECT_SOURCE_DIR}/docs/screenshots)
  install(DIRECTORY ${PROJECT_SOURCE_DIR}/docs/screenshots DESTINATION ${WB_INSTALL_DOCDIR})
endif()
# The browser page, built by the web preset (make web): one file that runs
# in any browser with Web Serial, beside the programs.
set(WB_WEB_PAGE ${PROJECT_SOURCE_DIR}/build/web/wrenbolt-config.html CACHE FILEPATH
    "The browser page that goes into the package")
if(WIN32)
  install(FILES ${WB_WEB_PAGE} DESTINATION . OPTIONAL)
else()
  install(FILES ${WB_WEB_PAGE} DESTINATION ${CMAKE_INSTALL_DATADIR}/wrenbolt OPTIONAL)
endif()
if(NOT WIN32)
  file(GLOB WB_MAN_PAGES ${PROJECT_SOURCE_DIR}/docs/man/*.1)
  install(FILES ${WB_MAN_PAGES} DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
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
