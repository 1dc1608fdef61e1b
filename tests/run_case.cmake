# Runs the program on one transcript case and fails unless its exit status,
# standard output and standard error are exactly the expected ones.
#   PROGRAM       the executable; LAUNCHER, optional, goes in front (valgrind)
#   INPUT         input file, "closed", or "reset:FILE" (FILE, then a read
#                 that fails: the connection is reset)
#   OUTPUT        "file" (compared with EXPECTED_OUT), "/dev/full" or "closed"
#   EXPECTED_ERR  expected standard error; empty when not given
#   STATUS        expected exit status
#   MEMORY_KIB    optional limit on the program's address space
#   OUTPUT_BLOCKS optional limit on the size of files it writes, in 512 bytes
#   PYTHON        Python 3, for the reset input
#   CRLF          when true, every line end written is expected as CR LF
#                 (a Windows program in text mode)
#   WORK          scratch folder for what the program wrote

file(REMOVE_RECURSE "${WORK}")
file(MAKE_DIRECTORY "${WORK}")
set(actual_out "${WORK}/stdout")
set(actual_err "${WORK}/stderr")
set(command ${LAUNCHER} "${PROGRAM}")

# A closed descriptor or a limit can only be had through a shell. The input
# file is still given so that the program never inherits the terminal.
set(closing "")
set(input_file "${INPUT}")
if(INPUT STREQUAL "closed")
    string(APPEND closing " <&-")
    set(input_file /dev/null)
elseif(INPUT MATCHES "^reset:(.*)")
    set(command "${PYTHON}" "${CMAKE_CURRENT_LIST_DIR}/input_then_reset.py" "${CMAKE_MATCH_1}" ${command})
    set(input_file /dev/null)
endif()
if(OUTPUT STREQUAL "closed")
    string(APPEND closing " >&-")
elseif(OUTPUT STREQUAL "/dev/full")
    set(actual_out /dev/full)
endif()
set(limit "")
if(MEMORY_KIB)
    string(APPEND limit "ulimit -v ${MEMORY_KIB} && ")
endif()
if(OUTPUT_BLOCKS)
    # Ignored, SIGXFSZ no longer kills the program: the write fails instead.
    string(APPEND limit "ulimit -f ${OUTPUT_BLOCKS} && trap '' XFSZ && ")
endif()
if(closing OR limit)
    set(command sh -c "${limit}exec \"\$@\"${closing}" sh ${command})
endif()

execute_process(
    COMMAND ${command}
    INPUT_FILE "${input_file}"
    OUTPUT_FILE "${actual_out}"
    ERROR_FILE "${actual_err}"
    RESULT_VARIABLE status
    TIMEOUT 10
)

# Notes in `failures` where a file the program wrote is not byte for byte the
# expected one, with the start of what it did write.
function(expect_same_bytes what expected actual)
    if(CRLF)
        file(READ "${expected}" text)
        string(REPLACE "\n" "\r\n" text "${text}")
        string(MAKE_C_IDENTIFIER "${what}" name)
        set(expected "${WORK}/expected-${name}")
        file(WRITE "${expected}" "${text}")
    endif()
    execute_process(
        COMMAND "${CMAKE_COMMAND}" -E compare_files "${expected}" "${actual}"
        RESULT_VARIABLE differs OUTPUT_QUIET ERROR_QUIET
    )
    if(differs)
        file(READ "${actual}" written LIMIT 2000)
        set(failures "${failures}${what} differs: diff ${expected} ${actual}\n${written}\n" PARENT_SCOPE)
    endif()
endfunction()

set(failures "")
if(NOT status STREQUAL STATUS)
    string(APPEND failures "exit status: expected ${STATUS}, got '${status}'\n")
endif()
if(OUTPUT STREQUAL "file")
    expect_same_bytes("standard output" "${EXPECTED_OUT}" "${actual_out}")
endif()
if(NOT EXPECTED_ERR)
    set(EXPECTED_ERR "${WORK}/no-stderr")
    file(WRITE "${EXPECTED_ERR}" "")
endif()
expect_same_bytes("standard error" "${EXPECTED_ERR}" "${actual_err}")
if(failures)
    message(FATAL_ERROR "${failures}")
endif()
