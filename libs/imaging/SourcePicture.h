#pragma once
// A decoded picture as 32-bit straight-alpha pixels, with the resampler that
// keeps what all of its icon sizes share.

#include "libs/imaging/PixelView.h"
#include "libs/imaging/Resampler.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <memory>

namespace imaging {

struct FreePixels {
    void operator()(uint8_t* pixels) const { std::free(pixels); }
};
// Pixels from malloc: the decoders and the general reader hand theirs over.
using PixelBuffer = std::unique_ptr<uint8_t, FreePixels>;

class SourcePicture {
public:
    // Takes the pixels (blue, green, red, alpha bytes). Null when the picture
    // is empty or larger than the limit.
    static std::unique_ptr<SourcePicture> Adopt(PixelBuffer pixels, int32_t width, int32_t height, ptrdiff_t stride);
    // The same from a copy of the pixels.
    static std::unique_ptr<SourcePicture> Copy(const uint8_t* bgra, int32_t width, int32_t height, ptrdiff_t stride);

    SourcePicture(const SourcePicture&) = delete;
    SourcePicture& operator=(const SourcePicture&) = delete;

    int32_t width() const { return pixels_.width; }
    int32_t height() const { return pixels_.height; }
    PixelView pixels() const { return pixels_; }
    Resampler& resampler() { return resampler_; }

private:
    SourcePicture(PixelBuffer pixels, int32_t width, int32_t height, ptrdiff_t stride);

    const PixelBuffer buffer_;
    PixelView pixels_;
    Resampler resampler_;
};

} // namespace imaging
