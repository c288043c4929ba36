#include "CheckExecutables.h"

#include "samples/exewriter/IconFixtures.h"
#include "samples/exewriter/NeWriter.h"
#include "samples/exewriter/PeWriter.h"
#include "samples/exewriter/PngWriter.h"
#include "samples/exewriter/SampleIcons.h"

#include <algorithm>
#include <cstdint>
#include <fstream>
#include <initializer_list>
#include <string>
#include <vector>

using namespace pewriter;

namespace {

// A full palette of distinct colours; 1 bit stays black and white, which is
// how Windows draws a monochrome icon whatever its table says.
std::vector<uint32_t> Palette(uint16_t bits) {
    if (bits == 1)
        return {0x000000, 0xFFFFFF};
    std::vector<uint32_t> colours;
    const uint32_t n = 1u << bits;
    for (uint32_t i = 0; i < n; ++i)
        colours.push_back(((i * 37) & 0xFF) << 16 | ((i * 91 + 20) & 0xFF) << 8 | ((255 - i * 13) & 0xFF));
    return colours;
}

uint32_t PatternPixel(uint16_t bits, int x, int y) {
    const auto ux = static_cast<uint32_t>(x), uy = static_cast<uint32_t>(y);
    if (bits <= 8)
        return (ux * 3 + uy * 5 + ux * uy) % (1u << bits);
    if (bits == 16)
        return (ux & 31) << 10 | (uy & 31) << 5 | ((ux + uy) & 31);
    const uint32_t rgb = (ux * 8 & 0xFF) << 16 | (uy * 8 & 0xFF) << 8 | ((ux ^ uy) * 8 & 0xFF);
    if (bits == 24)
        return rgb;
    const uint32_t alpha = x + y < 4 ? 0 : std::min<uint32_t>(255, (ux + uy) * 5);
    return alpha << 24 | rgb;
}

// An icon image with a pattern in every channel and a mask with clear
// corners (for 32 bits: clear where alpha is 0).
std::vector<uint8_t> PatternDib(int edge, uint16_t bits) {
    DibSpec dib;
    dib.width = edge;
    dib.height = edge;
    dib.bitCount = bits;
    if (bits <= 8)
        dib.palette = Palette(bits);
    for (int y = 0; y < edge; ++y) {
        for (int x = 0; x < edge; ++x) {
            const uint32_t v = PatternPixel(bits, x, y);
            const bool clear = bits == 32 ? (v >> 24) == 0 : (x + y < 5 || (x >= edge - 3 && y >= edge - 3));
            dib.pixels.push_back(v);
            dib.mask.push_back(clear ? 1 : 0);
        }
    }
    return MakeIconDib(dib);
}

bool Write(const std::filesystem::path& file, const std::vector<uint8_t>& bytes) {
    std::ofstream out(file, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    return static_cast<bool>(out);
}

bool WriteGroup(const std::filesystem::path& file, const std::vector<GroupImage>& images,
                PeKind kind = PeKind::kPe32) {
    std::vector<Resource> resources;
    AddIconGroup(&resources, ResId::Number(1), images);
    return Write(file, BuildPe(resources, {kind}).bytes);
}

} // namespace

bool WriteCheckExecutables(const std::filesystem::path& folder) {
    bool ok = true;
    for (const uint16_t bits : std::initializer_list<uint16_t>{1, 4, 8, 16, 24, 32}) {
        const std::string depth = std::to_string(bits);
        ok &= WriteGroup(folder / ("depth" + depth + ".exe"), {{1, PatternDib(32, bits)}});
        ok &= WriteGroup(folder / ("depth" + depth + "-pe64.exe"), {{1, PatternDib(32, bits)}}, PeKind::kPe32Plus);
    }
    ok &= WriteGroup(folder / "sizes.exe", {{1, PatternDib(16, 32)},
                                            {2, PatternDib(32, 8)},
                                            {3, PatternDib(32, 32)},
                                            {4, PatternDib(48, 24)}});
    ok &= WriteGroup(folder / "png-beside.exe", {{1, MakePng(256, 256, DrawDisc(256, 0x3060A0))},
                                                 {2, PatternDib(48, 32)},
                                                 {3, PatternDib(32, 32)}});
    std::vector<Resource> old;
    AddIconGroup(&old, ResId::Number(1), {{1, PatternDib(32, 8)}});
    ok &= Write(folder / "old8.exe", BuildNe(old).bytes);
    return ok;
}
