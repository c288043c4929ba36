#pragma once
// Walks a PNG's chunks in memory: checks their order and checksums and
// collects what decoding needs into a PngFile. The bytes must outlive it.

#include "libs/imaging/png/PngBytes.h"
#include "libs/imaging/png/PngFile.h"

#include <cstddef>
#include <cstdint>

namespace imaging::png {

inline constexpr uint8_t kPngSignature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};

bool HasPngSignature(const uint8_t* data, size_t size);

// Fails for damaged structure, a bad checksum on a critical chunk, or more
// than maxPixels pixels (checked from IHDR, before anything else is read).
// Ancillary chunks that are unknown, misplaced, malformed or fail their
// checksum are skipped; the bytes may end after the last IDAT without IEND.
[[nodiscard]] PngError ReadChunks(const uint8_t* data, size_t size, int64_t maxPixels, PngFile* file);
// The same over bytes from anywhere; unless they are in memory, the IDAT
// payloads are not kept (file->imageData stays empty; they are read again
// from imageDataAt).
[[nodiscard]] PngError ReadChunks(PngBytes* bytes, int64_t maxPixels, PngFile* file);

} // namespace imaging::png
