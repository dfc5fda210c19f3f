# The Debian package, made by CPack from this build (cpack -G DEB, or
# scripts/build-package): the two programs, the message catalogues, the
# manual pages, the bash completion and the documents. Its files are the
# install component "deb", left out of a plain `cmake --install`, whose
# layout (bin/, lib/locale/) stays as it was: the package puts the programs
# in /usr/bin and the catalogues in /usr/share/quorvanel/lib/locale, so that
# KESTRELONDIR=/usr/share/quorvanel (lintian refuses files under /opt).

# Manual pages, written in scdoc: roff and its gzip -9n copy under man/.
# Needed by the tests and the package; a build that only runs the programs
# does without.
if(QUORVANEL_TESTS)
  find_program(SCDOC_EXECUTABLE scdoc REQUIRED)
else()
  find_program(SCDOC_EXECUTABLE scdoc)
endif()
set(QV_MAN_PAGES quorvanel xrdtool xrdtool-junit xrdtool-summary xrdtool-diff xrdtool-html xrdtool-history)
set(QV_PACKAGING_DIR ${CMAKE_CURRENT_SOURCE_DIR}/packaging)
set(QV_MAN_DIR ${CMAKE_CURRENT_BINARY_DIR}/man)
set(QV_MAN_FILES)
foreach(page ${QV_MAN_PAGES})
  set(source ${QV_PACKAGING_DIR}/man/${page}.1.scd)
  add_custom_command(OUTPUT ${QV_MAN_DIR}/${page}.1 ${QV_MAN_DIR}/${page}.1.gz
    COMMAND ${CMAKE_COMMAND} -E make_directory ${QV_MAN_DIR}
    COMMAND ${CMAKE_COMMAND} -DSCDOC=${SCDOC_EXECUTABLE} -DSOURCE=${source} -DPAGE=${QV_MAN_DIR}/${page}.1
            -P ${CMAKE_CURRENT_SOURCE_DIR}/cmake/ScdocPage.cmake
    DEPENDS ${source} ${CMAKE_CURRENT_SOURCE_DIR}/cmake/ScdocPage.cmake VERBATIM)
  list(APPEND QV_MAN_FILES ${QV_MAN_DIR}/${page}.1.gz)
endforeach()

# The documents of /usr/share/doc/quorvanel, compressed as Debian's policy
# asks (the copyright file stays plain).
set(QV_DOC_DIR ${CMAKE_CURRENT_BINARY_DIR}/package-doc)
configure_file(${QV_PACKAGING_DIR}/changelog.in ${QV_DOC_DIR}/changelog @ONLY)
set(QV_DOC_FILES ${QV_DOC_DIR}/changelog.gz ${QV_DOC_DIR}/README.md.gz)
add_custom_command(OUTPUT ${QV_DOC_DIR}/changelog.gz
  COMMAND ${CMAKE_COMMAND} -DIN=${QV_DOC_DIR}/changelog -DOUT=${QV_DOC_DIR}/changelog.gz
          -P ${CMAKE_CURRENT_SOURCE_DIR}/cmake/GzipFile.cmake
  DEPENDS ${QV_DOC_DIR}/changelog VERBATIM)
add_custom_command(OUTPUT ${QV_DOC_DIR}/README.md.gz
  COMMAND ${CMAKE_COMMAND} -DIN=${CMAKE_CURRENT_SOURCE_DIR}/README.md -DOUT=${QV_DOC_DIR}/README.md.gz
          -P ${CMAKE_CURRENT_SOURCE_DIR}/cmake/GzipFile.cmake
  DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/README.md VERBATIM)

if(SCDOC_EXECUTABLE)
  add_custom_target(manpages ALL DEPENDS ${QV_MAN_FILES})
  add_custom_target(package-files ALL DEPENDS manpages ${QV_DOC_FILES})
else()
  message(STATUS "scdoc not found: no manual pages, no package")
  return()
endif()

# Files and folders as root installs them, whatever the umask of the build.
set(CMAKE_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE
    WORLD_READ WORLD_EXECUTE)
# The package's files, component "deb" (EXCLUDE_FROM_ALL: only CPack installs them).
install(TARGETS quorvanel xrdtool RUNTIME DESTINATION bin COMPONENT deb EXCLUDE_FROM_ALL)
install(FILES ${QM_FILES} DESTINATION share/quorvanel/lib/locale COMPONENT deb EXCLUDE_FROM_ALL)
install(FILES ${QV_MAN_FILES} DESTINATION share/man/man1 COMPONENT deb EXCLUDE_FROM_ALL)
install(FILES ${QV_PACKAGING_DIR}/completion/xrdtool DESTINATION share/bash-completion/completions
        COMPONENT deb EXCLUDE_FROM_ALL)
install(FILES ${QV_PACKAGING_DIR}/copyright ${QV_DOC_FILES} DESTINATION share/doc/quorvanel
        COMPONENT deb EXCLUDE_FROM_ALL)

set(CPACK_GENERATOR DEB)
set(CPACK_INSTALL_CMAKE_PROJECTS "${CMAKE_CURRENT_BINARY_DIR};quorvanel;deb;/")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_PACKAGE_NAME quorvanel)
set(CPACK_PACKAGE_VERSION ${QUORVANEL_VERSION})
set(CPACK_PACKAGE_VENDOR "Kestrelon Systems")
set(CPACK_PACKAGE_CONTACT "Kestrelon Systems <packages@example.com>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "report generator of the Kestrelon component-testing tool chain")
set(CPACK_PACKAGE_DESCRIPTION
    "quorvanel reads the OTS symbol files of the test scripts and the TDF trace
of a test run, evaluates every element and writes one XRD report. xrdtool
turns XRD reports into JUnit XML for CI servers, build-log summaries, diffs
between runs, static web sites, and a history of runs (trend, flaky results,
streaks) in an SQLite file or a PostgreSQL database.
.
The message catalogues are in /usr/share/quorvanel/lib/locale: set
KESTRELONDIR=/usr/share/quorvanel to run quorvanel.")
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION devel)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
# The libraries the programs need, as dpkg-shlibdeps finds them in the binaries.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_COMPRESSION_TYPE xz)
include(CPack)
