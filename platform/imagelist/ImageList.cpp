#include "ImageList.h"

#include "libs/exeicons/IconImageInfo.h"
#include "libs/files/ReplaceFile.h"
#include "libs/icofile/SingleImageIcon.h"
#include "platform/imagelist/ImageBitmaps.h"
#include "libs/imaging/Resampler.h"

#include <QFile>
#include <algorithm>
#include <cstring>

namespace platform {
namespace {

constexpr QRgb kMaskRgb = 0xC0C0C0;  // the list's mask colour 0x00C0C0C0 (its bytes are the same either way)

// Straight-alpha 32 bits, as every icon picture is held.
QImage ToArgb32(const QImage& image) {
    return image.format() == QImage::Format_ARGB32 ? image : image.convertToFormat(QImage::Format_ARGB32);
}

// Pixels of exactly the mask colour, whatever their alpha, become fully
// transparent (and all zero, as the icon stores them).
void ClearMaskColour(QImage& image) {
    for (int y = 0; y < image.height(); ++y) {
        auto* row = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < image.width(); ++x) {
            if ((row[x] & 0x00FFFFFF) == kMaskRgb)
                row[x] = 0;
        }
    }
}

// The size that fits kMaxIconEdge x kMaxIconEdge with the picture's aspect
// ratio, each edge at least 1.
QSize FittedSize(QSize size) {
    const int longest = std::max(size.width(), size.height());
    auto fit = [longest](int edge) {
        const int64_t scaled = (int64_t{edge} * kMaxIconEdge + longest / 2) / longest;
        return static_cast<int>(std::max<int64_t>(scaled, 1));
    };
    return {fit(size.width()), fit(size.height())};
}

// ARGB32 is blue, green, red, alpha in memory on little-endian machines,
// which is what the resampler reads and writes.
QImage ScaleToFit(const QImage& image) {
    QImage scaled(FittedSize(image.size()), QImage::Format_ARGB32);
    if (scaled.isNull())
        return QImage();
    imaging::Resampler resampler(
        {image.constBits(), image.width(), image.height(), static_cast<ptrdiff_t>(image.bytesPerLine())});
    const imaging::PixelTarget target{scaled.bits(), scaled.width(), scaled.height(),
                                      static_cast<ptrdiff_t>(scaled.bytesPerLine())};
    return resampler.Resample(target) ? scaled : QImage();
}

bool FitsIcon(const QImage& image) {
    return image.width() <= kMaxIconEdge && image.height() <= kMaxIconEdge;
}

// The directory entry of stored icon bytes comes from the bytes themselves;
// nothing when they are not an icon image this writer can state.
std::optional<icofile::StoredImage> DescribeStoredImage(const std::vector<uint8_t>& data) {
    const std::optional<exeicons::ImageInfo> info = exeicons::InspectIconImage(data);
    if (!info || info->width > kMaxIconEdge || info->height > kMaxIconEdge)
        return std::nullopt;
    icofile::StoredImage stored;
    stored.width = info->width;
    stored.height = info->height;
    const bool paletted = info->format == exeicons::ImageFormat::kDib && info->bitCount <= 8;
    stored.colourCount = paletted ? static_cast<uint8_t>((1u << info->bitCount) & 0xFF) : 0;
    stored.bitCount = info->bitCount;
    stored.data = data;
    return stored;
}

// The 32-bit image and its mask (transparent where alpha is 0), encoded.
bool EncodeImage(const QImage& picture, std::vector<uint8_t>& out) {
    icofile::ColourBitmap colour;
    icofile::MaskBitmap mask;
    if (picture.isNull() || !FitsIcon(picture) || !platform::BitmapsFromImage(picture, colour, mask))
        return false;
    return static_cast<bool>(icofile::EncodeSingleImageIcon(colour, mask, out));
}

} // namespace

int ImageList::Add(const Picture& picture, const QString& key) {
    if (picture.isNull() || (!key.isEmpty() && IndexOf(key) != 0))
        return 0;
    Picture stored{ToArgb32(picture.image).copy(), picture.iconImageData};
    if (stored.isNull())
        return 0;
    if (imageWidth_ == 0 && imageHeight_ == 0) {
        imageWidth_ = stored.image.width();
        imageHeight_ = stored.image.height();
    }
    images_.push_back({std::move(stored), key});
    return Count();
}

int ImageList::Add(const QImage& picture, const QString& key) {
    return Add(Picture{picture, {}}, key);
}

void ImageList::Clear() {
    images_.clear();
}

QImage ImageList::Image(int index) const {
    if (index < 1 || index > Count())
        return QImage();
    return images_[static_cast<size_t>(index - 1)].picture.image;
}

int ImageList::IndexOf(const QString& key) const {
    for (size_t i = 0; i < images_.size(); ++i) {
        if (!key.isEmpty() && images_[i].key == key)
            return static_cast<int>(i) + 1;
    }
    return 0;
}

Picture ImageList::ExtractIcon(int index) const {
    if (index < 1 || index > Count())
        return {};
    const Picture& source = images_[static_cast<size_t>(index - 1)].picture;
    const bool isIcon = !source.iconImageData.empty();
    if (isIcon && FitsIcon(source.image))
        return source;  // an icon brings its own mask: its bytes stay as they are
    QImage image = source.image.copy();
    if (image.isNull())
        return {};
    if (!isIcon)
        ClearMaskColour(image);
    if (!FitsIcon(image))
        image = ScaleToFit(image);
    return {image, {}};
}

bool SavePicture(const Picture& icon, const QString& path) {
    if (icon.isNull())
        return false;
    std::vector<uint8_t> bytes;
    const std::optional<icofile::StoredImage> stored =
        icon.iconImageData.empty() ? std::nullopt : DescribeStoredImage(icon.iconImageData);
    const bool encoded =
        stored ? static_cast<bool>(icofile::EncodeStoredImageIcon(*stored, bytes)) : EncodeImage(icon.image, bytes);
    if (!encoded)
        return false;
    // A failed save leaves no partial file behind.
    return files::ReplaceFile(QFile::encodeName(path).toStdString(), bytes);
}

} // namespace platform
