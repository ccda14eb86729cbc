# The Windows build's inputs: Allegro built from Debian's original source with
# our patch, static, for this toolchain; the data file and icons from a build
# of the tools for the build machine. Included by the top CMakeLists.txt.
enable_language(RC)
include(ExternalProject)

set(JUNKFALL_ALLEGRO_TARBALL "" CACHE FILEPATH
    "Allegro 4.4.3.1's original tarball, if one is at hand (checked); fetched otherwise")
set(JUNKFALL_ALLEGRO_DIR ${CMAKE_BINARY_DIR}/allegro)
ExternalProject_Add(allegro_build
  PREFIX ${JUNKFALL_ALLEGRO_DIR}
  DOWNLOAD_COMMAND bash ${PROJECT_SOURCE_DIR}/packaging/fetch_allegro.sh ${JUNKFALL_ALLEGRO_DIR}/fetch
                   <SOURCE_DIR> ${JUNKFALL_ALLEGRO_TARBALL}
  PATCH_COMMAND patch -p1 -s -i ${CMAKE_CURRENT_LIST_DIR}/allegro-wine.patch
  CMAKE_ARGS -DCMAKE_TOOLCHAIN_FILE=${CMAKE_TOOLCHAIN_FILE} -DCMAKE_BUILD_TYPE=Release
             -DCMAKE_INSTALL_PREFIX=<INSTALL_DIR> -DSHARED=OFF -DWANT_EXAMPLES=OFF
             -DWANT_TESTS=OFF -DWANT_TOOLS=OFF -DWANT_DOCS=OFF -DWANT_ALLEGROGL=OFF
             -DWANT_LOADPNG=OFF -DWANT_LOGG=OFF -DWANT_JPGALLEG=OFF -Wno-dev
             # its source path out of the library's debug and assertion strings
             "-DCMAKE_C_FLAGS=-ffile-prefix-map=<SOURCE_DIR>=allegro"
  BUILD_BYPRODUCTS <INSTALL_DIR>/lib/liballeg.a)
ExternalProject_Get_Property(allegro_build INSTALL_DIR)
file(MAKE_DIRECTORY ${INSTALL_DIR}/include)

# the library, statically, with the system libraries it calls
add_library(allegro_static STATIC IMPORTED)
set_target_properties(allegro_static PROPERTIES IMPORTED_LOCATION ${INSTALL_DIR}/lib/liballeg.a)
target_include_directories(allegro_static INTERFACE ${INSTALL_DIR}/include)
target_compile_definitions(allegro_static INTERFACE ALLEGRO_STATICLINK)
target_link_libraries(allegro_static INTERFACE
  kernel32 user32 gdi32 comdlg32 ole32 dinput ddraw dxguid winmm dsound)
add_dependencies(allegro_static allegro_build)
set(JUNKFALL_ALLEGRO allegro_static)
set(JUNKFALL_ALLEGRO_LICENSE ${JUNKFALL_ALLEGRO_DIR}/src/allegro_build/docs/txt/license.txt)

set(JUNKFALL_PLATFORM_SOURCES src/window_windows.cpp)
set(JUNKFALL_CLOCK_SOURCES src/clock_windows.cpp)
# one program needing only the system's own libraries, with no time stamp in
# it; its path of the source tree out of the debug strings
add_link_options(-static -Wl,--no-insert-timestamp)
add_compile_options(-ffile-prefix-map=${PROJECT_SOURCE_DIR}=.)

include(packaging/host_tools.cmake)
