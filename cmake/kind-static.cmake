# One static program for any Linux. Its package is the release tarball,
# vending-<version>-linux-<processor>.tar.gz, of what it installs: the
# program, its manual page, the licence and a README on how to play and
# install what the tarball holds.
install(TARGETS vending RUNTIME DESTINATION "${CMAKE_INSTALL_BINDIR}")
install(FILES "${PROJECT_BINARY_DIR}/vending.6" DESTINATION "${CMAKE_INSTALL_MANDIR}/man6")
configure_file(packaging/README.static.in README @ONLY)
install(FILES LICENSE "${PROJECT_BINARY_DIR}/README" DESTINATION "${CMAKE_INSTALL_DOCDIR}")

set(CPACK_GENERATOR TGZ)
string(TOLOWER "${CMAKE_SYSTEM_NAME}-${CMAKE_SYSTEM_PROCESSOR}" CPACK_SYSTEM_NAME)
