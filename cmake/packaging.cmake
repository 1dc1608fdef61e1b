# Packages made by cpack from a build folder: a Debian package and a tarball.
# Name and version come from project().
set(CPACK_GENERATOR "DEB;TGZ")
set(CPACK_PACKAGE_VENDOR "Vending maintainers")
set(CPACK_PACKAGE_CONTACT "Seed 4d6f1311 maintainers <maintainers@users.noreply.c-seed-4d6f1311.example>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "${PROJECT_DESCRIPTION}")
set(CPACK_STRIP_FILES ON)

set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION games)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION "\
vending starts with a wallet of 15.00 dollars and a menu of five drinks,
from Water at 0.50 to Rum at 10.00. Type a number a line to buy what the
wallet covers; the machine says plainly when a choice is refused, when the
wallet is spent and when the session ends. Sessions can be typed at a
terminal or piped in from a script.")

include(CPack)
