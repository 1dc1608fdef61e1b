# Builds the ZIP for Windows users from the build folder and checks that it
# holds the program, the licence and the README, the texts with CR LF line ends.
#   BUILD  the build folder   WORK  scratch folder

file(REMOVE_RECURSE "${WORK}")
execute_process(
    COMMAND "${CMAKE_CPACK_COMMAND}" --config "${BUILD}/CPackConfig.cmake" -B "${WORK}/packages"
    RESULT_VARIABLE failed OUTPUT_VARIABLE log ERROR_VARIABLE log
)
file(GLOB zip "${WORK}/packages/vending-*-win??.zip")
list(LENGTH zip zips)
if(failed OR NOT zips EQUAL 1)
    message(FATAL_ERROR "cpack did not make one vending-<version>-win32.zip or -win64.zip:\n${log}")
endif()

file(ARCHIVE_EXTRACT INPUT "${zip}" DESTINATION "${WORK}/unpacked")
get_filename_component(folder "${zip}" NAME_WLE)
foreach(name vending.exe LICENSE.txt README.txt)
    if(NOT EXISTS "${WORK}/unpacked/${folder}/${name}")
        message(FATAL_ERROR "${zip} lacks ${folder}/${name}")
    endif()
endforeach()
foreach(text LICENSE.txt README.txt)
    # Read as bytes, one pair of hex digits and a blank each: file(READ) on
    # its own drops carriage returns.
    file(READ "${WORK}/unpacked/${folder}/${text}" bytes HEX)
    string(REGEX REPLACE "(..)" "\\1 " bytes "${bytes}")
    string(REPLACE "0d 0a " "" bytes "${bytes}")
    if(bytes MATCHES "0a ")
        message(FATAL_ERROR "${text} has a line end without CR")
    endif()
endforeach()
