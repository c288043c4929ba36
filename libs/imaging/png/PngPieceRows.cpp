#include "libs/imaging/png/PngPieceRows.h"

#include <algorithm>
#include <cstring>

namespace imaging::png {

namespace {

constexpr size_t kPieceUnit = 24;  // see kStreamingPiece

// What the row filters add to a row's first pixel from the row above (the
// left and upper-left neighbours count as zero there): Up and Paeth the
// byte above, Average half of it.
uint8_t FirstPixelTerm(uint8_t filter, uint8_t above) {
    switch (filter) {
    case 2:
    case 4: return above;
    case 3: return static_cast<uint8_t>(above >> 1);
    default: return 0;
    }
}

} // namespace

PngPieceRows::PngPieceRows(const PngFile& file, const PngTarget& target, const DecodeOptions& options)
    : header_(file.header), target_(target), converter_(file, options.portable),
      unfilter_(options.portable ? UnfilterPortable : FastestUnfilter()), stride_(file.header.filterStride()),
      pieceBytes_(std::max(kPieceUnit, options.streamingPiece - options.streamingPiece % kPieceUnit)) {}

PngError PngPieceRows::Run(PngZlibPieces* zlib) {
    const PngPasses passes = PassesOf(header_);
    uint64_t above = 0;
    for (int i = 0; i < passes.count; ++i)
        if (passes.pass[i].height > 1)
            above = std::max(above, header_.rowBytes(passes.pass[i].width));
    above_.resize(static_cast<size_t>(above));
    const size_t piece = static_cast<size_t>(std::min<uint64_t>(pieceBytes_, header_.rowBytes(header_.width)));
    cur_.resize(stride_ + piece);
    up_.resize(stride_ + piece);
    if (header_.interlaced)
        scattered_.resize(piece * 8 / static_cast<size_t>(header_.bitsPerPixel()) * 4 + 4);
    for (int i = 0; i < passes.count; ++i) {
        if (passes.pass[i].empty())
            continue;  // an empty pass has no rows, not even filter bytes
        if (const PngError e = RunPass(passes.pass[i], zlib); e != PngError::kOk)
            return e;
    }
    return zlib->Finish();
}

PngError PngPieceRows::RunPass(const PngPass& pass, PngZlibPieces* zlib) {
    const size_t size = static_cast<size_t>(header_.rowBytes(pass.width));
    for (uint32_t j = 0; j < pass.height; ++j) {
        uint8_t filter = 0;
        if (const PngError e = zlib->Fill(&filter, 1); e != PngError::kOk)
            return e;
        uint8_t* out = target_.bgra + static_cast<ptrdiff_t>(pass.y0 + j * pass.dy) * target_.stride;
        const bool keep = j + 1 < pass.height;
        for (size_t at = 0; at < size; at += pieceBytes_) {
            const size_t n = std::min(pieceBytes_, size - at);
            if (const PngError e = zlib->Fill(cur_.data() + stride_, n); e != PngError::kOk)
                return e;
            if (filter >= kFilterCount)
                return PngError::kBadFilter;
            Unfilter(filter, j == 0, at, n);
            // The bytes above the next piece's left neighbours, before this row replaces them.
            if (j > 0)
                std::memcpy(up_.data(), above_.data() + at + n - stride_, stride_);
            if (keep)
                std::memcpy(above_.data() + at, cur_.data() + stride_, n);
            if (!Convert(pass, out, at, n))
                return PngError::kBadPaletteIndex;
            std::memmove(cur_.data(), cur_.data() + n, stride_);
        }
    }
    return PngError::kOk;
}

void PngPieceRows::Unfilter(uint8_t filter, bool firstRow, size_t at, size_t n) {
    uint8_t* cur = cur_.data() + stride_;
    if (firstRow) {
        // In front of the piece sit its left neighbours, unfiltered; the
        // first-row forms leave the first stride bytes as they are.
        if (at == 0)
            UnfilterFirstRow(filter, cur, n, stride_, unfilter_);
        else
            UnfilterFirstRow(filter, cur - stride_, n + stride_, stride_, unfilter_);
        return;
    }
    uint8_t* up = up_.data() + stride_;
    std::memcpy(up, above_.data() + at, n);
    if (at == 0) {
        unfilter_(filter, cur, up, n, stride_);
        return;
    }
    // The left neighbours go through the filter as a row's first pixel
    // would: what it adds to them is taken off first, so they come out as
    // they were and the piece sees its true neighbours.
    for (size_t i = 0; i < stride_; ++i)
        cur_[i] = static_cast<uint8_t>(cur_[i] - FirstPixelTerm(filter, up_[i]));
    unfilter_(filter, cur - stride_, up - stride_, n + stride_, stride_);
}

bool PngPieceRows::Convert(const PngPass& pass, uint8_t* out, size_t at, size_t n) {
    const auto bits = static_cast<uint64_t>(header_.bitsPerPixel());
    const auto first = static_cast<uint32_t>(at * 8 / bits);
    const auto count = static_cast<uint32_t>(std::min<uint64_t>(pass.width - first, n * 8 / bits));
    const uint8_t* piece = cur_.data() + stride_;
    if (!header_.interlaced)
        return converter_.Convert(piece, count, out + size_t{first} * 4);
    if (!converter_.Convert(piece, count, scattered_.data()))
        return false;
    for (uint32_t i = 0; i < count; ++i)
        std::memcpy(out + size_t{pass.x0 + (first + i) * pass.dx} * 4, scattered_.data() + size_t{i} * 4, 4);
    return true;
}

} // namespace imaging::png
