# Our PNG decoder against libspng. Seeds: the generated PNG set.
find_package(ZLIB REQUIRED)
trevalo_add_fuzz(NAME fuzz_png_decode
  SOURCE ${CMAKE_CURRENT_SOURCE_DIR}/fuzz_png_decode.cpp
  LIBS pngdecode trevalo_pngtest ZLIB::ZLIB
  SEED_WRITER make_png_set SEED_FILE rgba8-40x40.png)
