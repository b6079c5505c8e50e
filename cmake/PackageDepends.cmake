# Read by cpack (CPACK_PROJECT_CONFIG_FILE): adds to the package's
# dependencies the libraries that LUMORA_LINKED_FILES link, with the
# versions they need, as dpkg-shlibdeps finds them. dpkg-shlibdeps wants a
# source package's control file in its working folder; it reads nothing
# else of it.
if(NOT CPACK_GENERATOR STREQUAL "DEB")
  return()
endif()
set(scratch "${CMAKE_CURRENT_LIST_DIR}/shlibdeps")
file(MAKE_DIRECTORY "${scratch}/debian")
file(WRITE "${scratch}/debian/control" "Source: lumora\n\nPackage: lumora\nArchitecture: any\n")
execute_process(COMMAND dpkg-shlibdeps -O ${LUMORA_LINKED_FILES}
  WORKING_DIRECTORY "${scratch}"
  OUTPUT_VARIABLE found ERROR_VARIABLE problems RESULT_VARIABLE failed)
if(failed)
  message(FATAL_ERROR "dpkg-shlibdeps: ${problems}")
endif()
string(REGEX REPLACE "^shlibs:Depends=([^\n]*).*" "\\1" found "${found}")
set(CPACK_DEBIAN_PACKAGE_DEPENDS "${found}, ${CPACK_DEBIAN_PACKAGE_DEPENDS}")
