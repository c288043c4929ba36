#pragma once
// A decoded picture as 32-bit straight-alpha pixels, with the resampler that
// keeps what all of its icon sizes share.

#include "libs/imaging/PixelView.h"
#include "libs/imaging/Resampler.h"

#include <QImage>

#include <cstdint>
#include <memory>

namespace imaging {

class SourcePicture {
public:
    // Null when the picture is empty, larger than the limit, or cannot be
    // converted to 32-bit straight alpha.
    static std::unique_ptr<SourcePicture> FromImage(QImage image);

    SourcePicture(const SourcePicture&) = delete;
    SourcePicture& operator=(const SourcePicture&) = delete;

    int32_t width() const { return pixels_.width; }
    int32_t height() const { return pixels_.height; }
    PixelView pixels() const { return pixels_; }
    Resampler& resampler() { return resampler_; }

private:
    explicit SourcePicture(QImage image);

    const QImage image_;  // Format_ARGB32: blue, green, red, alpha bytes
    PixelView pixels_;
    Resampler resampler_;
};

} // namespace imaging
