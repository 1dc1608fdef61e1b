# Builds the packages from the build folder and checks the Debian package the
# way Debian would. Given LINTIAN, runs lintian on it alone; otherwise checks
# its fields and files, the hardening of the program it installs, and a
# scripted session played through that program, and that the tarball carries
# the licence.
#   BUILD  the build folder   CASES  the transcript folder   WORK  scratch folder
#   LINTIAN or READELF  the tool, found at configure time

# Stops with what COMMAND printed when it fails; else OUTPUT is what it wrote.
function(run output)
    execute_process(COMMAND ${ARGN} RESULT_VARIABLE failed OUTPUT_VARIABLE out ERROR_VARIABLE out)
    if(failed)
        string(REPLACE ";" " " command "${ARGN}")
        message(FATAL_ERROR "${command} failed:\n${out}")
    endif()
    set(${output} "${out}" PARENT_SCOPE)
endfunction()

file(REMOVE_RECURSE "${WORK}")
run(log "${CMAKE_CPACK_COMMAND}" --config "${BUILD}/CPackConfig.cmake" -B "${WORK}/packages")
file(GLOB deb "${WORK}/packages/*.deb")
file(GLOB tarball "${WORK}/packages/*.tar.gz")
list(LENGTH deb debs)
list(LENGTH tarball tarballs)
if(NOT debs EQUAL 1 OR NOT tarballs EQUAL 1)
    message(FATAL_ERROR "cpack did not make one .deb and one .tar.gz:\n${log}")
endif()

if(LINTIAN)
    run(log "${LINTIAN}" --fail-on error,warning "${deb}")
    return()
endif()

run(listing tar -tzf "${tarball}")
if(NOT listing MATCHES "/share/doc/vending/LICENSE\n")
    message(FATAL_ERROR "the tarball lacks the licence:\n${listing}")
endif()

run(fields dpkg-deb -f "${deb}" Section Depends)
if(NOT fields MATCHES "Section: games\nDepends: [^\n]*libc6")
    message(FATAL_ERROR "unexpected package fields:\n${fields}")
endif()

set(root "${WORK}/root")
run(unpacked dpkg-deb -x "${deb}" "${root}")
file(READ "${root}/usr/share/doc/vending/copyright" copyright)
if(NOT copyright MATCHES "\nCopyright: 2026 the vending authors\nLicense: Expat\n.*\n Permission is hereby granted")
    message(FATAL_ERROR "the copyright file does not carry the licence:\n${copyright}")
endif()

# Each of Debian's hardening features leaves its mark in the program.
set(program "${root}/usr/games/vending")
run(elf "${READELF}" --file-header --program-headers --dynamic --dyn-syms --wide "${program}")
foreach(feature "Type: +DYN" "Flags: [A-Z ]*PIE" "GNU_RELRO" "BIND_NOW" "__stack_chk_fail")
    if(NOT elf MATCHES "${feature}")
        message(FATAL_ERROR "the packaged program lacks hardening: no '${feature}' in readelf's report")
    endif()
endforeach()

run(session "${CMAKE_COMMAND}" "-DPROGRAM=${program}" "-DINPUT=${CASES}/each-drink.in" -DOUTPUT=file
    "-DEXPECTED=${CASES}/each-drink" -DSTATUS=0 "-DWORK=${WORK}/session" -P "${CMAKE_CURRENT_LIST_DIR}/run_case.cmake")
