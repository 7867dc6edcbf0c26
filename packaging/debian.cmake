# The Debian package "tempoline" (cpack -G DEB, run from the native build directory): tempo and
# tempoline-web, their manual pages made from their help, the changelog, and tempoline-web as a
# systemd service of its own unprivileged user, its forecast source and port in
# /etc/default/tempoline-web. scripts/package.sh builds it into dist/.
set(TEMPO_PACKAGING_DIR ${CMAKE_CURRENT_LIST_DIR})
# cpack installs what scripts/package.sh built, without building every target (the tests) first.
set(CMAKE_SKIP_INSTALL_ALL_DEPENDENCY ON)
# Every mode of the package is set here, never taken from the umask of the build: directories 0755,
# programs 0755, other files 0644 (a release built under umask 077 would otherwise make
# /usr/share/doc/tempoline unreadable to the users).
set(CMAKE_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS
    OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)
set(TEMPO_PROGRAM_MODE OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)
set(TEMPO_FILE_MODE OWNER_READ OWNER_WRITE GROUP_READ WORLD_READ)

install(TARGETS tempo RUNTIME DESTINATION bin PERMISSIONS ${TEMPO_PROGRAM_MODE})
set(TEMPO_MAN_PAGES ${CMAKE_BINARY_DIR}/man/tempo.1.gz)
set(TEMPO_WEB_IN_PACKAGE OFF)
if(TARGET tempoline-web)
  set(TEMPO_WEB_IN_PACKAGE ON)
  install(TARGETS tempoline-web RUNTIME DESTINATION bin PERMISSIONS ${TEMPO_PROGRAM_MODE})
  install(FILES ${TEMPO_PACKAGING_DIR}/tempoline-web.service DESTINATION lib/systemd/system PERMISSIONS ${TEMPO_FILE_MODE})
  install(FILES ${TEMPO_PACKAGING_DIR}/tempoline-web.default DESTINATION /etc/default RENAME tempoline-web
          PERMISSIONS ${TEMPO_FILE_MODE})
  list(APPEND TEMPO_MAN_PAGES ${CMAKE_BINARY_DIR}/man/tempoline-web.1.gz)
endif()

# The manual pages, made from the help of each program by scripts/man_pages.py (every command of
# tempo in a section of its own), UTF-8 as man-db reads them, compressed as Debian wants them,
# without a time stamp.
find_package(Python3 COMPONENTS Interpreter REQUIRED)
set(TEMPO_MAN_SOURCES ${CMAKE_BINARY_DIR}/man/tempo.1)
set(TEMPO_WEB_PROGRAM_ARGUMENT "")
if(TEMPO_WEB_IN_PACKAGE)
  list(APPEND TEMPO_MAN_SOURCES ${CMAKE_BINARY_DIR}/man/tempoline-web.1)
  set(TEMPO_WEB_PROGRAM_ARGUMENT $<TARGET_FILE:tempoline-web>)
endif()
add_custom_command(
  OUTPUT ${TEMPO_MAN_PAGES}
  COMMAND ${CMAKE_COMMAND} -E env LC_ALL=C.UTF-8 ${Python3_EXECUTABLE} ${PROJECT_SOURCE_DIR}/scripts/man_pages.py
          $<TARGET_FILE:tempo> "${TEMPO_WEB_PROGRAM_ARGUMENT}" ${PROJECT_VERSION} ${CMAKE_BINARY_DIR}/man
  COMMAND gzip -9nf ${TEMPO_MAN_SOURCES}
  DEPENDS tempo $<$<BOOL:${TEMPO_WEB_IN_PACKAGE}>:tempoline-web> ${PROJECT_SOURCE_DIR}/scripts/man_pages.py
  VERBATIM)
add_custom_target(man_pages ALL DEPENDS ${TEMPO_MAN_PAGES})
install(FILES ${TEMPO_MAN_PAGES} DESTINATION share/man/man1 PERMISSIONS ${TEMPO_FILE_MODE})

# The package's changelog (a native package: changelog.gz), whose newest entry must be this version.
file(STRINGS ${TEMPO_PACKAGING_DIR}/changelog TEMPO_CHANGELOG_TOP LIMIT_COUNT 1)
if(NOT TEMPO_CHANGELOG_TOP MATCHES "^tempoline \\(${PROJECT_VERSION}\\) ")
  message(FATAL_ERROR "packaging/changelog must begin with the entry of tempoline ${PROJECT_VERSION}")
endif()
add_custom_command(
  OUTPUT ${CMAKE_BINARY_DIR}/changelog.gz
  COMMAND gzip -9nc ${TEMPO_PACKAGING_DIR}/changelog > ${CMAKE_BINARY_DIR}/changelog.gz
  DEPENDS ${TEMPO_PACKAGING_DIR}/changelog)
add_custom_target(package_changelog ALL DEPENDS ${CMAKE_BINARY_DIR}/changelog.gz)
install(FILES ${CMAKE_BINARY_DIR}/changelog.gz DESTINATION share/doc/tempoline PERMISSIONS ${TEMPO_FILE_MODE})

# The copyright in Debian's machine-readable format: the program's licence and the licences of the
# libraries compiled into it (scripts/package.sh --check compares them with what the build included).
install(FILES ${TEMPO_PACKAGING_DIR}/copyright DESTINATION share/doc/tempoline PERMISSIONS ${TEMPO_FILE_MODE})

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME tempoline)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "the Tempoline developers")
set(CPACK_PACKAGE_CONTACT "Tempoline developers <developers@tempoline.org>")
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "Tempoline developers <developers@tempoline.org>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Chinese perpetual calendar: the tempo calculator and the tempoline-web service")
# The extended description in lines of at most 80 characters (cpack puts each line as a line of it).
set(CPACK_PACKAGE_DESCRIPTION
    "tempo computes what the Tempoline calendar shows: lunar, Hijri and sexagenary
dates, solar terms, festivals, public holidays, sun times, yearly tables,
condition queries and iCalendar files of the calendar and of lunar birthdays.
tempoline-web serves the weather and download pages that the Windows program
reads, the public holiday table and calendar subscriptions; it runs as a
systemd service of its own user, not started until the administrator enables
it.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# useradd makes the service's user (with its group, or in the group of that name already there);
# deb-systemd-helper and deb-systemd-invoke handle its unit.
set(CPACK_DEBIAN_PACKAGE_DEPENDS "passwd, init-system-helpers (>= 1.52)")
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_PACKAGE_CONTROL_EXTRA
    ${TEMPO_PACKAGING_DIR}/conffiles ${TEMPO_PACKAGING_DIR}/postinst ${TEMPO_PACKAGING_DIR}/prerm
    ${TEMPO_PACKAGING_DIR}/postrm)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
# The directories cpack makes itself (/usr, /etc/default, ...) take the umask's modes: set after
# the installation into the staging folder.
set(CPACK_PRE_BUILD_SCRIPTS ${TEMPO_PACKAGING_DIR}/directory-modes.cmake)
include(CPack)

# The pages as man shows them: their sections, every command and option, the Chinese as Chinese.
if(TEMPO_TESTS AND TEMPO_WEB_IN_PACKAGE)
  add_test(NAME man_pages
           COMMAND ${Python3_EXECUTABLE} ${PROJECT_SOURCE_DIR}/tests/man_pages_test.py $<TARGET_FILE:tempo>
                   $<TARGET_FILE:tempoline-web> ${CMAKE_BINARY_DIR}/man)
endif()
