# The embedded visual styles: readable sources in styles/, turned into
# binary style files at build time by lumora-stylec (never committed), and
# built into the programs: as VCLSTYLE resources on Windows, as a generated
# table (the library lumora_styles) elsewhere.
set(LUMORA_STYLE_SOURCES
  ${PROJECT_SOURCE_DIR}/styles/AMAKRITS.style
  ${PROJECT_SOURCE_DIR}/styles/AMETHYSTKAMRI.style
  ${PROJECT_SOURCE_DIR}/styles/AQUAGRAPHITE.style
  ${PROJECT_SOURCE_DIR}/styles/AQUALIGHTSLATE.style
  ${PROJECT_SOURCE_DIR}/styles/AURIC.style
  ${PROJECT_SOURCE_DIR}/styles/BLUEGRAPHITE.style
  ${PROJECT_SOURCE_DIR}/styles/CARBON.style
  ${PROJECT_SOURCE_DIR}/styles/CHARCOALDARKSLATE.style
  ${PROJECT_SOURCE_DIR}/styles/COBALTXEMEDIA.style
  ${PROJECT_SOURCE_DIR}/styles/CYANDUSK.style
  ${PROJECT_SOURCE_DIR}/styles/CYANNIGHT.style
  ${PROJECT_SOURCE_DIR}/styles/EMERALDLIGHTSLATE.style
  ${PROJECT_SOURCE_DIR}/styles/GOLDENGRAPHITE.style
  ${PROJECT_SOURCE_DIR}/styles/GREENGRAPHITE.style
  ${PROJECT_SOURCE_DIR}/styles/ICEBERGCLASSICO.style
  ${PROJECT_SOURCE_DIR}/styles/KHAKI.style
  ${PROJECT_SOURCE_DIR}/styles/LAVENDERCLASSICO.style
  ${PROJECT_SOURCE_DIR}/styles/LIGHTGREEN.style
  ${PROJECT_SOURCE_DIR}/styles/LILAC.style
  ${PROJECT_SOURCE_DIR}/styles/METROBLACK.style
  ${PROJECT_SOURCE_DIR}/styles/METROBLUE.style
  ${PROJECT_SOURCE_DIR}/styles/METROGREEN.style
  ${PROJECT_SOURCE_DIR}/styles/ORANGE.style
  ${PROJECT_SOURCE_DIR}/styles/ORANGEGRAPHITE.style
  ${PROJECT_SOURCE_DIR}/styles/PINK.style
  ${PROJECT_SOURCE_DIR}/styles/RUBYGRAPHITE.style
  ${PROJECT_SOURCE_DIR}/styles/SAPPHIREKAMRI.style
  ${PROJECT_SOURCE_DIR}/styles/SEPIA.style
  ${PROJECT_SOURCE_DIR}/styles/SKY.style
  ${PROJECT_SOURCE_DIR}/styles/SLATECLASSICO.style
  ${PROJECT_SOURCE_DIR}/styles/SMOKEYQUARTZKAMRI.style
  ${PROJECT_SOURCE_DIR}/styles/TURQUOISEGRAY.style
  ${PROJECT_SOURCE_DIR}/styles/YELLOWGRAPHITE.style
)

# The compiler shares the reader's and writer's code, compiled on its own so
# that it does not need the core it helps to build. A cross-build runs the
# compiler of the machine doing the build (its own small build of this tree
# in host-tools/), never a program of the target system: the Windows builds
# need neither Wine nor a display.
set(LUMORA_STYLEC_SOURCES tools/stylec/StyleCompiler.cpp src/core/style/StyleFile.cpp
  src/core/style/StyleSource.cpp src/base/String.cpp)
if(CMAKE_CROSSCOMPILING)
  include(ExternalProject)
  set(LUMORA_HOST_TOOLS ${CMAKE_BINARY_DIR}/host-tools)
  set(LUMORA_STYLEC ${LUMORA_HOST_TOOLS}/lumora-stylec)
  # No toolchain file is handed on, so the host's own compiler builds it.
  ExternalProject_Add(lumora_host_tools
    SOURCE_DIR ${PROJECT_SOURCE_DIR}
    BINARY_DIR ${LUMORA_HOST_TOOLS}
    CMAKE_ARGS -DLUMORA_HOST_TOOLS_ONLY=ON -DCMAKE_BUILD_TYPE=Release
    BUILD_COMMAND ${CMAKE_COMMAND} --build <BINARY_DIR> --target lumora-stylec
    BUILD_BYPRODUCTS ${LUMORA_STYLEC}
    BUILD_ALWAYS ON
    INSTALL_COMMAND ""
    STEP_TARGETS build)
  set(LUMORA_STYLEC_DEPENDS lumora_host_tools ${LUMORA_STYLEC})
else()
  lumora_executable(lumora-stylec ${LUMORA_STYLEC_SOURCES})
  target_include_directories(lumora-stylec PRIVATE "${LUMORA_VIEW_base}" "${LUMORA_VIEW_core}")
  target_link_libraries(lumora-stylec PRIVATE lumora_core_deps)
  set(LUMORA_STYLEC $<TARGET_FILE:lumora-stylec>)
  set(LUMORA_STYLEC_DEPENDS lumora-stylec)
endif()
if(LUMORA_HOST_TOOLS_ONLY)
  return()
endif()

set(LUMORA_STYLE_OUTPUT ${CMAKE_BINARY_DIR}/styles)
set(LUMORA_STYLE_FILES)
foreach(source ${LUMORA_STYLE_SOURCES})
  get_filename_component(name ${source} NAME_WE)
  string(TOUPPER ${name} name)
  list(APPEND LUMORA_STYLE_FILES ${LUMORA_STYLE_OUTPUT}/${name}.vsf)
endforeach()
add_custom_command(
  OUTPUT ${LUMORA_STYLE_FILES} ${LUMORA_STYLE_OUTPUT}/EmbeddedStyles.rc ${LUMORA_STYLE_OUTPUT}/EmbeddedStyles.cpp
  COMMAND ${CMAKE_COMMAND} -E make_directory ${LUMORA_STYLE_OUTPUT}
  COMMAND ${LUMORA_STYLEC} ${LUMORA_STYLE_OUTPUT} ${LUMORA_STYLE_SOURCES}
  DEPENDS ${LUMORA_STYLEC_DEPENDS} ${LUMORA_STYLE_SOURCES}
  COMMENT "Building the style files"
  VERBATIM)
add_custom_target(lumora_style_files DEPENDS ${LUMORA_STYLE_FILES})

if(WIN32)
  # The resources go into each program that shows styled windows.
  function(lumora_embed_styles target)
    target_sources(${target} PRIVATE ${LUMORA_STYLE_OUTPUT}/EmbeddedStyles.rc)
    add_dependencies(${target} lumora_style_files)
  endfunction()
else()
  # The OS backend's style resources read this table (src/CMakeLists.txt).
  add_library(lumora_styles STATIC ${LUMORA_STYLE_OUTPUT}/EmbeddedStyles.cpp)
  target_include_directories(lumora_styles PRIVATE "${LUMORA_VIEW_base}" "${LUMORA_VIEW_os}")
  target_link_libraries(lumora_styles PRIVATE lumora_flags)
  function(lumora_embed_styles target)
  endfunction()
endif()
