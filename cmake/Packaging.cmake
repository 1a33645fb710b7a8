# SPDX-License-Identifier: GPL-3.0-or-later
# The Debian package: `make package` runs CPack on the release build
# (cpack --preset release); the tests run it on their own build too.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME tickwell)
set(CPACK_PACKAGE_VENDOR "The Tickwell developers")
set(CPACK_PACKAGE_CONTACT "The Tickwell developers <tickwell@example.org>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "alarm clock in the notification area")
set(CPACK_PACKAGE_DESCRIPTION
    "Tickwell is a small alarm clock for one user. It has no main window: it sits
as an icon in the desktop's notification area and keeps one-shot alarms, each
a date, a time to the minute and a reminder text. When an alarm's minute
comes, its reminder is shown in a box that stays above every window, and the
alarm is removed.

Started from the desktop's menu or at login, it keeps its alarms in the
user's own data folder.")
set(CPACK_PACKAGE_INSTALL_DIRECTORY tickwell)
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
# Binaries as Debian ships them, without their debugging information.
set(CPACK_STRIP_FILES ON)

set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT) # tickwell_<version>_<architecture>.deb
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
# The libraries the program links, with their versions, as dpkg-shlibdeps
# finds them; and what it cannot see: Qt loads the SVG icon engine that
# draws every icon of the program as a plugin.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "libqt6svg6 (>= ${Qt6_VERSION})")
set(CPACK_DEBIAN_COMPRESSION_TYPE xz)

# Debian's papers in the package's documentation folder: the copyright in
# the machine-readable format, and the changelog, written in Debian's format
# from CHANGELOG.md and compressed as Debian keeps it (gzip -9n: the same
# bytes at every build).
set(TICKWELL_DOC_DIR ${CMAKE_INSTALL_DATADIR}/doc/tickwell)
add_custom_command(OUTPUT changelog.gz
    COMMAND ${CMAKE_COMMAND} -DINPUT=${PROJECT_SOURCE_DIR}/CHANGELOG.md -DOUTPUT=changelog
        -DPACKAGE=${CPACK_PACKAGE_NAME} -DMAINTAINER=${CPACK_PACKAGE_CONTACT}
        -P ${CMAKE_CURRENT_LIST_DIR}/DebianChangelog.cmake
    COMMAND gzip -9nf changelog
    DEPENDS ${PROJECT_SOURCE_DIR}/CHANGELOG.md ${CMAKE_CURRENT_LIST_DIR}/DebianChangelog.cmake
    COMMENT "Writing the package's changelog" VERBATIM)
add_custom_target(debian_changelog ALL DEPENDS changelog.gz)
install(FILES ${PROJECT_SOURCE_DIR}/resources/debian/copyright ${CMAKE_CURRENT_BINARY_DIR}/changelog.gz
    DESTINATION ${TICKWELL_DOC_DIR})

include(CPack)
