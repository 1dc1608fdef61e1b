# Builds the Debian package from the build folder, unpacks it and plays one
# scripted session through the program it installs.
#   BUILD  the build folder   CASES  the transcript folder   WORK  scratch folder

file(REMOVE_RECURSE "${WORK}")
execute_process(
    COMMAND "${CMAKE_CPACK_COMMAND}" -G DEB --config "${BUILD}/CPackConfig.cmake" -B "${WORK}/packages"
    RESULT_VARIABLE failed OUTPUT_VARIABLE log ERROR_VARIABLE log
)
file(GLOB packages "${WORK}/packages/*.deb")
list(LENGTH packages count)
if(failed OR NOT count EQUAL 1)
    message(FATAL_ERROR "cpack did not make one .deb:\n${log}")
endif()

execute_process(COMMAND dpkg-deb -f "${packages}" Section Depends OUTPUT_VARIABLE fields COMMAND_ERROR_IS_FATAL ANY)
if(NOT fields MATCHES "Section: games\nDepends: [^\n]*libc6")
    message(FATAL_ERROR "unexpected package fields:\n${fields}")
endif()

execute_process(COMMAND dpkg-deb -x "${packages}" "${WORK}/root" COMMAND_ERROR_IS_FATAL ANY)
if(NOT EXISTS "${WORK}/root/usr/share/man/man6/vending.6")
    message(FATAL_ERROR "the package lacks the manual page")
endif()
execute_process(
    COMMAND "${CMAKE_COMMAND}"
        "-DPROGRAM=${WORK}/root/usr/bin/vending"
        "-DINPUT=${CASES}/each-drink.in"
        -DOUTPUT=file
        "-DEXPECTED_OUT=${CASES}/each-drink.out"
        -DSTATUS=0
        "-DWORK=${WORK}/session"
        -P "${CMAKE_CURRENT_LIST_DIR}/run_case.cmake"
    COMMAND_ERROR_IS_FATAL ANY
)
