#pragma once
// The filtered rows of a PNG, handed out many at a time: inflated at once
// into a buffer of the whole filtered size (often the pixel buffer's tail),
// or inflated block by block as they are asked for. Pictures with rows wider
// than a block are decoded in pieces of rows instead (PngPieceRows.h).

#include "libs/imaging/png/PngFile.h"
#include "libs/imaging/png/PngPieceSource.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <new>

namespace imaging::png {

class PngImageData {
public:
    virtual ~PngImageData() = default;
    // The next rows of `size` bytes each (filter byte included), from 1 up
    // to `count` (*got says how many), one after another and writable: one
    // call for many rows, so that narrow rows cost no call each. The last
    // row handed out before stays valid. Null with *error set when the
    // stream fails.
    virtual uint8_t* NextRows(size_t size, uint32_t count, uint32_t* got, PngError* error) = 0;
    // After the last row: the stream must end here, its checksum right.
    [[nodiscard]] virtual PngError Finish() = 0;
};

// Makes the image data of type T and lets `start` set it going: null with
// *error set when that fails, also for want of memory.
template <class T, class Start>
std::unique_ptr<PngImageData> StartImageData(PngError* error, Start start) {
    try {
        auto data = std::make_unique<T>();
        *error = start(*data);
        if (*error != PngError::kOk)
            return nullptr;
        return data;
    } catch (const std::bad_alloc&) {
        *error = PngError::kNoMemory;
        return nullptr;
    }
}

// Filtered data inflated into the tail of a buffer of packed pixel rows:
// it starts `ahead` bytes after the first pixel, and the pixels of row y
// end at (y + 1) * pixelRow, written once row y is unfiltered.
struct PngInPlace {
    uint8_t* place = nullptr;
    uint64_t ahead = 0;
    uint64_t pixelRow = 0;
};

// Inflates everything now; on failure null with *error set. With `inPlace`,
// into the pixel buffer's tail instead of a buffer of its own; then rows
// the pixels would overtake are copied out first. All rows are `rowSize`
// bytes there; otherwise rowSize is the widest row.
std::unique_ptr<PngImageData> InflateWhole(const PngFile& file, uint64_t filteredSize, const PngInPlace* inPlace,
                                           size_t rowSize, PngError* error);

// Inflates block by block from `pieces` (which must outlive it), rows of at
// most `widest` bytes in blocks of about `block` bytes.
std::unique_ptr<PngImageData> InflateBlocks(PngPieceSource* pieces, size_t widest, size_t block, PngError* error);

} // namespace imaging::png
