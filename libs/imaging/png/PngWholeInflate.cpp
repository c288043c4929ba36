#include "libs/imaging/png/PngImageData.h"

#include <libdeflate.h>

#include <cstring>
#include <new>
#include <vector>

namespace imaging::png {

namespace {

struct FreeDecompressor {
    void operator()(libdeflate_decompressor* d) const { libdeflate_free_decompressor(d); }
};

// One per thread, kept: allocating it costs more than a small picture's decode.
libdeflate_decompressor* ThreadDecompressor() {
    thread_local std::unique_ptr<libdeflate_decompressor, FreeDecompressor> decompressor(
        libdeflate_alloc_decompressor());
    return decompressor.get();
}

class WholeImageData final : public PngImageData {
public:
    PngError Inflate(const PngFile& file, uint64_t filteredSize, uint8_t* place, size_t maxRow);
    uint8_t* NextRow(size_t size, PngError* error) override;
    PngError Finish() override { return PngError::kOk; }

private:
    std::unique_ptr<uint8_t[]> owned_;
    uint8_t* rows_ = nullptr;
    size_t size_ = 0;
    size_t position_ = 0;
    // In place: the row handed out and the one before, safe from the pixels.
    std::vector<uint8_t> copies_[2];
    int current_ = 0;
};

PngError WholeImageData::Inflate(const PngFile& file, uint64_t filteredSize, uint8_t* place, size_t maxRow) {
    libdeflate_decompressor* decompressor = ThreadDecompressor();
    if (decompressor == nullptr)
        return PngError::kNoMemory;
    // The pieces joined, unless there is only one; never more than the file holds.
    std::vector<uint8_t> joined;
    const uint8_t* stream = nullptr;
    size_t streamSize = 0;
    if (file.imageData.size() == 1) {
        stream = file.imageData[0].data;
        streamSize = file.imageData[0].size;
    } else {
        joined.resize(file.imageDataSize);
        size_t at = 0;
        for (const ByteSpan& piece : file.imageData) {
            std::memcpy(joined.data() + at, piece.data, piece.size);
            at += piece.size;
        }
        stream = joined.data();
        streamSize = joined.size();
    }
    size_ = static_cast<size_t>(filteredSize);
    if (place != nullptr) {
        rows_ = place;
        copies_[0].resize(maxRow);
        copies_[1].resize(maxRow);
    } else {
        owned_.reset(new uint8_t[size_]);
        rows_ = owned_.get();
    }
    size_t produced = 0, consumed = 0;
    // Bytes after the stream's end are left alone, as the common decoders do.
    switch (libdeflate_zlib_decompress_ex(decompressor, stream, streamSize, rows_, size_, &consumed, &produced)) {
    case LIBDEFLATE_SUCCESS: return produced == size_ ? PngError::kOk : PngError::kWrongDataLength;
    case LIBDEFLATE_INSUFFICIENT_SPACE: return PngError::kWrongDataLength;
    default: return PngError::kBadZlib;
    }
}

uint8_t* WholeImageData::NextRow(size_t size, PngError* error) {
    if (size > size_ - position_) {
        *error = PngError::kWrongDataLength;
        return nullptr;
    }
    uint8_t* row = rows_ + position_;
    position_ += size;
    if (owned_)
        return row;
    if (size > copies_[0].size()) {
        *error = PngError::kWrongDataLength;
        return nullptr;
    }
    current_ ^= 1;
    std::memcpy(copies_[current_].data(), row, size);
    return copies_[current_].data();
}

} // namespace

std::unique_ptr<PngImageData> InflateWhole(const PngFile& file, uint64_t filteredSize, uint8_t* place,
                                           size_t maxRow, PngError* error) {
    return StartImageData<WholeImageData>(
        error, [&](WholeImageData& data) { return data.Inflate(file, filteredSize, place, maxRow); });
}

} // namespace imaging::png
