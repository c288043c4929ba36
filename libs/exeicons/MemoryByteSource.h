#pragma once
// A byte source over bytes in memory, which must outlive it.

#include "libs/exeicons/ByteSource.h"

namespace exeicons {

class MemoryByteSource final : public ByteSource {
public:
    explicit MemoryByteSource(std::span<const uint8_t> bytes) : bytes_(bytes) {}

    [[nodiscard]] uint64_t size() const override { return bytes_.size(); }

private:
    [[nodiscard]] bool readAt(uint64_t offset, std::span<uint8_t> out) const override;

    std::span<const uint8_t> bytes_;
};

} // namespace exeicons
