# Read by cpack when it runs: the package's time stamps come from the last
# commit (SOURCE_DATE_EPOCH), unless the caller set one already.
if(NOT DEFINED ENV{SOURCE_DATE_EPOCH})
  execute_process(
    COMMAND git -C ${CPACK_JUNKFALL_SOURCE_DIR} log -1 --format=%ct
    OUTPUT_VARIABLE epoch OUTPUT_STRIP_TRAILING_WHITESPACE
    RESULT_VARIABLE failed ERROR_QUIET)
  if(failed OR NOT epoch)
    message(FATAL_ERROR "no commit to date the package by; set SOURCE_DATE_EPOCH")
  endif()
  set(ENV{SOURCE_DATE_EPOCH} ${epoch})
endif()
