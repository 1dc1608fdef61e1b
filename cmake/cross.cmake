# The part that the toolchain files of the cross builds share, included once
# they have set cross_triplet (the GNU triplet of the target) and
# cross_package (the Debian package of its g++, cross_compiler). A missing
# compiler stops configure before its settings are cached, so that once the
# package is installed, the same command sets the build folder up afresh.
find_program(compiler "${cross_compiler}" NO_CACHE)
if(NOT compiler)
    message(FATAL_ERROR "The cross compiler ${cross_compiler} is missing: install Debian's ${cross_package}, then configure again")
endif()
set(CMAKE_CXX_COMPILER "${compiler}")
set(CMAKE_FIND_ROOT_PATH "/usr/${cross_triplet}")
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
