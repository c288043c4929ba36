# Our BMP decoder against Qt's BMP reader. Seeds: the generated BMP set.
trevalo_add_fuzz(NAME fuzz_bmp_decode
  SOURCE ${CMAKE_CURRENT_SOURCE_DIR}/fuzz_bmp_decode.cpp
  LIBS bmpdecode Qt6::Gui
  SEED_WRITER make_bmp_set SEED_FILE rgb24.bmp)
