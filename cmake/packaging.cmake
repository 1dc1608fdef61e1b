# What every package that cpack makes from a build folder shares; what the
# kind of build packages, and how, its cmake/kind-<kind>.cmake sets next. Name
# and version come from project(). Every time stamp in a package is the
# release date's.

set(CPACK_PACKAGE_VENDOR "Vending maintainers")
set(CPACK_PACKAGE_CONTACT "Seed 4d6f1311 maintainers <maintainers@users.noreply.c-seed-4d6f1311.example>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "${PROJECT_DESCRIPTION}")
# Release programs are stripped as they are linked; this strips those of the
# other builds, whose packages the tests check.
set(CPACK_STRIP_FILES ON)
set(CPACK_VENDING_SOURCE_DATE_EPOCH "${VENDING_SOURCE_DATE_EPOCH}")
set(CPACK_PROJECT_CONFIG_FILE "${CMAKE_CURRENT_LIST_DIR}/package_config.cmake")
