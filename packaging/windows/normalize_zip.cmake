# Run by cpack after it wrote the zip: file times set to SOURCE_DATE_EPOCH
# (the last commit) and members in name order, so a build is byte for byte
# the same as the last one.
find_program(STRIP_NONDETERMINISM strip-nondeterminism REQUIRED)
foreach(zip ${CPACK_PACKAGE_FILES})
  execute_process(COMMAND ${STRIP_NONDETERMINISM} -t zip -T $ENV{SOURCE_DATE_EPOCH} ${zip}
                  COMMAND_ERROR_IS_FATAL ANY)
endforeach()
