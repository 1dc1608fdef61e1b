# Makes every release artifact in build/packages: the Debian package, the
# static program's tarball for this machine's processor and for each row of
# processors.txt beside this file, both Windows ZIPs and the web page's ZIP,
# and SHA256SUMS, which `sha256sum -c` checks. Each is built in its preset's
# folder, as the presets build it. Where a tool of tests/tools.txt that this
# needs is missing, it stops before building anything, naming the packages.
# Usage: cmake -P cmake/release.cmake
cmake_minimum_required(VERSION 3.25)
get_filename_component(top "${CMAKE_CURRENT_LIST_DIR}/.." ABSOLUTE)
include("${top}/tests/tools.cmake")
vending_tools(build web release)
if(vending_missing)
    list(JOIN vending_missing " " missing)
    message(FATAL_ERROR "A release needs Debian's ${missing}: apt-get install ${missing}, then run this again")
endif()

set(packages "${top}/build/packages")
file(REMOVE_RECURSE "${packages}")
# Each build is a preset, or the static-cross preset and a processor of the
# table, which it builds in build/static-<processor>.
file(STRINGS "${CMAKE_CURRENT_LIST_DIR}/processors.txt" processors REGEX "^[^#]")
list(TRANSFORM processors REPLACE "^([^ ]+).*" "static-cross:\\1")
foreach(build IN ITEMS default static mingw mingw64 web ${processors})
    string(REPLACE "static-cross:" "static-" folder "${top}/build/${build}")
    string(REGEX MATCH "^([^:]+):?(.*)" build "${build}")
    set(preset "${CMAKE_MATCH_1}")
    set(processor "${CMAKE_MATCH_2}")
    # Only the Debian package of the default build's two.
    set(generator "")
    if(preset STREQUAL default)
        set(generator -G DEB)
    endif()
    foreach(step "${CMAKE_COMMAND};--preset;${preset}" "${CMAKE_COMMAND};--build;${folder}"
            "${CMAKE_CPACK_COMMAND};--config;${folder}/CPackConfig.cmake;${generator};-B;${packages}")
        execute_process(COMMAND "${CMAKE_COMMAND}" -E env "VENDING_PROCESSOR=${processor}" ${step}
            WORKING_DIRECTORY "${top}" OUTPUT_QUIET COMMAND_ERROR_IS_FATAL ANY)
    endforeach()
endforeach()

file(REMOVE_RECURSE "${packages}/_CPack_Packages")
file(GLOB artifacts RELATIVE "${packages}" "${packages}/vending*")
set(sums "")
foreach(artifact IN LISTS artifacts)
    file(SHA256 "${packages}/${artifact}" sum)
    string(APPEND sums "${sum}  ${artifact}\n")
endforeach()
file(WRITE "${packages}/SHA256SUMS" "${sums}")
message(STATUS "Made in build/packages, with their SHA256SUMS: ${artifacts}")
