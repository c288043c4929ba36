#pragma once
// The window's scratch image list: pictures addressed by index from 1 in the
// order added, or by a text key, with the list's own settings at their
// defaults (no image size until the first image, mask colour 0x00C0C0C0,
// background the window colour).

#include "platform/widgets/OleColor.h"

#include <QImage>
#include <QString>
#include <vector>

namespace platform {

class ImageList {
public:
    int ImageWidth() const { return imageWidth_; }   // 0 while unset
    int ImageHeight() const { return imageHeight_; }
    OleColor MaskColor() const { return 0x00C0C0C0; }
    OleColor BackColor() const { return kWindowBackground; }

    // Appends a copy of the picture; returns its index (from 1), or 0 when the
    // picture is missing or the key is already taken. The first image sets
    // the list's image size.
    [[nodiscard]] int Add(const QImage& picture, const QString& key = QString());
    void Clear();
    int Count() const { return static_cast<int>(images_.size()); }
    // The image at `index` (from 1); a null image when out of range.
    QImage Image(int index) const;
    // Index of the image with that key, 0 when none has it.
    int IndexOf(const QString& key) const;

private:
    struct Entry {
        QImage image;
        QString key;
    };
    std::vector<Entry> images_;
    int imageWidth_ = 0;
    int imageHeight_ = 0;
};

} // namespace platform
