#pragma once
// The zlib stream of a PNG's IDAT pieces, inflated by zlib into the
// caller's memory as asked. Both ways of handing out rows inflate through
// it, so that a stream gets one verdict whichever is taken: zlib refuses
// what the format reserves (the fixed-code length symbols 286 and 287, more
// than 286 length or 30 distance codes), as every common PNG reader does.

#include "libs/imaging/png/PngFile.h"
#include "libs/imaging/png/PngPieceSource.h"

#include <zlib.h>

#include <cstddef>
#include <cstdint>
#include <vector>

namespace imaging::png {

class PngZlibPieces {
public:
    PngZlibPieces() = default;
    ~PngZlibPieces();
    PngZlibPieces(const PngZlibPieces&) = delete;
    PngZlibPieces& operator=(const PngZlibPieces&) = delete;

    // The source must outlive it.
    [[nodiscard]] PngError Start(PngPieceSource* pieces);
    // Fills `size` bytes from the stream: kOk, or why not.
    [[nodiscard]] PngError Fill(uint8_t* out, size_t size);
    // After the last byte the header implies: the stream must end here, its
    // checksum right. Bytes after its end are left alone, as the common
    // decoders do.
    [[nodiscard]] PngError Finish();

private:
    PngError NextPiece();

    z_stream stream_{};
    bool started_ = false;
    bool ended_ = false;
    PngPieceSource* pieces_ = nullptr;
};

} // namespace imaging::png
