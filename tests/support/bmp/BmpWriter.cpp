#include "BmpWriter.h"

namespace bmptest {

namespace {

void Put16(std::vector<uint8_t>& out, uint32_t v) {
    out.push_back(static_cast<uint8_t>(v));
    out.push_back(static_cast<uint8_t>(v >> 8));
}

void Put32(std::vector<uint8_t>& out, uint32_t v) {
    Put16(out, v & 0xFFFF);
    Put16(out, v >> 16);
}

void PutInfoHeader(std::vector<uint8_t>& out, const BmpPlan& s) {
    const size_t start = out.size();
    Put32(out, s.infoSize);
    if (s.infoSize == 12) {
        Put16(out, static_cast<uint32_t>(s.width));
        Put16(out, static_cast<uint32_t>(s.height));
        Put16(out, s.planes);
        Put16(out, s.bitCount);
        return;
    }
    Put32(out, static_cast<uint32_t>(s.width));
    Put32(out, static_cast<uint32_t>(s.height));
    Put16(out, s.planes);
    Put16(out, s.bitCount);
    Put32(out, s.compression);
    Put32(out, static_cast<uint32_t>(s.pixelData.size()));
    Put32(out, 2835);  // 72 dpi
    Put32(out, 2835);
    Put32(out, s.coloursUsed);
    Put32(out, 0);
    // Bit fields inside the header, then zeros up to its size.
    for (size_t i = 0; i < s.masks.size() && out.size() - start + 4 <= s.infoSize && s.infoSize > 40; ++i)
        Put32(out, s.masks[i]);
    while (out.size() - start < s.infoSize)
        out.push_back(0);
}

} // namespace

std::vector<uint8_t> WriteBmp(const BmpPlan& s) {
    std::vector<uint8_t> info;
    PutInfoHeader(info, s);
    if (s.infoSize == 40)
        for (const uint32_t mask : s.masks)
            Put32(info, mask);
    for (const auto& entry : s.palette)
        info.insert(info.end(), entry.begin(), entry.begin() + (s.infoSize == 12 ? 3 : 4));
    const uint32_t offset = s.dataOffset.value_or(static_cast<uint32_t>(14 + info.size()));
    std::vector<uint8_t> out = {'B', 'M'};
    Put32(out, static_cast<uint32_t>(14 + info.size() + s.pixelData.size()));
    Put32(out, 0);
    Put32(out, offset);
    out.insert(out.end(), info.begin(), info.end());
    // An offset past the table is reached with zeros; one inside it is left as given.
    while (out.size() < offset && s.dataOffset)
        out.push_back(0);
    out.insert(out.end(), s.pixelData.begin(), s.pixelData.end());
    return out;
}

std::vector<uint8_t> PackRows(const std::vector<std::vector<uint32_t>>& rows, int bitCount) {
    std::vector<uint8_t> out;
    for (const auto& row : rows) {
        std::vector<uint8_t> bytes;
        if (bitCount < 8) {
            bytes.assign((row.size() * bitCount + 7) / 8, 0);
            for (size_t x = 0; x < row.size(); ++x) {
                const size_t bit = x * bitCount;
                bytes[bit / 8] |= static_cast<uint8_t>(row[x] << (8 - bitCount - bit % 8));
            }
        } else {
            for (const uint32_t v : row)
                for (int b = 0; b < bitCount / 8; ++b)
                    bytes.push_back(static_cast<uint8_t>(v >> (8 * b)));
        }
        while (bytes.size() % 4 != 0)
            bytes.push_back(0);
        out.insert(out.end(), bytes.begin(), bytes.end());
    }
    return out;
}

std::vector<std::array<uint8_t, 4>> RampPalette(int count) {
    std::vector<std::array<uint8_t, 4>> palette;
    for (int i = 0; i < count; ++i)
        palette.push_back({static_cast<uint8_t>(i), static_cast<uint8_t>(2 * i), static_cast<uint8_t>(3 * i), 0});
    return palette;
}

} // namespace bmptest
