# cmake --install: the program and its tools in bin/, the routine library in its own
# folder under lib/, help and samples in share/pavona/, what a Linux desktop needs
# (desktop entry, MIME type, icons, AppStream file, manual pages) and the licence and
# changelog in share/doc/pavona/. The installed program finds these relative to its own
# bin folder (core/install_layout.cpp).
set(PAVONA_PACKAGING ${CMAKE_SOURCE_DIR}/packaging)

install(TARGETS pavona norq norqcmd norqset norqexpln
    RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
# Batch files call the registry tool by its upper-case name as well.
install(CODE "execute_process(COMMAND \${CMAKE_COMMAND} -E create_symlink norqset
    \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/${CMAKE_INSTALL_BINDIR}/NORQSET\")")
install(TARGETS pavona_routines LIBRARY DESTINATION ${PAVONA_ROUTINES_DIR})

# The help pages' snapshots check the project; the samples' stay, a check users can run.
install(DIRECTORY ${CMAKE_SOURCE_DIR}/help/ DESTINATION ${CMAKE_INSTALL_DATADIR}/pavona/help
    PATTERN "*.out.md" EXCLUDE)
install(DIRECTORY ${CMAKE_SOURCE_DIR}/samples/
    DESTINATION ${CMAKE_INSTALL_DATADIR}/pavona/samples)

install(FILES ${PAVONA_PACKAGING}/pavona.desktop
    DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${PAVONA_PACKAGING}/pavona-mime.xml
    DESTINATION ${CMAKE_INSTALL_DATADIR}/mime/packages RENAME pavona.xml)
install(FILES ${PAVONA_PACKAGING}/icons/pavona.svg
    DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)
foreach(size 16 24 32 48 64 128 256)
    install(FILES ${PAVONA_PACKAGING}/icons/pavona-${size}.png
        DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps
        RENAME pavona.png)
endforeach()

# The version goes into the AppStream file and the manual pages.
configure_file(${PAVONA_PACKAGING}/org.pavona.Pavona.metainfo.xml
    ${CMAKE_BINARY_DIR}/packaging/org.pavona.Pavona.metainfo.xml @ONLY)
install(FILES ${CMAKE_BINARY_DIR}/packaging/org.pavona.Pavona.metainfo.xml
    DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
# Manual pages and the changelog compressed as Debian installs them: gzip -9n keeps no
# name or time inside, so two builds give the same bytes.
find_program(PAVONA_GZIP gzip REQUIRED)
function(pavona_gzip source target)
    execute_process(COMMAND ${PAVONA_GZIP} -9nc INPUT_FILE ${source} OUTPUT_FILE ${target}
        COMMAND_ERROR_IS_FATAL ANY)
endfunction()
foreach(page pavona norq norqcmd norqset norqexpln)
    configure_file(${PAVONA_PACKAGING}/man/${page}.1 ${CMAKE_BINARY_DIR}/packaging/${page}.1
        @ONLY)
    pavona_gzip(${CMAKE_BINARY_DIR}/packaging/${page}.1 ${CMAKE_BINARY_DIR}/packaging/${page}.1.gz)
    install(FILES ${CMAKE_BINARY_DIR}/packaging/${page}.1.gz
        DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
endforeach()
install(CODE "execute_process(COMMAND \${CMAKE_COMMAND} -E create_symlink norqset.1.gz
    \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/${CMAKE_INSTALL_MANDIR}/man1/NORQSET.1.gz\")")

# The machine-readable copyright file holds the licence's terms, taken from LICENSE: every
# line indented, an empty one written as " .".
file(READ ${CMAKE_SOURCE_DIR}/LICENSE PAVONA_LICENCE_TERMS)
string(REGEX REPLACE "^.*Copyright[^\n]*\n\n" "" PAVONA_LICENCE_TERMS "${PAVONA_LICENCE_TERMS}")
string(STRIP "${PAVONA_LICENCE_TERMS}" PAVONA_LICENCE_TERMS)
string(REPLACE "\n\n" "\n.\n" PAVONA_LICENCE_TERMS "${PAVONA_LICENCE_TERMS}")
string(REPLACE "\n" "\n " PAVONA_LICENCE_TERMS " ${PAVONA_LICENCE_TERMS}")
configure_file(${PAVONA_PACKAGING}/debian/copyright ${CMAKE_BINARY_DIR}/packaging/copyright
    @ONLY)
configure_file(${PAVONA_PACKAGING}/debian/changelog ${CMAKE_BINARY_DIR}/packaging/changelog
    @ONLY)
pavona_gzip(${CMAKE_BINARY_DIR}/packaging/changelog ${CMAKE_BINARY_DIR}/packaging/changelog.gz)
install(FILES ${CMAKE_BINARY_DIR}/packaging/copyright ${CMAKE_BINARY_DIR}/packaging/changelog.gz
    DESTINATION ${CMAKE_INSTALL_DATAROOTDIR}/doc/pavona)

# cpack -G DEB: Depends from the libraries the binaries link (dpkg-shlibdeps, package
# dpkg-dev). The ODBC driver manager is loaded at run time and only for data sources. The
# binaries go stripped into the package, their debug symbols into pavona-dbgsym.
set(CPACK_PACKAGE_NAME pavona)
set(CPACK_PACKAGE_VENDOR "The Pavona developers")
set(CPACK_PACKAGE_CONTACT "Pavona developers <maintainers@pavona.org>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "literate SQL workbench")
# The extended description under it, its paragraphs apart by an empty line.
set(CPACK_PACKAGE_DESCRIPTION "Pavona opens a script library, a plain text file of SQL statements with
mark-up comments for headings, prose, pictures and examples, and shows it
as a readable document. It runs the statements one at a time or all
together against an embedded SQLite catalog or any ODBC data source, and
puts each output right under its statement.

A window-less batch run executes a script from a file or a pipe, checks
its outcomes against a snapshot and exports the document as text, HTML,
Markdown, a Jupyter notebook or JSON. The package also holds the
command-line tools norq, norqcmd, norqset and norqexpln, the help pages
and a sample library.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION database)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE https://pavona.org)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_DEBUGINFO_PACKAGE ON)
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "libodbc2")
# The toolbars' SVG icons need Qt's SVG plugins, which no binary links.
set(CPACK_DEBIAN_PACKAGE_DEPENDS "libqt6svg6")
include(CPack)
