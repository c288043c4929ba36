#include "libs/imaging/png/PngZlibPieces.h"

#include <algorithm>
#include <limits>

namespace imaging::png {

PngZlibPieces::~PngZlibPieces() {
    if (started_)
        inflateEnd(&stream_);
}

PngError PngZlibPieces::Start(PngPieceSource* pieces) {
    pieces_ = pieces;
    if (inflateInit(&stream_) != Z_OK)
        return PngError::kNoMemory;
    started_ = true;
    stream_.avail_in = 0;
    return PngError::kOk;
}

PngError PngZlibPieces::NextPiece() {
    ByteSpan span;
    PngError error = PngError::kOk;
    if (!pieces_->Next(&span, &error))
        return error != PngError::kOk ? error : PngError::kBadZlib;  // the stream stops short of its end
    static_assert(std::numeric_limits<uInt>::max() >= 0x7FFFFFFFu, "a chunk fits zlib's counter");
    stream_.next_in = const_cast<Bytef*>(span.data);
    stream_.avail_in = static_cast<uInt>(span.size);
    return PngError::kOk;
}

PngError PngZlibPieces::Fill(uint8_t* out, size_t size) {
    constexpr size_t kMostAtOnce = std::numeric_limits<uInt>::max();
    stream_.next_out = out;
    stream_.avail_out = 0;
    size_t left = size;
    while (left > 0 || stream_.avail_out > 0) {
        if (stream_.avail_out == 0) {
            const size_t now = std::min(left, kMostAtOnce);
            stream_.avail_out = static_cast<uInt>(now);
            left -= now;
        }
        if (ended_)
            return PngError::kWrongDataLength;
        if (stream_.avail_in == 0) {
            if (const PngError e = NextPiece(); e != PngError::kOk)
                return e;
        }
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

PngError PngZlibPieces::Finish() {
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

} // namespace imaging::png
