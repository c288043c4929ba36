#include "libs/imaging/bmp/BmpError.h"

namespace imaging::bmp {

const char* BmpErrorName(BmpError error) {
    switch (error) {
    case BmpError::kOk: return "ok";
    case BmpError::kNotBmp: return "not a BMP";
    case BmpError::kTruncated: return "truncated";
    case BmpError::kBadHeader: return "unknown info header";
    case BmpError::kBadDimensions: return "invalid dimensions";
    case BmpError::kBadBitCount: return "invalid bit count";
    case BmpError::kBadCompression: return "unsupported compression";
    case BmpError::kBadMasks: return "invalid bit fields";
    case BmpError::kBadOffset: return "pixel data offset out of range";
    case BmpError::kTooLarge: return "too many pixels";
    case BmpError::kBadRle: return "damaged RLE data";
    case BmpError::kBadTarget: return "pixel buffer does not fit";
    case BmpError::kNoMemory: return "out of memory";
    }
    return "unknown";
}

} // namespace imaging::bmp
