#pragma once
#include <QImage>

namespace artwork {

inline constexpr int kBannerWidth = 508;
inline constexpr int kBannerHeight = 40;

// The banner strip: the logo, the product name and the web address on a
// blue gradient. No alpha: it is stored as a 24-bit bitmap.
QImage DrawBanner(const QImage& logo);

} // namespace artwork
