# Packages made by cpack from a build folder: a Debian package and a tarball,
# for Windows a ZIP (vending-<version>-win32.zip or -win64.zip), and for a
# static program a release tarball (vending-<version>-linux-x86_64.tar.gz,
# say), for WebAssembly a ZIP of the web page (vending-<version>-web.zip). Name and version come from project(). The tarball and the ZIP hold what
# `cmake --install` installs; the Debian package holds its own component,
# laid out as Debian policy asks. Every time stamp in a package is the release
# date's.

if(WIN32)
    set(CPACK_GENERATOR ZIP)
    # CPack tells 64-bit Windows builds apart only for Microsoft's compiler.
    if(CMAKE_SIZEOF_VOID_P EQUAL 8)
        set(CPACK_SYSTEM_NAME win64)
    else()
        set(CPACK_SYSTEM_NAME win32)
    endif()
elseif(VENDING_WASM)
    set(CPACK_GENERATOR ZIP)
    set(CPACK_SYSTEM_NAME web)
elseif(VENDING_STATIC)
    set(CPACK_GENERATOR TGZ)
    string(TOLOWER "${CMAKE_SYSTEM_NAME}-${CMAKE_SYSTEM_PROCESSOR}" CPACK_SYSTEM_NAME)
    # The release tarball says how to play and install what it holds.
    configure_file(packaging/README.static.in README @ONLY)
    install(FILES "${PROJECT_BINARY_DIR}/README" DESTINATION "${CMAKE_INSTALL_DOCDIR}")
else()
    set(CPACK_GENERATOR "DEB;TGZ")
endif()
set(CPACK_PACKAGE_VENDOR "Vending maintainers")
set(CPACK_PACKAGE_CONTACT "Seed 4d6f1311 maintainers <maintainers@users.noreply.c-seed-4d6f1311.example>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "${PROJECT_DESCRIPTION}")
# Release programs are stripped as they are linked; this strips those of the
# other builds, whose packages the tests check.
set(CPACK_STRIP_FILES ON)
set(CPACK_VENDING_SOURCE_DATE_EPOCH "${VENDING_SOURCE_DATE_EPOCH}")
set(CPACK_PROJECT_CONFIG_FILE "${CMAKE_CURRENT_LIST_DIR}/package_config.cmake")

set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION games)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION "\
vending starts with a wallet of 15.00 dollars and a menu of five drinks,
from Water at 0.50 to Rum at 10.00. Type a number a line to buy what the
wallet covers; the machine says plainly when a choice is refused and when
the wallet is spent. Sessions can be typed at a terminal or piped in from a
script.")
set(CPACK_DEB_COMPONENT_INSTALL ON)
set(CPACK_COMPONENTS_GROUPING ALL_COMPONENTS_IN_ONE)

# The Debian package: the program among the games, and the manual page, the
# changelog and the copyright where Debian keeps them, compressed as it asks.
# Without gzip, which every Unix has, there is no Debian package to make.
find_program(GZIP_EXECUTABLE gzip)
if(NOT WIN32 AND NOT VENDING_STATIC AND NOT VENDING_WASM AND GZIP_EXECUTABLE)
    set(debian_dir "${PROJECT_BINARY_DIR}/debian")
    set(doc_dir "${CMAKE_INSTALL_DATAROOTDIR}/doc/${PROJECT_NAME}")

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

    add_custom_command(
        OUTPUT "${debian_dir}/changelog.gz" "${debian_dir}/vending.6.gz"
        COMMAND "${GZIP_EXECUTABLE}" -9nkf "${debian_dir}/changelog"
        COMMAND "${GZIP_EXECUTABLE}" -9nc "${PROJECT_BINARY_DIR}/vending.6" > "${debian_dir}/vending.6.gz"
        DEPENDS "${debian_dir}/changelog" "${PROJECT_BINARY_DIR}/vending.6"
        VERBATIM
    )
    add_custom_target(debian_files ALL DEPENDS "${debian_dir}/changelog.gz" "${debian_dir}/vending.6.gz")

    install(TARGETS vending RUNTIME DESTINATION games COMPONENT debian EXCLUDE_FROM_ALL)
    install(FILES "${debian_dir}/vending.6.gz" DESTINATION "${CMAKE_INSTALL_MANDIR}/man6" COMPONENT debian EXCLUDE_FROM_ALL)
    install(
        FILES "${debian_dir}/copyright" "${debian_dir}/changelog.gz"
        DESTINATION "${doc_dir}" COMPONENT debian EXCLUDE_FROM_ALL
    )
endif()

include(CPack)
