# Cross build for Linux on the processor that VENDING_PROCESSOR names, a row
# of processors.txt beside this file, with Debian's g++-<triplet>. Its tests
# run the program in qemu's user-mode emulation (Debian's qemu-user), given
# the processor's libraries where the program is not static; an empty
# CMAKE_CROSSCOMPILING_EMULATOR given at configure time runs it as it is.
list(APPEND CMAKE_TRY_COMPILE_PLATFORM_VARIABLES VENDING_PROCESSOR)
file(STRINGS "${CMAKE_CURRENT_LIST_DIR}/processors.txt" row REGEX "^${VENDING_PROCESSOR} ")
string(REGEX MATCHALL "[^ ]+" row "${row}")
if(NOT VENDING_PROCESSOR OR NOT row)
    message(FATAL_ERROR "VENDING_PROCESSOR is '${VENDING_PROCESSOR}', not the name of a row of ${CMAKE_CURRENT_LIST_DIR}/processors.txt")
endif()
list(POP_FRONT row processor cross_triplet emulator)
set(CMAKE_SYSTEM_NAME Linux)
set(CMAKE_SYSTEM_PROCESSOR "${VENDING_PROCESSOR}")
set(cross_compiler "${cross_triplet}-g++")
set(cross_package "g++-${cross_triplet}")
include("${CMAKE_CURRENT_LIST_DIR}/cross.cmake")

find_program(VENDING_QEMU_${VENDING_PROCESSOR} "${emulator}")
if(NOT DEFINED CACHE{CMAKE_CROSSCOMPILING_EMULATOR})
    set(CMAKE_CROSSCOMPILING_EMULATOR "${VENDING_QEMU_${VENDING_PROCESSOR}}" -L "/usr/${cross_triplet}")
endif()
