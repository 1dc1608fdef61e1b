# Starts or stops the Wine that runs the Windows program in the tests: one
# prefix in the build folder, made once, and one wine server kept for the
# whole run, so that each case does not pay for starting Wine.
#   ACTION  "start" or "stop"
#   WINE, WINESERVER  the programs, found at configure time
#   QEMU, WINE32, WINE32_DLLS  for the 32-bit program only: qemu-i386, the
#       32-bit Wine loader and the folder of its DLLs and programs
#   LOG  where Wine's own messages go
# WINEPREFIX and WINEDEBUG come from the environment of the test.

if(NOT EXISTS "${WINE}" OR NOT EXISTS "${WINESERVER}")
    if(ACTION STREQUAL "stop")
        return()
    endif()
    message(FATAL_ERROR "Wine is needed to run the Windows program: install Debian's wine64, then configure again")
endif()
if(DEFINED WINE32_DLLS AND ACTION STREQUAL "start")
    if(NOT EXISTS "${QEMU}" OR NOT EXISTS "${WINE32}" OR NOT EXISTS "${WINE32_DLLS}/kernel32.dll")
        message(
            FATAL_ERROR
            "The 32-bit Windows program runs under Debian's 32-bit Wine in emulation: install "
            "qemu-user, and wine32:i386 after dpkg --add-architecture i386, then configure again"
        )
    endif()
endif()

# Wine's helper processes outlive the command that starts them; they write to
# a file, never to the pipes ctest waits on.
if(ACTION STREQUAL "start")
    execute_process(COMMAND "${WINESERVER}" --persistent OUTPUT_FILE "${LOG}" ERROR_FILE "${LOG}.server")
    execute_process(
        COMMAND "${WINE}" wineboot --init
        OUTPUT_FILE "${LOG}" ERROR_FILE "${LOG}.boot" RESULT_VARIABLE failed TIMEOUT 120
    )
    if(failed)
        file(READ "${LOG}.boot" log)
        message(FATAL_ERROR "Wine could not make its prefix:\n${log}")
    endif()
    if(DEFINED WINE32_DLLS)
        # wineboot fills the 32-bit system folder only where the kernel runs
        # 32-bit programs itself; these are the files it puts there.
        file(COPY "${WINE32_DLLS}/" DESTINATION "$ENV{WINEPREFIX}/drive_c/windows/syswow64")
    endif()
else()
    execute_process(COMMAND "${WINESERVER}" --kill OUTPUT_QUIET ERROR_QUIET)
    execute_process(COMMAND "${WINESERVER}" --wait OUTPUT_QUIET ERROR_QUIET TIMEOUT 30)
endif()
