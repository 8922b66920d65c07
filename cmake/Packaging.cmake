# CPack: a Debian package (its dependencies found by dpkg-shlibdeps) and a .tar.gz with the
# installed layout, both from the install rules. `cpack` in a release tree writes them.
set(CPACK_PACKAGE_NAME corvane)
set(CPACK_PACKAGE_VERSION ${CORVANE_VERSION})
set(CPACK_PACKAGE_VENDOR ${CORVANE_PUBLISHER})
set(CPACK_PACKAGE_CONTACT "corvane@example.org")
set(CPACK_PACKAGE_HOMEPAGE_URL ${CORVANE_HOMEPAGE})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Turns text into TI-83 and TI-83 Plus programs")
set(CPACK_RESOURCE_FILE_LICENSE ${PROJECT_SOURCE_DIR}/LICENSE)
set(CPACK_GENERATOR DEB TGZ)
set(CPACK_STRIP_FILES ON)

set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION editors)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION
    "A small editor that builds ION shell programs for TI-83 and TI-83 Plus calculators\n"
    "from a text, with its own Z80 assembler, and a command line that builds documents\n"
    "without a window.")
# The package installs under /usr; the archive holds the layout without a prefix (bin/,
# libexec/, share/) and runs from wherever it is unpacked.
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_PROJECT_CONFIG_FILE ${CMAKE_CURRENT_LIST_DIR}/CPackProject.cmake)

include(CPack)
