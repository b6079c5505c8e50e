# Fails when a source includes a header by a relative path that climbs out
# of its folder ("../"), the one way around the layers' include roots.
# Run as: cmake -DSOURCE_DIR=<tree> -P CheckIncludes.cmake
file(GLOB_RECURSE sources "${SOURCE_DIR}/src/*.h" "${SOURCE_DIR}/src/*.cpp"
  "${SOURCE_DIR}/tools/*.h" "${SOURCE_DIR}/tools/*.cpp")
set(found "")
foreach(source ${sources})
  file(STRINGS "${source}" lines REGEX "^[ \t]*#[ \t]*include[ \t]*[\"<][^\">]*\\.\\./")
  foreach(line ${lines})
    string(APPEND found "\n  ${source}: ${line}")
  endforeach()
endforeach()
if(found)
  message(FATAL_ERROR "Includes that climb out of their layer:${found}")
endif()
