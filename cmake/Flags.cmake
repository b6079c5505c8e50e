# Compile and link settings, as interface targets that each target links
# for itself: nothing here applies to the whole tree.

# Warnings and, on Windows, the API's character set and version. Every
# target of ours links it privately.
add_library(lumora_flags INTERFACE)
target_compile_options(lumora_flags INTERFACE -Wall -Wextra -Wpedantic -Wshadow -Wno-missing-field-initializers)
if(WIN32 AND CMAKE_CXX_COMPILER_ID STREQUAL "GNU")
  # GCC 12 at -O3 reports -Wrestrict overlaps inside libstdc++'s own string
  # concatenation (GCC bug 105329), a false alarm that would bury real
  # warnings.
  target_compile_options(lumora_flags INTERFACE -Wno-restrict)
  # Every packed program carries the runtime whole, so the Windows build is
  # made for size: -Os (the few loops where speed shows are listed in
  # src/CMakeLists.txt at -O2), and each function and datum in a section of
  # its own, so that the link (--gc-sections below) drops what nothing
  # reaches.
  target_compile_options(lumora_flags INTERFACE
    $<$<CONFIG:Release>:-Os> -ffunction-sections -fdata-sections)
endif()
if(WIN32)
  target_compile_definitions(lumora_flags INTERFACE
    UNICODE _UNICODE WIN32_LEAN_AND_MEAN NOMINMAX _WIN32_WINNT=0x0601)
endif()

# Every program we build, the runtime, the packer, the tests and helpers.
add_library(lumora_program INTERFACE)
if(WIN32)
  # Self-contained executables: no MinGW runtime DLLs beside them. And since
  # an archive appended to a program starts right after the last section's
  # raw data, nothing may follow that: no COFF symbol table (-s) and no string
  # table for section names longer than eight characters (.eh_frame).
  target_link_options(lumora_program INTERFACE
    -static -static-libgcc -static-libstdc++ -s -Wl,--disable-long-section-names)
  if(CMAKE_CXX_COMPILER_ID STREQUAL "GNU")
    target_link_options(lumora_program INTERFACE -Wl,--gc-sections)
  endif()
endif()

# An executable of ours: flags, program link options.
function(lumora_executable name)
  add_executable(${name} ${ARGN})
  target_link_libraries(${name} PRIVATE lumora_flags lumora_program)
endfunction()
