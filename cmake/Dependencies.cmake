# The libraries each layer links, one interface target per layer: system
# packages natively, the cross-built ones for Windows. A layer links its
# own privately, so its users see none of their headers.
#
#   lumora_core_deps     zlib, PCRE2
#   lumora_os_deps       what files, the registry store and the locale need
#   lumora_desktop_deps  the OS layer's desktop half: the shell, sound,
#                        keyboard input, text measuring and icons
#   lumora_ui_deps       the windows, the browser and its URL layer
foreach(layer core os desktop ui)
  add_library(lumora_${layer}_deps INTERFACE)
endforeach()

if(WIN32)
  # zlib from the MinGW package; PCRE2 and GoogleTest cross-built by
  # scripts/setup into LUMORA_CROSS_PREFIX.
  list(APPEND CMAKE_PREFIX_PATH "${LUMORA_CROSS_PREFIX}")
  # libz.a by name, never the import library of zlib1.dll, which FindZLIB
  # prefers (and keeps in the cache): the program ships alone.
  find_library(LUMORA_ZLIB_STATIC NAMES libz.a REQUIRED)
  find_path(LUMORA_ZLIB_INCLUDE_DIR zlib.h REQUIRED)
  find_library(PCRE2_LIBRARY NAMES pcre2-8 PATHS "${LUMORA_CROSS_PREFIX}/lib" REQUIRED)
  find_path(PCRE2_INCLUDE_DIR pcre2.h PATHS "${LUMORA_CROSS_PREFIX}/include" REQUIRED)
  target_include_directories(lumora_core_deps INTERFACE "${LUMORA_ZLIB_INCLUDE_DIR}" "${PCRE2_INCLUDE_DIR}")
  target_compile_definitions(lumora_core_deps INTERFACE PCRE2_STATIC PCRE2_CODE_UNIT_WIDTH=8)
  target_link_libraries(lumora_core_deps INTERFACE "${LUMORA_ZLIB_STATIC}" "${PCRE2_LIBRARY}")
  # user32 for the hidden window that carries calls to the user-interface
  # thread.
  target_link_libraries(lumora_os_deps INTERFACE shell32 advapi32 kernel32 user32)
  target_link_libraries(lumora_desktop_deps INTERFACE ole32 uuid shell32 winmm gdi32 user32)
  target_link_libraries(lumora_ui_deps INTERFACE
    ole32 oleaut32 uuid urlmon comdlg32 comctl32 shell32 shlwapi gdi32 user32 advapi32 dwmapi)
else()
  find_package(PkgConfig REQUIRED)
  pkg_check_modules(LUMORA_CORE_SYS REQUIRED IMPORTED_TARGET zlib libpcre2-8)
  target_compile_definitions(lumora_core_deps INTERFACE PCRE2_CODE_UNIT_WIDTH=8)
  target_link_libraries(lumora_core_deps INTERFACE PkgConfig::LUMORA_CORE_SYS)
  if(LUMORA_HOST_TOOLS_ONLY)
    return()
  endif()
  pkg_check_modules(LUMORA_OS_SYS REQUIRED IMPORTED_TARGET glib-2.0 sqlite3)
  pkg_check_modules(LUMORA_DESKTOP_SYS REQUIRED IMPORTED_TARGET
    gio-2.0 gtk+-3.0 gstreamer-1.0 x11 xtst)
  pkg_check_modules(LUMORA_UI_SYS REQUIRED IMPORTED_TARGET
    gio-2.0 gtk+-3.0 webkit2gtk-4.1 gstreamer-1.0 gstreamer-app-1.0)
  # What window.external's web process extension builds against.
  pkg_check_modules(LUMORA_WEBEXT_SYS REQUIRED IMPORTED_TARGET webkit2gtk-web-extension-4.1)
  target_link_libraries(lumora_os_deps INTERFACE PkgConfig::LUMORA_OS_SYS)
  target_link_libraries(lumora_desktop_deps INTERFACE PkgConfig::LUMORA_DESKTOP_SYS)
  target_link_libraries(lumora_ui_deps INTERFACE PkgConfig::LUMORA_UI_SYS)
endif()
