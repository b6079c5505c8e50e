# Cross-build for 64-bit Windows, from the same sources as the 32-bit one.
set(LUMORA_MINGW_ARCH x86_64)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-common.cmake)
