#pragma once
// Why a BMP could not be decoded: one value per rejection, one name each.

namespace imaging::bmp {

enum class BmpError {
    kOk,
    kNotBmp,          // no "BM" signature
    kTruncated,       // the bytes end inside the headers, the colour table or the pixel rows
    kBadHeader,       // an info header size Windows does not read, or planes other than 1
    kBadDimensions,   // a width below 1, a height of 0, or a top-down compressed picture
    kBadBitCount,     // a bit count the compression does not allow
    kBadCompression,  // a compression Windows' bitmap loader does not decode (JPEG, PNG, Huffman...)
    kBadMasks,        // bit fields that overlap, have gaps or reach past the pixel's bits
    kBadOffset,       // the pixel rows start inside the headers or past the end of the file
    kTooLarge,        // more pixels than the caller allows
    kBadRle,          // an RLE stream that ends (or is cut) before the picture is done
    kBadTarget,       // the caller's pixel buffer does not fit the picture
    kNoMemory,
};

const char* BmpErrorName(BmpError error);

} // namespace imaging::bmp
