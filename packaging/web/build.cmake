# The web build's inputs: Allegro built from Debian's original source, static,
# with our patch and the browser platform's drivers (allegro/ here) compiled
# into it; the data file from a build of the tools for the build machine.
# Included by the top CMakeLists.txt under Emscripten's toolchain.
include(packaging/allegro.cmake)
set(platform ${CMAKE_CURRENT_LIST_DIR}/allegro)
set(platform_sources ${platform}/wsystem.c ${platform}/wgfx.c ${platform}/winput.c ${platform}/wsound.c
    ${platform}/wtimer.c)
string(REPLACE ";" "|" sources_option "${platform_sources}")
build_allegro(${CMAKE_CURRENT_LIST_DIR}/allegro-web.patch
  -DWANT_MODULES=OFF -DWANT_X11=OFF -DWANT_OSS=OFF -DWANT_ALSA=OFF -DWANT_JACK=OFF -DWANT_SGIAUDIO=OFF
  -DRT_LIBRARY=c   # the C library holds what the Unix port looks for in librt
  -DALLEGRO_WEB_SOURCES=${sources_option}
  # no source path in the library's debug and assertion strings
  "-DCMAKE_C_FLAGS=-ffile-prefix-map=<SOURCE_DIR>=allegro -ffile-prefix-map=${PROJECT_SOURCE_DIR}=.")
# the platform's drivers are the library's sources: rebuilt when they change
ExternalProject_Add_StepDependencies(allegro_build build ${platform}/web.h ${platform_sources})

set(JUNKFALL_PLATFORM_SOURCES src/window_web.cpp)
set(JUNKFALL_CLOCK_SOURCES src/clock_web.cpp)
add_compile_options(-ffile-prefix-map=${PROJECT_SOURCE_DIR}=.)
# every wait of the program's hands the page back to the browser (asyncify:
# a sleep, or the platform's wait for the next frame); the page starts the
# program on the player's click and learns when it ends
add_link_options(-sASYNCIFY -sASYNCIFY_IMPORTS=web_next_frame -sASYNCIFY_STACK_SIZE=65536
                 -sEXIT_RUNTIME=1 -sINVOKE_RUN=0
                 -sEXPORTED_RUNTIME_METHODS=callMain,FS -sFORCE_FILESYSTEM=1 -sENVIRONMENT=web
                 -sINITIAL_MEMORY=33554432 -sALLOW_MEMORY_GROWTH=1)

include(packaging/host_tools.cmake)
