#include "libs/imaging/png/PngError.h"

namespace imaging::png {

const char* PngErrorName(PngError error) {
    switch (error) {
    case PngError::kOk: return "ok";
    case PngError::kNotPng: return "not a PNG";
    case PngError::kTruncated: return "truncated";
    case PngError::kBadChunk: return "malformed chunk";
    case PngError::kBadCrc: return "critical chunk checksum mismatch";
    case PngError::kUnknownCritical: return "unknown critical chunk";
    case PngError::kMissingChunk: return "missing IHDR, PLTE or IDAT";
    case PngError::kMisplacedChunk: return "repeated or misplaced IHDR, PLTE or IDAT";
    case PngError::kBadHeader: return "invalid IHDR";
    case PngError::kTooLarge: return "too many pixels";
    case PngError::kBadPalette: return "invalid PLTE";
    case PngError::kBadZlib: return "damaged zlib stream";
    case PngError::kWrongDataLength: return "image data length differs from IHDR";
    case PngError::kBadFilter: return "unknown row filter";
    case PngError::kBadPaletteIndex: return "palette index beyond PLTE";
    case PngError::kBadTarget: return "pixel buffer does not fit";
    case PngError::kNoMemory: return "out of memory";
    }
    return "unknown";
}

} // namespace imaging::png
