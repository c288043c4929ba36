#include "libs/imaging/SourcePicture.h"

#include "libs/imaging/Imaging.h"

namespace imaging {

std::unique_ptr<SourcePicture> SourcePicture::FromImage(QImage image) {
    if (image.isNull() || int64_t{image.width()} * image.height() > kMaxPicturePixels)
        return nullptr;
    if (image.format() != QImage::Format_ARGB32)
        image.convertTo(QImage::Format_ARGB32);  // in place where the depth allows
    if (image.isNull() || image.format() != QImage::Format_ARGB32)
        return nullptr;
    return std::unique_ptr<SourcePicture>(new SourcePicture(std::move(image)));
}

SourcePicture::SourcePicture(QImage image)
    : image_(std::move(image)),
      pixels_{image_.constBits(), image_.width(), image_.height(), image_.bytesPerLine()},
      resampler_(pixels_) {}

} // namespace imaging
