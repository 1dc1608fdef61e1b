option(BUILD_TESTING "Build the test suite" ON)
option(VENDING_WARNINGS "Compile with the project's strict warning set" ON)
option(VENDING_SANITIZE "Compile with AddressSanitizer and UndefinedBehaviorSanitizer" OFF)

function(vending_add_warnings target)
    if(NOT VENDING_WARNINGS)
        return()
    endif()
    if(MSVC)
        target_compile_options("${target}" PRIVATE /W4 /permissive-)
    else()
        target_compile_options(
            "${target}" PRIVATE
            -Wall -Wextra -Wpedantic -Wconversion -Wsign-conversion -Wshadow
            -Wold-style-cast -Wcast-qual -Wformat=2 -Wnull-dereference
            -Wimplicit-fallthrough -Wnon-virtual-dtor -Woverloaded-virtual
        )
    endif()
endfunction()

function(vending_add_sanitizers target)
    if(NOT VENDING_SANITIZE)
        return()
    endif()
    set(flags -fsanitize=address,undefined -fno-sanitize-recover=all -fno-omit-frame-pointer)
    target_compile_options("${target}" PRIVATE ${flags})
    target_link_options("${target}" PRIVATE ${flags})
endfunction()
