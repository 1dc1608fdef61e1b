# Cross build for the Windows console with MinGW-w64 (Debian's package
# g++-mingw-w64-<processor>-posix). The toolchain file that includes this one
# names the processor.
set(CMAKE_SYSTEM_NAME Windows)
set(cross_triplet "${CMAKE_SYSTEM_PROCESSOR}-w64-mingw32")
set(cross_compiler "${cross_triplet}-g++-posix")
string(REPLACE "_" "-" cross_package "g++-mingw-w64-${CMAKE_SYSTEM_PROCESSOR}-posix")
include("${CMAKE_CURRENT_LIST_DIR}/cross.cmake")
# One self-contained vending.exe, without the MinGW runtime DLLs beside it.
set(CMAKE_EXE_LINKER_FLAGS_INIT -static)
