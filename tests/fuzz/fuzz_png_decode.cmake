# Our PNG decoder against libspng. Seeds: the generated PNG set, written at
# build time into the build's seed folder.
set(png_seeds ${CMAKE_BINARY_DIR}/tests/fuzz/seeds/fuzz_png_decode)
add_custom_command(OUTPUT ${png_seeds}/rgba8-40x40.png
  COMMAND make_png_set ${png_seeds}
  DEPENDS make_png_set
  COMMENT "Writing seed pictures for fuzz_png_decode")
add_custom_target(fuzz_png_decode_seeds DEPENDS ${png_seeds}/rgba8-40x40.png)

find_package(ZLIB REQUIRED)
trevalo_add_fuzz(NAME fuzz_png_decode
  SOURCE ${CMAKE_CURRENT_SOURCE_DIR}/fuzz_png_decode.cpp
  LIBS pngdecode trevalo_pngtest ZLIB::ZLIB
  SEEDS ${png_seeds})
if(TARGET fuzz_png_decode)
  add_dependencies(fuzz_png_decode fuzz_png_decode_seeds)
else()
  add_dependencies(fuzz_png_decode_replay fuzz_png_decode_seeds)
endif()
