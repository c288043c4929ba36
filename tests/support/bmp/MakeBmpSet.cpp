// Writes a set of small BMP files of every kind the decoder reads, and a few
// damaged ones, into a folder: seeds for the fuzz target and input for the
// valgrind run (which names them .png, as png2ico finds pictures by that).
//
// usage: make_bmp_set FOLDER [EXTENSION]

#include "BmpWriter.h"

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace {

using bmptest::BmpPlan;
using bmptest::PackRows;

// width x height stored values from a formula, `bits` wide.
std::vector<std::vector<uint32_t>> Pattern(int width, int height, int bits) {
    std::vector<std::vector<uint32_t>> rows(static_cast<size_t>(height < 0 ? -height : height));
    const uint64_t range = bits >= 32 ? (uint64_t{1} << 32) : (uint64_t{1} << bits);
    for (size_t y = 0; y < rows.size(); ++y)
        for (int x = 0; x < width; ++x)
            rows[y].push_back(static_cast<uint32_t>((uint64_t{static_cast<uint32_t>(x * 2654435761u)} ^
                                                     (uint64_t{static_cast<uint32_t>(y)} * 40503u)) % range));
    return rows;
}

BmpPlan Plain(int width, int height, uint16_t bits) {
    BmpPlan s;
    s.width = width;
    s.height = height;
    s.bitCount = bits;
    if (bits <= 8)
        s.palette = bmptest::RampPalette(1 << bits);
    s.pixelData = PackRows(Pattern(width, height, bits), bits);
    return s;
}

std::vector<uint8_t> Rle8() {
    BmpPlan s = Plain(9, 5, 8);
    s.compression = 1;
    s.pixelData = {3, 7, 0, 4, 1, 2, 3, 4, 0, 0, 0, 2, 2, 1, 5, 200, 0, 0, 9, 9, 0, 1};
    return bmptest::WriteBmp(s);
}

std::vector<uint8_t> Rle4() {
    BmpPlan s = Plain(9, 4, 4);
    s.compression = 2;
    s.pixelData = {5, 0x12, 0, 3, 0x34, 0x50, 0, 0, 0, 2, 1, 1, 4, 0xAB, 0, 0, 0, 1};
    return bmptest::WriteBmp(s);
}

void Write(const std::filesystem::path& file, const std::vector<uint8_t>& bytes) {
    std::ofstream out(file, std::ios::binary);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

} // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: make_bmp_set FOLDER [EXTENSION]\n");
        return 2;
    }
    const std::filesystem::path folder = argv[1];
    const std::string ext = argc > 2 ? argv[2] : ".bmp";
    std::filesystem::create_directories(folder);
    std::vector<std::pair<std::string, std::vector<uint8_t>>> files;
    for (const int bits : {1, 2, 4, 8, 16, 24, 32})
        for (const int height : {13, -13})
            files.push_back({"rgb" + std::to_string(bits) + (height < 0 ? "-topdown" : ""),
                             bmptest::WriteBmp(Plain(11, height, static_cast<uint16_t>(bits)))});
    BmpPlan core = Plain(7, 6, 8);
    core.infoSize = 12;
    files.push_back({"core8", bmptest::WriteBmp(core)});
    BmpPlan short8 = Plain(7, 6, 8);
    short8.palette.resize(20);
    short8.coloursUsed = 20;
    files.push_back({"pal8-short", bmptest::WriteBmp(short8)});
    BmpPlan f565 = Plain(10, 5, 16);
    f565.compression = 3;
    f565.masks = {0xF800, 0x07E0, 0x001F};
    files.push_back({"bitfields565", bmptest::WriteBmp(f565)});
    BmpPlan argb = Plain(6, 6, 32);
    argb.infoSize = 124;
    argb.compression = 3;
    argb.masks = {0x00FF0000, 0x0000FF00, 0x000000FF, 0xFF000000};
    files.push_back({"v5-argb32", bmptest::WriteBmp(argb)});
    BmpPlan a4444 = Plain(6, 6, 16);
    a4444.infoSize = 56;
    a4444.compression = 3;
    a4444.masks = {0x0F00, 0x00F0, 0x000F, 0xF000};
    files.push_back({"v3-argb4444", bmptest::WriteBmp(a4444)});
    files.push_back({"rle8", Rle8()});
    files.push_back({"rle4", Rle4()});
    std::vector<uint8_t> cut = bmptest::WriteBmp(Plain(32, 32, 24));
    cut.resize(1000);
    files.push_back({"rgb24-cut", cut});
    std::vector<uint8_t> rleCut = Rle8();
    rleCut.resize(rleCut.size() - 6);
    files.push_back({"rle8-cut", rleCut});
    for (const auto& [name, bytes] : files)
        Write(folder / (name + ext), bytes);
    return 0;
}
