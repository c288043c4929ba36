#include "libs/imaging/png/PngImageData.h"

#include <zlib.h>

#include <limits>
#include <new>
#include <vector>

namespace imaging::png {

namespace {

class StreamImageData final : public PngImageData {
public:
    ~StreamImageData() override {
        if (started_)
            inflateEnd(&stream_);
    }
    PngError Start(const PngFile& file, size_t maxRow);
    uint8_t* NextRow(size_t size, PngError* error) override;
    PngError Finish() override;

private:
    // Fills `size` bytes from the stream: kOk, or why not.
    PngError Fill(uint8_t* out, size_t size);
    bool NextPiece();

    z_stream stream_{};
    bool started_ = false;
    bool ended_ = false;
    const std::vector<ByteSpan>* pieces_ = nullptr;
    size_t piece_ = 0;
    std::vector<uint8_t> rows_[2];
    int current_ = 0;
};

PngError StreamImageData::Start(const PngFile& file, size_t maxRow) {
    rows_[0].resize(maxRow);
    rows_[1].resize(maxRow);
    pieces_ = &file.imageData;
    if (inflateInit(&stream_) != Z_OK)
        return PngError::kNoMemory;
    started_ = true;
    piece_ = 0;
    stream_.avail_in = 0;
    NextPiece();
    return PngError::kOk;
}

bool StreamImageData::NextPiece() {
    if (piece_ >= pieces_->size())
        return false;
    const ByteSpan& span = (*pieces_)[piece_++];
    static_assert(std::numeric_limits<uInt>::max() >= 0x7FFFFFFFu, "a chunk fits zlib's counter");
    stream_.next_in = const_cast<Bytef*>(span.data);
    stream_.avail_in = static_cast<uInt>(span.size);
    return true;
}

PngError StreamImageData::Fill(uint8_t* out, size_t size) {
    stream_.next_out = out;
    stream_.avail_out = static_cast<uInt>(size);
    while (stream_.avail_out > 0) {
        if (ended_)
            return PngError::kWrongDataLength;
        if (stream_.avail_in == 0 && !NextPiece())
            return PngError::kBadZlib;  // the stream stops short of its end
        const int status = inflate(&stream_, Z_NO_FLUSH);
        if (status == Z_STREAM_END)
            ended_ = true;
        else if (status == Z_MEM_ERROR)
            return PngError::kNoMemory;
        else if (status != Z_OK && status != Z_BUF_ERROR)
            return PngError::kBadZlib;  // also Z_NEED_DICT: PNG allows no preset dictionary
    }
    return PngError::kOk;
}

uint8_t* StreamImageData::NextRow(size_t size, PngError* error) {
    current_ ^= 1;
    std::vector<uint8_t>& row = rows_[current_];
    if (size > row.size()) {
        *error = PngError::kWrongDataLength;
        return nullptr;
    }
    *error = Fill(row.data(), size);
    return *error == PngError::kOk ? row.data() : nullptr;
}

PngError StreamImageData::Finish() {
    // Any further byte means more data than the header implies.
    uint8_t extra = 0;
    while (!ended_) {
        const PngError e = Fill(&extra, 1);
        if (e == PngError::kOk)
            return PngError::kWrongDataLength;
        if (e != PngError::kWrongDataLength || !ended_)
            return e;
    }
    return PngError::kOk;
}

} // namespace

std::unique_ptr<PngImageData> InflateStreaming(const PngFile& file, size_t maxRow, PngError* error) {
    return StartImageData<StreamImageData>(error, [&](StreamImageData& data) { return data.Start(file, maxRow); });
}

} // namespace imaging::png
