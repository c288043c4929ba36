#include "libs/exeicons/MemoryByteSource.h"

#include <algorithm>

namespace exeicons {

bool MemoryByteSource::readAt(uint64_t offset, std::span<uint8_t> out) const {
    if (!RangeInside(offset, out.size(), bytes_.size()))
        return false;
    std::copy_n(bytes_.begin() + static_cast<std::ptrdiff_t>(offset), out.size(), out.begin());
    return true;
}

} // namespace exeicons
