#pragma once
// The general picture reader, for the formats our own decoders do not read:
// its library is found and opened on first use, once per process.

#include "libs/imaging/SourcePicture.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

namespace imaging {

// The decoded picture, or null when the bytes are no picture it reads, are
// refused by `maxPixels`, or the reader's library cannot be had (then every
// such picture is a failed load).
std::unique_ptr<SourcePicture> ReadGeneralPicture(const uint8_t* data, size_t size, int64_t maxPixels);

// The reader's library beside the running program (installed or in the build
// tree), or empty. TREVALO_GENERAL_READER, when set, names it instead.
std::string FindGeneralReader();
// Names the library found beside this program in TREVALO_GENERAL_READER (when
// not set already), for a converter copied elsewhere that this program starts.
void LendGeneralReader();

} // namespace imaging
