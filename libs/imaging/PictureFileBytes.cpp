#include "libs/imaging/PictureFileBytes.h"

#include <algorithm>

namespace imaging {

const uint8_t* PictureFileBytes::At(uint64_t offset, size_t count) {
    if (count > png::kPngBytesWindow || offset > size() || count > size() - offset)
        return nullptr;
    if (offset >= start_ && offset + count <= start_ + held_)
        return window_.get() + (offset - start_);
    if (!window_)
        window_.reset(new uint8_t[png::kPngBytesWindow]);
    const size_t want = static_cast<size_t>(std::min<uint64_t>(png::kPngBytesWindow, size() - offset));
    const int64_t got = file_->ReadAt(offset, window_.get(), want);
    start_ = offset;
    held_ = got < 0 ? 0 : static_cast<size_t>(got);
    return count <= held_ ? window_.get() : nullptr;
}

} // namespace imaging
