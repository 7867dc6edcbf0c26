# The Debian package "tempoline" (cpack -G DEB, run from the native build directory): tempo and
# tempoline-web, their manual pages made from their help by help2man, and tempoline-web as a
# systemd service of its own unprivileged user, its forecast source and port in
# /etc/default/tempoline-web. scripts/package.sh builds it into dist/.
set(TEMPO_PACKAGING_DIR ${CMAKE_CURRENT_LIST_DIR})
# cpack installs what scripts/package.sh built, without building every target (the tests) first.
set(CMAKE_SKIP_INSTALL_ALL_DEPENDENCY ON)

install(TARGETS tempo RUNTIME DESTINATION bin)
set(TEMPO_MAN_PAGES ${CMAKE_BINARY_DIR}/man/tempo.1.gz)
set(TEMPO_WEB_IN_PACKAGE OFF)
if(TARGET tempoline-web)
  set(TEMPO_WEB_IN_PACKAGE ON)
  install(TARGETS tempoline-web RUNTIME DESTINATION bin)
  install(FILES ${TEMPO_PACKAGING_DIR}/tempoline-web.service DESTINATION lib/systemd/system)
  install(FILES ${TEMPO_PACKAGING_DIR}/tempoline-web.default DESTINATION /etc/default RENAME tempoline-web)
  list(APPEND TEMPO_MAN_PAGES ${CMAKE_BINARY_DIR}/man/tempoline-web.1.gz)
endif()

# The manual pages: the help of each program (tempo's of every command), compressed as Debian
# wants them, without a time stamp.
find_program(TEMPO_HELP2MAN help2man)
if(TEMPO_HELP2MAN)
  add_custom_command(
    OUTPUT ${CMAKE_BINARY_DIR}/man/tempo.1.gz
    COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_BINARY_DIR}/man
    COMMAND ${TEMPO_HELP2MAN} --no-info --help-option=--help-all --version-string=${PROJECT_VERSION}
            "--name=the calculator of Tempoline, the Chinese perpetual calendar" --output=${CMAKE_BINARY_DIR}/man/tempo.1
            $<TARGET_FILE:tempo>
    COMMAND gzip -9nf ${CMAKE_BINARY_DIR}/man/tempo.1
    DEPENDS tempo
    VERBATIM)
  if(TEMPO_WEB_IN_PACKAGE)
    add_custom_command(
      OUTPUT ${CMAKE_BINARY_DIR}/man/tempoline-web.1.gz
      COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_BINARY_DIR}/man
      COMMAND ${TEMPO_HELP2MAN} --no-info --no-discard-stderr --version-string=${PROJECT_VERSION}
              "--name=the weather and download pages of Tempoline" --output=${CMAKE_BINARY_DIR}/man/tempoline-web.1
              $<TARGET_FILE:tempoline-web>
      COMMAND gzip -9nf ${CMAKE_BINARY_DIR}/man/tempoline-web.1
      DEPENDS tempoline-web
      VERBATIM)
  endif()
  add_custom_target(man_pages ALL DEPENDS ${TEMPO_MAN_PAGES})
  install(FILES ${TEMPO_MAN_PAGES} DESTINATION share/man/man1)
else()
  message(STATUS "help2man not found: no manual pages in the Debian package")
endif()

install(FILES ${PROJECT_SOURCE_DIR}/LICENSE DESTINATION share/doc/tempoline RENAME copyright)

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME tempoline)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "the Tempoline developers")
set(CPACK_PACKAGE_CONTACT "the Tempoline developers")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Chinese perpetual calendar: the tempo calculator and the tempoline-web service")
set(CPACK_PACKAGE_DESCRIPTION
    "tempo computes what the Tempoline calendar shows: lunar, Hijri and sexagenary dates, solar terms, \
festivals, sun times, yearly tables, condition queries and iCalendar files of lunar birthdays. \
tempoline-web serves the weather and download pages that the Windows program reads.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "passwd")
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_PACKAGE_CONTROL_EXTRA
    ${TEMPO_PACKAGING_DIR}/conffiles ${TEMPO_PACKAGING_DIR}/postinst ${TEMPO_PACKAGING_DIR}/prerm
    ${TEMPO_PACKAGING_DIR}/postrm)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
include(CPack)
