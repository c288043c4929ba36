#include "libs/exeicons/LeReader.h"

#include "libs/exeicons/ByteSource.h"

namespace exeicons {

bool LeReader::has(uint64_t pos, uint64_t length) const {
    return RangeInside(pos, length, bytes_.size());
}

const uint8_t* LeReader::at(uint64_t pos, uint64_t length) {
    if (!has(pos, length)) {
        ok_ = false;
        return nullptr;
    }
    return bytes_.data() + pos;
}

uint8_t LeReader::u8(uint64_t pos) {
    const uint8_t* p = at(pos, 1);
    return p ? p[0] : 0;
}

uint16_t LeReader::u16(uint64_t pos) {
    const uint8_t* p = at(pos, 2);
    return p ? static_cast<uint16_t>(p[0] | (p[1] << 8)) : 0;
}

uint32_t LeReader::u32(uint64_t pos) {
    const uint8_t* p = at(pos, 4);
    if (!p)
        return 0;
    return static_cast<uint32_t>(p[0]) | (static_cast<uint32_t>(p[1]) << 8) |
           (static_cast<uint32_t>(p[2]) << 16) | (static_cast<uint32_t>(p[3]) << 24);
}

int32_t LeReader::i32(uint64_t pos) {
    return static_cast<int32_t>(u32(pos));
}

uint32_t LeReader::u32BigEndian(uint64_t pos) {
    const uint8_t* p = at(pos, 4);
    if (!p)
        return 0;
    return (static_cast<uint32_t>(p[0]) << 24) | (static_cast<uint32_t>(p[1]) << 16) |
           (static_cast<uint32_t>(p[2]) << 8) | static_cast<uint32_t>(p[3]);
}

std::span<const uint8_t> LeReader::bytes(uint64_t pos, uint64_t length) {
    const uint8_t* p = at(pos, length);
    return p ? std::span<const uint8_t>(p, static_cast<size_t>(length)) : std::span<const uint8_t>();
}

} // namespace exeicons
