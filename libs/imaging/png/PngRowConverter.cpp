#include "libs/imaging/png/PngRowConverter.h"

#include "libs/imaging/png/PngHeader.h"

#include <algorithm>
#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace imaging::png {

namespace {

uint32_t Pixel(uint8_t r, uint8_t g, uint8_t b, uint8_t a) {
    const uint8_t bytes[4] = {b, g, r, a};
    uint32_t v;
    std::memcpy(&v, bytes, 4);
    return v;
}

void Put(uint8_t* out, uint8_t r, uint8_t g, uint8_t b, uint8_t a) {
    out[0] = b;
    out[1] = g;
    out[2] = r;
    out[3] = a;
}

void SwapRedBluePortable(const uint8_t* row, uint32_t count, uint8_t* bgra) {
    for (uint32_t i = 0; i < count; ++i, row += 4, bgra += 4)
        Put(bgra, row[0], row[1], row[2], row[3]);
}

void SwapRedBlue(const uint8_t* row, uint32_t count, uint8_t* bgra) {
    uint32_t i = 0;
#if defined(__SSE2__)
    const __m128i alphaGreen = _mm_set1_epi32(static_cast<int>(0xFF00FF00u));
    const __m128i redBlue = _mm_set1_epi32(0x00FF00FF);
    for (; i + 4 <= count; i += 4) {
        const __m128i x = _mm_loadu_si128(reinterpret_cast<const __m128i*>(row + 4 * i));
        const __m128i rb = _mm_and_si128(x, redBlue);
        const __m128i swapped = _mm_or_si128(_mm_slli_epi32(rb, 16), _mm_srli_epi32(rb, 16));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(bgra + 4 * i),
                         _mm_or_si128(swapped, _mm_and_si128(x, alphaGreen)));
    }
#endif
    SwapRedBluePortable(row + 4 * i, count - i, bgra + 4 * i);
}

// Eight-bit samples index the table straight; the highest index comes back.
int Lookup8(const std::array<uint32_t, 256>& lookup, const uint8_t* row, uint32_t count, uint8_t* bgra) {
    int highest = 0;
    for (uint32_t i = 0; i < count; ++i) {
        highest = std::max<int>(highest, row[i]);
        std::memcpy(bgra + 4 * i, &lookup[row[i]], 4);
    }
    return highest;
}

} // namespace

PngRowConverter::PngRowConverter(const PngFile& file, bool portable)
    : depth_(file.header.bitDepth), portable_(portable), transparent_(file.hasTransparentColour),
      colour_(file.transparentColour) {
    const bool deep = depth_ == 16;
    // A tRNS value beyond the depth's range keeps only the bits that fit, as
    // the common decoders take it.
    if (!deep)
        for (uint16_t& v : colour_)
            v = static_cast<uint16_t>(v & ((1 << depth_) - 1));
    switch (file.header.colourType) {
    case kGrey:
        kind_ = deep ? Kind::kGrey16 : Kind::kLookup;
        if (!deep) {
            const int levels = 1 << depth_;
            const int scale = 255 / (levels - 1);
            for (int v = 0; v < levels; ++v) {
                const auto g = static_cast<uint8_t>(v * scale);
                lookup_[v] = Pixel(g, g, g, transparent_ && colour_[0] == v ? 0 : 255);
            }
            lookupSize_ = levels;
        }
        break;
    case kPalette:
        kind_ = Kind::kLookup;
        for (int i = 0; i < file.paletteSize; ++i)
            lookup_[i] = Pixel(file.palette[3 * i], file.palette[3 * i + 1], file.palette[3 * i + 2],
                               file.paletteAlpha[i]);
        lookupSize_ = file.paletteSize;
        break;
    case kTruecolour: kind_ = deep ? Kind::kTruecolour16 : Kind::kTruecolour8; break;
    case kGreyAlpha: kind_ = deep ? Kind::kGreyAlpha16 : Kind::kGreyAlpha8; break;
    default: kind_ = deep ? Kind::kRgba16 : Kind::kRgba8; break;
    }
}

bool PngRowConverter::Convert(const uint8_t* row, uint32_t count, uint8_t* bgra) const {
    return ConvertRows(row, 0, 1, count, bgra, 0);
}

// One call of `each` per row, the kind chosen once for all of them.
template <class Each>
bool PngRowConverter::EachRow(const uint8_t* row, size_t rowStep, uint32_t rows, uint8_t* bgra, ptrdiff_t stride,
                              Each each) const {
    bool ok = true;
    for (uint32_t j = 0; j < rows; ++j, row += rowStep, bgra += stride)
        ok &= each(row, bgra);
    return ok;
}

bool PngRowConverter::ConvertRows(const uint8_t* row, size_t rowStep, uint32_t rows, uint32_t count, uint8_t* bgra,
                                  ptrdiff_t stride) const {
    switch (kind_) {
    case Kind::kLookup:
        if (depth_ == 8 && count == 1) {  // a column: one index a row, the rows in one loop
            int highest = 0;
            for (uint32_t j = 0; j < rows; ++j, row += rowStep, bgra += stride) {
                highest = std::max<int>(highest, *row);
                std::memcpy(bgra, &lookup_[*row], 4);
            }
            return highest < lookupSize_;
        }
        if (depth_ == 8)
            return EachRow(row, rowStep, rows, bgra, stride, [&](const uint8_t* in, uint8_t* out) {
                return Lookup8(lookup_, in, count, out) < lookupSize_;
            });
        return EachRow(row, rowStep, rows, bgra, stride,
                       [&](const uint8_t* in, uint8_t* out) { return ConvertLookup(in, count, out); });
    case Kind::kGrey16:
        return EachRow(row, rowStep, rows, bgra, stride, [&](const uint8_t* in, uint8_t* out) {
            ConvertGrey16(in, count, out);
            return true;
        });
    case Kind::kTruecolour8:
        return EachRow(row, rowStep, rows, bgra, stride, [&](const uint8_t* in, uint8_t* out) {
            ConvertTruecolour8(in, count, out);
            return true;
        });
    case Kind::kTruecolour16:
        return EachRow(row, rowStep, rows, bgra, stride, [&](const uint8_t* in, uint8_t* out) {
            ConvertTruecolour16(in, count, out);
            return true;
        });
    case Kind::kGreyAlpha8:
        return EachRow(row, rowStep, rows, bgra, stride, [&](const uint8_t* in, uint8_t* out) {
            for (uint32_t i = 0; i < count; ++i, in += 2, out += 4)
                Put(out, in[0], in[0], in[0], in[1]);
            return true;
        });
    case Kind::kGreyAlpha16:
        return EachRow(row, rowStep, rows, bgra, stride, [&](const uint8_t* in, uint8_t* out) {
            for (uint32_t i = 0; i < count; ++i, in += 4, out += 4) {
                const uint8_t g = Reduce16(ReadBig16(in));
                Put(out, g, g, g, Reduce16(ReadBig16(in + 2)));
            }
            return true;
        });
    case Kind::kRgba8:
        return EachRow(row, rowStep, rows, bgra, stride, [&](const uint8_t* in, uint8_t* out) {
            if (portable_)
                SwapRedBluePortable(in, count, out);
            else
                SwapRedBlue(in, count, out);
            return true;
        });
    case Kind::kRgba16:
        return EachRow(row, rowStep, rows, bgra, stride, [&](const uint8_t* in, uint8_t* out) {
            for (uint32_t i = 0; i < count; ++i, in += 8, out += 4)
                Put(out, Reduce16(ReadBig16(in)), Reduce16(ReadBig16(in + 2)), Reduce16(ReadBig16(in + 4)),
                    Reduce16(ReadBig16(in + 6)));
            return true;
        });
    }
    return true;
}

// Grey below 16 bits and palettes: each sample indexes a table of pixels.
bool PngRowConverter::ConvertLookup(const uint8_t* row, uint32_t count, uint8_t* bgra) const {
    int highest = 0;
    if (depth_ == 8) {
        highest = Lookup8(lookup_, row, count, bgra);
    } else {
        const int perByte = 8 / depth_;
        const int mask = (1 << depth_) - 1;
        for (uint32_t i = 0; i < count; ++i) {
            const int shift = 8 - depth_ * (static_cast<int>(i % perByte) + 1);
            const int v = (row[i / perByte] >> shift) & mask;
            highest = std::max(highest, v);
            std::memcpy(bgra + 4 * i, &lookup_[v], 4);
        }
    }
    return highest < lookupSize_;
}

void PngRowConverter::ConvertGrey16(const uint8_t* row, uint32_t count, uint8_t* bgra) const {
    for (uint32_t i = 0; i < count; ++i, row += 2, bgra += 4) {
        const uint16_t v = ReadBig16(row);
        const uint8_t g = Reduce16(v);
        Put(bgra, g, g, g, transparent_ && v == colour_[0] ? 0 : 255);
    }
}

void PngRowConverter::ConvertTruecolour8(const uint8_t* row, uint32_t count, uint8_t* bgra) const {
    for (uint32_t i = 0; i < count; ++i, row += 3, bgra += 4) {
        const bool clear = transparent_ && row[0] == colour_[0] && row[1] == colour_[1] && row[2] == colour_[2];
        Put(bgra, row[0], row[1], row[2], clear ? 0 : 255);
    }
}

void PngRowConverter::ConvertTruecolour16(const uint8_t* row, uint32_t count, uint8_t* bgra) const {
    for (uint32_t i = 0; i < count; ++i, row += 6, bgra += 4) {
        const uint16_t r = ReadBig16(row), g = ReadBig16(row + 2), b = ReadBig16(row + 4);
        // Compared at full depth: colours that differ only below 8 bits stay apart.
        const bool clear = transparent_ && r == colour_[0] && g == colour_[1] && b == colour_[2];
        Put(bgra, Reduce16(r), Reduce16(g), Reduce16(b), clear ? 0 : 255);
    }
}

} // namespace imaging::png
