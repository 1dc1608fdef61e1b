option(BUILD_TESTING "Build the test suite" ON)

option(VENDING_WEB "With WebAssembly, make the page that plays the program in a browser" OFF)
option(VENDING_WARNINGS "Compile with the project's strict warning set" ON)
option(VENDING_SANITIZE "Compile with AddressSanitizer and UndefinedBehaviorSanitizer" OFF)
option(VENDING_HARDENING "Compile and link with the hardening Debian gives its packages" ON)
option(VENDING_STATIC "Link the program statically, as a static PIE where the toolchain can" OFF)

# The kind of program this build makes, decided here alone; its install
# rules and packages (cmake/kind-<kind>.cmake) and its tests follow it:
#   wasm     WebAssembly, which runs in a host (Node.js or a browser) rather
#            than on a system of its own; with VENDING_WEB, also its page
#   windows  a Windows console program and its ZIP
#   static   one static Linux program and its release tarball
#   unix     the program to install, and on Linux, the Debian package
if(CMAKE_SYSTEM_PROCESSOR STREQUAL wasm32)
    set(VENDING_KIND wasm)
elseif(WIN32)
    set(VENDING_KIND windows)
elseif(VENDING_STATIC)
    set(VENDING_KIND static)
else()
    set(VENDING_KIND unix)
endif()

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
        target_compile_options("${target}" PRIVATE -Wall -Wextra -Wpedantic -Wconversion -Wsign-conversion -Wshadow
            -Wold-style-cast -Wcast-qual -Wformat=2 -Wnull-dereference -Wimplicit-fallthrough -Wnon-virtual-dtor
            -Woverloaded-virtual -Wdouble-promotion)
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

# Optimised builds, where the checked libc calls work and the program is one
# to ship; a Debug build is debugged where it was built.
set(vending_release_configs "$<OR:$<CONFIG:Release>,$<CONFIG:RelWithDebInfo>,$<CONFIG:MinSizeRel>>")

include(CheckCXXCompilerFlag)
include(CheckLinkerFlag)
include(CheckPIESupported)

# Adds to TARGET's compile or link options (KIND "compile" or "link", or
# "release-compile" for optimised builds alone) those of the FLAGS that the
# toolchain takes, probed one by one and applied at once, and lists them in
# vending_accepted for the caller. A linker that warns of a flag, and ignores
# it, does not take it.
function(vending_add_accepted_flags target kind)
    set(accepted "")
    foreach(flag IN LISTS ARGN)
        string(MAKE_C_IDENTIFIER "VENDING_HAVE_${kind}${flag}" have)
        if(kind MATCHES "compile")
            check_cxx_compiler_flag("${flag}" ${have})
        else()
            check_linker_flag(CXX "LINKER:--fatal-warnings;${flag}" ${have})
        endif()
        if(${have} AND kind MATCHES "release")
            list(APPEND accepted "$<${vending_release_configs}:${flag}>")
        elseif(${have})
            list(APPEND accepted "${flag}")
        endif()
    endforeach()
    if(kind MATCHES "compile")
        target_compile_options("${target}" PRIVATE ${accepted})
    else()
        target_link_options("${target}" PRIVATE ${accepted})
    endif()
    set(vending_accepted "${accepted}" PARENT_SCOPE)
endfunction()

# Stack protector, stack clash protection, control-flow protection (x86),
# fortified libc calls, a position-independent program and read-only
# relocations resolved at start-up, each where the toolchain has it.
function(vending_add_hardening target)
    # WebAssembly keeps return addresses out of the program's memory, and its
    # modules have no relocations or addresses to randomise.
    if(NOT VENDING_HARDENING OR VENDING_KIND STREQUAL wasm)
        return()
    endif()
    # Once this is checked, CMake links a position-independent program with
    # -pie, as a dynamic one; a static program is made a static PIE below.
    if(NOT VENDING_KIND STREQUAL static)
        check_pie_supported(LANGUAGES CXX)
    endif()
    set_target_properties("${target}" PROPERTIES POSITION_INDEPENDENT_CODE ON)
    # As Debian 13 hardens its packages; the probe fails where the target has
    # no such protection (-fcf-protection off x86). Windows probes the pages
    # of a large stack frame itself, and MinGW's GCC 12 fails on the flags.
    set(flags -fstack-protector-strong)
    if(NOT WIN32)
        list(APPEND flags -fstack-clash-protection -fcf-protection)
    endif()
    vending_add_accepted_flags("${target}" compile ${flags})
    # MinGW links its stack check library only when told at link time.
    vending_add_accepted_flags("${target}" link -fstack-protector-strong "LINKER:-z,relro,-z,now")
    # The checked libc calls need the optimiser to know the sizes of objects.
    # A packager's flags may choose their level already.
    if(NOT CMAKE_CXX_FLAGS MATCHES "_FORTIFY_SOURCE")
        target_compile_definitions("${target}" PRIVATE "$<${vending_release_configs}:_FORTIFY_SOURCE=2>")
    endif()
endfunction()

# The program to ship has no symbols: stripped as it is linked, so that no
# strip of the wrong processor's can leave it as it was.
function(vending_strip target)
    if(NOT MSVC)
        target_link_options("${target}" PRIVATE "$<$<OR:$<CONFIG:Release>,$<CONFIG:MinSizeRel>>:-s>")
    endif()
endfunction()

# Keeps the folders of a build out of what it compiles, and the time out of
# a Windows program's header, so that the same source gives the same program
# wherever and whenever it is built. The last map given is tried first: the
# build folder may lie inside the source folder.
function(vending_map_build_paths target)
    vending_add_accepted_flags("${target}" release-compile "-ffile-prefix-map=${PROJECT_SOURCE_DIR}=."
        "-ffile-prefix-map=${PROJECT_BINARY_DIR}=build")
    if(WIN32)
        vending_add_accepted_flags("${target}" link "LINKER:--no-insert-timestamp")
    endif()
endfunction()

# One program that needs no library of the system it runs on, for Linux
# systems of every kind. A static PIE keeps address randomisation, where the
# C library has its start files (x86_64, arm64 and i386 in Debian's).
# Relocations packed into a table a few words long (binutils 2.38 and glibc
# 2.36 on, for x86): a static PIE applies them all itself at start-up, and
# they cost it more than the rest of a short session.
function(vending_link_static target)
    if(NOT VENDING_KIND STREQUAL static)
        return()
    endif()
    set(vending_accepted "")
    if(VENDING_HARDENING)
        vending_add_accepted_flags("${target}" link -static-pie)
    endif()
    set(VENDING_STATIC_PIE "${vending_accepted}" PARENT_SCOPE)
    if(NOT vending_accepted)
        target_link_options("${target}" PRIVATE -static)
        return()
    endif()
    vending_add_accepted_flags("${target}" link "LINKER:-z,pack-relative-relocs")
    set(VENDING_PACKED_RELOCATIONS "${vending_accepted}" PARENT_SCOPE)
endfunction()
