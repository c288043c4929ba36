trevalo_add_fuzz(NAME fuzz_parse_arguments SOURCE ${CMAKE_CURRENT_SOURCE_DIR}/fuzz_parse_arguments.cpp
  LIBS png2ico_core)
