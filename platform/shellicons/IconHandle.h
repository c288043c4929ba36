#pragma once
// An icon as the shell hands it out: its picture at the standard icon size
// and the icon image as an icon keeps it, a DIB with its AND mask. For an
// icon stored as a DIB of exactly the standard size those are the stored
// bytes, unchanged; for any other a 32-bit DIB made from the picture.

#include <QImage>

#include <cstdint>
#include <vector>

namespace platform {

// Edge length of the shell's large icon, in pixels.
inline constexpr int kStandardIconSize = 32;

struct IconHandle {
    QImage image;              // kStandardIconSize square, ARGB32 with straight alpha; null: no icon
    std::vector<uint8_t> dib;  // header, colour table, colour rows, mask rows (both bottom row first)

    [[nodiscard]] bool isNull() const { return image.isNull(); }
};

// A handle for a picture at the standard size: `storedDib` when given,
// else a 32-bit DIB of the picture with a mask that is transparent where
// alpha is 0. Null for a null picture or one of another size.
[[nodiscard]] IconHandle MakeIconHandle(const QImage& picture, std::vector<uint8_t> storedDib = {});

} // namespace platform
