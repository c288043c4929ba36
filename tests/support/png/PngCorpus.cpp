#include "PngCorpus.h"

#include <random>

namespace pngtest {

namespace {

struct Size {
    uint32_t width, height;
};

constexpr Size kSizes[] = {{1, 1}, {2, 3}, {7, 5}, {8, 8}, {13, 17}, {33, 1}, {1, 33}, {40, 40}, {39, 21}};

} // namespace

const std::vector<PngFormat>& AllFormats() {
    static const std::vector<PngFormat> formats = {{0, 1}, {0, 2}, {0, 4}, {0, 8}, {0, 16}, {2, 8},  {2, 16}, {3, 1},
                                                   {3, 2}, {3, 4}, {3, 8}, {4, 8}, {4, 16}, {6, 8}, {6, 16}};
    return formats;
}

std::string FormatName(PngFormat f) {
    static const char* const kTypes[] = {"grey", "", "rgb", "palette", "greyalpha", "", "rgba"};
    return std::string(kTypes[f.colourType]) + std::to_string(f.depth);
}

PngPlan RandomPlan(PngFormat f, uint32_t width, uint32_t height, bool interlaced, uint32_t seed, int paletteSize) {
    PngPlan s;
    s.width = width;
    s.height = height;
    s.depth = f.depth;
    s.colourType = f.colourType;
    s.interlaced = interlaced;
    std::mt19937 random(seed);
    uint32_t limit = 1u << f.depth;
    if (f.colourType == 3) {
        if (paletteSize == 0)
            paletteSize = f.depth == 8 ? 200 : 1 << f.depth;
        for (int i = 0; i < 3 * paletteSize; ++i)
            s.palette.push_back(static_cast<uint8_t>(random()));
        limit = static_cast<uint32_t>(paletteSize);
    }
    // Runs of equal samples now and then, so that the filters meet flat areas too.
    s.samples.resize(size_t{width} * height * Channels(f.colourType));
    for (size_t i = 0; i < s.samples.size(); ++i)
        s.samples[i] = i > 8 && random() % 4 == 0 ? s.samples[i - 8 + random() % 2]
                                                  : static_cast<uint16_t>(random() % limit);
    for (uint16_t& v : s.samples)
        v = static_cast<uint16_t>(v % limit);
    return s;
}

void AddTransparency(PngPlan* s, uint32_t seed) {
    std::mt19937 random(seed);
    switch (s->colourType) {
    case 0:
    case 2: {
        const int channels = Channels(s->colourType);
        for (int c = 0; c < channels; ++c)
            PutBig16(&s->trns, s->samples[c]);
        // Equal to the transparent colour in the high byte only: must stay opaque.
        if (s->depth == 16 && s->samples.size() >= size_t(2 * channels)) {
            for (int c = 0; c < channels; ++c)
                s->samples[channels + c] = s->samples[c];
            s->samples[channels] ^= 0x0001;
        }
        break;
    }
    case 3: {
        const size_t entries = s->palette.size() / 3;
        const size_t shortBy = entries > 1 ? 1 + random() % (entries / 2 + 1) : 0;
        for (size_t i = 0; i + shortBy < entries; ++i)
            s->trns.push_back(static_cast<uint8_t>(random()));
        if (s->trns.empty())
            s->trns.push_back(0);
        break;
    }
    default: break;
    }
}

std::vector<NamedPlan> PngSetFor(PngFormat f) {
    std::vector<NamedPlan> set;
    const std::string base = FormatName(f);
    uint32_t seed = 1000u * f.colourType + f.depth;
    for (bool interlaced : {false, true}) {
        int index = 0;
        for (const Size& size : kSizes) {
            PngPlan s = RandomPlan(f, size.width, size.height, interlaced, ++seed);
            const bool transparent = index++ % 2 == 1 && f.colourType != 4 && f.colourType != 6;
            if (transparent)
                AddTransparency(&s, seed);
            set.push_back({base + (interlaced ? "-adam7-" : "-") + std::to_string(size.width) + "x" +
                               std::to_string(size.height) + (transparent ? "-trns" : ""),
                           s});
        }
    }
    for (int filter = 0; filter < 5; ++filter) {
        PngPlan s = RandomPlan(f, 13, 17, filter % 2 == 1, ++seed);
        s.filter = filter;
        set.push_back({base + "-filter" + std::to_string(filter), s});
    }
    // The stream in many small pieces, empty ones between, and chunks after it.
    PngPlan pieces = RandomPlan(f, 40, 40, true, ++seed);
    pieces.idatPiece = 5;
    pieces.emptyIdats = true;
    pieces.chunksAfterData = true;
    if (f.colourType != 4 && f.colourType != 6)
        AddTransparency(&pieces, seed);
    set.push_back({base + "-pieces", pieces});
    if (f.colourType == 3) {
        // A palette shorter than the depth could address, fully used.
        PngPlan small = RandomPlan(f, 17, 9, false, ++seed, 1 + (1 << f.depth) / 3);
        AddTransparency(&small, seed);
        set.push_back({base + "-short-palette", small});
    }
    return set;
}

std::vector<NamedPlan> PngSet() {
    std::vector<NamedPlan> all;
    for (const PngFormat& f : AllFormats()) {
        std::vector<NamedPlan> part = PngSetFor(f);
        all.insert(all.end(), part.begin(), part.end());
    }
    return all;
}

} // namespace pngtest
