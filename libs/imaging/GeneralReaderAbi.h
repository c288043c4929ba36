#pragma once
// The plain C interface of the general picture reader, the library that
// decodes what our own decoders do not (JPEG, GIF and the other formats of
// Qt's image plugins). It lives in a shared library of its own, opened on
// first use, so that a run over PNG and BMP pictures never loads Qt.

#include <stddef.h>
#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

// A decoded picture: width x height pixels of blue, green, red, alpha bytes
// (straight alpha), rows top first and 4 * width bytes apart, in memory from
// malloc that the caller frees.
struct TrevaloGeneralPicture {
    uint8_t* bgra;
    int32_t width;
    int32_t height;
};

// Readies the reader; called once, before the first read. Returns 0.
typedef int (*TrevaloGeneralReaderStart)(void);
// Decodes `size` bytes. 1 with `*picture` filled; 0 (and `*picture` empty)
// when the bytes are no picture, are damaged, declare no size or one above
// `maxPixels`, or memory cannot be had.
typedef int (*TrevaloGeneralReaderRead)(const uint8_t* data, size_t size, int64_t maxPixels,
                                        struct TrevaloGeneralPicture* picture);

#define TREVALO_GENERAL_READER_START "trevalo_general_reader_start"
#define TREVALO_GENERAL_READER_READ "trevalo_general_reader_read"

#ifdef __cplusplus
}
#endif
