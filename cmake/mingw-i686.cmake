# Cross-build for 32-bit Windows (the program the packer ships by default).
set(LUMORA_MINGW_ARCH i686)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-common.cmake)
