# Allegro 4.4.3.1 for a cross build: Debian's original source (fetched and
# checked by fetch_allegro.sh), a patch of ours, built static for the
# toolchain at hand. build_allegro(PATCH OPTION...) makes the target
# allegro_static; OPTION... are the library's own for this build.
include(ExternalProject)

set(JUNKFALL_ALLEGRO_TARBALL "" CACHE FILEPATH
    "Allegro 4.4.3.1's original tarball, if one is at hand (checked); fetched otherwise")
set(JUNKFALL_ALLEGRO_DIR ${CMAKE_BINARY_DIR}/allegro)
set(JUNKFALL_ALLEGRO allegro_static)
set(JUNKFALL_ALLEGRO_LICENSE ${JUNKFALL_ALLEGRO_DIR}/src/allegro_build/docs/txt/license.txt)

function(build_allegro patch)
  ExternalProject_Add(allegro_build
    PREFIX ${JUNKFALL_ALLEGRO_DIR}
    DOWNLOAD_COMMAND bash ${PROJECT_SOURCE_DIR}/packaging/fetch_allegro.sh ${JUNKFALL_ALLEGRO_DIR}/fetch
                     <SOURCE_DIR> ${JUNKFALL_ALLEGRO_TARBALL}
    PATCH_COMMAND patch -p1 -s -i ${patch}
    LIST_SEPARATOR |
    CMAKE_ARGS -DCMAKE_TOOLCHAIN_FILE=${CMAKE_TOOLCHAIN_FILE} -DCMAKE_BUILD_TYPE=Release
               -DCMAKE_INSTALL_PREFIX=<INSTALL_DIR> -DSHARED=OFF -DWANT_EXAMPLES=OFF
               -DWANT_TESTS=OFF -DWANT_TOOLS=OFF -DWANT_DOCS=OFF -DWANT_ALLEGROGL=OFF
               -DWANT_LOADPNG=OFF -DWANT_LOGG=OFF -DWANT_JPGALLEG=OFF -Wno-dev ${ARGN}
    BUILD_BYPRODUCTS <INSTALL_DIR>/lib/liballeg.a)
  # a changed patch: the source unpacked afresh, patched and built again
  ExternalProject_Add_StepDependencies(allegro_build download ${patch})
  ExternalProject_Get_Property(allegro_build INSTALL_DIR)
  file(MAKE_DIRECTORY ${INSTALL_DIR}/include)
  add_library(allegro_static STATIC IMPORTED GLOBAL)
  set_target_properties(allegro_static PROPERTIES IMPORTED_LOCATION ${INSTALL_DIR}/lib/liballeg.a)
  target_include_directories(allegro_static INTERFACE ${INSTALL_DIR}/include)
  add_dependencies(allegro_static allegro_build)
endfunction()
