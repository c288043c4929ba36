# Picture decoding and icon bitmap making from untrusted bytes.
trevalo_add_fuzz(NAME fuzz_load_convert SOURCE ${CMAKE_CURRENT_SOURCE_DIR}/fuzz_load_convert.cpp
  LIBS imaging icofile trevalo_picturereader)
