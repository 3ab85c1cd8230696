# The Debian package of the Linux firmpack, made by CPack (cpack -G DEB in the native build):
# the program, its manual page, README, copyright and changelog. Dates come from
# SOURCE_DATE_EPOCH when set (scripts/package sets the last commit's), so a commit packs alike.
include(GNUInstallDirs)
set(FIRMPACK_MAINTAINER "Orvane Maintainers <maintainers@orvane.example>")
set(doc_dir ${CMAKE_INSTALL_DATADIR}/doc/firmpack)
string(TIMESTAMP FIRMPACK_DATE "%Y-%m-%d" UTC)
string(TIMESTAMP FIRMPACK_CHANGELOG_DATE "%a, %d %b %Y %H:%M:%S +0000" UTC)

# Debian wants manual pages and changelogs compressed, without a time stamp in the gzip header.
find_program(GZIP gzip REQUIRED)
configure_file(${PROJECT_SOURCE_DIR}/docs/firmpack.1.in firmpack.1 @ONLY)
configure_file(${PROJECT_SOURCE_DIR}/cmake/changelog.in changelog @ONLY)
set(compressed)
foreach(name firmpack.1 changelog)
  set(file ${CMAKE_CURRENT_BINARY_DIR}/${name})
  add_custom_command(OUTPUT ${file}.gz
    COMMAND ${GZIP} -9nkf ${file}
    DEPENDS ${file}
    VERBATIM)
  list(APPEND compressed ${file}.gz)
endforeach()
add_custom_target(firmpack_docs ALL DEPENDS ${compressed})

# Full RELRO: the loader resolves every symbol at start, and the GOT is read-only from then on.
target_link_options(firmpack PRIVATE -Wl,-z,now)

install(TARGETS firmpack RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
install(FILES ${CMAKE_CURRENT_BINARY_DIR}/firmpack.1.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
install(FILES ${PROJECT_SOURCE_DIR}/README.md ${CMAKE_CURRENT_BINARY_DIR}/changelog.gz
        DESTINATION ${doc_dir})
install(FILES ${PROJECT_SOURCE_DIR}/LICENSE DESTINATION ${doc_dir} RENAME copyright)

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME firmpack)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_CONTACT ${FIRMPACK_MAINTAINER})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "builds, checks and unpacks self-extracting firmware carriers")
set(CPACK_PACKAGE_DESCRIPTION
  "A carrier is a small 32-bit Windows program with one firmware file appended:
the end user starts it, and it checks the file against its checksum and writes
it beside itself. firmpack builds carriers (the carrier stub is built in),
shows what a carrier holds, verifies carriers in build pipelines, optionally
against a pinned SHA-256, and extracts the firmware file as the carrier would.")
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS
  OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)
# Under its own name: a CPackConfig.cmake would reserve the target name "package", which the
# format library holds.
set(CPACK_OUTPUT_CONFIG_FILE ${CMAKE_BINARY_DIR}/CPackDebConfig.cmake)
include(CPack)
