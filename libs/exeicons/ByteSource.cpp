#include "libs/exeicons/ByteSource.h"

#include "libs/exeicons/ExeIconLimits.h"

namespace exeicons {

std::optional<std::vector<uint8_t>> ByteSource::read(uint64_t offset, uint64_t length) const {
    if (length > kMaxReadBytes || !RangeInside(offset, length, size()))
        return std::nullopt;
    std::vector<uint8_t> bytes(static_cast<size_t>(length));
    if (length != 0 && !readAt(offset, bytes))
        return std::nullopt;
    return bytes;
}

} // namespace exeicons
