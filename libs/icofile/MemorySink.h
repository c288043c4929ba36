#pragma once
// The byte sink of an icon built in memory.

#include "libs/icofile/IconFile.h"

#include <vector>

namespace icofile {

class MemorySink final : public ByteSink {
public:
    // The bytes go straight into *out, which the caller keeps alive until
    // the sink is closed.
    explicit MemorySink(std::vector<uint8_t>* out) : out_(out) {}

    [[nodiscard]] bool append(std::span<const uint8_t> bytes) override;
    [[nodiscard]] bool writeAt(uint64_t offset, std::span<const uint8_t> bytes) override;
    [[nodiscard]] uint64_t size() const override { return out_ ? out_->size() : 0; }
    [[nodiscard]] bool close() override;

private:
    std::vector<uint8_t>* out_;
};

} // namespace icofile
