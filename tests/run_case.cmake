# Runs the program on one transcript case and fails unless its exit status,
# standard output and standard error are exactly the expected ones, showing
# how they differ.
#   PROGRAM       the executable; LAUNCHER, optional, goes in front (valgrind)
#   INPUT         input file, "closed", "generated:SCRIPT" (what the shell
#                 script SCRIPT prints) or "reset:FILE" (FILE, then a read
#                 that fails: the connection is reset)
#   OUTPUT        "file" (compared with EXPECTED.out), "/dev/full" or "closed"
#   EXPECTED      the expected files without their endings: EXPECTED.out, and
#                 EXPECTED.err where standard error is not to be empty
#   EXACT_REASONS when false, the reason after "error: " in a failure report
#                 may be any words: it is the C library's own
#   STATUS        expected exit status
#   MEMORY_KIB    optional limit on the program's address space
#   OUTPUT_BLOCKS optional limit on the size of files it writes, in 512 bytes
#   PYTHON        Python 3, for the reset input
#   CRLF          when true, every line end written is expected as CR LF
#                 (a Windows program in text mode)
#   WORK          scratch folder for what the program wrote
# With the environment variable VENDING_BLESS set, what the program writes
# becomes the expected files instead: for a new case, to be read before it is
# committed.

cmake_policy(VERSION 3.18)
file(REMOVE_RECURSE "${WORK}")
file(MAKE_DIRECTORY "${WORK}")
set(actual_out "${WORK}/stdout")
set(actual_err "${WORK}/stderr")
set(command ${LAUNCHER} "${PROGRAM}")

# The program runs through the shell, which can close a descriptor, feed it
# a generated input and set limits. An input file is given all the same, so
# that the program never inherits the terminal.
set(input_file /dev/null)
set(closing "")
set(feed "")
set(script sh)
if(INPUT STREQUAL "closed")
    set(closing " <&-")
elseif(INPUT MATCHES "^generated:(.*)")
    set(feed "sh \"\$0\" | ")
    set(script "${CMAKE_MATCH_1}")
elseif(INPUT MATCHES "^reset:(.*)")
    set(command "${PYTHON}" "${CMAKE_CURRENT_LIST_DIR}/input_then_reset.py" "${CMAKE_MATCH_1}" ${command})
else()
    set(input_file "${INPUT}")
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
# The limits hold for the program alone, not for what feeds it.
set(command sh -c "${feed}(${limit}exec \"\$@\"${closing})" "${script}" ${command})

execute_process(COMMAND ${command} INPUT_FILE "${input_file}" OUTPUT_FILE "${actual_out}" ERROR_FILE "${actual_err}"
    RESULT_VARIABLE status TIMEOUT 120)

if(DEFINED ENV{VENDING_BLESS})
    if(CRLF OR NOT EXACT_REASONS)
        message(FATAL_ERROR "Write expected files from a native build on GNU's C library, such as build/default")
    endif()
    if(OUTPUT STREQUAL "file")
        execute_process(COMMAND "${CMAKE_COMMAND}" -E copy "${actual_out}" "${EXPECTED}.out")
    endif()
    # Standard error is expected empty where there is no .err file.
    file(REMOVE "${EXPECTED}.err")
    file(SIZE "${actual_err}" error_bytes)
    if(error_bytes)
        execute_process(COMMAND "${CMAKE_COMMAND}" -E copy "${actual_err}" "${EXPECTED}.err")
    endif()
    if(NOT status STREQUAL STATUS)
        message(FATAL_ERROR "Wrote the expected files of ${EXPECTED}, but the row says exit status ${STATUS}, and the program gave ${status}")
    endif()
    message("Wrote the expected files of ${EXPECTED}; the exit status was ${status}, as the row says")
    return()
endif()

# The bytes of FILE in OUT, each as two hex digits and a blank, with CR LF
# for each line end where CRLF is asked for, and where reasons may differ,
# the reason of each failure report left out.
function(read_bytes file crlf out)
    file(READ "${file}" bytes HEX)
    string(REGEX REPLACE "(..)" "\\1 " bytes "${bytes}")
    if(crlf)
        string(REPLACE "0a " "0d 0a " bytes "${bytes}")
    endif()
    if(NOT EXACT_REASONS)
        # "error: " and the bytes after it up to the line end.
        string(REGEX REPLACE "(65 72 72 6f 72 3a 20 )(([1-9a-f].|0[^ad]) )+" "\\1reason " bytes "${bytes}")
    endif()
    set(${out} "${bytes}" PARENT_SCOPE)
endfunction()

find_program(DIFF diff)
# Notes in `failures` where a file the program wrote is not byte for byte the
# expected one, with how they differ: a unified diff, or where there is no
# diff, the two files to compare.
function(expect_same_bytes what expected actual)
    read_bytes("${expected}" "${CRLF}" expected_bytes)
    read_bytes("${actual}" OFF actual_bytes)
    if(expected_bytes STREQUAL actual_bytes)
        return()
    endif()
    if(CRLF)
        # Shown as the program should have written it.
        file(READ "${expected}" text)
        string(REPLACE "\n" "\r\n" text "${text}")
        string(MAKE_C_IDENTIFIER "${what}" name)
        set(expected "${WORK}/expected-${name}")
        file(WRITE "${expected}" "${text}")
    endif()
    if(DIFF)
        execute_process(COMMAND "${DIFF}" -u "${expected}" "${actual}" COMMAND head -n 40 OUTPUT_VARIABLE report)
        set(failures "${failures}${what} differs (the first 40 lines of the difference):\n${report}" PARENT_SCOPE)
    else()
        set(failures "${failures}${what} differs from ${expected}: see ${actual}\n" PARENT_SCOPE)
    endif()
endfunction()

set(failures "")
if(OUTPUT STREQUAL "file")
    expect_same_bytes("standard output" "${EXPECTED}.out" "${actual_out}")
endif()
set(expected_err /dev/null)
if(EXISTS "${EXPECTED}.err")
    set(expected_err "${EXPECTED}.err")
endif()
expect_same_bytes("standard error" "${expected_err}" "${actual_err}")
if(NOT status STREQUAL STATUS)
    set(failures "exit status: expected ${STATUS}, got ${status}\n${failures}")
endif()
if(failures)
    # Printed as it is: a fatal message would be reflowed.
    message("${failures}")
    message(FATAL_ERROR "the case failed")
endif()
