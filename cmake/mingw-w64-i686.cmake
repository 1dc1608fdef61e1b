# 32-bit Windows console build. Its tests run the program under Debian's
# 32-bit Wine in qemu's user-mode emulation, which needs no 32-bit support
# from the kernel; an empty CMAKE_CROSSCOMPILING_EMULATOR given at configure
# time runs it as it is.
set(CMAKE_SYSTEM_PROCESSOR i686)
include("${CMAKE_CURRENT_LIST_DIR}/mingw-w64.cmake")

# WINELOADERNOEXEC keeps the loader from starting itself anew, which the
# kernel would have to run. The guest address space is cut to 2 GiB and
# 16 MiB, the program's 2 GiB and room for qemu's stack above it. Without its
# preloader, Wine reserves the whole space at start-up; where qemu puts a
# reservation elsewhere than asked, Wine halves it and tries again, down to
# 64 KiB pieces, each a slow search under qemu. Over the full 4 GiB that costs
# 50 s a run, not 3.
find_program(QEMU_I386_EXECUTABLE qemu-i386)
find_program(WINE32_LOADER wine PATHS /usr/lib/wine NO_DEFAULT_PATH)
if(NOT DEFINED CACHE{CMAKE_CROSSCOMPILING_EMULATOR})
    set(CMAKE_CROSSCOMPILING_EMULATOR "${QEMU_I386_EXECUTABLE}" -E WINELOADERNOEXEC=1 -R 0x81000000 -L / "${WINE32_LOADER}")
endif()
