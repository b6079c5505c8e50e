# The layers and what each may include.
#
#   core      src/core      portable: the site, the archive, the protocol,
#                           the bridge, and the OS interfaces (os/*.h)
#   os        src/os/<os>   the OS interfaces' implementations
#   platform  src/platform  the runtime's windows: interfaces and backends
#   app       src/app       the runtime's start-up and forms
#   pack      tools/pack    the packer
#
# Includes are written from the layer's name ("base/Stream.h"). A layer's
# targets do not get the source tree as include root but a folder of their
# own in the build tree holding links to the layers below it only, so an
# include that points upwards (the core reaching a window header, a backend
# reaching the runtime) names a file the compiler cannot find, and the
# build fails. tests/layers checks that this holds.
set(LUMORA_LAYER_ROOT "${CMAKE_BINARY_DIR}/layers")

# lumora_layer_view(<name> <layer>...): an include root that shows the
# named layers only; its path is stored in LUMORA_VIEW_<name>.
function(lumora_layer_view name)
  set(root "${LUMORA_LAYER_ROOT}/${name}")
  file(MAKE_DIRECTORY "${root}")
  foreach(layer ${ARGN})
    if(layer STREQUAL "pack")
      set(target "${PROJECT_SOURCE_DIR}/tools/pack")
    else()
      set(target "${PROJECT_SOURCE_DIR}/src/${layer}")
    endif()
    file(CREATE_LINK "${target}" "${root}/${layer}" SYMBOLIC)
  endforeach()
  set(LUMORA_VIEW_${name} "${root}" PARENT_SCOPE)
endfunction()

lumora_layer_view(core base core os)
lumora_layer_view(os os)
lumora_layer_view(platform platform)
lumora_layer_view(app app)
lumora_layer_view(pack pack)
