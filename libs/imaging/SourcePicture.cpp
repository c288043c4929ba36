#include "libs/imaging/SourcePicture.h"

#include "libs/imaging/Imaging.h"

#include <cstring>

namespace imaging {

namespace {

bool Acceptable(const uint8_t* bgra, int32_t width, int32_t height, ptrdiff_t stride) {
    return bgra != nullptr && width > 0 && height > 0 && int64_t{width} * height <= kMaxPicturePixels &&
           stride >= ptrdiff_t{4} * width;
}

} // namespace

std::unique_ptr<SourcePicture> SourcePicture::Adopt(PixelBuffer pixels, int32_t width, int32_t height,
                                                    ptrdiff_t stride) {
    if (!Acceptable(pixels.get(), width, height, stride))
        return nullptr;
    return std::unique_ptr<SourcePicture>(new SourcePicture(std::move(pixels), width, height, stride));
}

std::unique_ptr<SourcePicture> SourcePicture::Copy(const uint8_t* bgra, int32_t width, int32_t height,
                                                   ptrdiff_t stride) {
    if (!Acceptable(bgra, width, height, stride))
        return nullptr;
    const size_t rowBytes = size_t{4} * static_cast<size_t>(width);
    PixelBuffer copy(static_cast<uint8_t*>(std::malloc(rowBytes * static_cast<size_t>(height))));
    if (!copy)
        return nullptr;
    for (int32_t y = 0; y < height; ++y)
        std::memcpy(copy.get() + rowBytes * static_cast<size_t>(y), bgra + stride * y, rowBytes);
    return Adopt(std::move(copy), width, height, static_cast<ptrdiff_t>(rowBytes));
}

SourcePicture::SourcePicture(PixelBuffer pixels, int32_t width, int32_t height, ptrdiff_t stride)
    : buffer_(std::move(pixels)), pixels_{buffer_.get(), width, height, stride}, resampler_(pixels_) {}

} // namespace imaging
