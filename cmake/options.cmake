option(BUILD_TESTING "Build the test suite" ON)

# WebAssembly runs inside a host, Node.js or a browser, rather than on a
# system of its own.
if(CMAKE_SYSTEM_PROCESSOR STREQUAL "wasm32")
    set(VENDING_WASM ON)
else()
    set(VENDING_WASM OFF)
endif()
option(VENDING_WEB "With WebAssembly, make the page that plays the program in a browser" OFF)
option(VENDING_WARNINGS "Compile with the project's strict warning set" ON)
option(VENDING_SANITIZE "Compile with AddressSanitizer and UndefinedBehaviorSanitizer" OFF)

function(vending_add_warnings target)
    if(NOT VENDING_WARNINGS)
        return()
    endif()
    if(MSVC)
        target_compile_options("${target}" PRIVATE /W4 /permissive-)
        # /W4 calls std::strerror unsafe (C4996) for its shared buffer; one
        # thread calls it, and the text must be the C library's own.
        target_compile_definitions("${target}" PRIVATE _CRT_SECURE_NO_WARNINGS)
    else()
        target_compile_options(
            "${target}" PRIVATE
            -Wall -Wextra -Wpedantic -Wconversion -Wsign-conversion -Wshadow
            -Wold-style-cast -Wcast-qual -Wformat=2 -Wnull-dereference
            -Wimplicit-fallthrough -Wnon-virtual-dtor -Woverloaded-virtual -Wdouble-promotion
        )
    endif()
endfunction()

function(vending_add_sanitizers target)
    if(NOT VENDING_SANITIZE)
        return()
    endif()
    if(MSVC)
        # Microsoft's compiler has AddressSanitizer alone, which its run-time
        # checks of Debug builds do not go with.
        target_compile_options("${target}" PRIVATE /fsanitize=address)
        string(REGEX REPLACE "/RTC[1csu]*" "" CMAKE_CXX_FLAGS_DEBUG "${CMAKE_CXX_FLAGS_DEBUG}")
        set(CMAKE_CXX_FLAGS_DEBUG "${CMAKE_CXX_FLAGS_DEBUG}" PARENT_SCOPE)
        return()
    endif()
    set(flags -fsanitize=address,undefined -fno-sanitize-recover=all -fno-omit-frame-pointer)
    target_compile_options("${target}" PRIVATE ${flags})
    target_link_options("${target}" PRIVATE ${flags})
endfunction()

option(VENDING_HARDENING "Compile and link with the hardening Debian gives its packages" ON)
option(VENDING_STATIC "Link the program statically, as a static PIE where the toolchain can" OFF)

# Optimised builds, where the checked libc calls work and the program is one
# to ship; a Debug build is debugged where it was built.
set(vending_release_configs "$<OR:$<CONFIG:Release>,$<CONFIG:RelWithDebInfo>,$<CONFIG:MinSizeRel>>")

include(CheckCXXCompilerFlag)
include(CheckLinkerFlag)
include(CheckPIESupported)

# Stack protector, stack clash protection, control-flow protection (x86),
# fortified libc calls, a position-independent program and read-only
# relocations resolved at start-up, each where the toolchain has it.
function(vending_add_hardening target)
    # WebAssembly keeps return addresses out of the program's memory, and its
    # modules have no relocations or addresses to randomise.
    if(NOT VENDING_HARDENING OR VENDING_WASM)
        return()
    endif()
    # Once this is checked, CMake links a position-independent program with
    # -pie, as a dynamic one; a static program is made a static PIE below.
    if(NOT VENDING_STATIC)
        check_pie_supported(LANGUAGES CXX)
    endif()
    set_target_properties("${target}" PROPERTIES POSITION_INDEPENDENT_CODE ON)
    check_cxx_compiler_flag(-fstack-protector-strong VENDING_HAVE_STACK_PROTECTOR)
    if(VENDING_HAVE_STACK_PROTECTOR)
        target_compile_options("${target}" PRIVATE -fstack-protector-strong)
        # MinGW links its stack check library only when told at link time.
        target_link_options("${target}" PRIVATE -fstack-protector-strong)
    endif()
    # As Debian 13 hardens its packages; the probe fails where the target has
    # no such protection (-fcf-protection off x86). Windows probes the pages
    # of a large stack frame itself, and MinGW's GCC 12 fails on the flags.
    if(NOT WIN32)
        check_cxx_compiler_flag(-fstack-clash-protection VENDING_HAVE_STACK_CLASH_PROTECTION)
        if(VENDING_HAVE_STACK_CLASH_PROTECTION)
            target_compile_options("${target}" PRIVATE -fstack-clash-protection)
        endif()
        check_cxx_compiler_flag(-fcf-protection VENDING_HAVE_CF_PROTECTION)
        if(VENDING_HAVE_CF_PROTECTION)
            target_compile_options("${target}" PRIVATE -fcf-protection)
        endif()
    endif()
    # The checked libc calls need the optimiser to know the sizes of objects.
    # A packager's flags may choose their level already.
    if(NOT CMAKE_CXX_FLAGS MATCHES "_FORTIFY_SOURCE")
        target_compile_definitions("${target}" PRIVATE "$<${vending_release_configs}:_FORTIFY_SOURCE=2>")
    endif()
    check_linker_flag(CXX "LINKER:-z,relro,-z,now" VENDING_HAVE_RELRO_NOW)
    if(VENDING_HAVE_RELRO_NOW)
        target_link_options("${target}" PRIVATE "LINKER:-z,relro,-z,now")
    endif()
endfunction()

# Keeps the folders of a build out of what it compiles, so that the same
# source gives the same program wherever it is built.
function(vending_map_build_paths target)
    check_cxx_compiler_flag(-ffile-prefix-map=a=b VENDING_HAVE_FILE_PREFIX_MAP)
    if(VENDING_HAVE_FILE_PREFIX_MAP)
        # The last map given is tried first: the build folder may lie inside
        # the source folder.
        target_compile_options(
            "${target}" PRIVATE "$<${vending_release_configs}:-ffile-prefix-map=${PROJECT_SOURCE_DIR}=.>"
            "$<${vending_release_configs}:-ffile-prefix-map=${PROJECT_BINARY_DIR}=build>"
        )
    endif()
endfunction()

# One program that needs no library of the system it runs on, for Linux
# systems of every kind. A static PIE keeps address randomisation.
function(vending_link_static target)
    if(NOT VENDING_STATIC)
        return()
    endif()
    check_linker_flag(CXX -static-pie VENDING_HAVE_STATIC_PIE)
    if(VENDING_HAVE_STATIC_PIE AND VENDING_HARDENING)
        target_link_options("${target}" PRIVATE -static-pie)
    else()
        target_link_options("${target}" PRIVATE -static)
    endif()
    # Relocations packed into a table a few words long (binutils 2.38 and
    # glibc 2.36 on): a static PIE applies them all itself at start-up, and
    # they cost it more than the rest of a short session.
    check_linker_flag(CXX "LINKER:-z,pack-relative-relocs" VENDING_HAVE_PACKED_RELOCATIONS)
    if(VENDING_HAVE_PACKED_RELOCATIONS)
        target_link_options("${target}" PRIVATE "LINKER:-z,pack-relative-relocs")
    endif()
endfunction()
