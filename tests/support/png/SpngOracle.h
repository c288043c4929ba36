#pragma once
// libspng as the reference decoder: its RGBA output, 16-bit samples reduced
// the way ours are, in blue, green, red, alpha order for comparison.

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace pngtest {

struct OracleResult {
    bool ok = false;
    int error = 0;          // libspng's error code when not ok
    uint32_t width = 0;
    uint32_t height = 0;
    std::vector<uint8_t> bgra;
};

// Checksums of ancillary chunks are not checked (damaged ones are dropped),
// as our decoder does. Pictures above maxPixels are refused.
OracleResult SpngDecode(const uint8_t* data, size_t size, uint64_t maxPixels);

std::string SpngErrorText(int error);

} // namespace pngtest
