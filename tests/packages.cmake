# Builds the packages of the build folder BUILD with cpack, in the scratch
# folder WORK, and checks them the way the systems they are for would.
#   LINTIAN   given, lintian must pass the Debian package, and nothing else
#             is checked
#   FILES     the one archive (a ZIP or a tarball) must hold these, and each
#             of TEXTS have CR LF line ends
#   PROGRAM   given, a path in the archive: `file` (FILE_TOOL) must call it
#             stripped and static, a static PIE where PIE is true, and
#             READELF show it needs no loader or library; a PIE must have
#             read-only relocations resolved at start-up, packed where RELR
#             is true
#   CASES     given, the transcript folder: the Debian package's fields,
#             copyright and hardening (READELF) are checked, and a scripted
#             session is played through the program it installs

# Stops with what COMMAND printed when it fails; else OUTPUT is what it wrote.
function(run output)
    execute_process(COMMAND ${ARGN} RESULT_VARIABLE failed OUTPUT_VARIABLE out ERROR_VARIABLE out)
    if(failed)
        string(REPLACE ";" " " command "${ARGN}")
        message(FATAL_ERROR "${command} failed:\n${out}")
    endif()
    set(${output} "${out}" PARENT_SCOPE)
endfunction()

separate_arguments(FILES)
separate_arguments(TEXTS)
file(REMOVE_RECURSE "${WORK}")
run(log "${CMAKE_CPACK_COMMAND}" --config "${BUILD}/CPackConfig.cmake" -B "${WORK}/packages")
file(GLOB deb "${WORK}/packages/*.deb")
if(LINTIAN)
    run(log "${LINTIAN}" --fail-on error,warning "${deb}")
    return()
endif()

file(GLOB archive "${WORK}/packages/*.zip" "${WORK}/packages/*.tar.gz")
list(LENGTH archive archives)
if(NOT archives EQUAL 1)
    message(FATAL_ERROR "cpack did not make one archive:\n${log}")
endif()
file(ARCHIVE_EXTRACT INPUT "${archive}" DESTINATION "${WORK}/unpacked")
file(GLOB folder "${WORK}/unpacked/*")
foreach(name IN LISTS FILES)
    if(NOT EXISTS "${folder}/${name}")
        message(FATAL_ERROR "${archive} lacks ${name}")
    endif()
endforeach()
foreach(text IN LISTS TEXTS)
    # Read as bytes, one pair of hex digits and a blank each: file(READ) on
    # its own drops carriage returns.
    file(READ "${folder}/${text}" bytes HEX)
    string(REGEX REPLACE "(..)" "\\1 " bytes "${bytes}")
    string(REPLACE "0d 0a " "" bytes "${bytes}")
    if(bytes MATCHES "0a ")
        message(FATAL_ERROR "${text} has a line end without CR")
    endif()
endforeach()

if(PROGRAM)
    # A static PIE has a dynamic section of its own, for its relocations.
    set(wanted "statically linked.*, stripped")
    if(PIE)
        set(wanted "static-pie linked.*, stripped.*GNU_RELRO.*BIND_NOW")
    endif()
    run(kind "${FILE_TOOL}" -b "${folder}/${PROGRAM}")
    run(elf "${READELF}" --section-headers --program-headers --dynamic --wide "${folder}/${PROGRAM}")
    if(NOT "${kind}${elf}" MATCHES "${wanted}" OR elf MATCHES "INTERP|NEEDED")
        message(FATAL_ERROR "${PROGRAM} is not a stripped static program as built (PIE: ${PIE}):\n${kind}${elf}")
    endif()
    if(RELR AND NOT elf MATCHES "\\.relr\\.dyn ")
        message(FATAL_ERROR "${PROGRAM} has no packed relocations (.relr.dyn):\n${elf}")
    endif()
endif()

if(CASES)
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
endif()
