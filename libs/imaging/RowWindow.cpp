#include "libs/imaging/RowWindow.h"

namespace imaging {

RowWindow::RowWindow(const PixelView& source, int32_t capacity, const ResampleKernels& kernels)
    : source_(source),
      capacity_(capacity),
      kernels_(kernels),
      rows_(static_cast<size_t>(capacity) * source.width),
      held_(capacity, -1) {}

const FixedPixel* RowWindow::row(int32_t y) {
    const int32_t slot = y % capacity_;
    FixedPixel* out = rows_.data() + static_cast<size_t>(slot) * source_.width;
    if (held_[slot] != y) {
        kernels_.premultiply(source_.row(y), source_.width, out);
        held_[slot] = y;
    }
    return out;
}

} // namespace imaging
