# A Windows console program. Its package is one folder to unpack and
# double-click in, vending-<version>-win32.zip or -win64.zip: the program,
# with the licence and a short guide beside it as Windows text files.
install(TARGETS vending RUNTIME DESTINATION .)
configure_file(LICENSE LICENSE.txt @ONLY NEWLINE_STYLE CRLF)
configure_file(packaging/README.txt.in README.txt @ONLY NEWLINE_STYLE CRLF)
install(FILES "${PROJECT_BINARY_DIR}/LICENSE.txt" "${PROJECT_BINARY_DIR}/README.txt" DESTINATION .)

set(CPACK_GENERATOR ZIP)
# CPack tells 64-bit Windows builds apart only for Microsoft's compiler.
math(EXPR bits "${CMAKE_SIZEOF_VOID_P} * 8")
set(CPACK_SYSTEM_NAME "win${bits}")
