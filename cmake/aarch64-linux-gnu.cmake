# Cross build for Linux on 64-bit ARM with Debian's g++-aarch64-linux-gnu. Its
# tests run the program in qemu's user-mode emulation (Debian's qemu-user),
# given the ARM libraries where the program is not static; an empty
# CMAKE_CROSSCOMPILING_EMULATOR given at configure time runs it as it is.
set(CMAKE_SYSTEM_NAME Linux)
set(CMAKE_SYSTEM_PROCESSOR aarch64)
set(CMAKE_CXX_COMPILER aarch64-linux-gnu-g++)
set(CMAKE_FIND_ROOT_PATH /usr/aarch64-linux-gnu)
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)

find_program(QEMU_AARCH64_EXECUTABLE qemu-aarch64)
if(NOT DEFINED CACHE{CMAKE_CROSSCOMPILING_EMULATOR})
    set(CMAKE_CROSSCOMPILING_EMULATOR "${QEMU_AARCH64_EXECUTABLE}" -L /usr/aarch64-linux-gnu)
endif()
