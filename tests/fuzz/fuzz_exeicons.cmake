# The executable icon reader. Seeds: the sample executables, written at build
# time by the fixture writer into the build's seed folder.
set(exeicons_seeds ${CMAKE_BINARY_DIR}/tests/fuzz/seeds/fuzz_exeicons)
add_custom_command(OUTPUT ${exeicons_seeds}/classic.exe
  COMMAND trevalo_make_sample_exes ${exeicons_seeds}
  DEPENDS trevalo_make_sample_exes
  COMMENT "Writing seed executables for fuzz_exeicons")
add_custom_target(fuzz_exeicons_seeds DEPENDS ${exeicons_seeds}/classic.exe)

trevalo_add_fuzz(NAME fuzz_exeicons
  SOURCE ${CMAKE_CURRENT_SOURCE_DIR}/fuzz_exeicons.cpp
  LIBS trevalo_exeicons
  SEEDS ${exeicons_seeds})
if(TARGET fuzz_exeicons)
  add_dependencies(fuzz_exeicons fuzz_exeicons_seeds)
else()
  add_dependencies(fuzz_exeicons_replay fuzz_exeicons_seeds)
endif()
