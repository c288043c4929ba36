#pragma once
// A picture file's bytes for the PNG decoder, read a window at a time: a
// large file is never held whole.

#include "libs/imaging/PictureReader.h"

#include "libs/imaging/png/PngBytes.h"

#include <cstdint>
#include <memory>

namespace imaging {

class PictureFileBytes final : public png::PngBytes {
public:
    explicit PictureFileBytes(PictureReader* file) : file_(file) {}
    uint64_t size() const override { return static_cast<uint64_t>(file_->size()); }
    bool inMemory() const override { return false; }
    const uint8_t* At(uint64_t offset, size_t count) override;

private:
    PictureReader* file_;
    std::unique_ptr<uint8_t[]> window_;
    uint64_t start_ = 0;  // the file offset of window_[0]
    size_t held_ = 0;     // bytes of the file in window_
};

} // namespace imaging
