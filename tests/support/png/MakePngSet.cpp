// make_png_set FOLDER: writes the generated PNG set there, one file per
// picture, for runs of png2ico and the fuzzers' seeds.

#include "PngCorpus.h"

#include <cstdio>
#include <filesystem>
#include <fstream>

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: make_png_set FOLDER\n");
        return 2;
    }
    const std::filesystem::path folder = argv[1];
    std::filesystem::create_directories(folder);
    size_t count = 0;
    for (const pngtest::NamedPlan& named : pngtest::PngSet()) {
        const std::vector<uint8_t> png = pngtest::EncodePng(named.plan);
        std::ofstream out(folder / (named.name + ".png"), std::ios::binary | std::ios::trunc);
        out.write(reinterpret_cast<const char*>(png.data()), static_cast<std::streamsize>(png.size()));
        if (!out) {
            std::fprintf(stderr, "make_png_set: cannot write into %s\n", folder.c_str());
            return 1;
        }
        ++count;
    }
    std::printf("make_png_set: %zu pictures in %s\n", count, folder.c_str());
    return 0;
}
