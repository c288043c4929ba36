// Writes the sample executables into a folder: Windows programs with icons
// (PE32, PE32+, 16-bit), one without icons and one that is no program. Used
// for the samples the window starts on and as seeds for fuzzing.

#include "samples/exewriter/IconFixtures.h"
#include "samples/exewriter/NeWriter.h"
#include "samples/exewriter/PeWriter.h"
#include "samples/exewriter/PngWriter.h"
#include "samples/exewriter/SampleIcons.h"

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>

namespace fs = std::filesystem;
using namespace pewriter;

namespace {

bool Write(const fs::path& file, const std::vector<uint8_t>& bytes) {
    std::ofstream out(file, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    return static_cast<bool>(out);
}

std::vector<Resource> ClassicIcons(uint32_t rgb) {
    std::vector<Resource> r;
    AddIconGroup(&r, ResId::Number(1), {{1, DiscDib(16, 8, rgb)}, {2, DiscDib(32, 4, rgb)},
                                        {3, DiscDib(32, 32, rgb)}, {4, DiscDib(48, 32, rgb)}});
    AddIconGroup(&r, ResId::Number(2), {{5, DiscDib(32, 24, 0x808080)}});
    return r;
}

std::vector<Resource> ModernIcons(uint32_t rgb) {
    std::vector<Resource> r;
    AddIconGroup(&r, ResId::Name(u"MAINICON"), {{1, MakePng(256, 256, DrawDisc(256, rgb))},
                                                {2, DiscDib(48, 32, rgb)}, {3, DiscDib(32, 32, rgb)},
                                                {4, DiscDib(16, 32, rgb)}});
    return r;
}

// 32 x 32 at every DIB depth, 1-bit in black and white.
std::vector<Resource> EveryDepth() {
    std::vector<Resource> r;
    AddIconGroup(&r, ResId::Number(1), {{1, MakeSolidDib(32, 32, 1, 0xFFFFFF)}, {2, DiscDib(32, 4, 0xE0A000)},
                                        {3, DiscDib(32, 8, 0xE0A000)}, {4, MakeSolidDib(32, 32, 16, 0x7E00)},
                                        {5, DiscDib(32, 24, 0xE0A000)}});
    return r;
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s <folder>\n", argv[0]);
        return 2;
    }
    const fs::path dir = argv[1];
    std::error_code ec;
    fs::create_directories(dir, ec);
    bool ok = true;
    ok &= Write(dir / "classic.exe", BuildPe(ClassicIcons(0x2060C0)).bytes);
    ok &= Write(dir / "modern64.exe", BuildPe(ModernIcons(0x20A040), {PeKind::kPe32Plus}).bytes);
    ok &= Write(dir / "depths.exe", BuildPe(EveryDepth()).bytes);
    std::vector<Resource> old;
    AddIconGroup(&old, ResId::Number(1), {{1, DiscDib(32, 4, 0xC04020)}});
    ok &= Write(dir / "old16.exe", BuildNe(old).bytes);
    ok &= Write(dir / "noicon.exe", BuildPe({}, {PeKind::kPe32, false}).bytes);
    const std::string text = "This is a text file, not a program.\r\n";
    ok &= Write(dir / "readme.exe", std::vector<uint8_t>(text.begin(), text.end()));
    if (!ok)
        std::fprintf(stderr, "cannot write the samples into %s\n", dir.c_str());
    return ok ? 0 : 1;
}
