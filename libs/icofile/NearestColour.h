#pragma once
// Finds the palette entry nearest to a colour.

#include "libs/icofile/AdaptivePalette.h"

#include <cstdint>
#include <span>

namespace icofile {

class NearestColour {
public:
    // `palette` must be sorted ascending and outlive this object.
    explicit NearestColour(std::span<const Rgb> palette) : palette_(palette) {}

    // The index of the entry at the smallest squared RGB distance; among
    // equally near entries the lowest index, so the result never depends on
    // the search order.
    [[nodiscard]] uint32_t find(Rgb colour) const;

private:
    std::span<const Rgb> palette_;
};

} // namespace icofile
