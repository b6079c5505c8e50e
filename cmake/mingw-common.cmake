# Shared by the MinGW-w64 toolchain files: a cross-build for Windows with the
# POSIX-thread compilers (the win32 thread model has no std::thread or
# std::mutex). The including file sets LUMORA_MINGW_ARCH (i686 or x86_64).
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR ${LUMORA_MINGW_ARCH})
set(CMAKE_C_COMPILER ${LUMORA_MINGW_ARCH}-w64-mingw32-gcc-posix)
set(CMAKE_CXX_COMPILER ${LUMORA_MINGW_ARCH}-w64-mingw32-g++-posix)
set(CMAKE_RC_COMPILER ${LUMORA_MINGW_ARCH}-w64-mingw32-windres)

# Where scripts/build-cross-deps installed PCRE2 and GoogleTest for this
# architecture: the cache variable (set by the preset), else the
# environment, else the default cache. try_compile projects read this file
# again, so they are handed the value too.
if(NOT LUMORA_CROSS_PREFIX)
  if(DEFINED ENV{LUMORA_CROSS_PREFIX})
    set(LUMORA_CROSS_PREFIX "$ENV{LUMORA_CROSS_PREFIX}")
  elseif(DEFINED ENV{LUMORA_CACHE})
    set(LUMORA_CROSS_PREFIX "$ENV{LUMORA_CACHE}/mingw-${LUMORA_MINGW_ARCH}")
  else()
    set(LUMORA_CROSS_PREFIX "$ENV{HOME}/.cache/lumora/mingw-${LUMORA_MINGW_ARCH}")
  endif()
endif()
list(APPEND CMAKE_TRY_COMPILE_PLATFORM_VARIABLES LUMORA_CROSS_PREFIX)

set(CMAKE_FIND_ROOT_PATH /usr/${LUMORA_MINGW_ARCH}-w64-mingw32 "${LUMORA_CROSS_PREFIX}")
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# Test programs run under Wine (the loader and prefix that suit the
# program's architecture), with a display when they need one (see
# scripts/wine-run).
get_filename_component(LUMORA_SCRIPTS_DIR "${CMAKE_CURRENT_LIST_DIR}/../scripts" ABSOLUTE)
set(CMAKE_CROSSCOMPILING_EMULATOR "${LUMORA_SCRIPTS_DIR}/wine-run")
