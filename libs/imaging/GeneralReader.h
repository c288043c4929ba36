#pragma once
// The general picture reader, for the formats our own decoders do not read:
// its library is found and opened on first use, once per process.

#include "libs/imaging/SourcePicture.h"

#include <cstddef>
#include <cstdint>
#include <memory>

namespace imaging {

// The decoded picture, or null when the bytes are no picture it reads, are
// refused by `maxPixels`, or the reader's library cannot be had (then every
// such picture is a failed load).
std::unique_ptr<SourcePicture> ReadGeneralPicture(const uint8_t* data, size_t size, int64_t maxPixels);

} // namespace imaging
