# Builds the packages from the build folder and checks the Debian package the
# way Debian would. CHECK "lintian" runs lintian on it alone, and skips when
# there is no lintian; any other CHECK checks its fields and files, the
# hardening of the program it installs, and a scripted session played through
# that program, and that the tarball carries the licence.
#   BUILD  the build folder   CASES  the transcript folder   WORK  scratch folder
#   LINTIAN, READELF  the tools, found at configure time

if(CHECK STREQUAL "lintian" AND NOT LINTIAN)
    # Matched by the test's SKIP_REGULAR_EXPRESSION.
    message("skipped: no lintian to check the package with; install Debian's lintian (apt install lintian) to run it")
    return()
endif()
file(REMOVE_RECURSE "${WORK}")
execute_process(
    COMMAND "${CMAKE_CPACK_COMMAND}" -G "DEB;TGZ" --config "${BUILD}/CPackConfig.cmake" -B "${WORK}/packages"
    RESULT_VARIABLE failed OUTPUT_VARIABLE log ERROR_VARIABLE log
)
file(GLOB deb "${WORK}/packages/*.deb")
file(GLOB tarball "${WORK}/packages/*.tar.gz")
list(LENGTH deb debs)
list(LENGTH tarball tarballs)
if(failed OR NOT debs EQUAL 1 OR NOT tarballs EQUAL 1)
    message(FATAL_ERROR "cpack did not make one .deb and one .tar.gz:\n${log}")
endif()

if(CHECK STREQUAL "lintian")
    execute_process(
        COMMAND "${LINTIAN}" --fail-on error,warning "${deb}"
        RESULT_VARIABLE failed OUTPUT_VARIABLE log ERROR_VARIABLE log
    )
    if(failed)
        message(FATAL_ERROR "lintian finds fault with the package:\n${log}")
    endif()
    return()
endif()

execute_process(COMMAND tar -tzf "${tarball}" OUTPUT_VARIABLE listing COMMAND_ERROR_IS_FATAL ANY)
if(NOT listing MATCHES "/share/doc/vending/LICENSE\n")
    message(FATAL_ERROR "the tarball lacks the licence:\n${listing}")
endif()

execute_process(COMMAND dpkg-deb -f "${deb}" Section Depends OUTPUT_VARIABLE fields COMMAND_ERROR_IS_FATAL ANY)
if(NOT fields MATCHES "Section: games\nDepends: [^\n]*libc6")
    message(FATAL_ERROR "unexpected package fields:\n${fields}")
endif()

set(root "${WORK}/root")
execute_process(COMMAND dpkg-deb -x "${deb}" "${root}" COMMAND_ERROR_IS_FATAL ANY)
file(READ "${root}/usr/share/doc/vending/copyright" copyright)
if(NOT copyright MATCHES "\nCopyright: 2026 the vending authors\nLicense: Expat\n.*\n Permission is hereby granted")
    message(FATAL_ERROR "the copyright file does not carry the licence:\n${copyright}")
endif()

# Each of Debian's hardening features leaves its mark in the program.
set(program "${root}/usr/games/vending")
execute_process(
    COMMAND "${READELF}" --file-header --program-headers --dynamic --dyn-syms --wide "${program}"
    OUTPUT_VARIABLE elf COMMAND_ERROR_IS_FATAL ANY
)
foreach(feature "Type: +DYN" "Flags: [A-Z ]*PIE" "GNU_RELRO" "BIND_NOW" "__stack_chk_fail")
    if(NOT elf MATCHES "${feature}")
        message(FATAL_ERROR "the packaged program lacks hardening: no '${feature}' in readelf's report")
    endif()
endforeach()

execute_process(
    COMMAND "${CMAKE_COMMAND}"
        "-DPROGRAM=${program}"
        "-DINPUT=${CASES}/each-drink.in"
        -DOUTPUT=file
        "-DEXPECTED_OUT=${CASES}/each-drink.out"
        -DSTATUS=0
        "-DWORK=${WORK}/session"
        -P "${CMAKE_CURRENT_LIST_DIR}/run_case.cmake"
    COMMAND_ERROR_IS_FATAL ANY
)
