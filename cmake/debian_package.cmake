# The Debian package of what `cmake --install` installs, plus the copyright
# and the changelog that Debian asks of every package: run `cpack -G DEB` in
# the build folder.
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

# The copyright (machine-readable, as Debian's tools read it) and the
# changelog, compressed as Debian compresses it; -n keeps the bytes free of
# the file's name and time. The version has no Debian revision, so this is a
# native package and its changelog is changelog.gz, not changelog.Debian.gz.
# They are a component of their own, left out of `cmake --install`: only the
# package carries them, next to the default component.
set(debian_changelog ${CMAKE_CURRENT_BINARY_DIR}/changelog.gz)
add_custom_command(OUTPUT ${debian_changelog}
  COMMAND gzip -9n -c ${CMAKE_CURRENT_SOURCE_DIR}/debian/changelog > ${debian_changelog}
  DEPENDS debian/changelog)
add_custom_target(debian_changelog ALL DEPENDS ${debian_changelog})
install(FILES debian/copyright ${debian_changelog}
  DESTINATION ${CMAKE_INSTALL_DOCDIR} COMPONENT debian_documents EXCLUDE_FROM_ALL)
set(CPACK_DEB_COMPONENT_INSTALL ON)
set(CPACK_COMPONENTS_ALL ${CMAKE_INSTALL_DEFAULT_COMPONENT_NAME} debian_documents)
set(CPACK_COMPONENTS_GROUPING ALL_COMPONENTS_IN_ONE)
include(CPack)
