#pragma once
// Where a PNG's bytes come from: memory, or a file read a window at a time
// (so that a large file is never held whole).

#include <cstddef>
#include <cstdint>

namespace imaging::png {

class PngBytes {
public:
    virtual ~PngBytes() = default;
    virtual uint64_t size() const = 0;
    // True when the bytes are all in memory: At then takes any count and its
    // pointers stay valid.
    virtual bool inMemory() const = 0;
    // `count` bytes at `offset` (within size(); at most kPngBytesWindow unless
    // in memory), valid until the next call; null when they cannot be read.
    virtual const uint8_t* At(uint64_t offset, size_t count) = 0;
};

inline constexpr size_t kPngBytesWindow = size_t{1} << 20;

class PngMemoryBytes final : public PngBytes {
public:
    PngMemoryBytes(const uint8_t* data, size_t size) : data_(data), size_(size) {}
    uint64_t size() const override { return size_; }
    bool inMemory() const override { return true; }
    const uint8_t* At(uint64_t offset, size_t) override { return data_ + offset; }

private:
    const uint8_t* data_;
    size_t size_;
};

} // namespace imaging::png
