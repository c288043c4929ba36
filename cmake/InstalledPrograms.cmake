# Programs that get installed drop the compiler's version note (.comment)
# when linked: it tells a user nothing, and Debian's checks ask for it to go.
# Done in the build, not when installing, so that the converter embedded in
# the window is the installed converter byte for byte.
function(trevalo_drop_comment target)
  if(CMAKE_OBJCOPY)
    add_custom_command(TARGET ${target} POST_BUILD
      COMMAND ${CMAKE_OBJCOPY} --remove-section=.comment $<TARGET_FILE:${target}>
      VERBATIM)
  endif()
endfunction()
