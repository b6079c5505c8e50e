# Fails when the style gallery's committed pictures are not what the gallery
# tool draws today: a picture that differs, one the tool no longer writes,
# or one it writes that is not committed. The tool's PNG output is the same
# byte for byte from run to run, so the files are compared as they stand.
# Run as: cmake -DGALLERY=<tool> -DPICTURES=<docs/styles> -DSCRATCH=<folder> -P CheckStyleGallery.cmake
cmake_minimum_required(VERSION 3.25)
file(REMOVE_RECURSE "${SCRATCH}")
file(MAKE_DIRECTORY "${SCRATCH}")
execute_process(COMMAND "${GALLERY}" "${SCRATCH}" RESULT_VARIABLE result OUTPUT_QUIET ERROR_VARIABLE errors)
if(NOT result EQUAL 0)
  message(FATAL_ERROR "lumora-style-gallery failed (${result}): ${errors}")
endif()

file(GLOB drawn RELATIVE "${SCRATCH}" "${SCRATCH}/*.png")
file(GLOB committed RELATIVE "${PICTURES}" "${PICTURES}/*.png")
if(NOT drawn)
  message(FATAL_ERROR "lumora-style-gallery wrote no pictures")
endif()
set(stale "")
foreach(name ${drawn})
  if(NOT name IN_LIST committed)
    string(APPEND stale "\n  ${name}: not committed")
  else()
    execute_process(COMMAND ${CMAKE_COMMAND} -E compare_files "${SCRATCH}/${name}" "${PICTURES}/${name}"
      RESULT_VARIABLE different)
    if(different)
      string(APPEND stale "\n  ${name}: differs from what the tool draws")
    endif()
  endif()
endforeach()
foreach(name ${committed})
  if(NOT name IN_LIST drawn)
    string(APPEND stale "\n  ${name}: the tool no longer draws it")
  endif()
endforeach()
if(stale)
  message(FATAL_ERROR "The style gallery (docs/styles) is stale:${stale}\n"
    "Draw it again: build/linux/tools/lumora-style-gallery docs/styles (and remove the pictures it no longer draws)")
endif()
file(REMOVE_RECURSE "${SCRATCH}")
