#include "IconTestImages.h"

#include <gtest/gtest.h>

namespace icotest {

TestImage MakeImage(int32_t edge, const std::function<Pixel(int32_t x, int32_t y)>& pixel) {
    TestImage t;
    t.colour.width = t.colour.height = t.mask.width = t.mask.height = edge;
    for (int32_t y = 0; y < edge; ++y) {
        for (int32_t x = 0; x < edge; ++x) {
            const Pixel p = pixel(x, y);
            t.colour.bgra.insert(t.colour.bgra.end(), {p.b, p.g, p.r, p.a});
            t.mask.transparent.push_back(p.transparent ? 1 : 0);
        }
    }
    return t;
}

TestImage GradientImage(int32_t edge) {
    return MakeImage(edge, [edge](int32_t x, int32_t y) {
        Pixel p;
        p.r = static_cast<uint8_t>(x * 255 / edge);
        p.g = static_cast<uint8_t>(y * 255 / edge);
        p.b = static_cast<uint8_t>((x * 7 + y * 13) % 256);
        p.transparent = x + y < edge / 3;
        p.a = p.transparent ? 0 : 255;
        return p;
    });
}

std::vector<uint8_t> IconBytes(const TestImage& image, const std::vector<uint32_t>& counts) {
    icofile::IconFile file;
    file.imageCount = static_cast<uint32_t>(counts.size());
    std::vector<uint8_t> out;
    EXPECT_TRUE(icofile::CreateIconBuffer(file, out));
    for (uint32_t i = 0; i < counts.size(); ++i)
        EXPECT_TRUE(icofile::WriteIconImage(file, image.at(i, counts[i])));
    EXPECT_TRUE(icofile::CloseIconFile(file));
    return out;
}

uint16_t U16(const std::vector<uint8_t>& bytes, size_t offset) {
    return static_cast<uint16_t>(bytes.at(offset) | bytes.at(offset + 1) << 8);
}

uint32_t U32(const std::vector<uint8_t>& bytes, size_t offset) {
    return uint32_t{U16(bytes, offset)} | uint32_t{U16(bytes, offset + 2)} << 16;
}

std::vector<uint8_t> Slice(const std::vector<uint8_t>& bytes, size_t offset, size_t length) {
    EXPECT_LE(offset + length, bytes.size());
    if (offset + length > bytes.size())
        return {};
    return {bytes.begin() + static_cast<std::ptrdiff_t>(offset),
            bytes.begin() + static_cast<std::ptrdiff_t>(offset + length)};
}

Entry ReadEntry(const std::vector<uint8_t>& icon, uint32_t index) {
    const size_t at = 6 + 16 * size_t{index};
    return {icon.at(at),          icon.at(at + 1),     icon.at(at + 2),     icon.at(at + 3),
            U16(icon, at + 4),    U16(icon, at + 6),   U32(icon, at + 8),   U32(icon, at + 12)};
}

} // namespace icotest
