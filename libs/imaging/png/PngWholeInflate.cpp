#include "libs/imaging/png/PngImageData.h"
#include "libs/imaging/png/PngZlibPieces.h"

#include <cstring>
#include <new>
#include <vector>

namespace imaging::png {

namespace {

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
    size_ = static_cast<size_t>(filteredSize);
    if (place != nullptr) {
        rows_ = place;
        copies_[0].resize(maxRow);
        copies_[1].resize(maxRow);
    } else {
        owned_.reset(new uint8_t[size_]);
        rows_ = owned_.get();
    }
    // Piece by piece: the IDAT pieces are never joined into a copy.
    PngKeptPieces pieces(file.imageData);
    PngZlibPieces zlib;
    if (const PngError e = zlib.Start(&pieces); e != PngError::kOk)
        return e;
    if (const PngError e = zlib.Fill(rows_, size_); e != PngError::kOk)
        return e;
    return zlib.Finish();
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
