# What `cmake --install` puts where, in three components that the Debian
# packages take apart: the command (`command`), the shared library
# (`library`) and what programs are built with (`development`).
include(CMakePackageConfigHelpers)

install(TARGETS tessadox RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR} COMPONENT command)
install(FILES ${manual_page} DESTINATION ${CMAKE_INSTALL_MANDIR}/man1 COMPONENT command)

install(TARGETS tessadox_shared EXPORT tessadox_targets
  LIBRARY DESTINATION ${CMAKE_INSTALL_LIBDIR} COMPONENT library NAMELINK_COMPONENT development)
install(TARGETS tessadox_static EXPORT tessadox_targets
  ARCHIVE DESTINATION ${CMAKE_INSTALL_LIBDIR} COMPONENT development)
install(FILES include/tessadox/tessadox.h ${generated_include}/tessadox/version.h
  DESTINATION ${CMAKE_INSTALL_INCLUDEDIR}/tessadox COMPONENT development)
install(FILES ${library_manual_page} DESTINATION ${CMAKE_INSTALL_MANDIR}/man3
  COMPONENT development)

file(RELATIVE_PATH pc_to_prefix /prefix/${CMAKE_INSTALL_LIBDIR}/pkgconfig /prefix)
string(REGEX REPLACE "/$" "" pc_to_prefix "${pc_to_prefix}")
configure_file(cmake/tessadox.pc.in tessadox.pc @ONLY)
install(FILES ${CMAKE_CURRENT_BINARY_DIR}/tessadox.pc
  DESTINATION ${CMAKE_INSTALL_LIBDIR}/pkgconfig COMPONENT development)

set(cmake_package_folder ${CMAKE_INSTALL_LIBDIR}/cmake/tessadox)
install(EXPORT tessadox_targets NAMESPACE tessadox:: FILE tessadoxTargets.cmake
  DESTINATION ${cmake_package_folder} COMPONENT development)
configure_file(cmake/tessadoxConfig.cmake.in tessadoxConfig.cmake @ONLY)
write_basic_package_version_file(tessadoxConfigVersion.cmake COMPATIBILITY SameMajorVersion)
install(FILES ${CMAKE_CURRENT_BINARY_DIR}/tessadoxConfig.cmake
  ${CMAKE_CURRENT_BINARY_DIR}/tessadoxConfigVersion.cmake
  DESTINATION ${cmake_package_folder} COMPONENT development)
