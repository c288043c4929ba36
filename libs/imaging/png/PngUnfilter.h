#pragma once
// Undoing the five row filters in place. Rows are `size` bytes without their
// filter byte; `previous` is the row above, already unfiltered (all zero for
// a pass's first row); `stride` the bytes per pixel (at least 1).

#include <cstddef>
#include <cstdint>

namespace imaging::png {

using UnfilterFunction = void (*)(uint8_t filter, uint8_t* row, const uint8_t* previous, size_t size, size_t stride);

// Filter types 0 to 4 only; callers reject the others first.
void UnfilterPortable(uint8_t filter, uint8_t* row, const uint8_t* previous, size_t size, size_t stride);

// The fastest version this processor runs (the portable one where there is no other).
UnfilterFunction FastestUnfilter();

// A pass's first row, whose row above is all zero, without a row of zeros:
// Up leaves it as it is, Paeth predicts from the left alone (as Sub does),
// Average from half the left. `unfilter` does None and Sub.
void UnfilterFirstRow(uint8_t filter, uint8_t* row, size_t size, size_t stride, UnfilterFunction unfilter);

inline constexpr uint8_t kFilterCount = 5;

// A row of one pixel below another (size == stride), done inline: its
// left neighbours are all zero, so each byte gets only what the filter
// takes from the byte above (Paeth picks that byte then).
inline void UnfilterOnePixel(uint8_t filter, uint8_t* row, const uint8_t* previous, size_t size) {
    if (filter == 2 || filter == 4) {
        for (size_t i = 0; i < size; ++i)
            row[i] = static_cast<uint8_t>(row[i] + previous[i]);
    } else if (filter == 3) {
        for (size_t i = 0; i < size; ++i)
            row[i] = static_cast<uint8_t>(row[i] + (previous[i] >> 1));
    }
}

} // namespace imaging::png
