# The WebAssembly program, vending.wasm, with beside it `vending`, a script
# that plays it with Node.js as the native program is played:
#   printf '1\nq\n' | build/wasi/vending
# With VENDING_WEB, also the page that plays it in a browser, which is what
# it installs and packages.

configure_file(cmake/run-wasi.mjs run-wasi.mjs COPYONLY)
# Written elsewhere first: only file(COPY) sets permissions in CMake 3.18.
file(WRITE "${PROJECT_BINARY_DIR}/CMakeFiles/vending" [=[#!/bin/sh
# Plays vending.wasm, beside this script, with Node.js.
here=$(dirname "$0")
exec node --no-warnings "$here/run-wasi.mjs" "$here/vending.wasm" "$@"
]=])
file(COPY "${PROJECT_BINARY_DIR}/CMakeFiles/vending" DESTINATION "${PROJECT_BINARY_DIR}"
    FILE_PERMISSIONS OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)

if(VENDING_WEB)
    add_subdirectory(web)
endif()

# Its package is the ZIP of the page, vending-<version>-web.zip.
set(CPACK_GENERATOR ZIP)
set(CPACK_SYSTEM_NAME web)
