#include "ImageList.h"

namespace platform {

int ImageList::Add(const QImage& picture, const QString& key) {
    if (picture.isNull() || (!key.isEmpty() && IndexOf(key) != 0))
        return 0;
    if (imageWidth_ == 0 && imageHeight_ == 0) {
        imageWidth_ = picture.width();
        imageHeight_ = picture.height();
    }
    images_.push_back({picture.copy(), key});
    return Count();
}

void ImageList::Clear() {
    images_.clear();
}

QImage ImageList::Image(int index) const {
    if (index < 1 || index > Count())
        return QImage();
    return images_[static_cast<size_t>(index - 1)].image;
}

int ImageList::IndexOf(const QString& key) const {
    for (size_t i = 0; i < images_.size(); ++i) {
        if (!key.isEmpty() && images_[i].key == key)
            return static_cast<int>(i) + 1;
    }
    return 0;
}

} // namespace platform
