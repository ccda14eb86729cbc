# The Windows game and the zip a player downloads (cpack in the build
# directory): junkfall.exe with its icon, media/data.dat, a README, the
# licence and the notices of everything linked into the program.

# the drawn icons, 16 to 256 pixels, in one .ico; the library gives its
# window the resource called allegro_icon
find_program(JUNKFALL_ICOTOOL icotool REQUIRED DOC "icoutils' icon writer")
set(JUNKFALL_ICO ${CMAKE_BINARY_DIR}/junkfall.ico)
set(small)
foreach(size 16 32 48 64 128)
  list(APPEND small ${JUNKFALL_ICON_DIR}/junkfall-${size}.png)
endforeach()
add_custom_command(OUTPUT ${JUNKFALL_ICO}
  # the largest stays PNG inside, as Windows expects at 256 pixels
  COMMAND ${JUNKFALL_ICOTOOL} -c -o ${JUNKFALL_ICO} ${small} -r ${JUNKFALL_ICON_DIR}/junkfall-256.png
  DEPENDS host_tools ${JUNKFALL_HOST_ICONS}
  VERBATIM)
add_custom_target(windows_icon DEPENDS ${JUNKFALL_ICO})
target_sources(junkfall PRIVATE ${CMAKE_CURRENT_LIST_DIR}/junkfall.rc)
set_source_files_properties(${CMAKE_CURRENT_LIST_DIR}/junkfall.rc PROPERTIES OBJECT_DEPENDS ${JUNKFALL_ICO})
set(CMAKE_RC_FLAGS "${CMAKE_RC_FLAGS} -I${CMAKE_BINARY_DIR}")
set_target_properties(junkfall PROPERTIES WIN32_EXECUTABLE ON)
add_dependencies(junkfall data_file windows_icon)

# the least press-to-sound time DirectSound allows, which bench/measure_web.py
# measures beside the game
if(JUNKFALL_TESTS)
  add_executable(sound_floor_windows WIN32 ${PROJECT_SOURCE_DIR}/bench/sound_floor_windows.c)
  target_link_libraries(sound_floor_windows PRIVATE dsound)
  set_target_properties(sound_floor_windows PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/bench)
endif()

# the player's README with Windows line ends
configure_file(${CMAKE_CURRENT_LIST_DIR}/README.txt ${CMAKE_BINARY_DIR}/README.txt @ONLY NEWLINE_STYLE CRLF)

install(TARGETS junkfall RUNTIME DESTINATION .)
install(FILES ${JUNKFALL_DATA_FILE} DESTINATION media)
install(FILES ${CMAKE_BINARY_DIR}/README.txt ${PROJECT_SOURCE_DIR}/LICENSE DESTINATION .)
# linked in: Allegro (giftware), MinGW-w64's C runtime and winpthreads, and
# GCC's libgcc and libstdc++ (GPL with the runtime library exception)
install(FILES ${JUNKFALL_ALLEGRO_LICENSE} DESTINATION licenses RENAME allegro.txt)
install(FILES /usr/share/doc/mingw-w64-x86-64-dev/copyright DESTINATION licenses RENAME mingw-w64.txt)
install(FILES /usr/share/doc/gcc-mingw-w64-base/copyright DESTINATION licenses RENAME gcc-runtime.txt)

set(CPACK_GENERATOR ZIP)
set(CPACK_PACKAGE_NAME junkfall)
set(CPACK_PACKAGE_FILE_NAME junkfall-${PROJECT_VERSION}-windows-x64)
set(CPACK_STRIP_FILES ON)
# dated by the last commit, members in a fixed order with fixed times
set(CPACK_PROJECT_CONFIG_FILE ${PROJECT_SOURCE_DIR}/packaging/cpack_config.cmake)
set(CPACK_JUNKFALL_SOURCE_DIR ${PROJECT_SOURCE_DIR})
set(CPACK_POST_BUILD_SCRIPTS ${CMAKE_CURRENT_LIST_DIR}/normalize_zip.cmake)
include(CPack)
