# Cross-compiling for 64-bit Windows with Debian's MinGW-w64 (posix threads).
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(JUNKFALL_MINGW x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${JUNKFALL_MINGW}-gcc-posix)
set(CMAKE_CXX_COMPILER ${JUNKFALL_MINGW}-g++-posix)
set(CMAKE_RC_COMPILER ${JUNKFALL_MINGW}-windres)
set(CMAKE_FIND_ROOT_PATH /usr/${JUNKFALL_MINGW})
# programs are the build machine's, headers and libraries the target's
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
