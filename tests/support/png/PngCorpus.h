#pragma once
// The generated PNG set the decoder is checked on: every colour type and
// depth, interlaced or not, every filter, tRNS of each kind, sizes from 1 x 1
// to 40 x 40, image data cut into many small and empty IDATs, chunks after it.
// The same every time (fixed seeds).

#include "PngEncoder.h"

#include <string>
#include <vector>

namespace pngtest {

struct PngFormat {
    uint8_t colourType;
    uint8_t depth;
};

// The fifteen colour type and depth pairs the standard allows.
const std::vector<PngFormat>& AllFormats();

// Random samples (palette indices below the palette's size) and, for colour
// type 3, a palette of `paletteSize` entries (0: a size that fits the depth).
PngPlan RandomPlan(PngFormat format, uint32_t width, uint32_t height, bool interlaced, uint32_t seed,
                   int paletteSize = 0);

// A tRNS that hits: the colour of the first pixel (for 16 bits a second pixel
// differs from it only in the low byte), or a palette alpha table shorter
// than the palette. Nothing for types with an alpha channel.
void AddTransparency(PngPlan* plan, uint32_t seed);

struct NamedPlan {
    std::string name;
    PngPlan plan;
};

// The set for one format, and for all of them.
std::vector<NamedPlan> PngSetFor(PngFormat format);
std::vector<NamedPlan> PngSet();

std::string FormatName(PngFormat format);

} // namespace pngtest
