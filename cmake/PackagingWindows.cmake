# CPack on Windows: the setup program, corvane-<version>-win64-setup.exe, built with NSIS from
# packaging/windows/NSIS.template.in. scripts/package-windows stages the folder it installs
# (the programs, Qt and the runtime DLLs in bin/, the tool chain's scripts in libexec/corvane/)
# and hands it to cpack as CPACK_INSTALLED_DIRECTORIES.
set(CPACK_GENERATOR NSIS)
set(CPACK_PACKAGE_NAME Corvane)
set(CPACK_PACKAGE_VERSION ${CORVANE_VERSION})
set(CPACK_PACKAGE_VENDOR ${CORVANE_PUBLISHER})
set(CPACK_PACKAGE_HOMEPAGE_URL ${CORVANE_HOMEPAGE})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Turns text into TI-83 and TI-83 Plus programs")
set(CPACK_PACKAGE_FILE_NAME corvane-${CORVANE_VERSION}-win64-setup)
set(CPACK_PACKAGE_INSTALL_DIRECTORY Corvane)
set(CPACK_RESOURCE_FILE_LICENSE ${PROJECT_SOURCE_DIR}/LICENSE)
# Read by the template.
set(CPACK_CORVANE_ICON ${PROJECT_SOURCE_DIR}/packaging/icons/corvane.ico)
set(CPACK_CORVANE_COPYRIGHT ${CORVANE_COPYRIGHT})
set(CPACK_CORVANE_FILE_VERSION ${CORVANE_WINDOWS_VERSION})
list(PREPEND CMAKE_MODULE_PATH ${PROJECT_SOURCE_DIR}/packaging/windows)
include(CPack)
