# Cross build for the Windows console with MinGW-w64 (Debian's package
# g++-mingw-w64-<processor>-posix). The toolchain file that includes this one
# names the processor.
set(CMAKE_SYSTEM_NAME Windows)
set(mingw_target "${CMAKE_SYSTEM_PROCESSOR}-w64-mingw32")
set(CMAKE_CXX_COMPILER "${mingw_target}-g++-posix")
set(CMAKE_RC_COMPILER "${mingw_target}-windres")
set(CMAKE_FIND_ROOT_PATH "/usr/${mingw_target}")
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
# One self-contained vending.exe, without the MinGW runtime DLLs beside it.
set(CMAKE_EXE_LINKER_FLAGS_INIT -static)
