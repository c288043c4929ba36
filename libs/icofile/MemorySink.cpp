#include "libs/icofile/MemorySink.h"

#include <algorithm>
#include <new>

namespace icofile {

bool MemorySink::append(std::span<const uint8_t> bytes) {
    return writeAt(size(), bytes);
}

// Like a file, writing past the end fills the gap with zeros.
bool MemorySink::writeAt(uint64_t offset, std::span<const uint8_t> bytes) {
    if (!out_ || offset > out_->max_size() - bytes.size())
        return false;
    const auto start = static_cast<size_t>(offset);
    try {
        if (start + bytes.size() > out_->size())
            out_->resize(start + bytes.size());
    } catch (const std::bad_alloc&) {
        return false;
    }
    std::copy(bytes.begin(), bytes.end(), out_->begin() + static_cast<std::ptrdiff_t>(start));
    return true;
}

bool MemorySink::close() {
    const bool wasOpen = out_ != nullptr;
    out_ = nullptr;
    return wasOpen;
}

} // namespace icofile
