# The installed tree, in Debian's layout for games, the same under any prefix
# or DESTDIR and in the .deb:
#   games/junkfall                      -> ../lib/games/junkfall/junkfall
#   lib/games/junkfall/junkfall            the program
#   lib/games/junkfall/media/data.dat   -> ../../../../share/games/junkfall/data.dat
#   share/games/junkfall/data.dat          the data file
# The game looks for media/data.dat beside its real executable (the library
# finds it through /proc/self/exe), so it runs from any directory. Every link
# is relative, so the tree works wherever it is unpacked.
set(JUNKFALL_ID io.github.junkfall.Junkfall)
set(JUNKFALL_GAMEDIR lib/games/junkfall)
set(JUNKFALL_DATADIR share/games/junkfall)

# junkfall_install_link(LINK TARGET): a symbolic link at LINK pointing at
# TARGET, both relative to the prefix, made relative to each other
function(junkfall_install_link link target)
  get_filename_component(link_dir /${link} DIRECTORY)
  file(RELATIVE_PATH rel ${link_dir} /${target})
  install(CODE "
    set(link \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/${link}\")
    message(STATUS \"Installing: \${link} -> ${rel}\")
    get_filename_component(dir \"\${link}\" DIRECTORY)
    file(MAKE_DIRECTORY \"\${dir}\")
    file(REMOVE \"\${link}\")
    file(CREATE_LINK \"${rel}\" \"\${link}\" SYMBOLIC)
    # recorded like the installed files, so whatever reads the manifest sees it
    list(APPEND CMAKE_INSTALL_MANIFEST_FILES \"\${link}\")
  ")
endfunction()

# the man page and the changelog go compressed, without a time stamp inside
set(JUNKFALL_GZ_DIR ${CMAKE_BINARY_DIR}/packaging)
foreach(name junkfall.6 changelog)
  add_custom_command(
    OUTPUT ${JUNKFALL_GZ_DIR}/${name}.gz
    COMMAND ${CMAKE_COMMAND} -E make_directory ${JUNKFALL_GZ_DIR}
    COMMAND sh -c "gzip -9n <\"$0\" >\"$1\"" ${PROJECT_SOURCE_DIR}/packaging/${name}
            ${JUNKFALL_GZ_DIR}/${name}.gz
    DEPENDS ${PROJECT_SOURCE_DIR}/packaging/${name}
    VERBATIM)
endforeach()
add_custom_target(docs ALL DEPENDS ${JUNKFALL_GZ_DIR}/junkfall.6.gz ${JUNKFALL_GZ_DIR}/changelog.gz)

install(TARGETS junkfall RUNTIME DESTINATION ${JUNKFALL_GAMEDIR})
install(FILES ${JUNKFALL_DATA_FILE} DESTINATION ${JUNKFALL_DATADIR})
junkfall_install_link(games/junkfall ${JUNKFALL_GAMEDIR}/junkfall)
junkfall_install_link(${JUNKFALL_GAMEDIR}/media/data.dat ${JUNKFALL_DATADIR}/data.dat)

install(FILES packaging/${JUNKFALL_ID}.desktop DESTINATION share/applications)
install(FILES packaging/${JUNKFALL_ID}.metainfo.xml DESTINATION share/metainfo)
foreach(size 16 32 48 64 128 256)
  install(FILES ${CMAKE_BINARY_DIR}/icons/junkfall-${size}.png
    DESTINATION share/icons/hicolor/${size}x${size}/apps RENAME junkfall.png)
endforeach()
install(FILES ${JUNKFALL_GZ_DIR}/junkfall.6.gz DESTINATION share/man/man6)
install(FILES packaging/copyright ${JUNKFALL_GZ_DIR}/changelog.gz DESTINATION share/doc/junkfall)

# the Debian package: `cpack -G DEB` in the build directory
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME junkfall)
set(CPACK_PACKAGE_CONTACT "Junkfall developers <dev@junkfall.invalid>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "arcade game: shoot bananas at falling junk mail")
# the long text under the summary line
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION "Junk mail is falling from the sky. A turret at the bottom of the screen
follows the mouse and every click sends a spinning banana straight up;
each letter hit scores a point, each one that lands costs health.
One to four players take turns at the one mouse.")
# a native package: its version is the game's, its changelog the game's own
set(CPACK_DEBIAN_PACKAGE_SECTION games)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
# dpkg-shlibdeps (dpkg-dev) reads the versioned dependencies off the linked
# libraries
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# the library shows its error messages through xmessage
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS x11-utils)
# time stamps from the last commit, so two builds of a commit are identical
set(CPACK_PROJECT_CONFIG_FILE ${CMAKE_CURRENT_LIST_DIR}/cpack_config.cmake)
set(CPACK_JUNKFALL_SOURCE_DIR ${PROJECT_SOURCE_DIR})
include(CPack)
