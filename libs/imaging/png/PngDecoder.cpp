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
    uint32_t BatchRows(const PngPass& pass, size_t size) const;
    // Unfilters rows of `size` bytes up to the first with a filter type
    // beyond the standard's; returns how many it did.
    uint32_t Unfilter(uint8_t* rows, size_t size, uint32_t count);
    uint32_t UnfilterColumn(uint8_t* rows, uint32_t count);
    bool Convert(const PngPass& pass, uint32_t first, const uint8_t* rows, size_t size, uint32_t count);
    // Converts one interlaced row and spreads its pixels over the target row.
    bool Scatter(const PngPass& pass, const uint8_t* row, uint8_t* out);
    void Spread(const PngPass& pass, const uint8_t* pixels, uint32_t count, uint8_t* out) const;

    const PngHeader& header_;
    PngTarget target_;
    PngRowConverter converter_;
    UnfilterFunction unfilter_;
    const uint8_t* previous_ = nullptr;  // the row above, unfiltered; null on a pass's first row
    // Part of an interlaced row's pixels, or the pixels of several narrow
    // interlaced rows, before they are spread out: a bounded piece, so that
    // a very wide picture costs no extra row.
    std::vector<uint8_t> scattered_;
};

// Pixels converted at a time in an interlaced row; a multiple of 8, so each
// piece starts on a byte at every depth.
constexpr uint32_t kScatterPixels = 4096;

// Filtered bytes taken at a time: narrow rows come many to a call, and each
// batch is unfiltered and then converted while it is still in the cache.
constexpr size_t kBatchBytes = size_t{4} << 10;

PngError RowDecoder::Run(PngImageData* data) {
    const PngPasses passes = PassesOf(header_);
    if (header_.interlaced)
        scattered_.resize(size_t{kScatterPixels} * 4);
    for (int i = 0; i < passes.count; ++i) {
        if (passes.pass[i].empty())
            continue;  // an empty pass has no rows, not even filter bytes
        if (const PngError e = RunPass(passes.pass[i], data); e != PngError::kOk)
            return e;
    }
    return data->Finish();
}

uint32_t RowDecoder::BatchRows(const PngPass& pass, size_t size) const {
    size_t rows = std::max<size_t>(1, kBatchBytes / size);
    if (header_.interlaced)
        rows = pass.width > kScatterPixels ? 1 : std::min<size_t>(rows, kScatterPixels / pass.width);
    return static_cast<uint32_t>(std::min<size_t>(rows, pass.height));
}

PngError RowDecoder::RunPass(const PngPass& pass, PngImageData* data) {
    const size_t size = static_cast<size_t>(header_.rowBytes(pass.width)) + 1;  // with its filter byte
    const uint32_t batch = BatchRows(pass, size);
    previous_ = nullptr;
    for (uint32_t j = 0; j < pass.height;) {
        uint32_t got = 0;
        PngError error = PngError::kOk;
        uint8_t* rows = data->NextRows(size, std::min(batch, pass.height - j), &got, &error);
        if (rows == nullptr)
            return error;
        // The rows before a bad filter type are converted first, as one
        // row at a time would have them: a bad palette index there wins.
        const uint32_t good = Unfilter(rows, size, got);
        if (!Convert(pass, j, rows, size, good))
            return PngError::kBadPaletteIndex;
        if (good < got)
            return PngError::kBadFilter;
        j += got;
    }
    return PngError::kOk;
}

uint32_t RowDecoder::Unfilter(uint8_t* rows, size_t size, uint32_t count) {
    const size_t bytes = size - 1;
    const size_t stride = header_.filterStride();
    if (bytes == 1)
        return UnfilterColumn(rows, count);
    for (uint32_t i = 0; i < count; ++i) {
        uint8_t* row = rows + size_t{i} * size;
        if (row[0] >= kFilterCount)
            return i;
        if (previous_ == nullptr)
            UnfilterFirstRow(row[0], row + 1, bytes, stride, unfilter_);
        else if (bytes == stride)
            UnfilterOnePixel(row[0], row + 1, previous_, bytes);
        else
            unfilter_(row[0], row + 1, previous_, bytes, stride);
        previous_ = row + 1;
    }
    return count;
}

// Rows of one byte, in one loop: one sample a row, whose only neighbour is
// the byte above (see UnfilterOnePixel), zero above a pass's first row.
uint32_t RowDecoder::UnfilterColumn(uint8_t* rows, uint32_t count) {
    uint8_t above = previous_ == nullptr ? 0 : *previous_;
    for (uint32_t i = 0; i < count; ++i, rows += 2) {
        const uint8_t filter = rows[0];
        if (filter >= kFilterCount)
            return i;
        if (filter == 2 || filter == 4)
            rows[1] = static_cast<uint8_t>(rows[1] + above);
        else if (filter == 3)
            rows[1] = static_cast<uint8_t>(rows[1] + (above >> 1));
        above = rows[1];
        previous_ = rows + 1;
    }
    return count;
}

bool RowDecoder::Convert(const PngPass& pass, uint32_t first, const uint8_t* rows, size_t size, uint32_t count) {
    uint8_t* out = target_.bgra + static_cast<ptrdiff_t>(pass.y0 + first * pass.dy) * target_.stride;
    const ptrdiff_t stride = static_cast<ptrdiff_t>(pass.dy) * target_.stride;
    if (!header_.interlaced)
        return converter_.ConvertRows(rows + 1, size, count, pass.width, out, stride);
    if (pass.width > kScatterPixels)
        return count == 0 || Scatter(pass, rows + 1, out);
    // Narrow rows: all of them converted at once, then spread out.
    const size_t pixels = size_t{pass.width} * 4;
    if (!converter_.ConvertRows(rows + 1, size, count, pass.width, scattered_.data(), static_cast<ptrdiff_t>(pixels)))
        return false;
    for (uint32_t i = 0; i < count; ++i, out += stride)
        Spread(pass, scattered_.data() + i * pixels, pass.width, out);
    return true;
}

bool RowDecoder::Scatter(const PngPass& pass, const uint8_t* row, uint8_t* out) {
    for (uint32_t first = 0; first < pass.width; first += kScatterPixels) {
        const uint32_t count = std::min(kScatterPixels, pass.width - first);
        const uint8_t* piece = row + header_.rowBytes(first);
        if (!converter_.Convert(piece, count, scattered_.data()))
            return false;
        Spread(pass, scattered_.data(), count, out + size_t{first} * pass.dx * 4);
    }
    return true;
}

// `count` converted pixels to every dx-th pixel of a target row from x0 on.
void RowDecoder::Spread(const PngPass& pass, const uint8_t* pixels, uint32_t count, uint8_t* out) const {
    out += size_t{pass.x0} * 4;
    for (uint32_t i = 0; i < count; ++i)
        std::copy_n(pixels + size_t{i} * 4, 4, out + size_t{i} * pass.dx * 4);
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

bool InPlaceArea(const PngFile& file, const PngTarget& target, const DecodeOptions& options, PngInPlace* area) {
    if (!FitsInPlace(file, options) || target.stride != ptrdiff_t{4} * file.header.width ||
        target.capacity < DecodeCapacity(file, options))
        return false;
    area->ahead = target.capacity - FilteredSize(file.header);
    area->place = target.bgra + area->ahead;
    area->pixelRow = uint64_t{4} * file.header.width;
    return true;
}

// Bytes of a row taken at a time when streaming (see kStreamingPiece).
size_t PieceBytes(const DecodeOptions& options) {
    constexpr size_t kUnit = 24;
    return std::max(kUnit, options.streamingPiece - options.streamingPiece % kUnit);
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
        PngInPlace area;
        const bool inPlace = InPlaceArea(file, target, options, &area);
        const std::unique_ptr<PngImageData> data =
            InflateWhole(file, filtered, inPlace ? &area : nullptr, widest, &error);
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
        // Rows that fit a piece go whole, many to a piece; wider ones in pieces.
        const auto widest = static_cast<size_t>(file.header.rowBytes(file.header.width)) + 1;
        if (widest <= PieceBytes(options)) {
            PngError error = PngError::kOk;
            // A small picture gets blocks of its own size, not of a piece.
            const auto block = static_cast<size_t>(std::min<uint64_t>(PieceBytes(options), FilteredSize(file.header)));
            const std::unique_ptr<PngImageData> data = InflateBlocks(pieces, widest, block, &error);
            if (!data)
                return error;
            RowDecoder rows(file, target, options);
            return rows.Run(data.get());
        }
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
