#include "libs/icofile/NearestColour.h"

#include <algorithm>
#include <limits>

namespace icofile {
namespace {

int Red(Rgb c) { return static_cast<int>((c >> 16) & 0xFF); }
int Green(Rgb c) { return static_cast<int>((c >> 8) & 0xFF); }
int Blue(Rgb c) { return static_cast<int>(c & 0xFF); }

int Distance(Rgb a, Rgb b) {
    const int dr = Red(a) - Red(b);
    const int dg = Green(a) - Green(b);
    const int db = Blue(a) - Blue(b);
    return dr * dr + dg * dg + db * db;
}

} // namespace

// The palette is sorted by red, so the search walks outwards from the
// colour's red value and stops on each side once the red difference alone
// is larger than the best distance found.
uint32_t NearestColour::find(Rgb colour) const {
    const int red = Red(colour);
    const auto start = static_cast<size_t>(
        std::lower_bound(palette_.begin(), palette_.end(), red, [](Rgb p, int r) { return Red(p) < r; }) -
        palette_.begin());
    int best = std::numeric_limits<int>::max();
    size_t bestIndex = 0;
    auto consider = [&](size_t i) {
        const int d = Distance(palette_[i], colour);
        if (d < best || (d == best && i < bestIndex)) {
            best = d;
            bestIndex = i;
        }
    };
    for (size_t i = start; i < palette_.size(); ++i) {
        const int dr = Red(palette_[i]) - red;
        if (dr * dr > best)
            break;
        consider(i);
    }
    for (size_t i = start; i-- > 0;) {
        const int dr = red - Red(palette_[i]);
        if (dr * dr > best)
            break;
        consider(i);
    }
    return static_cast<uint32_t>(bestIndex);
}

} // namespace icofile
