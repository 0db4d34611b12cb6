# cmake --install: the program and its tools in bin/, the routine library in its own
# folder under lib/, help and samples in share/pavona/, and what a Linux desktop needs
# (desktop entry, MIME type, icons, AppStream file, manual pages). The installed program
# finds these relative to its own bin folder (engine/install_layout.cpp).
set(PAVONA_PACKAGING ${CMAKE_SOURCE_DIR}/packaging)

install(TARGETS pavona norq norqcmd norqset norqexpln
    RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
# Batch files call the registry tool by its upper-case name as well.
install(CODE "execute_process(COMMAND \${CMAKE_COMMAND} -E create_symlink norqset
    \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/${CMAKE_INSTALL_BINDIR}/NORQSET\")")
install(TARGETS pavona_routines LIBRARY DESTINATION ${CMAKE_INSTALL_LIBDIR}/pavona)

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
foreach(page pavona norq norqcmd norqset norqexpln)
    configure_file(${PAVONA_PACKAGING}/man/${page}.1 ${CMAKE_BINARY_DIR}/packaging/${page}.1
        @ONLY)
    install(FILES ${CMAKE_BINARY_DIR}/packaging/${page}.1
        DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
endforeach()

# cpack -G DEB: Depends from the libraries the binaries link (dpkg-shlibdeps, package
# dpkg-dev). The ODBC driver manager is loaded at run time and only for data sources.
set(CPACK_PACKAGE_NAME pavona)
set(CPACK_PACKAGE_VENDOR "Pavona developers")
set(CPACK_PACKAGE_CONTACT "Pavona developers <pavona@localhost>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Literate SQL workbench")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION database)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "libodbc2")
# The toolbars' SVG icons need Qt's SVG plugins, which no binary links.
set(CPACK_DEBIAN_PACKAGE_DEPENDS "libqt6svg6")
include(CPack)
