#pragma once
// Our PNG decoder: every colour type, depth and interlacing of the standard,
// to 8-bit straight alpha in blue, green, red, alpha byte order. Works on
// bytes in memory and never prints anything.
//
// Two steps, so that a caller can check the size and provide the pixel
// memory in between: ReadChunks (PngChunkReader.h), then DecodeImage.

#include "libs/imaging/png/PngChunkReader.h"
#include "libs/imaging/png/PngFile.h"
#include "libs/imaging/png/PngPieceSource.h"

#include <cstddef>
#include <cstdint>
#include <vector>

namespace imaging::png {

// Above this much filtered data the stream is inflated in pieces of rows
// instead of into one buffer, so that a large picture of any shape costs
// little more than its decoded pixels.
inline constexpr uint64_t kStreamingThreshold = uint64_t{16} << 20;

// Bytes of a row taken at a time when streaming: a multiple of 24, so of
// every filter stride (1, 2, 3, 4, 6, 8 bytes) and of 8, so that a piece
// holds whole pixels and starts on a byte at every depth.
inline constexpr size_t kStreamingPiece = size_t{3} << 16;

struct DecodeOptions {
    uint64_t streamingThreshold = kStreamingThreshold;
    size_t streamingPiece = kStreamingPiece;  // rounded down to a multiple of 24, at least 24
    bool portable = false;  // no vector code (for tests of the portable path)
};

// Where the pixels go: width x height of the header, 4 bytes each. A target
// of packed rows with DecodeCapacity bytes lets the image data be inflated
// into its own tail, saving a buffer of the whole filtered size.
struct PngTarget {
    uint8_t* bgra = nullptr;
    ptrdiff_t stride = 0;
    uint64_t capacity = 0;  // bytes at bgra; 0: unknown, rows only
};

// The bytes a packed target (stride width * 4) needs for that.
uint64_t DecodeCapacity(const PngFile& file, const DecodeOptions& options = {});

// Fills every pixel of the target, or fails (the target is then partly written).
[[nodiscard]] PngError DecodeImage(const PngFile& file, const PngTarget& target, const DecodeOptions& options = {});

// The streaming way whatever the size, the image data taken from `pieces`
// (for a file read in pieces).
[[nodiscard]] PngError DecodeImageFrom(const PngFile& file, PngPieceSource* pieces, const PngTarget& target,
                                       const DecodeOptions& options = {});

// Both steps into a vector of width * height * 4 bytes.
[[nodiscard]] PngError DecodePng(const uint8_t* data, size_t size, int64_t maxPixels, std::vector<uint8_t>* bgra,
                                 PngHeader* header, const DecodeOptions& options = {});

} // namespace imaging::png
