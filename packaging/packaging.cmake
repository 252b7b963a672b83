# What a Debian package of the program holds besides the binaries and the
# desktop entry (their rules are in src/app), and the package itself:
# "cpack -G DEB" in the build tree.

# The code page names are kept once, in the completion script; the manual
# pages list them from there.
file(STRINGS ${PROJECT_SOURCE_DIR}/completion/tekstovar-cli codepage_line REGEX "^_tekstovar_cli_codepages=")
string(REGEX REPLACE "^[^\"]*\"([^\"]*)\".*$" "\\1" codepages "${codepage_line}")
string(REGEX REPLACE " +" ";" codepages "${codepages}")
list(TRANSFORM codepages PREPEND "\\fB")
list(TRANSFORM codepages APPEND "\\fR")
list(JOIN codepages ", " TEKSTOVAR_CODEPAGE_LIST)
set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/completion/tekstovar-cli)
# SOURCE_DATE_EPOCH, when set, makes the date that of the sources.
string(TIMESTAMP TEKSTOVAR_MAN_DATE "%Y-%m-%d")

# Debian keeps manual pages compressed.
set(man_pages)
foreach(page tekstovar-cli tekstovar)
  set(page_file ${PROJECT_BINARY_DIR}/man/${page}.1)
  configure_file(${PROJECT_SOURCE_DIR}/doc/man/${page}.1.in ${page_file} @ONLY)
  add_custom_command(OUTPUT ${page_file}.gz COMMAND gzip -9nkf ${page_file} DEPENDS ${page_file}
                     COMMENT "Compressing the manual page ${page}.1")
  list(APPEND man_pages ${page_file}.gz)
endforeach()
add_custom_target(tekstovar_man ALL DEPENDS ${man_pages})
install(FILES ${man_pages} DESTINATION share/man/man1)
install(FILES ${PROJECT_SOURCE_DIR}/completion/tekstovar-cli DESTINATION share/bash-completion/completions)
install(FILES ${CMAKE_CURRENT_LIST_DIR}/org.example.tekstovar.metainfo.xml DESTINATION share/metainfo)

# A package holds what was built: cpack would otherwise build the whole tree
# first (through "make preinstall"), for minutes in a test of the package.
set(CMAKE_SKIP_INSTALL_ALL_DEPENDENCY ON)
set(CPACK_PACKAGE_NAME tekstovar)
set(CPACK_PACKAGE_VENDOR "Мастерская Текстовара")
set(CPACK_PACKAGE_CONTACT "Мастерская Текстовара <tekstovar@example.org>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "search and replace by mask in Russian texts in Cyrillic code pages")
string(CONCAT CPACK_PACKAGE_DESCRIPTION
       "Searches and replaces by mask in Russian texts in Cyrillic code pages,\n"
       "detecting each file's code page and recoding it on the way; keeps backups\n"
       "of the files it changes, runs scenarios of mask pairs and keeps a library\n"
       "of them. tekstovar is the program with its windows; tekstovar-cli runs the\n"
       "same engine from the command line.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION text)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE "https://tekstovar.example.org/")
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# The window's Russian buttons come from Qt's translations when installed.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS qt6-translations-l10n)
set(CPACK_DEBIAN_PACKAGE_SUGGESTS bash-completion)
include(CPack)
