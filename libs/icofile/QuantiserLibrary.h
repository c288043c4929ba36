#pragma once
// libimagequant, opened on first use: most runs make only 32-bit images and
// need neither it nor the OpenMP runtime it brings, which every run would
// otherwise load and start.

#include <libimagequant.h>

namespace icofile {

struct QuantiserLibrary {
    decltype(&liq_attr_create) attrCreate = nullptr;
    decltype(&liq_attr_destroy) attrDestroy = nullptr;
    decltype(&liq_set_max_colors) setMaxColors = nullptr;
    decltype(&liq_histogram_create) histogramCreate = nullptr;
    decltype(&liq_histogram_destroy) histogramDestroy = nullptr;
    decltype(&liq_histogram_add_colors) histogramAddColors = nullptr;
    decltype(&liq_histogram_quantize) histogramQuantize = nullptr;
    decltype(&liq_get_palette) getPalette = nullptr;
    decltype(&liq_result_destroy) resultDestroy = nullptr;
    // The OpenMP runtime's, when the library was built with it; else null.
    int (*ompGetMaxThreads)() = nullptr;
    void (*ompSetNumThreads)(int) = nullptr;
};

// The library, loaded once and kept; null when it cannot be loaded or lacks
// a function, which callers treat like any other failure of the quantiser.
const QuantiserLibrary* Quantiser();

} // namespace icofile
