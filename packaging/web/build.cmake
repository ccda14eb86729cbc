# The web build's inputs: Allegro built from Debian's original source, static,
# with our patch and the browser platform's drivers (allegro/ here) compiled
# into it; the data file from a build of the tools for the build machine.
# Included by the top CMakeLists.txt under Emscripten's toolchain.
include(ExternalProject)

set(JUNKFALL_ALLEGRO_TARBALL "" CACHE FILEPATH
    "Allegro 4.4.3.1's original tarball, if one is at hand (checked); fetched otherwise")
set(JUNKFALL_ALLEGRO_DIR ${CMAKE_BINARY_DIR}/allegro)
set(platform ${CMAKE_CURRENT_LIST_DIR}/allegro)
set(platform_sources ${platform}/wsystem.c ${platform}/wgfx.c ${platform}/winput.c ${platform}/wsound.c
    ${platform}/wtimer.c)
string(REPLACE ";" "|" platform_sources "${platform_sources}")
ExternalProject_Add(allegro_build
  PREFIX ${JUNKFALL_ALLEGRO_DIR}
  DOWNLOAD_COMMAND bash ${PROJECT_SOURCE_DIR}/packaging/fetch_allegro.sh ${JUNKFALL_ALLEGRO_DIR}/fetch
                   <SOURCE_DIR> ${JUNKFALL_ALLEGRO_TARBALL}
  PATCH_COMMAND patch -p1 -s -i ${CMAKE_CURRENT_LIST_DIR}/allegro-web.patch
  LIST_SEPARATOR |
  CMAKE_ARGS -DCMAKE_TOOLCHAIN_FILE=${CMAKE_TOOLCHAIN_FILE} -DCMAKE_BUILD_TYPE=Release
             -DCMAKE_INSTALL_PREFIX=<INSTALL_DIR> -DSHARED=OFF -DWANT_MODULES=OFF -DWANT_X11=OFF
             -DWANT_OSS=OFF -DWANT_ALSA=OFF -DWANT_JACK=OFF -DWANT_SGIAUDIO=OFF
             -DWANT_EXAMPLES=OFF -DWANT_TESTS=OFF -DWANT_TOOLS=OFF -DWANT_DOCS=OFF -DWANT_ALLEGROGL=OFF
             -DWANT_LOADPNG=OFF -DWANT_LOGG=OFF -DWANT_JPGALLEG=OFF -Wno-dev
             # the C library holds what the Unix port looks for in librt
             -DRT_LIBRARY=c
             -DALLEGRO_WEB_SOURCES=${platform_sources}
             # no source path in the library's debug and assertion strings
             "-DCMAKE_C_FLAGS=-ffile-prefix-map=<SOURCE_DIR>=allegro -ffile-prefix-map=${PROJECT_SOURCE_DIR}=."
  # the platform's drivers are the library's sources: rebuilt when they change
  BUILD_ALWAYS ON
  BUILD_BYPRODUCTS <INSTALL_DIR>/lib/liballeg.a)
ExternalProject_Get_Property(allegro_build INSTALL_DIR)
file(MAKE_DIRECTORY ${INSTALL_DIR}/include)

add_library(allegro_static STATIC IMPORTED)
set_target_properties(allegro_static PROPERTIES IMPORTED_LOCATION ${INSTALL_DIR}/lib/liballeg.a)
target_include_directories(allegro_static INTERFACE ${INSTALL_DIR}/include)
add_dependencies(allegro_static allegro_build)
set(JUNKFALL_ALLEGRO allegro_static)
set(JUNKFALL_ALLEGRO_LICENSE ${JUNKFALL_ALLEGRO_DIR}/src/allegro_build/docs/txt/license.txt)

set(JUNKFALL_PLATFORM_SOURCES src/window_web.cpp)
set(JUNKFALL_CLOCK_SOURCES src/clock_web.cpp)
add_compile_options(-ffile-prefix-map=${PROJECT_SOURCE_DIR}=.)
# every wait of the program's hands the page back to the browser (asyncify);
# the page starts the program on the player's click and learns when it ends
add_link_options(-sASYNCIFY -sASYNCIFY_STACK_SIZE=65536 -sEXIT_RUNTIME=1 -sINVOKE_RUN=0
                 -sEXPORTED_RUNTIME_METHODS=callMain,FS -sFORCE_FILESYSTEM=1 -sENVIRONMENT=web
                 -sINITIAL_MEMORY=33554432 -sALLOW_MEMORY_GROWTH=1)

include(packaging/host_tools.cmake)
