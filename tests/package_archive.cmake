# Builds the archive for users of other systems from the build folder, the
# ZIP for Windows or the release tarball of a static program, and checks that
# it holds FILES. Each of TEXTS must have CR LF line ends. Given PROGRAM (a
# path in the archive), `file` (FILE_TOOL) must call it stripped and static,
# a static PIE where PIE is true, and readelf (READELF) show it needs no
# loader or library; a PIE must have read-only relocations resolved at
# start-up, packed where RELR is true.
#   BUILD  the build folder   WORK  scratch folder

separate_arguments(FILES)
separate_arguments(TEXTS)
file(REMOVE_RECURSE "${WORK}")
execute_process(
    COMMAND "${CMAKE_CPACK_COMMAND}" --config "${BUILD}/CPackConfig.cmake" -B "${WORK}/packages"
    RESULT_VARIABLE failed OUTPUT_VARIABLE log ERROR_VARIABLE log
)
file(GLOB archive "${WORK}/packages/vending-*")
list(LENGTH archive archives)
if(failed OR NOT archives EQUAL 1)
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
    execute_process(COMMAND "${FILE_TOOL}" -b "${folder}/${PROGRAM}" OUTPUT_VARIABLE kind)
    execute_process(
        COMMAND "${READELF}" --section-headers --program-headers --dynamic --wide "${folder}/${PROGRAM}" OUTPUT_VARIABLE elf
    )
    if(NOT "${kind}${elf}" MATCHES "${wanted}" OR elf MATCHES "INTERP|NEEDED")
        message(FATAL_ERROR "${PROGRAM} is not a stripped static program as built (PIE: ${PIE}):\n${kind}${elf}")
    endif()
    if(RELR AND NOT elf MATCHES "\\.relr\\.dyn ")
        message(FATAL_ERROR "${PROGRAM} has no packed relocations (.relr.dyn):\n${elf}")
    endif()
endif()
