# The Debian package tessadox-server: the server, its manual page, its
# systemd unit and the nginx example, with the copyright and changelog.
# Included by debian_package.cmake before CPack; nothing where the server
# is not built.
if(NOT TARGET tessadox-server)
  return()
endif()
set(CPACK_DEBIAN_TESSADOX-SERVER_PACKAGE_NAME tessadox-server)
set(CPACK_DEBIAN_TESSADOX-SERVER_PACKAGE_SECTION httpd)
string(CONCAT CPACK_DEBIAN_TESSADOX-SERVER_DESCRIPTION
  "serve checksums drawn as fractal pictures over HTTP\n" ${what_it_draws} "\n"
  ".\n"
  "This package holds tessadox-server, which answers GET /v1/<hex>.png with\n"
  "the PNG of the checksum, the same bytes at every URL forever, and its\n"
  "systemd unit, which runs it on the loopback as a dynamic user.")
set(CPACK_DEBIAN_TESSADOX-SERVER_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_TESSADOX-SERVER_PACKAGE_DEPENDS
  "libtessadox${PROJECT_VERSION_MAJOR} (= ${PROJECT_VERSION})")

install(FILES debian/copyright ${debian_changelog}
  DESTINATION ${CMAKE_INSTALL_DATAROOTDIR}/doc/tessadox-server
  COMPONENT tessadox-server_documents EXCLUDE_FROM_ALL)
list(APPEND CPACK_COMPONENTS_ALL server tessadox-server_documents)
include(CPackComponent)
cpack_add_component(server GROUP tessadox-server)
cpack_add_component(tessadox-server_documents GROUP tessadox-server)
cpack_add_component_group(tessadox-server)
