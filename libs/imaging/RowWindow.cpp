#include "libs/imaging/RowWindow.h"

namespace imaging {

RowWindow::RowWindow(const PixelView& source, int32_t capacity)
    : source_(source),
      capacity_(capacity),
      rows_(static_cast<size_t>(capacity) * source.width),
      held_(capacity, -1) {}

const Vec4* RowWindow::row(int32_t y) {
    const int32_t slot = y % capacity_;
    Vec4* out = rows_.data() + static_cast<size_t>(slot) * source_.width;
    if (held_[slot] != y) {
        const uint8_t* in = source_.row(y);
        for (int32_t x = 0; x < source_.width; ++x)
            out[x] = LoadPremultiplied(in + 4 * x);
        held_[slot] = y;
    }
    return out;
}

} // namespace imaging
