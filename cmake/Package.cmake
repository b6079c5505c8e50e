# The installed layout and the Debian package (scripts/package builds it):
#
#   bin/lumora-pack                                    the packer
#   lib/lumora/runtimes/linux-x86_64/lumora            the runtimes, stripped;
#   lib/lumora/runtimes/windows-x86/lumora.exe         the packer finds them
#   lib/lumora/runtimes/windows-x86_64/lumora.exe      relative to itself
#   share/doc/lumora/                                  the site authors' docs
#   share/doc/lumora/types/                            and the page typings
#
# A build installs its own system's runtime. The Linux build installs the
# Windows runtimes too when LUMORA_WINDOWS_RUNTIME and
# LUMORA_WINDOWS_X64_RUNTIME name the lumora.exe of the Windows builds (the
# cross-builds of the win32 and win64 presets).

# Installing copies what is built; it does not build the tests first.
set(CMAKE_SKIP_INSTALL_ALL_DEPENDENCY ON)

set(LUMORA_RUNTIMES_DIR lib/lumora/runtimes)
set(LUMORA_DOC_DIR share/doc/lumora)

install(TARGETS lumora-pack RUNTIME DESTINATION bin)
if(WIN32)
  # The Windows programs are linked stripped (cmake/Flags.cmake). The folder
  # names the runtime's width, as the packer's --target does.
  if(CMAKE_SIZEOF_VOID_P EQUAL 8)
    install(TARGETS lumora RUNTIME DESTINATION ${LUMORA_RUNTIMES_DIR}/windows-x86_64)
  else()
    install(TARGETS lumora RUNTIME DESTINATION ${LUMORA_RUNTIMES_DIR}/windows-x86)
  endif()
else()
  install(TARGETS lumora RUNTIME DESTINATION ${LUMORA_RUNTIMES_DIR}/linux-x86_64)
  set(LUMORA_WINDOWS_RUNTIME "" CACHE FILEPATH
    "lumora.exe of a 32-bit Windows build, installed beside the Linux runtime (empty: none)")
  set(LUMORA_WINDOWS_X64_RUNTIME "" CACHE FILEPATH
    "lumora.exe of a 64-bit Windows build, installed beside the Linux runtime (empty: none)")
  if(LUMORA_WINDOWS_RUNTIME)
    install(PROGRAMS "${LUMORA_WINDOWS_RUNTIME}" DESTINATION ${LUMORA_RUNTIMES_DIR}/windows-x86)
  endif()
  if(LUMORA_WINDOWS_X64_RUNTIME)
    install(PROGRAMS "${LUMORA_WINDOWS_X64_RUNTIME}"
      DESTINATION ${LUMORA_RUNTIMES_DIR}/windows-x86_64)
  endif()
  # The build folder's programs keep their debug information for us; the
  # installed ones do not carry it into every program packed.
  install(CODE "
    foreach(program bin/lumora-pack ${LUMORA_RUNTIMES_DIR}/linux-x86_64/lumora)
      execute_process(COMMAND \"${CMAKE_STRIP}\" --strip-unneeded --remove-section=.comment
                        \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/\${program}\"
                      RESULT_VARIABLE failed)
      if(failed)
        message(FATAL_ERROR \"Cannot strip \${program}\")
      endif()
    endforeach()")
endif()

install(FILES
    README.md
    docs/configuration.md
    docs/javascript-api.md
    docs/packer.md
    docs/site-authors.md
    docs/styles.md
    docs/templates.md
    docs/windows.md
  DESTINATION ${LUMORA_DOC_DIR})
install(DIRECTORY types/ DESTINATION ${LUMORA_DOC_DIR}/types)

if(WIN32)
  return()
endif()

# The packer's manual page, and the Debian package's own files: its change
# log and copyright notice. Installed compressed, as Debian wants them.
function(lumora_install_gzipped template destination)
  get_filename_component(name "${template}" NAME_WLE)
  configure_file(${template} packaging/${name} @ONLY)
  install(CODE "
    file(MAKE_DIRECTORY \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/${destination}\")
    execute_process(COMMAND gzip -9 -n -c \"${CMAKE_BINARY_DIR}/packaging/${name}\"
                    OUTPUT_FILE \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/${destination}/${name}.gz\"
                    RESULT_VARIABLE failed)
    if(failed)
      message(FATAL_ERROR \"Cannot compress ${name}\")
    endif()")
endfunction()
lumora_install_gzipped(packaging/lumora-pack.1.in share/man/man1)
lumora_install_gzipped(packaging/changelog.in ${LUMORA_DOC_DIR})
install(FILES packaging/copyright DESTINATION ${LUMORA_DOC_DIR})

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME lumora)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_CONTACT "Lumora Maintainers <maintainers@lumora.invalid>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "turns a web site into one desktop program")
set(CPACK_PACKAGE_DESCRIPTION
  "Lumora packs a folder holding a web site into one program: a runtime with
the site's encrypted archive appended. The packer, lumora-pack, builds such
programs for Linux (GTK 3 and WebKitGTK) and for 32-bit and 64-bit Windows
from this machine, with the program's icon and version strings.")
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION devel)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
set(CPACK_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS
  OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)
# The libraries the programs link (WebKitGTK, GTK, GStreamer, SQLite, PCRE2,
# zlib, ...) with the versions they need, found by dpkg-shlibdeps; and the
# GStreamer plug-ins the runtime plays sounds with, which nothing links.
# The Linux runtime links only the C library and carries the library that
# links the rest, which is no file of the package: dpkg-shlibdeps reads the
# build folder's programs and that library when cpack runs
# (cmake/PackageDepends.cmake).
set(CPACK_DEBIAN_PACKAGE_DEPENDS "gstreamer1.0-plugins-base, gstreamer1.0-plugins-good")
set(LUMORA_LINKED_FILES "$<TARGET_FILE:lumora-pack>;$<TARGET_FILE:lumora>;$<TARGET_FILE:lumora_runtime>")
file(GENERATE OUTPUT ${CMAKE_BINARY_DIR}/packaging/PackageDepends.cmake CONTENT
  "set(LUMORA_LINKED_FILES \"${LUMORA_LINKED_FILES}\")\ninclude(\"${PROJECT_SOURCE_DIR}/cmake/PackageDepends.cmake\")\n")
set(CPACK_PROJECT_CONFIG_FILE ${CMAKE_BINARY_DIR}/packaging/PackageDepends.cmake)
include(CPack)
