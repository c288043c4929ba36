#include "libs/imaging/bmp/BmpRle.h"

#include <cstring>

namespace imaging::bmp {

namespace {

enum : uint8_t { kEndOfLine = 0, kEndOfBitmap = 1, kDelta = 2 };

class RleWriter {
public:
    RleWriter(const BmpHeader& header, const BmpPixelFormat& format, const BmpTarget& target)
        : header_(header), format_(format), target_(target) {}

    // Rows count from the bottom, as they are stored.
    bool done() const { return y_ >= static_cast<uint64_t>(header_.height); }
    void Put(uint8_t index) {
        if (x_ < static_cast<uint64_t>(header_.width) && !done()) {
            const uint32_t colour = format_.Colour(index);
            uint8_t* row = target_.bgra + static_cast<ptrdiff_t>(header_.height - 1 - y_) * target_.stride;
            std::memcpy(row + x_ * 4, &colour, 4);
        }
        ++x_;  // past the row's end the pixels are dropped
    }
    void EndLine() {
        x_ = 0;
        ++y_;
    }
    void Move(uint8_t dx, uint8_t dy) {
        x_ += dx;
        y_ += dy;
    }

private:
    const BmpHeader& header_;
    const BmpPixelFormat& format_;
    BmpTarget target_;
    uint64_t x_ = 0, y_ = 0;  // may run past the picture: such pixels are dropped
};

// Pixel i of a run or absolute run: RLE8 one byte each; RLE4 two nibbles a
// byte, high first.
uint8_t Nibble(const uint8_t* bytes, uint32_t i) { return (i & 1) ? bytes[i / 2] & 0x0F : bytes[i / 2] >> 4; }

} // namespace

BmpError DecodeRle(const uint8_t* data, size_t size, const BmpHeader& header, const BmpPixelFormat& format,
                   const BmpTarget& target) {
    const bool four = header.compression == kRle4;
    RleWriter out(header, format, target);
    size_t at = 0;
    while (!out.done()) {
        // Codes that run out after the last row was finished still make a
        // whole picture (writers often leave out the end-of-bitmap code).
        if (size - at < 2)
            return BmpError::kBadRle;
        const uint8_t count = data[at], value = data[at + 1];
        at += 2;
        if (count > 0) {
            const uint8_t pair[1] = {value};
            for (uint32_t i = 0; i < count; ++i)
                out.Put(four ? Nibble(pair, i & 1) : value);
            continue;
        }
        if (value == kEndOfBitmap)
            return BmpError::kOk;
        if (value == kEndOfLine) {
            out.EndLine();
            continue;
        }
        if (value == kDelta) {
            if (size - at < 2)
                return BmpError::kBadRle;
            out.Move(data[at], data[at + 1]);
            at += 2;
            continue;
        }
        // Absolute run: `value` pixels, their bytes padded to a 16-bit boundary.
        const size_t bytes = four ? (value + 1u) / 2 : value;
        if (size - at < bytes)
            return BmpError::kBadRle;
        for (uint32_t i = 0; i < value; ++i)
            out.Put(four ? Nibble(data + at, i) : data[at + i]);
        at += bytes + (bytes & 1);
        if (at > size)
            at = size;  // a missing pad byte at the very end is no loss
    }
    return BmpError::kOk;
}

} // namespace imaging::bmp
