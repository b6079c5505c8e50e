# The layers, bottom up, and what each may include and link: only itself
# and the layers below it.
#
#   base      src/base      strings, streams, errors, code page tables
#   os        src/os        the OS facilities: their interfaces (os/*.h),
#                           portable parts and each system's implementation
#                           (os/<system>); lumora_os for console programs,
#                           lumora_os_desktop for the ones with windows
#   core      src/core      portable: the site, the archive, the protocol,
#                           the bridge, the host services, the styles
#   platform  src/platform  the runtime's windows: interfaces and backends,
#                           with the browser engine's adapters
#                           (platform/<system>/browser) and the styled
#                           frames (platform/<system>/style)
#   app       src/app       the runtime's start-up and forms
#   pack      tools/pack    the packer (over core)
#
# Where a lower layer needs something of a higher one, the higher one hands
# it down at start-up: the URL layer's namespace (SetUpProtocolRegistry),
# the host services' desktop (THostDesktop).
#
# Includes are written from the layer's name ("base/Stream.h"). A layer's
# targets do not get the source tree as include root but a folder of their
# own in the build tree holding links to the layers below it only, so an
# include that points upwards (the core reaching a window header, a backend
# reaching the runtime) names a file the compiler cannot find, and the
# build fails. The links are checked as well: each library, linked whole
# with only the ones below it, leaves no symbol unresolved. tests/layers
# checks both.
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

lumora_layer_view(base base)
lumora_layer_view(core core)
lumora_layer_view(os os)
lumora_layer_view(platform platform)
lumora_layer_view(app app)
lumora_layer_view(pack pack)
