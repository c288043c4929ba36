#include "libs/imaging/png/PngDecoder.h"

#include "libs/imaging/png/PngImageData.h"
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

    const PngHeader& header_;
    PngTarget target_;
    PngRowConverter converter_;
    UnfilterFunction unfilter_;
    std::vector<uint8_t> zeros_;     // the row above a pass's first row
    std::vector<uint8_t> scattered_; // one interlaced row's pixels before they are spread out
};

PngError RowDecoder::Run(PngImageData* data) {
    const PngPasses passes = PassesOf(header_);
    zeros_.assign(static_cast<size_t>(header_.rowBytes(header_.width)), 0);
    if (header_.interlaced)
        scattered_.resize(size_t{header_.width} * 4);
    for (int i = 0; i < passes.count; ++i) {
        if (passes.pass[i].empty())
            continue;  // an empty pass has no rows, not even filter bytes
        if (const PngError e = RunPass(passes.pass[i], data); e != PngError::kOk)
            return e;
    }
    return data->Finish();
}

PngError RowDecoder::RunPass(const PngPass& pass, PngImageData* data) {
    const size_t size = static_cast<size_t>(header_.rowBytes(pass.width));
    const size_t stride = header_.filterStride();
    const uint8_t* previous = zeros_.data();
    for (uint32_t j = 0; j < pass.height; ++j) {
        PngError error = PngError::kOk;
        uint8_t* row = data->NextRow(size + 1, &error);
        if (row == nullptr)
            return error;
        if (row[0] >= kFilterCount)
            return PngError::kBadFilter;
        unfilter_(row[0], row + 1, previous, size, stride);
        previous = row + 1;
        uint8_t* out = target_.bgra + static_cast<ptrdiff_t>(pass.y0 + j * pass.dy) * target_.stride;
        if (!header_.interlaced) {
            if (!converter_.Convert(row + 1, pass.width, out))
                return PngError::kBadPaletteIndex;
            continue;
        }
        if (!converter_.Convert(row + 1, pass.width, scattered_.data()))
            return PngError::kBadPaletteIndex;
        for (uint32_t i = 0; i < pass.width; ++i)
            std::copy_n(scattered_.data() + size_t{i} * 4, 4, out + size_t{pass.x0 + i * pass.dx} * 4);
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
        PngError error = PngError::kOk;
        std::unique_ptr<PngImageData> data;
        if (filtered <= options.streamingThreshold)
            data = InflateWhole(file, filtered, InPlaceArea(file, target, options), widest, &error);
        else
            data = InflateStreaming(file, widest, &error);
        if (!data)
            return error;
        RowDecoder rows(file, target, options);
        return rows.Run(data.get());
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
