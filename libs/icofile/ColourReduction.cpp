#include "libs/icofile/ColourReduction.h"

#include "libs/icofile/NearestColour.h"

#include <algorithm>

namespace icofile {
namespace {

Rgb PixelRgb(const ColourBitmap& colour, size_t pixel) {
    const uint8_t* p = colour.bgra.data() + pixel * 4;
    return Rgb{p[2]} << 16 | Rgb{p[1]} << 8 | Rgb{p[0]};
}

// The opaque pixels' colours, each with how often it occurs, sorted by colour.
std::vector<HistogramEntry> OpaqueHistogram(const ColourBitmap& colour, const MaskBitmap& mask) {
    std::vector<Rgb> pixels;
    pixels.reserve(mask.transparent.size());
    for (size_t i = 0; i < mask.transparent.size(); ++i) {
        if (mask.transparent[i] == 0)
            pixels.push_back(PixelRgb(colour, i));
    }
    std::sort(pixels.begin(), pixels.end());
    std::vector<HistogramEntry> histogram;
    for (Rgb c : pixels) {
        if (histogram.empty() || histogram.back().colour != c)
            histogram.push_back({c, 0});
        ++histogram.back().count;
    }
    return histogram;
}

constexpr Rgb kBlack = 0;

// Transparent pixels use entry 0, which must then be black: where the mask
// is set the screen is kept (AND) and the colour is added (XOR), so anything
// but black would show.
std::vector<Rgb> ChoosePalette(const std::vector<HistogramEntry>& histogram, bool needBlack, uint32_t maxColours) {
    const bool blackPresent = !histogram.empty() && histogram.front().colour == kBlack;
    const bool addBlack = needBlack && !blackPresent;
    std::vector<Rgb> palette;
    if (histogram.size() + (addBlack ? 1 : 0) <= maxColours) {
        for (const HistogramEntry& e : histogram)
            palette.push_back(e.colour);
    } else {
        palette = QuantisePalette(histogram, maxColours - (needBlack ? 1 : 0));
    }
    if (needBlack)
        palette.push_back(kBlack);
    // Sorted and unique: the order is fixed, and black (the lowest colour)
    // lands at entry 0.
    std::sort(palette.begin(), palette.end());
    palette.erase(std::unique(palette.begin(), palette.end()), palette.end());
    return palette;
}

} // namespace

IndexedImage ReduceToPalette(const ColourBitmap& colour, const MaskBitmap& mask, uint32_t maxColours) {
    const std::vector<HistogramEntry> histogram = OpaqueHistogram(colour, mask);
    const bool anyTransparent =
        std::any_of(mask.transparent.begin(), mask.transparent.end(), [](uint8_t t) { return t != 0; });
    IndexedImage image;
    image.palette = ChoosePalette(histogram, anyTransparent, maxColours);

    // Look each distinct colour up once; pixels then find theirs by its
    // place in the sorted histogram.
    const NearestColour nearest(image.palette);
    std::vector<uint8_t> entryOf(histogram.size());
    for (size_t i = 0; i < histogram.size(); ++i)
        entryOf[i] = static_cast<uint8_t>(nearest.find(histogram[i].colour));

    image.indices.assign(mask.transparent.size(), 0);
    for (size_t i = 0; i < mask.transparent.size(); ++i) {
        if (mask.transparent[i] != 0)
            continue;
        const Rgb c = PixelRgb(colour, i);
        const auto it = std::lower_bound(histogram.begin(), histogram.end(), c,
                                         [](const HistogramEntry& e, Rgb v) { return e.colour < v; });
        image.indices[i] = entryOf[static_cast<size_t>(it - histogram.begin())];
    }
    return image;
}

} // namespace icofile
