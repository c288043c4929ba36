#pragma once
// The one reader of binary fields: little-endian integers (and PNG's
// big-endian ones) at positions of a byte span, each access checked against
// the span. A failed access yields 0 and clears ok() for good, so a parser
// reads a whole record and checks once.

#include <cstdint>
#include <span>

namespace exeicons {

class LeReader {
public:
    explicit LeReader(std::span<const uint8_t> bytes) : bytes_(bytes) {}

    [[nodiscard]] uint64_t size() const { return bytes_.size(); }
    [[nodiscard]] bool ok() const { return ok_; }
    // True when [pos, pos + length) lies inside the span; no state change.
    [[nodiscard]] bool has(uint64_t pos, uint64_t length) const;

    [[nodiscard]] uint8_t u8(uint64_t pos);
    [[nodiscard]] uint16_t u16(uint64_t pos);
    [[nodiscard]] uint32_t u32(uint64_t pos);
    [[nodiscard]] int32_t i32(uint64_t pos);
    [[nodiscard]] uint32_t u32BigEndian(uint64_t pos);
    // The bytes of [pos, pos + length), or an empty span and a failure.
    [[nodiscard]] std::span<const uint8_t> bytes(uint64_t pos, uint64_t length);

private:
    [[nodiscard]] const uint8_t* at(uint64_t pos, uint64_t length);

    std::span<const uint8_t> bytes_;
    bool ok_ = true;
};

} // namespace exeicons
