#pragma once
// The window's scratch image list: pictures addressed by index from 1 in the
// order added, or by a text key, with the list's own settings at their
// defaults (no image size until the first image, mask colour 0x00C0C0C0,
// background the window colour). It turns a picture into an icon picture
// (ExtractIcon), which SavePicture writes as a one-image .ico file.

#include "platform/widgets/OleColor.h"

#include <QImage>
#include <QString>
#include <cstdint>
#include <vector>

namespace platform {

// A picture value. For a picture made from an icon, iconImageData holds the
// icon image's stored bytes (a DIB with its mask, as in an .ico or an
// executable's icon resource), which saving may write unchanged.
struct Picture {
    QImage image;                        // 32-bit straight alpha (QImage::Format_ARGB32)
    std::vector<uint8_t> iconImageData;  // may be empty
    bool isNull() const { return image.isNull(); }
};

// Icons are at most this many pixels wide and high; larger pictures are
// scaled down to fit, keeping their aspect ratio.
inline constexpr int kMaxIconEdge = 256;

class ImageList {
public:
    int ImageWidth() const { return imageWidth_; }   // 0 while unset
    int ImageHeight() const { return imageHeight_; }
    OleColor MaskColor() const { return 0x00C0C0C0; }
    OleColor BackColor() const { return kWindowBackground; }

    // Appends a copy of the picture; returns its index (from 1), or 0 when the
    // picture is missing or the key is already taken. The first image sets
    // the list's image size.
    [[nodiscard]] int Add(const Picture& picture, const QString& key = QString());
    [[nodiscard]] int Add(const QImage& picture, const QString& key = QString());
    void Clear();
    int Count() const { return static_cast<int>(images_.size()); }
    // The image at `index` (from 1); a null image when out of range.
    QImage Image(int index) const;
    // Index of the image with that key, 0 when none has it.
    int IndexOf(const QString& key) const;

    // An icon picture made from image `index` (from 1): one 32-bit image with
    // alpha, at the picture's own size up to kMaxIconEdge x kMaxIconEdge,
    // larger pictures scaled down (bicubic) to fit keeping their aspect ratio.
    // Pixels of exactly the mask colour become transparent; a picture's own
    // alpha is kept. A picture that came with iconImageData and needs no
    // scaling keeps those bytes and its pixels as they are: an icon already
    // has its own mask, so the mask colour is not applied to it. Null when
    // `index` is out of range or memory cannot be had.
    Picture ExtractIcon(int index) const;

private:
    struct Entry {
        Picture picture;
        QString key;
    };
    std::vector<Entry> images_;
    int imageWidth_ = 0;
    int imageHeight_ = 0;
};

// Writes an icon picture as a one-image .ico file, replacing a file of that
// name; false (and no partial file left) when it cannot be written. With
// iconImageData the stored image bytes are written unchanged; otherwise the
// 32-bit image is stored with a 1-bit mask that is transparent where alpha
// is 0.
[[nodiscard]] bool SavePicture(const Picture& icon, const QString& path);

} // namespace platform
