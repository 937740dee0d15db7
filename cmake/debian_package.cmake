# The Debian package of what `cmake --install` installs: run `cpack -G DEB`
# in the build folder.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME tessadox)
set(CPACK_PACKAGE_VENDOR "The Tessadox developers")
set(CPACK_PACKAGE_CONTACT "The Tessadox developers <developers@tessadox.example>")
set(CPACK_PACKAGE_HOMEPAGE_URL https://tessadox.example)
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "draw a checksum as a fractal picture in PNG")
# Lines of at most 80 characters, as dpkg shows them.
string(CONCAT CPACK_PACKAGE_DESCRIPTION
  "Tessadox reads a checksum, as md5sum or sha256sum print it, on standard\n"
  "input and writes a picture of it to standard output: the attractor of the\n"
  "affine maps that the checksum's digits define, as a PNG image. The same\n"
  "checksum always gives the same shape, so you can recognise a file, a key\n"
  "or a build at a glance.")
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION graphics)
# dpkg-shlibdeps writes Depends from the libraries that the binary links
# (libpng and the C library), each with the least version its symbols need.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_STRIP_FILES ON)
include(CPack)
