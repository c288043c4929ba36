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

} // namespace imaging::png
