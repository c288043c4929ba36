#include "platform/shellicons/LargeIconImage.h"

#include "libs/exeicons/DibDecoder.h"
#include "libs/exeicons/DibLayout.h"
#include "libs/exeicons/LargeIcon.h"
#include "libs/imaging/Resampler.h"

#include <QBuffer>
#include <QByteArray>
#include <QImageReader>

#include <cstring>

namespace platform {
namespace {

std::optional<QImage> DecodePng(const std::vector<uint8_t>& data, int width, int height) {
    QByteArray bytes = QByteArray::fromRawData(reinterpret_cast<const char*>(data.data()),
                                               static_cast<qsizetype>(data.size()));
    QBuffer buffer(&bytes);
    QImageReader reader(&buffer, "png");
    reader.setAutoTransform(false);
    const QImage decoded = reader.read();
    // The header was checked before; a picture of any other size than it
    // claimed means the data cannot be trusted.
    if (decoded.isNull() || decoded.width() != width || decoded.height() != height)
        return std::nullopt;
    return decoded.convertToFormat(QImage::Format_ARGB32);
}

std::optional<QImage> DecodeDib(const std::vector<uint8_t>& data) {
    const exeicons::DecodeResult decoded = exeicons::DecodeDibIcon(data);
    if (!decoded.ok())
        return std::nullopt;
    // Blue, green, red, alpha bytes are ARGB32 words on a little-endian machine.
    QImage image(decoded.image.width, decoded.image.height, QImage::Format_ARGB32);
    if (image.isNull())
        return std::nullopt;
    const auto rowBytes = static_cast<size_t>(decoded.image.width) * 4;
    for (int y = 0; y < image.height(); ++y)
        std::memcpy(image.scanLine(y), decoded.image.bgra.data() + static_cast<size_t>(y) * rowBytes, rowBytes);
    return image;
}

// The bytes of the DIB itself: 16-bit executables pad their resources to an
// alignment, and those padding bytes are no part of the image.
std::vector<uint8_t> StoredDib(const std::vector<uint8_t>& data) {
    exeicons::DibLayout layout;
    if (exeicons::ParseDibLayout(data, &layout) != exeicons::ExeIconError::kNone)
        return {};
    return std::vector<uint8_t>(data.begin(), data.begin() + static_cast<std::ptrdiff_t>(layout.totalBytes));
}

} // namespace

std::optional<QImage> DecodeIconImage(const exeicons::IconImage& image) {
    if (image.info.format == exeicons::ImageFormat::kPng)
        return DecodePng(image.data, image.info.width, image.info.height);
    return DecodeDib(image.data);
}

QImage ToStandardIconSize(const QImage& picture) {
    if (picture.isNull())
        return {};
    const QImage source = picture.convertToFormat(QImage::Format_ARGB32);
    if (source.width() == kStandardIconSize && source.height() == kStandardIconSize)
        return source;
    QImage target(kStandardIconSize, kStandardIconSize, QImage::Format_ARGB32);
    if (target.isNull())
        return {};
    imaging::Resampler resampler(
        imaging::PixelView{source.constBits(), source.width(), source.height(), source.bytesPerLine()});
    if (!resampler.Resample(
            imaging::PixelTarget{target.bits(), target.width(), target.height(), target.bytesPerLine()}))
        return {};
    return target;
}

IconHandle LargeIconOf(const exeicons::IconGroup& group) {
    const auto index = exeicons::PickLargeIcon(group);
    if (!index)
        return {};
    const exeicons::IconImage& chosen = group.images[*index];
    const auto decoded = DecodeIconImage(chosen);
    if (!decoded)
        return {};
    const bool storedAsIs = chosen.info.format == exeicons::ImageFormat::kDib &&
                            chosen.info.width == kStandardIconSize && chosen.info.height == kStandardIconSize;
    return MakeIconHandle(ToStandardIconSize(*decoded), storedAsIs ? StoredDib(chosen.data) : std::vector<uint8_t>{});
}

} // namespace platform
