#pragma once
// The zlib stream of a PNG's IDAT pieces, inflated into the caller's memory
// as asked. Both ways of handing out rows inflate through it, so that a
// stream gets one verdict whichever is taken. The inflater (ISA-L's) refuses
// what the format reserves (the length symbols 286 and 287, distance codes
// 30 and 31, more than 286 length or 30 distance codes), as every common PNG
// reader does, at about libdeflate's speed; the two header bytes are checked
// here, by zlib's rules.

#include "libs/imaging/png/PngFile.h"
#include "libs/imaging/png/PngPieceSource.h"

#include <cstddef>
#include <cstdint>
#include <memory>

struct inflate_state;

namespace imaging::png {

class PngZlibPieces {
public:
    PngZlibPieces();
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
    PngError ReadHeader();

    std::unique_ptr<inflate_state> state_;
    bool headerRead_ = false;
    bool ended_ = false;
    PngPieceSource* pieces_ = nullptr;
};

} // namespace imaging::png
