# The date of this release, for the manual page and the packages: the last
# commit's, unless SOURCE_DATE_EPOCH names another, so that the same commit
# gives the same bytes wherever and whenever it is built.
set(VENDING_SOURCE_DATE_EPOCH "$ENV{SOURCE_DATE_EPOCH}")
if(VENDING_SOURCE_DATE_EPOCH STREQUAL "")
    find_package(Git QUIET)
    if(Git_FOUND)
        execute_process(COMMAND "${GIT_EXECUTABLE}" log -1 --format=%ct WORKING_DIRECTORY "${PROJECT_SOURCE_DIR}"
            OUTPUT_VARIABLE VENDING_SOURCE_DATE_EPOCH OUTPUT_STRIP_TRAILING_WHITESPACE ERROR_QUIET)
    endif()
endif()
if(NOT VENDING_SOURCE_DATE_EPOCH MATCHES "^[0-9]+$")
    # Source without its history: the date of the first release.
    set(VENDING_SOURCE_DATE_EPOCH 1796774400)
endif()

# string(TIMESTAMP) reads the time from SOURCE_DATE_EPOCH.
set(ENV{SOURCE_DATE_EPOCH} "${VENDING_SOURCE_DATE_EPOCH}")
string(TIMESTAMP VENDING_MANUAL_DATE "%Y-%m-%d" UTC)
# Debian's changelog dates look like "Wed, 09 Dec 2026 00:00:00 +0000".
string(TIMESTAMP VENDING_RELEASE_DATE "%a, %d %b %Y %H:%M:%S +0000" UTC)
