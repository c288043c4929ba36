#pragma once
// Appends integers to a byte vector, least significant byte first, as every
// multi-byte field of an icon file is stored.

#include <cstdint>
#include <vector>

namespace icofile {

class LittleEndianWriter {
public:
    explicit LittleEndianWriter(std::vector<uint8_t>& out) : out_(out) {}

    void u8(uint8_t value) { out_.push_back(value); }
    void u16(uint16_t value) {
        u8(static_cast<uint8_t>(value & 0xFF));
        u8(static_cast<uint8_t>(value >> 8));
    }
    void u32(uint32_t value) {
        u16(static_cast<uint16_t>(value & 0xFFFF));
        u16(static_cast<uint16_t>(value >> 16));
    }
    void i32(int32_t value) { u32(static_cast<uint32_t>(value)); }

private:
    std::vector<uint8_t>& out_;
};

} // namespace icofile
