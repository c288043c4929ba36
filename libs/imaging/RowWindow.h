#pragma once
// Premultiplied rows of a straight-alpha picture, made on demand and kept in
// a small ring: filtering straight from the full-size picture then needs a
// few rows premultiplied instead of a copy of the whole picture.

#include "libs/imaging/FixedPixel.h"
#include "libs/imaging/PixelView.h"
#include "libs/imaging/ResampleKernels.h"

#include <cstdint>
#include <vector>

namespace imaging {

class RowWindow {
public:
    // Holds `capacity` rows, row y in slot y % capacity, so any `capacity`
    // consecutive rows can be held at once; a row pushed out is made again
    // when asked for. Throws std::bad_alloc.
    RowWindow(const PixelView& source, int32_t capacity, const ResampleKernels& kernels);

    const FixedPixel* row(int32_t y);

private:
    PixelView source_;
    int32_t capacity_;
    const ResampleKernels& kernels_;
    std::vector<FixedPixel> rows_;
    std::vector<int32_t> held_;  // source row in each slot, -1 for none
};

} // namespace imaging
