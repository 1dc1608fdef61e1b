# Read by cpack for each kind of package it makes.

# Time stamps from the commit, where the caller did not choose another.
if("$ENV{SOURCE_DATE_EPOCH}" STREQUAL "")
    set(ENV{SOURCE_DATE_EPOCH} "${CPACK_VENDING_SOURCE_DATE_EPOCH}")
endif()

# The Debian package holds only its own component; the tarball holds what a
# plain install does.
if(CPACK_GENERATOR STREQUAL "DEB")
    set(CPACK_COMPONENTS_ALL debian)
endif()
