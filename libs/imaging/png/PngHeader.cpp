#include "libs/imaging/png/PngHeader.h"

namespace imaging::png {

namespace {

constexpr uint32_t kMaxDimension = 0x7FFFFFFFu;

bool DepthAllowed(uint8_t colourType, uint8_t depth) {
    switch (colourType) {
    case kGrey: return depth == 1 || depth == 2 || depth == 4 || depth == 8 || depth == 16;
    case kPalette: return depth == 1 || depth == 2 || depth == 4 || depth == 8;
    case kTruecolour:
    case kGreyAlpha:
    case kTruecolourAlpha: return depth == 8 || depth == 16;
    default: return false;
    }
}

} // namespace

int PngHeader::channels() const {
    switch (colourType) {
    case kTruecolour: return 3;
    case kGreyAlpha: return 2;
    case kTruecolourAlpha: return 4;
    default: return 1;
    }
}

PngError ParseHeader(const uint8_t* data, PngHeader* header) {
    PngHeader h;
    h.width = ReadBig32(data);
    h.height = ReadBig32(data + 4);
    h.bitDepth = data[8];
    h.colourType = data[9];
    const uint8_t compression = data[10], filter = data[11], interlace = data[12];
    if (h.width == 0 || h.height == 0 || h.width > kMaxDimension || h.height > kMaxDimension)
        return PngError::kBadHeader;
    if (!DepthAllowed(h.colourType, h.bitDepth) || compression != 0 || filter != 0 || interlace > 1)
        return PngError::kBadHeader;
    h.interlaced = interlace == 1;
    *header = h;
    return PngError::kOk;
}

PngPasses PassesOf(const PngHeader& header) {
    PngPasses passes;
    if (!header.interlaced) {
        passes.pass[0] = PngPass{0, 0, 1, 1, header.width, header.height};
        passes.count = 1;
        return passes;
    }
    static constexpr uint32_t kX0[7] = {0, 4, 0, 2, 0, 1, 0}, kY0[7] = {0, 0, 4, 0, 2, 0, 1};
    static constexpr uint32_t kDx[7] = {8, 8, 4, 4, 2, 2, 1}, kDy[7] = {8, 8, 8, 4, 4, 2, 2};
    for (int i = 0; i < 7; ++i) {
        PngPass& p = passes.pass[i];
        p = PngPass{kX0[i], kY0[i], kDx[i], kDy[i], 0, 0};
        if (header.width > p.x0)
            p.width = (header.width - p.x0 + p.dx - 1) / p.dx;
        if (header.height > p.y0)
            p.height = (header.height - p.y0 + p.dy - 1) / p.dy;
    }
    passes.count = 7;
    return passes;
}

uint64_t FilteredSize(const PngHeader& header) {
    const PngPasses passes = PassesOf(header);
    uint64_t total = 0;
    for (int i = 0; i < passes.count; ++i) {
        const PngPass& p = passes.pass[i];
        if (!p.empty())
            total += uint64_t{p.height} * (1 + header.rowBytes(p.width));
    }
    return total;
}

uint64_t PlausibleFileSize(const PngHeader& header) {
    constexpr uint64_t kStoredBlock = 65535, kStoredBlockOverhead = 5, kZlibOverhead = 6;
    constexpr uint64_t kFixedChunks = 8 + 25 + 12;  // signature, IHDR, IEND
    constexpr uint64_t kIdatOverheadShare = 64;     // 12 bytes per chunk of at least 768 bytes
    constexpr uint64_t kAncillaryMargin = uint64_t{64} << 20;
    const uint64_t filtered = FilteredSize(header);
    const uint64_t stored =
        filtered + kStoredBlockOverhead * ((filtered + kStoredBlock - 1) / kStoredBlock) + kZlibOverhead;
    return stored + stored / kIdatOverheadShare + kFixedChunks + kAncillaryMargin;
}

} // namespace imaging::png
