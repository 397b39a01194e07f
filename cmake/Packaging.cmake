# The Debian package: "cpack -G DEB" in a build tree configured with CMAKE_INSTALL_PREFIX=/usr
# (scripts/package does it all, with the update check off as distribution packages have it).
# Dependencies are computed from the binaries by dpkg-shlibdeps.
find_program(GZIP_PROGRAM gzip REQUIRED)
set(debian_doc ${CMAKE_INSTALL_DOCDIR})
configure_file(${PROJECT_SOURCE_DIR}/data/debian/changelog.in ${CMAKE_BINARY_DIR}/debian/changelog @ONLY)
add_custom_command(
    OUTPUT ${CMAKE_BINARY_DIR}/debian/changelog.gz
    COMMAND ${GZIP_PROGRAM} -9nkf ${CMAKE_BINARY_DIR}/debian/changelog
    DEPENDS ${CMAKE_BINARY_DIR}/debian/changelog
    VERBATIM)
add_custom_target(palvorn-debian-changelog ALL DEPENDS ${CMAKE_BINARY_DIR}/debian/changelog.gz)
install(FILES ${PROJECT_SOURCE_DIR}/data/debian/copyright ${CMAKE_BINARY_DIR}/debian/changelog.gz
        DESTINATION ${debian_doc})
# The manual registered with doc-base, so that documentation browsers list it.
if(PALVORN_WIDGETS)
    configure_file(${PROJECT_SOURCE_DIR}/data/debian/palvorn.doc-base.in
                   ${CMAKE_BINARY_DIR}/debian/palvorn @ONLY)
    install(FILES ${CMAKE_BINARY_DIR}/debian/palvorn DESTINATION ${CMAKE_INSTALL_DATADIR}/doc-base)
endif()

set(CPACK_PACKAGE_NAME palvorn)
set(CPACK_PACKAGE_VENDOR Brackenfield)
set(CPACK_PACKAGE_CONTACT "Brackenfield <palvorn@brackenfield.co>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "show and edit the extended attributes of files")
set(CPACK_PACKAGE_DESCRIPTION
    "palvorn shows the extended attributes of files and folders, the named byte\n"
    "values a file system keeps beside a file's content, as hex, as text or as\n"
    "property-list XML, and edits them as plain text, property list or hex. Tool\n"
    "windows compare two items, crawl a folder tree and strip one attribute from\n"
    "a tree.\n"
    "\n"
    "palvorn-cli prints the same reports for scripts and servers, and dumps and\n"
    "restores attributes in the text form of getfattr and setfattr.")
string(REPLACE ";" "" CPACK_PACKAGE_DESCRIPTION "${CPACK_PACKAGE_DESCRIPTION}")
set(CPACK_PACKAGE_HOMEPAGE_URL https://www.brackenfield.co/palvorn/)
set(CPACK_STRIP_FILES ON)
# strip keeps the compiler's .comment notes, which Debian's own strip of a package removes.
find_program(PALVORN_OBJCOPY NAMES ${CMAKE_OBJCOPY} objcopy)
set(CPACK_PALVORN_OBJCOPY ${PALVORN_OBJCOPY})
set(CPACK_PRE_BUILD_SCRIPTS ${PROJECT_SOURCE_DIR}/cmake/RemoveCommentSections.cmake)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
# No licence is declared (all rights reserved): outside Debian's main archive, whose Section has
# no area prefix, a package that is not free software belongs to the non-free area.
set(CPACK_DEBIAN_PACKAGE_SECTION non-free/utils)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# The quarantine command runs the sqlite3 tool; everything else works without it.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS sqlite3)
set(CPACK_DEBIAN_COMPRESSION_TYPE xz)
set(CPACK_GENERATOR DEB)
include(CPack)
