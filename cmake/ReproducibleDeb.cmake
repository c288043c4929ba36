# Run by cpack after it has built the package (CPACK_POST_BUILD_SCRIPTS):
# rebuilds each .deb with dpkg-deb so that two builds of one commit give the
# same bytes: every file and folder dated to the last commit
# (SOURCE_DATE_EPOCH, else the commit's own date), owned by root, names in a
# fixed order.
set(epoch "$ENV{SOURCE_DATE_EPOCH}")
if(epoch STREQUAL "")
  execute_process(COMMAND git -C "${CPACK_TREVALO_SOURCE_DIR}" log -1 --format=%ct
                  OUTPUT_VARIABLE epoch OUTPUT_STRIP_TRAILING_WHITESPACE RESULT_VARIABLE status)
  if(NOT status EQUAL 0 OR epoch STREQUAL "")
    message(FATAL_ERROR "no SOURCE_DATE_EPOCH and no git history to take it from")
  endif()
endif()
foreach(deb ${CPACK_PACKAGE_FILES})
  set(root "${CPACK_TOPLEVEL_DIRECTORY}/reproducible-root")
  file(REMOVE_RECURSE "${root}")
  execute_process(COMMAND dpkg-deb -R "${deb}" "${root}" RESULT_VARIABLE status)
  if(NOT status EQUAL 0)
    message(FATAL_ERROR "dpkg-deb -R ${deb} failed")
  endif()
  # Modes as installed, whatever the umask of the build: folders and
  # programs rwxr-xr-x, other files rw-r--r--.
  execute_process(COMMAND find "${root}" -type d -exec chmod 0755 {} +)
  execute_process(COMMAND find "${root}" -type f -perm /111 -exec chmod 0755 {} +)
  execute_process(COMMAND find "${root}" -type f ! -perm /111 -exec chmod 0644 {} +)
  execute_process(COMMAND find "${root}" -exec touch -h -d "@${epoch}" {} +)
  execute_process(
    COMMAND ${CMAKE_COMMAND} -E env SOURCE_DATE_EPOCH=${epoch}
            dpkg-deb --root-owner-group -Zxz --build "${root}" "${deb}"
    OUTPUT_QUIET RESULT_VARIABLE status)
  if(NOT status EQUAL 0)
    message(FATAL_ERROR "dpkg-deb --build ${deb} failed")
  endif()
  file(REMOVE_RECURSE "${root}")
endforeach()
