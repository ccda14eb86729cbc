# The Windows build's inputs: Allegro built from Debian's original source with
# our patch, static, for this toolchain; the data file and icons from a build
# of the tools for the build machine. Included by the top CMakeLists.txt.
enable_language(RC)
include(packaging/allegro.cmake)
build_allegro(${CMAKE_CURRENT_LIST_DIR}/allegro-wine.patch
  # its source path out of the library's debug and assertion strings
  "-DCMAKE_C_FLAGS=-ffile-prefix-map=<SOURCE_DIR>=allegro")

# the library, statically, with the system libraries it calls
target_compile_definitions(allegro_static INTERFACE ALLEGRO_STATICLINK)
target_link_libraries(allegro_static INTERFACE
  kernel32 user32 gdi32 comdlg32 ole32 dinput ddraw dxguid winmm dsound)

set(JUNKFALL_PLATFORM_SOURCES src/window_windows.cpp)
set(JUNKFALL_CLOCK_SOURCES src/clock_windows.cpp)
# one program needing only the system's own libraries, with no time stamp in
# it; its path of the source tree out of the debug strings
add_link_options(-static -Wl,--no-insert-timestamp)
add_compile_options(-ffile-prefix-map=${PROJECT_SOURCE_DIR}=.)

include(packaging/host_tools.cmake)
