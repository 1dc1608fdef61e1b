# The Wine that runs the Windows program in the tests: one prefix in the build
# folder, made once, and one wine server kept for the whole run, so that each
# case does not pay for starting Wine.
#
# Included from the tests' CMakeLists.txt, where the toolchain's emulator is
# Wine: adds the fixture that starts and stops it, and sets wine_environment,
# the environment every case needs.
# Run with -P by that fixture:
#   ACTION  "start" or "stop"
#   WINE, WINESERVER  the 64-bit Wine, which makes the prefix, and its server
#   EMULATOR  what runs the program, as the toolchain file gave it
#   WINE32_DLLS  for the 32-bit program only: Debian's 32-bit Wine DLLs
#   LOG  where Wine's own messages go
# WINEPREFIX and WINEDEBUG come from the environment of the test.

if(NOT CMAKE_SCRIPT_MODE_FILE)
    find_program(WINE_EXECUTABLE NAMES wine64 wine PATHS /usr/lib/wine)
    find_program(WINESERVER_EXECUTABLE wineserver PATHS /usr/lib/wine)
    # No offer to install .NET or a browser engine while the prefix is made.
    set(wine_environment "WINEPREFIX=${CMAKE_CURRENT_BINARY_DIR}/wine" WINEDEBUG=-all
        "WINEDLLOVERRIDES=mscoree,mshtml=d")
    set(wine32_dlls "")
    if(CMAKE_SIZEOF_VOID_P EQUAL 4)
        find_path(WINE32_DLLS kernel32.dll PATHS /usr/lib/i386-linux-gnu/wine/i386-windows NO_DEFAULT_PATH NO_CMAKE_FIND_ROOT_PATH)
        set(wine32_dlls "-DWINE32_DLLS=${WINE32_DLLS}")
    endif()
    foreach(action IN ITEMS start stop)
        add_test(NAME "wine.${action}" COMMAND "${CMAKE_COMMAND}" "-DACTION=${action}" "-DWINE=${WINE_EXECUTABLE}"
            "-DWINESERVER=${WINESERVER_EXECUTABLE}" "-DEMULATOR=${CMAKE_CROSSCOMPILING_EMULATOR}" ${wine32_dlls}
            "-DLOG=${CMAKE_CURRENT_BINARY_DIR}/wine.log" -P "${CMAKE_CURRENT_LIST_FILE}")
    endforeach()
    set_tests_properties(wine.start PROPERTIES FIXTURES_SETUP wine TIMEOUT 300)
    set_tests_properties(wine.stop PROPERTIES FIXTURES_CLEANUP wine TIMEOUT 60)
    set_tests_properties(wine.start wine.stop PROPERTIES LABELS transcript ENVIRONMENT "${wine_environment}")
    return()
endif()

# Stopping needs nothing that may be missing: without a server, there is
# nothing to stop.
if(ACTION STREQUAL "stop")
    execute_process(COMMAND "${WINESERVER}" --kill OUTPUT_QUIET ERROR_QUIET)
    execute_process(COMMAND "${WINESERVER}" --wait OUTPUT_QUIET ERROR_QUIET TIMEOUT 30)
    return()
endif()
if(NOT EXISTS "${WINE}" OR NOT EXISTS "${WINESERVER}")
    message(FATAL_ERROR "Wine is needed to run the Windows program: install Debian's wine64, then configure again")
endif()
if(EMULATOR MATCHES "NOTFOUND" OR (DEFINED WINE32_DLLS AND NOT EXISTS "${WINE32_DLLS}/kernel32.dll"))
    message(FATAL_ERROR "The 32-bit Windows program runs under Debian's 32-bit Wine in emulation: install "
        "qemu-user, and wine32:i386 after dpkg --add-architecture i386, then configure again")
endif()

# Wine's helper processes outlive the command that starts them; they write to
# a file, never to the pipes ctest waits on.
execute_process(COMMAND "${WINESERVER}" --persistent OUTPUT_FILE "${LOG}" ERROR_FILE "${LOG}.server")
execute_process(COMMAND "${WINE}" wineboot --init OUTPUT_FILE "${LOG}" ERROR_FILE "${LOG}.boot"
    RESULT_VARIABLE failed TIMEOUT 240)
if(failed)
    file(READ "${LOG}.boot" log)
    message(FATAL_ERROR "Wine could not make its prefix:\n${log}")
endif()
if(DEFINED WINE32_DLLS)
    # wineboot fills the 32-bit system folder only where the kernel runs
    # 32-bit programs itself; these are the files it puts there.
    file(COPY "${WINE32_DLLS}/" DESTINATION "$ENV{WINEPREFIX}/drive_c/windows/syswow64")
endif()
