# Run by cpack after it made the packages (CPACK_POST_BUILD_SCRIPTS). CMake
# 3.25's DEB generator gives a package that ships a library under /usr/lib a
# postinst and a postrm that call ldconfig; Debian runs ldconfig by the
# trigger that the package declares instead, and lintian warns about the
# calls. So the library's package is built again without those two scripts,
# everything else as cpack made it.
foreach(package IN LISTS CPACK_PACKAGE_FILES)
  get_filename_component(name ${package} NAME)
  if(NOT name MATCHES "^libtessadox[0-9]+_")
    continue()
  endif()
  set(unpacked ${CPACK_TOPLEVEL_DIRECTORY}/unpacked_${name})
  file(REMOVE_RECURSE ${unpacked})
  execute_process(COMMAND dpkg-deb --raw-extract ${package} ${unpacked} COMMAND_ERROR_IS_FATAL ANY)
  file(REMOVE ${unpacked}/DEBIAN/postinst ${unpacked}/DEBIAN/postrm)
  execute_process(COMMAND dpkg-deb --root-owner-group -Zxz --build ${unpacked} ${package}
    OUTPUT_QUIET COMMAND_ERROR_IS_FATAL ANY)
  file(REMOVE_RECURSE ${unpacked})
endforeach()
