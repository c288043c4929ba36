#pragma once
// Our decoder's result for a test, with the path through it chosen.

#include "libs/imaging/png/PngDecoder.h"

#include <cstdint>
#include <vector>

namespace pngtest {

// The ways the image data is inflated: whole into the pixel buffer's tail
// (where it fits), whole into a buffer of its own, or streaming.
enum class Inflate { kWhole, kWholeSeparate, kStreaming };

struct Decoded {
    imaging::png::PngError error = imaging::png::PngError::kOk;
    imaging::png::PngHeader header;
    std::vector<uint8_t> bgra;
};

inline imaging::png::DecodeOptions OptionsFor(Inflate inflate, bool portable) {
    imaging::png::DecodeOptions options;
    // Streaming for everything: no picture is too small for it; and in the
    // smallest pieces, so that rows of the test pictures cross many of them.
    options.streamingThreshold = inflate == Inflate::kStreaming ? 0 : imaging::png::kStreamingThreshold;
    options.streamingPiece = inflate == Inflate::kStreaming ? 24 : imaging::png::kStreamingPiece;
    options.portable = portable;
    return options;
}

inline Decoded DecodeOurs(const std::vector<uint8_t>& png, Inflate inflate = Inflate::kWhole, bool portable = false,
                          int64_t maxPixels = int64_t{1} << 26) {
    Decoded d;
    const imaging::png::DecodeOptions options = OptionsFor(inflate, portable);
    if (inflate != Inflate::kWholeSeparate) {
        d.error = imaging::png::DecodePng(png.data(), png.size(), maxPixels, &d.bgra, &d.header, options);
        return d;
    }
    // A target of rows only: no room to inflate into.
    imaging::png::PngFile file;
    d.error = imaging::png::ReadChunks(png.data(), png.size(), maxPixels, &file);
    if (d.error != imaging::png::PngError::kOk)
        return d;
    d.header = file.header;
    d.bgra.resize(size_t{file.header.width} * file.header.height * 4);
    d.error = imaging::png::DecodeImage(file, {d.bgra.data(), ptrdiff_t{4} * file.header.width, 0}, options);
    return d;
}

} // namespace pngtest
