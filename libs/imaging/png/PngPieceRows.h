#pragma once
// The streaming way of decoding rows wider than a piece: rows inflated,
// unfiltered and converted in pieces of a fixed size straight from zlib, so
// that a picture of any shape costs its pixels, the row above while a next
// row needs it, and a few small buffers (a row of a 2^26-pixel-wide picture
// is 512 MiB at 16 bits). Narrower rows stream whole, many to a piece
// (InflateBlocks in PngImageData.h).

#include "libs/imaging/png/PngDecoder.h"
#include "libs/imaging/png/PngRowConverter.h"
#include "libs/imaging/png/PngUnfilter.h"
#include "libs/imaging/png/PngZlibPieces.h"

#include <cstddef>
#include <cstdint>
#include <vector>

namespace imaging::png {

class PngPieceRows {
public:
    PngPieceRows(const PngFile& file, const PngTarget& target, const DecodeOptions& options);

    // Every pass, then the stream's end.
    [[nodiscard]] PngError Run(PngZlibPieces* zlib);

private:
    PngError RunPass(const PngPass& pass, PngZlibPieces* zlib);
    // Unfilters the piece at cur_ + stride (n bytes at offset `at` of its
    // row), whose left neighbours sit in front of it.
    void Unfilter(uint8_t filter, bool firstRow, size_t at, size_t n);
    bool Convert(const PngPass& pass, uint8_t* out, size_t at, size_t n);

    const PngHeader& header_;
    PngTarget target_;
    PngRowConverter converter_;
    UnfilterFunction unfilter_;
    size_t stride_;
    size_t pieceBytes_;
    std::vector<uint8_t> above_;      // the row above, unfiltered
    std::vector<uint8_t> cur_, up_;   // a piece, and the same piece of the row above, after `stride_` bytes of what precedes it
    std::vector<uint8_t> scattered_;  // converted pixels of an interlaced piece
};

} // namespace imaging::png
