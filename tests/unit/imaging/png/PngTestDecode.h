#pragma once
// Our decoder's result for a test, with the path through it chosen.

#include "libs/imaging/png/PngDecoder.h"

#include <cstdint>
#include <vector>

namespace pngtest {

// The two ways the image data is inflated.
enum class Inflate { kWhole, kStreaming };

struct Decoded {
    imaging::png::PngError error = imaging::png::PngError::kOk;
    imaging::png::PngHeader header;
    std::vector<uint8_t> bgra;
};

inline imaging::png::DecodeOptions OptionsFor(Inflate inflate, bool portable) {
    imaging::png::DecodeOptions options;
    // Streaming for everything: no picture is too small for it.
    options.streamingThreshold = inflate == Inflate::kStreaming ? 0 : imaging::png::kStreamingThreshold;
    options.portable = portable;
    return options;
}

inline Decoded DecodeOurs(const std::vector<uint8_t>& png, Inflate inflate = Inflate::kWhole, bool portable = false,
                          int64_t maxPixels = int64_t{1} << 26) {
    Decoded d;
    d.error = imaging::png::DecodePng(png.data(), png.size(), maxPixels, &d.bgra, &d.header,
                                      OptionsFor(inflate, portable));
    return d;
}

} // namespace pngtest
