#include "libs/imaging/png/PngZlibPieces.h"

#include <isa-l/igzip_lib.h>

#include <algorithm>
#include <limits>

namespace imaging::png {

namespace {

constexpr uint8_t kDeflateMethod = 8;
// The largest window zlib's header may name: 32 KiB, as 2^(7 + 8).
constexpr uint8_t kLargestWindowInfo = 7;
constexpr uint8_t kPresetDictionary = 0x20;

// zlib's own rules for the two header bytes; a preset dictionary counts as
// damage, as PNG allows none.
bool ZlibHeaderRight(uint8_t method, uint8_t flags) {
    return (method & 0x0F) == kDeflateMethod && (method >> 4) <= kLargestWindowInfo &&
           (uint32_t{method} << 8 | flags) % 31 == 0 && (flags & kPresetDictionary) == 0;
}

} // namespace

PngZlibPieces::PngZlibPieces() = default;
PngZlibPieces::~PngZlibPieces() = default;

PngError PngZlibPieces::Start(PngPieceSource* pieces) {
    pieces_ = pieces;
    state_ = std::make_unique<inflate_state>();
    isal_inflate_init(state_.get());
    // The header is read here; the inflater checks the adler32 after the data.
    state_->crc_flag = ISAL_ZLIB_NO_HDR_VER;
    state_->avail_in = 0;
    return PngError::kOk;
}

PngError PngZlibPieces::NextPiece() {
    ByteSpan span;
    PngError error = PngError::kOk;
    if (!pieces_->Next(&span, &error))
        return error != PngError::kOk ? error : PngError::kBadZlib;  // the stream stops short of its end
    static_assert(std::numeric_limits<uint32_t>::max() >= 0x7FFFFFFFu, "a chunk fits the inflater's counter");
    state_->next_in = const_cast<uint8_t*>(span.data);
    state_->avail_in = static_cast<uint32_t>(span.size);
    return PngError::kOk;
}

// The two header bytes, which may lie in two pieces.
PngError PngZlibPieces::ReadHeader() {
    uint8_t header[2];
    for (uint8_t& byte : header) {
        while (state_->avail_in == 0)
            if (const PngError e = NextPiece(); e != PngError::kOk)
                return e;
        byte = *state_->next_in++;
        --state_->avail_in;
    }
    headerRead_ = true;
    return ZlibHeaderRight(header[0], header[1]) ? PngError::kOk : PngError::kBadZlib;
}

PngError PngZlibPieces::Fill(uint8_t* out, size_t size) {
    if (!headerRead_)
        if (const PngError e = ReadHeader(); e != PngError::kOk)
            return e;
    constexpr size_t kMostAtOnce = std::numeric_limits<uint32_t>::max();
    inflate_state& state = *state_;
    state.next_out = out;
    state.avail_out = 0;
    size_t left = size;
    while (left > 0 || state.avail_out > 0) {
        if (state.avail_out == 0) {
            const size_t now = std::min(left, kMostAtOnce);
            state.avail_out = static_cast<uint32_t>(now);
            left -= now;
        }
        if (ended_)
            return PngError::kWrongDataLength;
        // The inflater may hold decoded bytes it had no room for before: it
        // is asked first, and handed the next piece only once it has used up
        // its input with room left over.
        if (isal_inflate(&state) != ISAL_DECOMP_OK)
            return PngError::kBadZlib;
        ended_ = state.block_state == ISAL_BLOCK_FINISH;
        if (!ended_ && state.avail_in == 0 && state.avail_out > 0)
            if (const PngError e = NextPiece(); e != PngError::kOk)
                return e;
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
