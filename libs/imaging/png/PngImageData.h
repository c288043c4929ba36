#pragma once
// The filtered rows of a PNG, inflated from its IDAT pieces at once into a
// buffer of the whole filtered size (often the pixel buffer's tail), handed
// out one at a time. Larger pictures are decoded in pieces instead
// (PngPieceRows.h).

#include "libs/imaging/png/PngFile.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <new>

namespace imaging::png {

class PngImageData {
public:
    virtual ~PngImageData() = default;
    // The next `size` bytes of filtered data, writable; the row handed out
    // before stays valid. Null with *error set when the stream fails.
    virtual uint8_t* NextRow(size_t size, PngError* error) = 0;
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

// Inflates everything now; on failure null with *error set. With `place`,
// into those filteredSize bytes (the tail of the pixel buffer) instead of a
// buffer of its own, each row copied out before the pixels overwrite it.
std::unique_ptr<PngImageData> InflateWhole(const PngFile& file, uint64_t filteredSize, uint8_t* place,
                                           size_t maxRow, PngError* error);

} // namespace imaging::png
