# The executable icon reader. Seeds: the sample executables.
trevalo_add_fuzz(NAME fuzz_exeicons
  SOURCE ${CMAKE_CURRENT_SOURCE_DIR}/fuzz_exeicons.cpp
  LIBS trevalo_exeicons
  SEED_WRITER trevalo_make_sample_exes SEED_FILE classic.exe)
