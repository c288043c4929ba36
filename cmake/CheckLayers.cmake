# Each folder may include only from the folders at or below its layer:
#   libs/<lib>  -> itself and the libs it is built on (table below)
#   platform    -> libs, platform
#   png2ico     -> libs, png2ico
#   app         -> libs, platform, app, resources (the project's name and site)
# The check runs as part of every build, so an upward #include fails the
# build even where the header alone would compile. Tests, the bench, the
# samples and the artwork tools sit on top and may include anything.
set(TREVALO_LAYER_RULES
  "libs/icofile:libs/icofile,libs/files"
  "libs/imaging:libs/imaging,libs/icofile"
  "libs/exeicons:libs/exeicons"
  "libs/files:libs/files"
  "libs/cmdline:libs/cmdline"
  "platform:libs,platform"
  "png2ico:libs,png2ico"
  "app:libs,platform,app,resources/ProjectInfo.h")

if(CMAKE_SCRIPT_MODE_FILE)
  # cmake -DSOURCE_DIR=... -DSTAMP=... -P CheckLayers.cmake
  set(violations "")
  foreach(rule ${TREVALO_LAYER_RULES})
    string(REPLACE ":" ";" parts "${rule}")
    list(GET parts 0 folder)
    list(GET parts 1 allowed)
    string(REPLACE "," ";" allowed "${allowed}")
    file(GLOB_RECURSE sources RELATIVE ${SOURCE_DIR} ${SOURCE_DIR}/${folder}/*.h ${SOURCE_DIR}/${folder}/*.cpp)
    foreach(source ${sources})
      file(STRINGS ${SOURCE_DIR}/${source} includes REGEX "^[ \t]*#[ \t]*include[ \t]*\"[^\"]*/[^\"]*\"")
      foreach(line ${includes})
        string(REGEX REPLACE ".*\"([^\"]*)\".*" "\\1" included "${line}")
        set(ok FALSE)
        foreach(prefix ${allowed})
          string(FIND "${included}" "${prefix}" at)
          if(at EQUAL 0)
            set(ok TRUE)
          endif()
        endforeach()
        if(NOT ok)
          string(APPEND violations "  ${source} includes \"${included}\"\n")
        endif()
      endforeach()
    endforeach()
  endforeach()
  if(violations)
    message(FATAL_ERROR "Includes from a folder above their own layer:\n${violations}")
  endif()
  if(STAMP)
    file(TOUCH ${STAMP})
  endif()
  return()
endif()

file(GLOB_RECURSE layer_sources CONFIGURE_DEPENDS
  ${CMAKE_SOURCE_DIR}/libs/*.h ${CMAKE_SOURCE_DIR}/libs/*.cpp
  ${CMAKE_SOURCE_DIR}/platform/*.h ${CMAKE_SOURCE_DIR}/platform/*.cpp
  ${CMAKE_SOURCE_DIR}/png2ico/*.h ${CMAKE_SOURCE_DIR}/png2ico/*.cpp
  ${CMAKE_SOURCE_DIR}/app/*.h ${CMAKE_SOURCE_DIR}/app/*.cpp)
set(layers_stamp ${CMAKE_BINARY_DIR}/layers-checked.stamp)
add_custom_command(OUTPUT ${layers_stamp}
  COMMAND ${CMAKE_COMMAND} -DSOURCE_DIR=${CMAKE_SOURCE_DIR} -DSTAMP=${layers_stamp}
          -P ${CMAKE_SOURCE_DIR}/cmake/CheckLayers.cmake
  DEPENDS ${layer_sources} ${CMAKE_SOURCE_DIR}/cmake/CheckLayers.cmake
  COMMENT "Checking that no folder includes from a layer above it"
  VERBATIM)
add_custom_target(check_layers ALL DEPENDS ${layers_stamp})
