# The libraries the core and the backends link, gathered in one interface
# target: system packages natively, the cross-built ones for Windows.
add_library(lumora_deps INTERFACE)

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
  target_include_directories(lumora_deps INTERFACE "${LUMORA_ZLIB_INCLUDE_DIR}" "${PCRE2_INCLUDE_DIR}")
  target_compile_definitions(lumora_deps INTERFACE PCRE2_STATIC PCRE2_CODE_UNIT_WIDTH=8)
  target_link_libraries(lumora_deps INTERFACE "${LUMORA_ZLIB_STATIC}" "${PCRE2_LIBRARY}"
    ole32 oleaut32 uuid urlmon shell32 shlwapi winmm comdlg32 comctl32 gdi32 user32 advapi32)
else()
  find_package(PkgConfig REQUIRED)
  pkg_check_modules(LUMORA_SYS REQUIRED IMPORTED_TARGET
    zlib libpcre2-8 sqlite3 gtk+-3.0 webkit2gtk-4.1 gstreamer-1.0 gstreamer-app-1.0
    x11 xtst)
  target_compile_definitions(lumora_deps INTERFACE PCRE2_CODE_UNIT_WIDTH=8)
  target_link_libraries(lumora_deps INTERFACE PkgConfig::LUMORA_SYS)
endif()
