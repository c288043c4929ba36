#include "samples/exewriter/IconFixtures.h"

#include <algorithm>

namespace pewriter {
namespace {

uint64_t RowBytes(int32_t width, uint32_t bits) {
    return (static_cast<uint64_t>(width) * bits + 31) / 32 * 4;
}

void PutPixel(std::vector<uint8_t>& out, uint64_t row, int32_t x, uint16_t bits, uint32_t v) {
    const auto ux = static_cast<uint64_t>(x);
    switch (bits) {
    case 1: out[row + ux / 8] |= static_cast<uint8_t>((v & 1) << (7 - ux % 8)); break;
    case 4: out[row + ux / 2] |= static_cast<uint8_t>((v & 0xF) << (ux % 2 ? 0 : 4)); break;
    case 8: out[row + ux] = static_cast<uint8_t>(v); break;
    case 16: Put16(out, row + 2 * ux, v & 0x7FFF); break;
    case 24:
        out[row + 3 * ux] = static_cast<uint8_t>(v);
        out[row + 3 * ux + 1] = static_cast<uint8_t>(v >> 8);
        out[row + 3 * ux + 2] = static_cast<uint8_t>(v >> 16);
        break;
    default: Put32(out, row + 4 * ux, v); break;
    }
}

uint32_t BigEndian32(const std::vector<uint8_t>& d, size_t at) {
    return (uint32_t{d[at]} << 24) | (uint32_t{d[at + 1]} << 16) | (uint32_t{d[at + 2]} << 8) | d[at + 3];
}

// Width, height and depth as an icon group entry gives them.
void EntrySizes(const std::vector<uint8_t>& data, int* width, int* height, int* bits, int* colours) {
    const bool png = data.size() >= 24 && data[1] == 'P' && data[2] == 'N' && data[3] == 'G';
    if (png) {
        *width = static_cast<int>(BigEndian32(data, 16));
        *height = static_cast<int>(BigEndian32(data, 20));
        *bits = 32;
        *colours = 0;
        return;
    }
    *width = data[4] | (data[5] << 8);
    *height = (data[8] | (data[9] << 8)) / 2;
    *bits = data[14];
    *colours = *bits <= 8 ? (1 << *bits) : 0;
}

} // namespace

std::vector<uint8_t> MakeIconDib(const DibSpec& s) {
    const uint32_t paletteEntries =
        s.bitCount <= 8 ? std::max(s.coloursUsed, static_cast<uint32_t>(s.palette.size())) : s.coloursUsed;
    const uint64_t colourStride = RowBytes(s.width, s.bitCount);
    const uint64_t maskStride = RowBytes(s.width, 1);
    const uint64_t colourAt = 40 + 4 * uint64_t{paletteEntries};
    const uint64_t maskAt = colourAt + colourStride * static_cast<uint64_t>(s.height);
    std::vector<uint8_t> out(maskAt + maskStride * static_cast<uint64_t>(s.height), 0);
    Put32(out, 0, 40);
    Put32(out, 4, static_cast<uint32_t>(s.width));
    Put32(out, 8, static_cast<uint32_t>(2 * s.height));
    Put16(out, 12, 1);
    Put16(out, 14, s.bitCount);
    Put32(out, 20, static_cast<uint32_t>(out.size() - 40 - 4 * uint64_t{paletteEntries}));
    uint32_t coloursUsed = s.coloursUsed;   // 0 means a full palette for 8 bits or less
    if (coloursUsed == 0 && s.bitCount <= 8 && s.palette.size() != (size_t{1} << s.bitCount))
        coloursUsed = static_cast<uint32_t>(s.palette.size());
    Put32(out, 32, coloursUsed);
    for (size_t i = 0; i < s.palette.size(); ++i)
        Put32(out, 40 + 4 * i, s.palette[i] & 0xFFFFFF);
    for (int32_t y = 0; y < s.height; ++y) {
        const auto stored = static_cast<uint64_t>(s.height - 1 - y);
        for (int32_t x = 0; x < s.width; ++x) {
            const size_t i = static_cast<size_t>(y) * static_cast<size_t>(s.width) + static_cast<size_t>(x);
            PutPixel(out, colourAt + stored * colourStride, x, s.bitCount, i < s.pixels.size() ? s.pixels[i] : 0);
            if (i < s.mask.size() && s.mask[i])
                PutPixel(out, maskAt + stored * maskStride, x, 1, 1);
        }
    }
    return out;
}

std::vector<uint8_t> MakeSolidDib(int32_t width, int32_t height, uint16_t bitCount, uint32_t value) {
    DibSpec s{width, height, bitCount, {}, {}, {}, 0};
    const auto count = static_cast<size_t>(width) * static_cast<size_t>(height);
    if (bitCount <= 8) {
        s.palette.assign(size_t{1} << bitCount, 0);
        s.palette[1] = value;
        s.pixels.assign(count, 1);
    } else {
        s.pixels.assign(count, value);
    }
    return MakeIconDib(s);
}

std::vector<uint8_t> MakeGroupDirectory(const std::vector<GroupImage>& images) {
    std::vector<uint8_t> out(6 + 14 * images.size(), 0);
    Put16(out, 2, 1);
    Put16(out, 4, static_cast<uint32_t>(images.size()));
    for (size_t i = 0; i < images.size(); ++i) {
        const GroupImage& g = images[i];
        int width = 0, height = 0, bits = 0, colours = 0;
        EntrySizes(g.data, &width, &height, &bits, &colours);
        width = g.hintWidth >= 0 ? g.hintWidth : width;
        height = g.hintHeight >= 0 ? g.hintHeight : height;
        bits = g.hintBitCount >= 0 ? g.hintBitCount : bits;
        const uint64_t at = 6 + 14 * i;
        out[at] = static_cast<uint8_t>(width >= 256 ? 0 : width);
        out[at + 1] = static_cast<uint8_t>(height >= 256 ? 0 : height);
        out[at + 2] = static_cast<uint8_t>(colours >= 256 ? 0 : colours);
        Put16(out, at + 4, 1);
        Put16(out, at + 6, static_cast<uint32_t>(bits));
        Put32(out, at + 8, static_cast<uint32_t>(g.data.size()));
        Put16(out, at + 12, g.id);
    }
    return out;
}

void AddIconGroup(std::vector<Resource>* resources, const ResId& group, const std::vector<GroupImage>& images,
                  uint16_t language) {
    for (const GroupImage& g : images)
        resources->push_back(Resource{ResId::Number(kRtIcon), ResId::Number(g.id), language, g.data});
    resources->push_back(Resource{ResId::Number(kRtGroupIcon), group, language, MakeGroupDirectory(images)});
}

} // namespace pewriter
