# The Debian packages of what `cmake --install` installs: run `cpack -G DEB`
# in the build folder. Three, as Debian splits a library and its command:
#   tessadox         the command and its manual page
#   libtessadox3     the shared library, named after its soname
#   libtessadox-dev  the header, the .so link, the static library, the
#                    pkg-config file, the CMake package and man 3 tessadox
# Each carries the copyright and the changelog that Debian asks of every
# package.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME tessadox)
set(CPACK_PACKAGE_VENDOR "The Tessadox developers")
set(CPACK_PACKAGE_CONTACT "The Tessadox developers <developers@tessadox.example>")
set(CPACK_PACKAGE_HOMEPAGE_URL https://tessadox.example)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEB_COMPONENT_INSTALL ON)
set(CPACK_COMPONENTS_GROUPING ONE_PER_GROUP)

# Lines of at most 80 characters, as dpkg shows them.
set(what_it_draws
  "Tessadox reads a checksum, as md5sum or sha256sum print it, and draws the\n"
  "attractor of the affine maps that the checksum's digits define, as a PNG\n"
  "image. The same checksum always gives the same shape, so you can recognise\n"
  "a file, a key or a build at a glance.")

set(CPACK_DEBIAN_TESSADOX_PACKAGE_NAME tessadox)
set(CPACK_DEBIAN_TESSADOX_PACKAGE_SECTION graphics)
set(CPACK_COMPONENT_TESSADOX_DESCRIPTION "draw a checksum as a fractal picture in PNG")
string(CONCAT CPACK_DEBIAN_TESSADOX_DESCRIPTION
  "draw a checksum as a fractal picture in PNG\n" ${what_it_draws} "\n"
  ".\n"
  "This package holds the tessadox filter, which reads the checksum on its\n"
  "standard input and writes the picture to its standard output.")
# dpkg-shlibdeps writes Depends from the system's libraries that the binary
# links; its own library, which dpkg-shlibdeps finds in the build folder, is
# named here, at this very version.
set(CPACK_DEBIAN_TESSADOX_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS_PRIVATE_DIRS ${PROJECT_BINARY_DIR})
set(CPACK_DEBIAN_TESSADOX_PACKAGE_DEPENDS "libtessadox3 (= ${PROJECT_VERSION})")

set(CPACK_DEBIAN_LIBTESSADOX3_PACKAGE_NAME libtessadox3)
set(CPACK_DEBIAN_LIBTESSADOX3_PACKAGE_SECTION libs)
string(CONCAT CPACK_DEBIAN_LIBTESSADOX3_DESCRIPTION
  "library to draw a checksum as a fractal picture\n" ${what_it_draws} "\n"
  ".\n"
  "This package holds the shared library, which draws the pictures and\n"
  "encodes them as PNG for programs.")
set(CPACK_DEBIAN_LIBTESSADOX3_PACKAGE_SHLIBDEPS ON)
# The shlibs file tells the packages built against the library which
# package and version they need; the trigger runs ldconfig once the library
# is unpacked, as Debian asks of a shared library in the linker's path.
set(CPACK_DEBIAN_PACKAGE_GENERATE_SHLIBS ON)
set(CPACK_DEBIAN_PACKAGE_GENERATE_SHLIBS_POLICY ">=")
set(CPACK_DEBIAN_LIBTESSADOX3_PACKAGE_CONTROL_EXTRA ${PROJECT_SOURCE_DIR}/debian/libtessadox3/triggers)
set(CPACK_POST_BUILD_SCRIPTS ${PROJECT_SOURCE_DIR}/cmake/drop_ldconfig_calls.cmake)

set(CPACK_DEBIAN_LIBTESSADOX-DEV_PACKAGE_NAME libtessadox-dev)
set(CPACK_DEBIAN_LIBTESSADOX-DEV_PACKAGE_SECTION libdevel)
string(CONCAT CPACK_DEBIAN_LIBTESSADOX-DEV_DESCRIPTION
  "library to draw a checksum as a fractal picture - development files\n" ${what_it_draws} "\n"
  ".\n"
  "This package holds what programs are built with: the C header, the\n"
  "static library, the pkg-config file, the CMake package and the manual.")
set(CPACK_DEBIAN_LIBTESSADOX-DEV_PACKAGE_DEPENDS "libtessadox3 (= ${PROJECT_VERSION}), libpng-dev")
set(CPACK_DEBIAN_LIBTESSADOX-DEV_PACKAGE_ARCHITECTURE_DEPENDS ON)

# The copyright (machine-readable, as Debian's tools read it) and the
# changelog, compressed as Debian compresses it; -n keeps the bytes free of
# the file's name and time. The version has no Debian revision, so these are
# native packages and the changelog is changelog.gz, not changelog.Debian.gz.
# They are components of their own, left out of `cmake --install`: only the
# packages carry them.
set(debian_changelog ${CMAKE_CURRENT_BINARY_DIR}/changelog.gz)
add_custom_command(OUTPUT ${debian_changelog}
  COMMAND gzip -9n -c ${CMAKE_CURRENT_SOURCE_DIR}/debian/changelog > ${debian_changelog}
  DEPENDS debian/changelog)
add_custom_target(debian_changelog ALL DEPENDS ${debian_changelog})

foreach(package IN ITEMS tessadox libtessadox3 libtessadox-dev)
  install(FILES debian/copyright ${debian_changelog}
    DESTINATION ${CMAKE_INSTALL_DATAROOTDIR}/doc/${package}
    COMPONENT ${package}_documents EXCLUDE_FROM_ALL)
endforeach()

set(CPACK_COMPONENTS_ALL command tessadox_documents library libtessadox3_documents
  development libtessadox-dev_documents)
include(CPack)
cpack_add_component(command GROUP tessadox)
cpack_add_component(tessadox_documents GROUP tessadox)
cpack_add_component(library GROUP libtessadox3)
cpack_add_component(libtessadox3_documents GROUP libtessadox3)
cpack_add_component(development GROUP libtessadox-dev)
cpack_add_component(libtessadox-dev_documents GROUP libtessadox-dev)
cpack_add_component_group(tessadox)
cpack_add_component_group(libtessadox3)
cpack_add_component_group(libtessadox-dev)
