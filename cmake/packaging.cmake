# Install layout and packages:
#   Windows: a zip with WrenboltConfig.exe, wrenbolt.exe, the browser page,
#            README, guide and licence.
#   Linux:   a tarball and a Debian package (wrenbolt) with wrenbolt,
#            wrenbolt-beacon-sim, the man pages, the shell completions, the
#            guide, the licence and the browser page
#            (share/wrenbolt/wrenbolt-config.html). The Debian package has the
#            licence as its machine-readable copyright file instead, and
#            lintian's overrides for the page.
include(GNUInstallDirs)

set(WB_PACKAGE_MAINTAINER "WrenboltConfig developers <developers@wrenbolt.example>" CACHE STRING
    "The packages' maintainer, name <address>")

if(WIN32)
  set(WB_INSTALL_BINDIR .)
  set(WB_INSTALL_DOCDIR .)
else()
  set(WB_INSTALL_BINDIR ${CMAKE_INSTALL_BINDIR})
  # Named after the package, not after the CMake project.
  set(WB_INSTALL_DOCDIR ${CMAKE_INSTALL_DATAROOTDIR}/doc/wrenbolt)
endif()

# Runs a command at build time with its output into a file (completion
# scripts, compressed pages):
#   wb_command_to_file(OUTPUT DEPENDS file-or-target... COMMAND program args...)
function(wb_command_to_file output)
  cmake_parse_arguments(PARSE_ARGV 1 run "" "" "DEPENDS;COMMAND")
  string(REPLACE ";" "|" command "${run_COMMAND}")
  add_custom_command(OUTPUT ${output}
                     COMMAND ${CMAKE_COMMAND} "-DCOMMAND=${command}" -DOUTPUT=${output}
                             -P ${PROJECT_SOURCE_DIR}/cmake/command-to-file.cmake
                     DEPENDS ${run_DEPENDS} ${PROJECT_SOURCE_DIR}/cmake/command-to-file.cmake VERBATIM)
endfunction()

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
  # The compiler's version notes (.comment) say nothing a user needs.
  if(CMAKE_OBJCOPY)
    install(CODE "set(wb_objcopy [[${CMAKE_OBJCOPY}]])\nset(wb_bindir [[${WB_INSTALL_BINDIR}]])")
    install(CODE [[
      foreach(program wrenbolt wrenbolt-beacon-sim)
        execute_process(COMMAND ${wb_objcopy} --remove-section=.comment
                                "$ENV{DESTDIR}${CMAKE_INSTALL_PREFIX}/${wb_bindir}/${program}"
                        COMMAND_ERROR_IS_FATAL ANY)
      endforeach()
    ]])
  endif()

  # Man pages and the changelog compressed the way Debian wants them
  # (gzip -9n: no name or time stamp inside, the same bytes every build).
  set(packaged ${CMAKE_BINARY_DIR}/packaged)
  foreach(page wrenbolt.1 wrenbolt-beacon-sim.1)
    wb_command_to_file(${packaged}/${page}.gz DEPENDS ${PROJECT_SOURCE_DIR}/docs/man/${page}
                       COMMAND gzip -9n -c ${PROJECT_SOURCE_DIR}/docs/man/${page})
    list(APPEND packaged_files ${packaged}/${page}.gz)
  endforeach()
  configure_file(${PROJECT_SOURCE_DIR}/cmake/debian/changelog.in ${packaged}/changelog @ONLY)
  configure_file(${PROJECT_SOURCE_DIR}/cmake/debian/copyright.in ${packaged}/copyright @ONLY)
  wb_command_to_file(${packaged}/changelog.gz DEPENDS ${packaged}/changelog COMMAND gzip -9n -c ${packaged}/changelog)
  # The completion scripts, as the program itself prints them.
  foreach(shell bash zsh fish)
    set(script ${packaged}/completion.${shell})
    wb_command_to_file(${script} DEPENDS wrenbolt COMMAND $<TARGET_FILE:wrenbolt> completion ${shell})
    list(APPEND packaged_files ${script})
  endforeach()
  add_custom_target(packaged_files ALL DEPENDS ${packaged_files} ${packaged}/changelog.gz)

  install(FILES ${packaged}/wrenbolt.1.gz ${packaged}/wrenbolt-beacon-sim.1.gz
          DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
  install(FILES ${packaged}/changelog.gz DESTINATION ${WB_INSTALL_DOCDIR})
  # Where bash-completion, zsh and fish look for them.
  install(FILES ${packaged}/completion.bash DESTINATION ${CMAKE_INSTALL_DATAROOTDIR}/bash-completion/completions
          RENAME wrenbolt)
  install(FILES ${packaged}/completion.zsh DESTINATION ${CMAKE_INSTALL_DATAROOTDIR}/zsh/vendor-completions
          RENAME _wrenbolt)
  install(FILES ${packaged}/completion.fish DESTINATION ${CMAKE_INSTALL_DATAROOTDIR}/fish/vendor_completions.d
          RENAME wrenbolt.fish)
endif()
install(FILES ${PROJECT_SOURCE_DIR}/README.md ${PROJECT_SOURCE_DIR}/docs/user-guide.md
              ${PROJECT_SOURCE_DIR}/LICENSE
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
  set(CPACK_DEBIAN_PACKAGE_MAINTAINER "${WB_PACKAGE_MAINTAINER}")
  set(CPACK_DEBIAN_PACKAGE_SECTION hamradio)
  set(CPACK_DEBIAN_PACKAGE_HOMEPAGE "https://localhost/wrenbolt")
  set(CPACK_PACKAGE_DESCRIPTION "Reads, edits, writes and verifies the settings of Wrenbolt\n\
transmitter-hunt beacons over a serial port; hunt plans for many beacons;\n\
a simulated beacon on a pseudo-terminal; the browser page.")
  # dpkg-shlibdeps finds the libraries the programs really need (libc6).
  set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
  # The Debian package alone: the copyright file in place of LICENSE, and
  # lintian's overrides.
  set(WB_DEB_COPYRIGHT ${packaged}/copyright)
  set(WB_DEB_OVERRIDES ${PROJECT_SOURCE_DIR}/cmake/debian/lintian-overrides)
  configure_file(${PROJECT_SOURCE_DIR}/cmake/debian/deb-staging.cmake.in ${CMAKE_BINARY_DIR}/deb-staging.cmake @ONLY)
  file(WRITE ${CMAKE_BINARY_DIR}/cpack-per-generator.cmake
       "if(CPACK_GENERATOR STREQUAL \"DEB\")\n  set(CPACK_PRE_BUILD_SCRIPTS ${CMAKE_BINARY_DIR}/deb-staging.cmake)\nendif()\n")
  set(CPACK_PROJECT_CONFIG_FILE ${CMAKE_BINARY_DIR}/cpack-per-generator.cmake)
endif()
include(CPack)
