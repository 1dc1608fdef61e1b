# 64-bit Windows console build. Its tests run the program under Wine, which
# Debian keeps off the PATH; an empty CMAKE_CROSSCOMPILING_EMULATOR given at
# configure time runs it as it is.
set(CMAKE_SYSTEM_PROCESSOR x86_64)
include("${CMAKE_CURRENT_LIST_DIR}/mingw-w64.cmake")

find_program(WINE_EXECUTABLE NAMES wine64 wine PATHS /usr/lib/wine)
if(NOT DEFINED CACHE{CMAKE_CROSSCOMPILING_EMULATOR})
    set(CMAKE_CROSSCOMPILING_EMULATOR "${WINE_EXECUTABLE}")
endif()
