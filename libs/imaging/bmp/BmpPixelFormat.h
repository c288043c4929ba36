#pragma once
// What one stored pixel becomes: the colour table as ready B,G,R,A words,
// or the bit fields' shifts and widening, and the conversion of one stored
// row of an uncompressed picture.

#include "libs/imaging/bmp/BmpHeader.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <vector>

namespace imaging::bmp {

// Opaque black: what an index beyond the colour table shows on Windows.
inline constexpr uint32_t kOpaqueBlack = 0xFF000000u;

class BmpPixelFormat {
public:
    // The colour table is read from `data` (the whole file, at least
    // header.minimumFileSize() bytes).
    BmpPixelFormat(const BmpHeader& header, const uint8_t* data);

    // One stored row, `width` pixels, to B,G,R,A words (`out` 4-byte aligned).
    void ConvertRow(const uint8_t* row, uint8_t* out) const;
    // The colour of a palette index (opaque black beyond the table).
    uint32_t Colour(uint8_t index) const { return palette_[index]; }
    // Whether the picture's alpha comes from a bit field.
    bool hasAlpha() const { return header_.masks.alpha != 0 && header_.bitCount > 8; }

private:
    struct Field {
        uint32_t mask = 0;
        int shift = 0;  // to the field's top 8 bits (or all of them when fewer)
        int bits = 0;   // at most 8 after that shift
    };

    void ReadPalette(const uint8_t* data);
    void BuildWordTable();
    uint32_t FromFields(uint32_t stored) const;
    void ConvertIndexed(const uint8_t* row, uint32_t* out) const;
    void ConvertBitFields32(const uint8_t* row, uint32_t* out) const;

    const BmpHeader header_;
    std::array<uint32_t, 256> palette_{};
    std::array<Field, 4> fields_{};           // blue, green, red, alpha
    std::array<std::array<uint8_t, 256>, 9> widen_{};  // by bits, 0 to 8
    std::vector<uint32_t> words_;            // 16 bits, large pictures: every stored value's colour
    bool plain32_ = false;                   // 32 bits in B,G,R,x byte order
};

} // namespace imaging::bmp
