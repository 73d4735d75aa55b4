# The Debian package (make deb, or cpack -G DEB in the build folder): everything `cmake --install` lays out, under
# /usr. Depends comes from the shared libraries the programs and the office bridge link (dpkg-shlibdeps);
# LibreOffice is only recommended, as everything but the exports and invoices works without it.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME quotaly)
set(CPACK_PACKAGE_VENDOR "Morvane Software")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_PACKAGE_DIRECTORY ${CMAKE_BINARY_DIR}/package)
set(CPACK_STRIP_FILES ON)
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "price translation jobs from a CAT tool analysis")
set(CPACK_PACKAGE_DESCRIPTION
    "Quotaly prices translation jobs for freelance translators. It reads the analysis log that the CAT tool\n"
    "wrote for a job, or takes the word counts typed by hand, and prices every match category at the client's\n"
    "rates, in the client's unit and currency. The priced report can be copied, printed, exported to a\n"
    "spreadsheet or a text document and turned into an invoice.\n"
    "\n"
    "The package holds the desktop program quotaly and the command-line program quotaly-cli.")
string(REPLACE ";" "" CPACK_PACKAGE_DESCRIPTION "${CPACK_PACKAGE_DESCRIPTION}")
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "${CPACK_PACKAGE_VENDOR} <${QUOTALY_SUPPORT_MAIL}>")
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE "${QUOTALY_WEBSITE}")
set(CPACK_DEBIAN_PACKAGE_SECTION misc)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# Loaded as plugins, so dpkg-shlibdeps cannot see it: the SVG icon engine draws the windows' toolbar icons.
set(CPACK_DEBIAN_PACKAGE_DEPENDS "libqt6svg6")
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "libreoffice-writer, libreoffice-calc")
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
include(CPack)
