#pragma once
// Why a PNG could not be decoded: one value per rejection, one name each.

namespace imaging::png {

enum class PngError {
    kOk,
    kNotPng,             // no PNG signature
    kTruncated,          // the bytes end inside a chunk that is needed
    kBadChunk,           // a chunk length, name or required size that cannot be
    kBadCrc,             // a critical chunk's checksum does not match
    kUnknownCritical,    // a critical chunk this decoder does not know
    kMissingChunk,       // no IHDR first, no IDAT, or no PLTE for a palette picture
    kMisplacedChunk,     // a repeated IHDR or PLTE, a PLTE after IDAT or in a grey picture, IDATs apart
    kBadHeader,          // dimensions, depth/type pair or a method the standard does not define
    kTooLarge,           // more pixels than the caller allows
    kBadPalette,         // a PLTE whose length is not 1 to 256 entries
    kBadZlib,            // a zlib header, deflate data or adler32 that is wrong, or a stream cut short
    kWrongDataLength,    // the stream holds more or less data than the header implies
    kBadFilter,          // a row with a filter type above 4
    kBadPaletteIndex,    // a pixel naming an entry beyond PLTE
    kBadTarget,          // the caller's pixel buffer does not fit the picture
    kNoMemory,
};

const char* PngErrorName(PngError error);

} // namespace imaging::png
