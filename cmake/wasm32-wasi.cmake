# Build for WebAssembly with WASI, with clang on Debian's wasi-libc and its
# libc++ for wasm32 (packages wasi-libc, libc++-dev-wasm32 and
# libclang-rt-dev-wasm32, and lld for wasm-ld).
# That C++ library cannot throw, so the program is built without exceptions.
# Its tests run the program with Node.js through cmake/run-wasi.mjs; an empty
# CMAKE_CROSSCOMPILING_EMULATOR given at configure time leaves it unrun.
set(CMAKE_SYSTEM_NAME Generic)
set(CMAKE_SYSTEM_PROCESSOR wasm32)
set(CMAKE_CXX_COMPILER clang++)
set(CMAKE_CXX_COMPILER_TARGET wasm32-wasi)
set(CMAKE_CXX_FLAGS_INIT -fno-exceptions)
set(CMAKE_EXECUTABLE_SUFFIX_CXX .wasm)

find_program(NODE_EXECUTABLE node)
if(NOT DEFINED CACHE{CMAKE_CROSSCOMPILING_EMULATOR})
    set(CMAKE_CROSSCOMPILING_EMULATOR "${NODE_EXECUTABLE}" --no-warnings "${CMAKE_CURRENT_LIST_DIR}/run-wasi.mjs")
endif()
