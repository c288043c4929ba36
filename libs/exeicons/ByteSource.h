#pragma once
// Bounded random-access reading of a file or of memory. The icon reader never
// loads a whole executable: it reads the headers and tables it needs and each
// resource on its own, every read checked here against the source's size and
// against kMaxReadBytes.

#include <cstdint>
#include <optional>
#include <span>
#include <vector>

namespace exeicons {

// True when [offset, offset + length) lies inside [0, size); no overflow.
[[nodiscard]] constexpr bool RangeInside(uint64_t offset, uint64_t length, uint64_t size) {
    return offset <= size && length <= size - offset;
}

class ByteSource {
public:
    virtual ~ByteSource() = default;

    [[nodiscard]] virtual uint64_t size() const = 0;

    // Exactly `length` bytes from `offset`; nothing when the range leaves the
    // source, is longer than kMaxReadBytes, or cannot be read.
    [[nodiscard]] std::optional<std::vector<uint8_t>> read(uint64_t offset, uint64_t length) const;

protected:
    // Fills `out` from `offset`; called only with a range inside the source.
    [[nodiscard]] virtual bool readAt(uint64_t offset, std::span<uint8_t> out) const = 0;
};

} // namespace exeicons
