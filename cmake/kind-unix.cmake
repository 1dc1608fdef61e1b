# The program to install on a Unix system. Its packages are a tarball of
# what it installs and, on Linux, a Debian package, which holds a component
# of its own, laid out as Debian policy asks: the program among the games,
# and the manual page, the changelog and the copyright where Debian keeps
# them, compressed as it asks. Without gzip, which every Unix has, there is
# no Debian package to make.
install(TARGETS vending RUNTIME DESTINATION "${CMAKE_INSTALL_BINDIR}")
install(FILES "${PROJECT_BINARY_DIR}/vending.6" DESTINATION "${CMAKE_INSTALL_MANDIR}/man6")
install(FILES LICENSE DESTINATION "${CMAKE_INSTALL_DOCDIR}")

set(CPACK_GENERATOR "DEB;TGZ")
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION games)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
file(READ packaging/description.txt CPACK_DEBIAN_PACKAGE_DESCRIPTION)
string(STRIP "${CPACK_DEBIAN_PACKAGE_DESCRIPTION}" CPACK_DEBIAN_PACKAGE_DESCRIPTION)
set(CPACK_DEB_COMPONENT_INSTALL ON)
set(CPACK_COMPONENTS_GROUPING ALL_COMPONENTS_IN_ONE)

find_program(GZIP_EXECUTABLE gzip)
if(NOT GZIP_EXECUTABLE)
    return()
endif()
set(debian_dir "${PROJECT_BINARY_DIR}/debian")

configure_file(packaging/changelog.in "${debian_dir}/changelog" @ONLY)

# The licence as a paragraph of Debian's copyright format: each line
# indented by one blank, an empty line written as " .".
file(STRINGS LICENSE license_lines)
list(FIND license_lines "Permission is hereby granted, free of charge, to any person obtaining a copy" first)
list(SUBLIST license_lines ${first} -1 license_lines)
list(TRANSFORM license_lines PREPEND " ")
list(TRANSFORM license_lines REPLACE "^ $" " .")
list(JOIN license_lines "\n" VENDING_LICENSE_TEXT)
configure_file(packaging/copyright.in "${debian_dir}/copyright" @ONLY)

add_custom_command(OUTPUT "${debian_dir}/changelog.gz" "${debian_dir}/vending.6.gz"
    COMMAND "${GZIP_EXECUTABLE}" -9nkf "${debian_dir}/changelog"
    COMMAND "${GZIP_EXECUTABLE}" -9nc "${PROJECT_BINARY_DIR}/vending.6" > "${debian_dir}/vending.6.gz"
    DEPENDS "${debian_dir}/changelog" "${PROJECT_BINARY_DIR}/vending.6" VERBATIM)
add_custom_target(debian_files ALL DEPENDS "${debian_dir}/changelog.gz" "${debian_dir}/vending.6.gz")

install(TARGETS vending RUNTIME DESTINATION games COMPONENT debian EXCLUDE_FROM_ALL)
install(FILES "${debian_dir}/vending.6.gz" DESTINATION "${CMAKE_INSTALL_MANDIR}/man6" COMPONENT debian EXCLUDE_FROM_ALL)
install(FILES "${debian_dir}/copyright" "${debian_dir}/changelog.gz" DESTINATION "${CMAKE_INSTALL_DOCDIR}" COMPONENT debian
    EXCLUDE_FROM_ALL)
