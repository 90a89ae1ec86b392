# The Debian package: `cpack -G DEB` in the build folder (after the build) writes
# kartevo_VERSION_ARCH.deb with the programs in /usr/bin, the installation files in
# /usr/share/kartevo, the menu entry, the icon, the manual pages and /usr/share/doc/kartevo.
set(KARTEVO_PACKAGE_MAINTAINER "Kartevo developers <kartevo@example.com>" CACHE STRING
  "Maintainer of the Debian package (name <address>): a distributor sets their own")

# /usr/share/doc/kartevo and the manual pages, compressed as Debian does (gzip -9n: no name,
# no time stamp, so the package is the same from the same sources).
set(doc_dir ${CMAKE_BINARY_DIR}/package-doc)
file(MAKE_DIRECTORY ${doc_dir})
configure_file(${PROJECT_SOURCE_DIR}/docs/copyright.in ${doc_dir}/copyright @ONLY)
# The changelog entry of this version, dated by the last commit (or SOURCE_DATE_EPOCH), never by
# the time of the build.
if(DEFINED ENV{SOURCE_DATE_EPOCH})
  set(changelog_epoch $ENV{SOURCE_DATE_EPOCH})
else()
  execute_process(COMMAND git -C ${PROJECT_SOURCE_DIR} log -1 --format=%ct
    OUTPUT_VARIABLE changelog_epoch OUTPUT_STRIP_TRAILING_WHITESPACE ERROR_QUIET)
  if(NOT changelog_epoch MATCHES "^[0-9]+$")
    set(changelog_epoch 0)
  endif()
endif()
execute_process(COMMAND date -u -R -d @${changelog_epoch}
  OUTPUT_VARIABLE changelog_date OUTPUT_STRIP_TRAILING_WHITESPACE)
file(CONFIGURE OUTPUT ${doc_dir}/changelog CONTENT
"kartevo (@PROJECT_VERSION@) unstable; urgency=medium

  * Release @PROJECT_VERSION@.

 -- @KARTEVO_PACKAGE_MAINTAINER@  @changelog_date@
" @ONLY)

set(compressed)
foreach(pair IN ITEMS "${doc_dir}/changelog|changelog.gz" "${PROJECT_SOURCE_DIR}/README.md|README.md.gz"
                      "${PROJECT_SOURCE_DIR}/docs/man/kartevo.1|kartevo.1.gz"
                      "${PROJECT_SOURCE_DIR}/docs/man/kartevo-batch.1|kartevo-batch.1.gz")
  string(REPLACE "|" ";" pair "${pair}")
  list(GET pair 0 source)
  list(GET pair 1 name)
  add_custom_command(OUTPUT ${doc_dir}/${name}
    COMMAND gzip -9n -c ${source} > ${doc_dir}/${name}
    DEPENDS ${source} VERBATIM)
  list(APPEND compressed ${doc_dir}/${name})
endforeach()
add_custom_target(kartevo_package_docs ALL DEPENDS ${compressed})
install(FILES ${doc_dir}/copyright ${doc_dir}/changelog.gz ${doc_dir}/README.md.gz
  DESTINATION share/doc/kartevo)
install(FILES ${doc_dir}/kartevo.1.gz ${doc_dir}/kartevo-batch.1.gz DESTINATION share/man/man1)

set(CPACK_PACKAGE_NAME kartevo)
set(CPACK_PACKAGE_VENDOR "Kartevo")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "address book and postal stationery for small offices")
# Debian wants the lines of the long description within 80 columns.
set(CPACK_PACKAGE_DESCRIPTION
  "Kartevo keeps an address book of clients in a local SQLite database and\n\
prints envelopes, registered-mail forms, postal money orders, cash-on-delivery\n\
forms and label sheets. kartevo-batch offers the same from the command line.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_GENERATOR DEB)
# The build keeps its debug information; the package's programs do without it.
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "${KARTEVO_PACKAGE_MAINTAINER}")
set(CPACK_DEBIAN_PACKAGE_SECTION misc)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
# The libraries come from the programs themselves (dpkg-shlibdeps, the spreadsheet import's
# libzip, libexpat and libfreexl among them); the Qt platform and image plugins come with
# libqt6gui6 and libqt6svg6. Beside them: the fonts the layouts are measured in.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "fonts-liberation2, fonts-dejavu-core")
# Hungarian texts of Qt's own dialogs and a Tahoma for the windows.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "qt6-translations-l10n, fonts-wine")
set(CPACK_DEBIAN_PACKAGE_SUGGESTS "cups")
set(CPACK_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS OWNER_READ OWNER_WRITE OWNER_EXECUTE
  GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)
include(CPack)
