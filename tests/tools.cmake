# The one reader of tools.txt beside this file, for the tests, the release
# and CI. Each cross compiler of cmake/processors.txt counts as a row of its
# own, marked release and ci.
#   Included: vending_tools(TAG...) looks for the tool of each row marked
#   with any of the TAGs (every row where none is given): tool_<tool> is its
#   path where it is found, package_<tool> its package, and vending_missing
#   lists the packages of those that are not found.
#   Run: cmake [-DTAGS=a,b] [-DALL=ON] -P tests/tools.cmake prints those
#   missing packages on one line, or with ALL, the packages of those rows;
#   with -DREADME=FILE, checks that FILE names those packages.

function(vending_tools)
    file(STRINGS "${CMAKE_CURRENT_FUNCTION_LIST_DIR}/tools.txt" rows REGEX "^[^#]")
    file(STRINGS "${CMAKE_CURRENT_FUNCTION_LIST_DIR}/../cmake/processors.txt" processors REGEX "^[^#]")
    list(TRANSFORM processors REPLACE "^[^ ]+ +([^ ]+).*" "\\1-g++ g++-\\1 release,ci")
    list(APPEND rows ${processors})
    set(missing "")
    set(all "")
    list(JOIN ARGN "|" wanted)
    foreach(row IN LISTS rows)
        string(REGEX MATCHALL "[^ ]+" row "${row}")
        list(POP_FRONT row tool package tags)
        if(wanted AND NOT ",${tags}," MATCHES ",(${wanted}),")
            continue()
        endif()
        list(APPEND all "${package}")
        set(package_${tool} "${package}" PARENT_SCOPE)
        if(tool STREQUAL "-")
            # A library, known by its package.
            execute_process(COMMAND dpkg-query -W "-f=\${db:Status-Status}" "${package}" OUTPUT_VARIABLE state ERROR_QUIET)
            string(COMPARE EQUAL "${state}" installed tool_${tool})
        else()
            find_program(tool_${tool} "${tool}")
        endif()
        if(NOT tool_${tool})
            list(APPEND missing "${package}")
        endif()
    endforeach()
    set(vending_missing "${missing}" PARENT_SCOPE)
    set(vending_packages "${all}" PARENT_SCOPE)
endfunction()

if(CMAKE_SCRIPT_MODE_FILE STREQUAL CMAKE_CURRENT_LIST_FILE)
    string(REPLACE "," ";" TAGS "${TAGS}")
    vending_tools(${TAGS})
    if(README)
        # The packages that README names, in backquotes after "these Debian
        # packages", must be those of the rows.
        file(READ "${README}" text)
        string(REGEX MATCH "these Debian[ \n]+packages[^`]*`([^`]*)`" listed "${text}")
        string(REGEX MATCHALL "[^ \n]+" listed "${CMAKE_MATCH_1}")
        list(SORT listed)
        list(SORT vending_packages)
        if(NOT listed STREQUAL vending_packages)
            message(FATAL_ERROR "${README} names the packages ${listed}, where tools.txt has ${vending_packages}")
        endif()
        return()
    endif()
    if(ALL)
        set(vending_missing "${vending_packages}")
    endif()
    list(REMOVE_DUPLICATES vending_missing)
    execute_process(COMMAND "${CMAKE_COMMAND}" -E echo ${vending_missing})
endif()
