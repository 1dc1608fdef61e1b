# Build output mixed into the sources is hard to clean up and easy to commit by
# mistake, so only separate build folders are accepted.
if(CMAKE_SOURCE_DIR STREQUAL CMAKE_BINARY_DIR)
    message(FATAL_ERROR "In-source builds are not supported. Build in a folder of its own, e.g.\n"
        "  cmake --preset default\nand remove the CMakeCache.txt and CMakeFiles/ just written here.")
endif()
