#include "libs/imaging/png/PngImageData.h"
#include "libs/imaging/png/PngZlibPieces.h"

#include <algorithm>
#include <cstring>
#include <new>
#include <vector>

namespace imaging::png {

namespace {

// Rows copied out of the pixels' way at a time, at most.
constexpr size_t kCopyBlock = size_t{4} << 10;

class WholeImageData final : public PngImageData {
public:
    PngError Inflate(const PngFile& file, uint64_t filteredSize, const PngInPlace* inPlace, size_t rowSize);
    uint8_t* NextRows(size_t size, uint32_t count, uint32_t* got, PngError* error) override;
    PngError Finish() override { return PngError::kOk; }

private:
    uint64_t RowsInPlace(uint64_t row, uint64_t count) const;

    std::unique_ptr<uint8_t[]> owned_;
    uint8_t* rows_ = nullptr;
    size_t size_ = 0;
    size_t position_ = 0;
    PngInPlace inPlace_;
    size_t rowSize_ = 0;
    // In place: the rows handed out and the ones before, safe from the pixels.
    std::vector<uint8_t> copies_[2];
    int current_ = 0;
};

PngError WholeImageData::Inflate(const PngFile& file, uint64_t filteredSize, const PngInPlace* inPlace,
                                 size_t rowSize) {
    size_ = static_cast<size_t>(filteredSize);
    rowSize_ = rowSize;
    if (inPlace != nullptr) {
        inPlace_ = *inPlace;
        rows_ = inPlace_.place;
        copies_[0].resize(std::max(rowSize, kCopyBlock));
        copies_[1].resize(copies_[0].size());
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

// How many rows from `row` on, up to `count`, stay where they are: those
// whose own pixels end before their samples begin (the filter byte, read
// first, may go), so that neither they nor any later row is overwritten
// before being read. Rows and pixel rows advance by fixed steps, so the rows
// that stay form one run, at the start (pixel rows the longer) or at the end
// (filtered rows the longer).
uint64_t WholeImageData::RowsInPlace(uint64_t row, uint64_t count) const {
    const uint64_t pixels = inPlace_.pixelRow, ahead = inPlace_.ahead + 1, size = rowSize_;
    if ((row + 1) * pixels > ahead + row * size)
        return 0;
    if (pixels <= size)
        return count;
    const uint64_t last = (ahead - pixels) / (pixels - size);
    return std::min(count, last - row + 1);
}

uint8_t* WholeImageData::NextRows(size_t size, uint32_t count, uint32_t* got, PngError* error) {
    const size_t left = (size_ - position_) / size;
    if (left == 0 || (inPlace_.place != nullptr && size != rowSize_)) {
        *error = PngError::kWrongDataLength;
        return nullptr;
    }
    size_t n = std::min<size_t>(count, left);
    uint8_t* rows = rows_ + position_;
    if (inPlace_.place != nullptr) {
        if (const uint64_t stay = RowsInPlace(position_ / size, n); stay > 0) {
            n = static_cast<size_t>(stay);
        } else {
            n = std::min(n, copies_[0].size() / size);
            current_ ^= 1;
            std::memcpy(copies_[current_].data(), rows, n * size);
            rows = copies_[current_].data();
        }
    }
    position_ += n * size;
    *got = static_cast<uint32_t>(n);
    return rows;
}

class BlockImageData final : public PngImageData {
public:
    PngError Start(PngPieceSource* pieces, size_t widest, size_t block);
    uint8_t* NextRows(size_t size, uint32_t count, uint32_t* got, PngError* error) override;
    PngError Finish() override { return zlib_.Finish(); }

private:
    PngZlibPieces zlib_;
    // Blocks by turns, so that the last row of one stays the row above the next.
    std::vector<uint8_t> blocks_[2];
    int current_ = 0;
};

PngError BlockImageData::Start(PngPieceSource* pieces, size_t widest, size_t block) {
    blocks_[0].resize(std::max(widest, block));
    blocks_[1].resize(blocks_[0].size());
    return zlib_.Start(pieces);
}

uint8_t* BlockImageData::NextRows(size_t size, uint32_t count, uint32_t* got, PngError* error) {
    if (size > blocks_[0].size()) {
        *error = PngError::kWrongDataLength;
        return nullptr;
    }
    const size_t n = std::min<size_t>(count, blocks_[0].size() / size);
    current_ ^= 1;
    uint8_t* rows = blocks_[current_].data();
    if (const PngError e = zlib_.Fill(rows, n * size); e != PngError::kOk) {
        *error = e;
        return nullptr;
    }
    *got = static_cast<uint32_t>(n);
    return rows;
}

} // namespace

std::unique_ptr<PngImageData> InflateWhole(const PngFile& file, uint64_t filteredSize, const PngInPlace* inPlace,
                                           size_t rowSize, PngError* error) {
    return StartImageData<WholeImageData>(
        error, [&](WholeImageData& data) { return data.Inflate(file, filteredSize, inPlace, rowSize); });
}

std::unique_ptr<PngImageData> InflateBlocks(PngPieceSource* pieces, size_t widest, size_t block, PngError* error) {
    return StartImageData<BlockImageData>(
        error, [&](BlockImageData& data) { return data.Start(pieces, widest, block); });
}

} // namespace imaging::png
