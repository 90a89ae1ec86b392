# The Debian package: `cpack -G DEB` in the build folder (after the build) writes
# kartevo_VERSION_ARCH.deb with the programs in /usr/bin, the installation files in
# /usr/share/kartevo, the menu entry and the icon.
set(CPACK_PACKAGE_NAME kartevo)
set(CPACK_PACKAGE_VENDOR "Kartevo")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "address book and postal stationery for small offices")
set(CPACK_PACKAGE_DESCRIPTION
  "Kartevo keeps an address book of clients in a local SQLite database and prints\n\
envelopes, registered-mail forms, postal money orders, cash-on-delivery forms and\n\
label sheets. kartevo-batch offers the same from the command line.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_GENERATOR DEB)
# The build keeps its debug information; the package's programs do without it.
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "Kartevo developers <kartevo@example.com>" CACHE STRING
  "Maintainer field of the Debian package")
set(CPACK_DEBIAN_PACKAGE_SECTION misc)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
# Run-time libraries (the Qt platform and image plugins come with libqt6gui6 and libqt6svg6)
# and the fonts the layouts are measured in.
set(CPACK_DEBIAN_PACKAGE_DEPENDS
  "libc6 (>= 2.34), libstdc++6 (>= 12), libqt6core6 (>= 6.4), libqt6gui6 (>= 6.4), libqt6widgets6 (>= 6.4), \
libqt6printsupport6 (>= 6.4), libqt6network6 (>= 6.4), libqt6svg6 (>= 6.4), libqscintilla2-qt6-15, \
libsqlite3-0 (>= 3.35), fonts-liberation2, fonts-dejavu-core")
# Hungarian texts of Qt's own dialogs and a Tahoma for the windows.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "qt6-translations-l10n, fonts-wine")
set(CPACK_DEBIAN_PACKAGE_SUGGESTS "cups")
include(CPack)
