// Fuzz target: decode any bytes as a picture, then make icon bitmaps of a few
// sizes and depths from it, checking what every result must satisfy.

#include "libs/imaging/Imaging.h"

#include <cstddef>
#include <cstdint>

namespace {

// Small enough that every input is decoded and resampled in moments.
constexpr int64_t kFuzzMaxPixels = int64_t{1} << 16;

struct Wanted {
    int32_t size;
    int32_t bitsPerPixel;
};

void Check(bool condition) {
    if (!condition)
        __builtin_trap();
}

void CheckBitmaps(const icofile::ColourBitmap& colour, const icofile::MaskBitmap& mask, const Wanted& want) {
    const size_t pixels = static_cast<size_t>(want.size) * want.size;
    Check(colour.width == want.size && colour.height == want.size && colour.bgra.size() == pixels * 4);
    Check(mask.width == want.size && mask.height == want.size && mask.transparent.size() == pixels);
    for (size_t i = 0; i < pixels; ++i) {
        const uint8_t alpha = colour.bgra[4 * i + 3];
        const bool transparent = want.bitsPerPixel == 32 ? alpha == 0 : alpha < 127;
        Check((mask.transparent[i] != 0) == transparent);
        if (alpha == 0)  // fully transparent pixels carry no colour
            Check((colour.bgra[4 * i] | colour.bgra[4 * i + 1] | colour.bgra[4 * i + 2]) == 0);
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    auto picture = imaging::LoadPictureFromMemory(data, size, kFuzzMaxPixels);
    if (!picture)
        return 0;
    const Wanted wanted[] = {{16, 32}, {1, 4}, {33, 24}, {48, 8}};
    for (const Wanted& want : wanted) {
        icofile::ColourBitmap colour;
        icofile::MaskBitmap mask;
        if (imaging::MakeIconBitmaps(*picture, want.size, want.bitsPerPixel, colour, mask))
            CheckBitmaps(colour, mask, want);
    }
    return 0;
}
