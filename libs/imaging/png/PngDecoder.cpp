#include "libs/imaging/png/PngDecoder.h"

#include "libs/imaging/png/PngImageData.h"
#include "libs/imaging/png/PngPieceRows.h"
#include "libs/imaging/png/PngRowConverter.h"
#include "libs/imaging/png/PngUnfilter.h"

#include <algorithm>
#include <memory>
#include <new>

namespace imaging::png {

namespace {

class RowDecoder {
public:
    RowDecoder(const PngFile& file, const PngTarget& target, const DecodeOptions& options)
        : header_(file.header), target_(target), converter_(file, options.portable),
          unfilter_(options.portable ? UnfilterPortable : FastestUnfilter()) {}

    PngError Run(PngImageData* data);

private:
    PngError RunPass(const PngPass& pass, PngImageData* data);
    // Converts one interlaced row and spreads its pixels over the target row.
    bool Scatter(const PngPass& pass, const uint8_t* row, uint8_t* out);

    const PngHeader& header_;
    PngTarget target_;
    PngRowConverter converter_;
    UnfilterFunction unfilter_;
    // Part of an interlaced row's pixels before they are spread out: a
    // bounded piece, so that a very wide picture costs no extra row.
    std::vector<uint8_t> scattered_;
};

// Pixels converted at a time in an interlaced row; a multiple of 8, so each
// piece starts on a byte at every depth.
constexpr uint32_t kScatterPixels = 4096;

PngError RowDecoder::Run(PngImageData* data) {
    const PngPasses passes = PassesOf(header_);
    if (header_.interlaced)
        scattered_.resize(size_t{std::min(header_.width, kScatterPixels)} * 4);
    for (int i = 0; i < passes.count; ++i) {
        if (passes.pass[i].empty())
            continue;  // an empty pass has no rows, not even filter bytes
        if (const PngError e = RunPass(passes.pass[i], data); e != PngError::kOk)
            return e;
    }
    return data->Finish();
}

bool RowDecoder::Scatter(const PngPass& pass, const uint8_t* row, uint8_t* out) {
    for (uint32_t first = 0; first < pass.width; first += kScatterPixels) {
        const uint32_t count = std::min(kScatterPixels, pass.width - first);
        const uint8_t* piece = row + header_.rowBytes(first);
        if (!converter_.Convert(piece, count, scattered_.data()))
            return false;
        for (uint32_t i = 0; i < count; ++i)
            std::copy_n(scattered_.data() + size_t{i} * 4, 4, out + size_t{pass.x0 + (first + i) * pass.dx} * 4);
    }
    return true;
}

PngError RowDecoder::RunPass(const PngPass& pass, PngImageData* data) {
    const size_t size = static_cast<size_t>(header_.rowBytes(pass.width));
    const size_t stride = header_.filterStride();
    const uint8_t* previous = nullptr;
    for (uint32_t j = 0; j < pass.height; ++j) {
        PngError error = PngError::kOk;
        uint8_t* row = data->NextRow(size + 1, &error);
        if (row == nullptr)
            return error;
        if (row[0] >= kFilterCount)
            return PngError::kBadFilter;
        if (previous == nullptr)
            UnfilterFirstRow(row[0], row + 1, size, stride, unfilter_);
        else
            unfilter_(row[0], row + 1, previous, size, stride);
        previous = row + 1;
        uint8_t* out = target_.bgra + static_cast<ptrdiff_t>(pass.y0 + j * pass.dy) * target_.stride;
        if (!header_.interlaced) {
            if (!converter_.Convert(row + 1, pass.width, out))
                return PngError::kBadPaletteIndex;
            continue;
        }
        if (!Scatter(pass, row + 1, out))
            return PngError::kBadPaletteIndex;
    }
    return PngError::kOk;
}

// In place the pixels of row y end before the filtered data of row y + 1
// begins when that data sits at the very end of the buffer: then each row
// is copied out before its pixels are written, and nothing unread is lost.
// Interlaced pictures write all over the picture from the first pass on.
bool FitsInPlace(const PngFile& file, const DecodeOptions& options) {
    return !file.header.interlaced && FilteredSize(file.header) <= options.streamingThreshold;
}

uint64_t PackedSize(const PngHeader& header) { return uint64_t{header.width} * header.height * 4; }

} // namespace

uint64_t DecodeCapacity(const PngFile& file, const DecodeOptions& options) {
    const uint64_t packed = PackedSize(file.header);
    return FitsInPlace(file, options) ? std::max(packed, FilteredSize(file.header)) : packed;
}

namespace {

uint8_t* InPlaceArea(const PngFile& file, const PngTarget& target, const DecodeOptions& options) {
    if (!FitsInPlace(file, options) || target.stride != ptrdiff_t{4} * file.header.width ||
        target.capacity < DecodeCapacity(file, options))
        return nullptr;
    return target.bgra + (target.capacity - FilteredSize(file.header));
}

} // namespace

PngError DecodeImage(const PngFile& file, const PngTarget& target, const DecodeOptions& options) {
    if (target.bgra == nullptr || target.stride < ptrdiff_t{4} * file.header.width)
        return PngError::kBadTarget;
    try {
        const uint64_t filtered = FilteredSize(file.header);
        const auto widest = static_cast<size_t>(file.header.rowBytes(file.header.width)) + 1;
        if (filtered > options.streamingThreshold) {
            PngKeptPieces pieces(file.imageData);
            return DecodeImageFrom(file, &pieces, target, options);
        }
        PngError error = PngError::kOk;
        const std::unique_ptr<PngImageData> data =
            InflateWhole(file, filtered, InPlaceArea(file, target, options), widest, &error);
        if (!data)
            return error;
        RowDecoder rows(file, target, options);
        return rows.Run(data.get());
    } catch (const std::bad_alloc&) {
        return PngError::kNoMemory;
    }
}

PngError DecodeImageFrom(const PngFile& file, PngPieceSource* pieces, const PngTarget& target,
                         const DecodeOptions& options) {
    if (target.bgra == nullptr || target.stride < ptrdiff_t{4} * file.header.width)
        return PngError::kBadTarget;
    try {
        PngZlibPieces zlib;
        if (const PngError e = zlib.Start(pieces); e != PngError::kOk)
            return e;
        PngPieceRows rows(file, target, options);
        return rows.Run(&zlib);
    } catch (const std::bad_alloc&) {
        return PngError::kNoMemory;
    }
}

PngError DecodePng(const uint8_t* data, size_t size, int64_t maxPixels, std::vector<uint8_t>* bgra,
                   PngHeader* header, const DecodeOptions& options) {
    PngFile file;
    if (const PngError e = ReadChunks(data, size, maxPixels, &file); e != PngError::kOk)
        return e;
    const uint64_t capacity = DecodeCapacity(file, options);
    try {
        bgra->resize(static_cast<size_t>(capacity));
    } catch (const std::bad_alloc&) {
        return PngError::kNoMemory;
    }
    *header = file.header;
    const PngError error =
        DecodeImage(file, PngTarget{bgra->data(), ptrdiff_t{4} * file.header.width, capacity}, options);
    bgra->resize(static_cast<size_t>(PackedSize(file.header)));
    return error;
}

} // namespace imaging::png
