#pragma once
// Turns unfiltered rows of any colour type and depth into 8-bit straight
// alpha in blue, green, red, alpha byte order. Samples are taken as stored
// (no gamma or colour profile); 16-bit ones are rounded to 8 bits; the tRNS
// colour of grey and truecolour pictures is matched on the stored sample.

#include "libs/imaging/png/PngFile.h"

#include <array>
#include <cstddef>
#include <cstdint>

namespace imaging::png {

class PngRowConverter {
public:
    // `portable` leaves out the vector code (tests compare both).
    PngRowConverter(const PngFile& file, bool portable);

    // Converts `count` pixels. False when a pixel names a palette entry
    // beyond PLTE; the output is then incomplete.
    [[nodiscard]] bool Convert(const uint8_t* row, uint32_t count, uint8_t* bgra) const;
    // Converts `rows` rows of `count` pixels each, `rowStep` bytes apart,
    // into pixel rows `stride` bytes apart: one call for many narrow rows.
    [[nodiscard]] bool ConvertRows(const uint8_t* row, size_t rowStep, uint32_t rows, uint32_t count, uint8_t* bgra,
                                   ptrdiff_t stride) const;

private:
    enum class Kind { kLookup, kGrey16, kTruecolour8, kTruecolour16, kGreyAlpha8, kGreyAlpha16, kRgba8, kRgba16 };

    template <class Each>
    bool EachRow(const uint8_t* row, size_t rowStep, uint32_t rows, uint8_t* bgra, ptrdiff_t stride,
                 Each each) const;
    bool ConvertLookup(const uint8_t* row, uint32_t count, uint8_t* bgra) const;
    void ConvertGrey16(const uint8_t* row, uint32_t count, uint8_t* bgra) const;
    void ConvertTruecolour8(const uint8_t* row, uint32_t count, uint8_t* bgra) const;
    void ConvertTruecolour16(const uint8_t* row, uint32_t count, uint8_t* bgra) const;

    Kind kind_ = Kind::kLookup;
    int depth_ = 8;
    bool portable_ = false;
    bool transparent_ = false;          // a tRNS colour applies
    std::array<uint16_t, 3> colour_{};  // that colour
    int lookupSize_ = 256;              // entries of lookup_ a pixel may name
    std::array<uint32_t, 256> lookup_{};  // BGRA of each grey level or palette entry
};

// 16 bits to 8, rounded to the nearest level.
inline uint8_t Reduce16(uint32_t v) { return static_cast<uint8_t>((v * 255 + 32767) / 65535); }

} // namespace imaging::png
