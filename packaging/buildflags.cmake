# Debian's hardening flags, as dpkg-buildflags hands them to package builds:
# stack protector, fortified C library calls, relocations made read-only and
# bound at start-up. Optimised builds only: fortified calls need the optimiser,
# and the build type keeps its own -O and -g.
find_program(JUNKFALL_DPKG_BUILDFLAGS dpkg-buildflags)
if(JUNKFALL_DPKG_BUILDFLAGS AND NOT CMAKE_BUILD_TYPE STREQUAL Debug)
  foreach(kind CPPFLAGS CXXFLAGS LDFLAGS)
    # run from the source tree, so its path is mapped to . in the debug info
    execute_process(
      COMMAND ${CMAKE_COMMAND} -E env DEB_BUILD_MAINT_OPTIONS=hardening=+all
              ${JUNKFALL_DPKG_BUILDFLAGS} --get ${kind}
      WORKING_DIRECTORY ${PROJECT_SOURCE_DIR}
      OUTPUT_VARIABLE flags OUTPUT_STRIP_TRAILING_WHITESPACE)
    separate_arguments(flags UNIX_COMMAND "${flags}")
    list(FILTER flags EXCLUDE REGEX "^-O[0-9s]?$|^-g$")
    set(JUNKFALL_${kind} ${flags})
  endforeach()
  add_compile_options(${JUNKFALL_CPPFLAGS} ${JUNKFALL_CXXFLAGS})
  add_link_options(${JUNKFALL_LDFLAGS})
endif()
