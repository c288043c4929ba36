#include "libs/imaging/png/PngImageData.h"
#include "libs/imaging/png/PngZlibPieces.h"

#include <new>
#include <vector>

namespace imaging::png {

namespace {

class StreamImageData final : public PngImageData {
public:
    PngError Start(const PngFile& file, size_t maxRow);
    uint8_t* NextRow(size_t size, PngError* error) override;
    PngError Finish() override { return zlib_.Finish(); }

private:
    PngZlibPieces zlib_;
    std::vector<uint8_t> rows_[2];
    int current_ = 0;
};

PngError StreamImageData::Start(const PngFile& file, size_t maxRow) {
    rows_[0].resize(maxRow);
    rows_[1].resize(maxRow);
    return zlib_.Start(file.imageData);
}

uint8_t* StreamImageData::NextRow(size_t size, PngError* error) {
    current_ ^= 1;
    std::vector<uint8_t>& row = rows_[current_];
    if (size > row.size()) {
        *error = PngError::kWrongDataLength;
        return nullptr;
    }
    *error = zlib_.Fill(row.data(), size);
    return *error == PngError::kOk ? row.data() : nullptr;
}

} // namespace

std::unique_ptr<PngImageData> InflateStreaming(const PngFile& file, size_t maxRow, PngError* error) {
    return StartImageData<StreamImageData>(error, [&](StreamImageData& data) { return data.Start(file, maxRow); });
}

} // namespace imaging::png
