# CPack's post-build step for the release zip (CPACK_POST_BUILD_SCRIPTS), run before CPack
# copies the zip out of its staging folder. CPack 3.25 writes into each entry the file's
# change time (which no one can set), the packer's user and group ids, and the order in which
# the staging folder happens to list its files, so two packings of the same files differ.
# strip-nondeterminism (Debian's reproducible-builds tool) sets every time in the zip to that
# of the commit, clears the ids and sorts the entries: the zip's bytes then depend on the files
# alone.

# The commit's time, not SOURCE_DATE_EPOCH: cpack sets that to the present when it is unset.
execute_process(
  COMMAND git -C ${CPACK_KX_SOURCE_DIR} log -1 --format=%ct
  OUTPUT_VARIABLE epoch
  OUTPUT_STRIP_TRAILING_WHITESPACE
  RESULT_VARIABLE status)
if(NOT status EQUAL 0 OR NOT epoch MATCHES "^[0-9]+$")
  message(FATAL_ERROR "${CPACK_KX_SOURCE_DIR}: no commit, whose time the zip's entries take")
endif()

foreach(zip IN LISTS CPACK_PACKAGE_FILES)
  # The entries' DOS times are local times: in UTC they are the same on every machine.
  execute_process(
    COMMAND ${CMAKE_COMMAND} -E env TZ=UTC strip-nondeterminism --type zip --timestamp ${epoch}
            ${zip}
    RESULT_VARIABLE status)
  if(NOT status EQUAL 0)
    message(FATAL_ERROR "strip-nondeterminism failed on ${zip}")
  endif()
endforeach()
