#include "PngEncoder.h"

#include <libdeflate.h>

#include <algorithm>
#include <cstdlib>
#include <memory>
#include <stdexcept>

namespace pngtest {

namespace {

struct Pass {
    uint32_t x0, y0, dx, dy;
};

std::vector<Pass> PassesOf(bool interlaced) {
    if (!interlaced)
        return {{0, 0, 1, 1}};
    return {{0, 0, 8, 8}, {4, 0, 8, 8}, {0, 4, 4, 8}, {2, 0, 4, 4}, {0, 2, 2, 4}, {1, 0, 2, 2}, {0, 1, 1, 2}};
}

// One row of samples packed at the plan's depth, most significant bits first.
std::vector<uint8_t> PackRow(const PngPlan& s, const Pass& p, uint32_t y, uint32_t count) {
    const int channels = Channels(s.colourType);
    std::vector<uint8_t> out;
    uint32_t bits = 0;
    int used = 0;
    for (uint32_t i = 0; i < count; ++i) {
        const size_t at = (size_t{y} * s.width + p.x0 + i * p.dx) * channels;
        for (int c = 0; c < channels; ++c) {
            const uint16_t v = s.samples.at(at + c);
            if (s.depth == 16) {
                out.push_back(static_cast<uint8_t>(v >> 8));
                out.push_back(static_cast<uint8_t>(v));
                continue;
            }
            bits = bits << s.depth | v;
            used += s.depth;
            if (used == 8) {
                out.push_back(static_cast<uint8_t>(bits));
                bits = 0;
                used = 0;
            }
        }
    }
    if (used > 0)
        out.push_back(static_cast<uint8_t>(bits << (8 - used)));
    return out;
}

uint8_t PaethPredictor(int a, int b, int c) {
    const int pa = std::abs(b - c), pb = std::abs(a - c), pc = std::abs(a + b - 2 * c);
    return static_cast<uint8_t>(pa <= pb && pa <= pc ? a : (pb <= pc ? b : c));
}

void FilterRow(int type, const std::vector<uint8_t>& row, const std::vector<uint8_t>& above, size_t stride,
               std::vector<uint8_t>* out) {
    out->push_back(static_cast<uint8_t>(type));
    for (size_t i = 0; i < row.size(); ++i) {
        const int a = i >= stride ? row[i - stride] : 0;
        const int b = above.empty() ? 0 : above[i];
        const int c = i >= stride && !above.empty() ? above[i - stride] : 0;
        int predicted = 0;
        switch (type) {
        case 1: predicted = a; break;
        case 2: predicted = b; break;
        case 3: predicted = (a + b) / 2; break;
        case 4: predicted = PaethPredictor(a, b, c); break;
        default: break;
        }
        out->push_back(static_cast<uint8_t>(row[i] - predicted));
    }
}

void PutChunk(std::vector<uint8_t>* png, const Chunk& chunk) {
    PutBig32(png, static_cast<uint32_t>(chunk.data.size()));
    const size_t start = png->size();
    png->insert(png->end(), chunk.name.begin(), chunk.name.end());
    png->insert(png->end(), chunk.data.begin(), chunk.data.end());
    uint32_t crc = static_cast<uint32_t>(libdeflate_crc32(0, png->data() + start, png->size() - start));
    if (chunk.badCrc)
        crc ^= 0x00010000u;
    PutBig32(png, crc);
}

} // namespace

int Channels(uint8_t colourType) {
    switch (colourType) {
    case 2: return 3;
    case 4: return 2;
    case 6: return 4;
    default: return 1;
    }
}

void PutBig32(std::vector<uint8_t>* out, uint32_t v) {
    for (int shift = 24; shift >= 0; shift -= 8)
        out->push_back(static_cast<uint8_t>(v >> shift));
}

void PutBig16(std::vector<uint8_t>* out, uint16_t v) {
    out->push_back(static_cast<uint8_t>(v >> 8));
    out->push_back(static_cast<uint8_t>(v));
}

std::vector<uint8_t> FilteredRows(const PngPlan& s) {
    if (s.samples.size() != size_t{s.width} * s.height * Channels(s.colourType))
        throw std::invalid_argument("sample count does not match the size");
    const size_t bitsPerPixel = size_t{s.depth} * Channels(s.colourType);
    const size_t stride = bitsPerPixel < 8 ? 1 : bitsPerPixel / 8;
    std::vector<uint8_t> out;
    int rowNumber = 0;
    for (const Pass& p : PassesOf(s.interlaced)) {
        const uint32_t count = s.width > p.x0 ? (s.width - p.x0 + p.dx - 1) / p.dx : 0;
        if (count == 0)
            continue;
        std::vector<uint8_t> above;
        for (uint32_t y = p.y0; y < s.height; y += p.dy) {
            const std::vector<uint8_t> row = PackRow(s, p, y, count);
            const int type = s.filter == kFilterCycle ? rowNumber % 5 : s.filter;
            FilterRow(type, row, above, stride, &out);
            above = row;
            ++rowNumber;
        }
    }
    return out;
}

std::vector<uint8_t> ZlibCompress(const std::vector<uint8_t>& data) {
    std::unique_ptr<libdeflate_compressor, void (*)(libdeflate_compressor*)> c(libdeflate_alloc_compressor(6),
                                                                              libdeflate_free_compressor);
    std::vector<uint8_t> out(libdeflate_zlib_compress_bound(c.get(), data.size()));
    out.resize(libdeflate_zlib_compress(c.get(), data.data(), data.size(), out.data(), out.size()));
    if (out.empty())
        throw std::runtime_error("zlib compression failed");
    return out;
}

std::vector<Chunk> EncodeChunks(const PngPlan& s) { return EncodeChunks(s, ZlibCompress(FilteredRows(s))); }

std::vector<Chunk> EncodeChunks(const PngPlan& s, const std::vector<uint8_t>& stream) {
    std::vector<Chunk> chunks;
    Chunk ihdr{"IHDR", {}};
    PutBig32(&ihdr.data, s.width);
    PutBig32(&ihdr.data, s.height);
    ihdr.data.insert(ihdr.data.end(), {s.depth, s.colourType, 0, 0, static_cast<uint8_t>(s.interlaced ? 1 : 0)});
    chunks.push_back(ihdr);
    chunks.push_back({"gAMA", {0, 0, 0xB1, 0x8F}});  // read by nobody here: stored values are used as they are
    if (!s.palette.empty())
        chunks.push_back({"PLTE", s.palette});
    if (!s.trns.empty())
        chunks.push_back({"tRNS", s.trns});
    const size_t piece = s.idatPiece == 0 ? stream.size() : s.idatPiece;
    for (size_t at = 0; at < stream.size(); at += piece) {
        if (s.emptyIdats)
            chunks.push_back({"IDAT", {}});
        const size_t end = std::min(stream.size(), at + piece);
        chunks.push_back({"IDAT", std::vector<uint8_t>(stream.begin() + static_cast<ptrdiff_t>(at),
                                                       stream.begin() + static_cast<ptrdiff_t>(end))});
    }
    if (s.chunksAfterData) {
        static constexpr char kText[] = "Comment\0made by the test encoder";
        const std::string text(kText, sizeof kText - 1);
        chunks.push_back({"tEXt", std::vector<uint8_t>(text.begin(), text.end())});
        chunks.push_back({"zzZz", {1, 2, 3}});
    }
    chunks.push_back({"IEND", {}});
    return chunks;
}

std::vector<uint8_t> Assemble(const std::vector<Chunk>& chunks) {
    std::vector<uint8_t> png = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    for (const Chunk& c : chunks)
        PutChunk(&png, c);
    return png;
}

std::vector<uint8_t> EncodePng(const PngPlan& plan) { return Assemble(EncodeChunks(plan)); }

} // namespace pngtest
