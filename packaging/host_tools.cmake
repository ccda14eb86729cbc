# The data file and the icons of a cross-built game, drawn and packed by a
# build of the tools for the build machine (from this source tree, tests and
# all else left out). Included by a cross build's inputs.
set(JUNKFALL_HOST_DIR ${CMAKE_BINARY_DIR}/host)
set(JUNKFALL_HOST_DATA ${JUNKFALL_HOST_DIR}/media/data.dat)
set(JUNKFALL_ICON_DIR ${JUNKFALL_HOST_DIR}/icons)
set(JUNKFALL_HOST_ICONS)
foreach(size 16 32 48 64 128 256)
  list(APPEND JUNKFALL_HOST_ICONS ${JUNKFALL_ICON_DIR}/junkfall-${size}.png)
endforeach()
ExternalProject_Add(host_tools
  SOURCE_DIR ${PROJECT_SOURCE_DIR}
  BINARY_DIR ${JUNKFALL_HOST_DIR}
  CMAKE_ARGS -DJUNKFALL_TESTS=OFF -DCMAKE_BUILD_TYPE=Release
  BUILD_COMMAND ${CMAKE_COMMAND} --build <BINARY_DIR> --target data_file icons
  INSTALL_COMMAND ""
  BUILD_ALWAYS ON
  BUILD_BYPRODUCTS ${JUNKFALL_HOST_DATA} ${JUNKFALL_HOST_ICONS})
set(JUNKFALL_DATA_FILE ${CMAKE_BINARY_DIR}/media/data.dat)

# the data file, where the game and the tests look for it
add_custom_command(OUTPUT ${JUNKFALL_DATA_FILE}
  COMMAND ${CMAKE_COMMAND} -E copy ${JUNKFALL_HOST_DATA} ${JUNKFALL_DATA_FILE}
  DEPENDS host_tools ${JUNKFALL_HOST_DATA}
  VERBATIM)
add_custom_target(data_file ALL DEPENDS ${JUNKFALL_DATA_FILE})
