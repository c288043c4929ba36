#pragma once
// The pieces of a PNG's compressed image data, one after another: the IDAT
// payloads kept by the chunk reader, or read from the file as they are needed.

#include "libs/imaging/png/PngBytes.h"
#include "libs/imaging/png/PngFile.h"

#include <cstdint>
#include <vector>

namespace imaging::png {

class PngPieceSource {
public:
    virtual ~PngPieceSource() = default;
    // The next piece (valid until the next call); false at the end of the
    // image data, or with *error set when it cannot be read.
    virtual bool Next(ByteSpan* piece, PngError* error) = 0;
};

class PngKeptPieces final : public PngPieceSource {
public:
    explicit PngKeptPieces(const std::vector<ByteSpan>& pieces) : pieces_(pieces) {}
    bool Next(ByteSpan* piece, PngError*) override {
        if (next_ >= pieces_.size())
            return false;
        *piece = pieces_[next_++];
        return true;
    }

private:
    const std::vector<ByteSpan>& pieces_;
    size_t next_ = 0;
};

// The IDAT chunks from `at` (the first one's start) on, a window at a time,
// each one's checksum checked again as it is read (the file may have changed
// since the chunks were walked).
class PngFilePieces final : public PngPieceSource {
public:
    PngFilePieces(PngBytes* bytes, uint64_t at) : bytes_(bytes), at_(at) {}
    bool Next(ByteSpan* piece, PngError* error) override;

private:
    bool EndChunk(PngError* error);

    PngBytes* bytes_;
    uint64_t at_;
    uint64_t left_ = 0;  // of the current chunk's data
    bool inChunk_ = false;
    uint32_t crc_ = 0;
};

} // namespace imaging::png
