#pragma once
// Chooses a small palette for many colours: libimagequant's adaptive
// palette, with a plain fallback when it cannot run.

#include <cstdint>
#include <span>
#include <vector>

namespace icofile {

// A colour as 0x00RRGGBB; ordering by this value orders by red first.
using Rgb = uint32_t;

struct HistogramEntry {
    Rgb colour = 0;
    uint32_t count = 0;
};

// At most `maxColours` colours (unsorted) that represent `histogram` well.
// The same histogram always gives the same palette.
std::vector<Rgb> QuantisePalette(std::span<const HistogramEntry> histogram, uint32_t maxColours);

// The `maxColours` most frequent colours, ties broken by the lower colour.
std::vector<Rgb> MostFrequentColours(std::span<const HistogramEntry> histogram, uint32_t maxColours);

} // namespace icofile
