#pragma once
// One pixel as four floats (blue, green, red, alpha on a 0..255 scale) in a
// vector register. The compiler's vector extensions turn the arithmetic into
// SSE2 on x86-64 without any -march flag, so the binary runs on every x86-64.

#include <algorithm>
#include <bit>
#include <cstdint>
#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace imaging {

static_assert(std::endian::native == std::endian::little,
              "pixels are handled as blue, green, red, alpha bytes of little-endian 32-bit words");

using Vec4 = float __attribute__((vector_size(16)));
using Int4 = int32_t __attribute__((vector_size(16)));

inline Vec4 Splat(float v) { return Vec4{v, v, v, v}; }

// Straight-alpha bytes to premultiplied floats.
inline Vec4 LoadPremultiplied(const uint8_t* bgra) {
#if defined(__SSE2__)
    // Widened in vector registers: compilers turn a plain element-wise
    // conversion of bytes into four scalar conversions.
    int32_t word;
    std::memcpy(&word, bgra, 4);
    const __m128i zero = _mm_setzero_si128();
    const __m128i halfwords = _mm_unpacklo_epi8(_mm_cvtsi32_si128(word), zero);
    const Vec4 straight = _mm_cvtepi32_ps(_mm_unpacklo_epi16(halfwords, zero));
#else
    const Vec4 straight = {float(bgra[0]), float(bgra[1]), float(bgra[2]), float(bgra[3])};
#endif
    // Colour times alpha / 255; the alpha lane times exactly 1.
    const Vec4 perAlpha = {1.0f / 255.0f, 1.0f / 255.0f, 1.0f / 255.0f, 0.0f};
    const Vec4 alphaLane = {0.0f, 0.0f, 0.0f, 1.0f};
    return straight * (Splat(straight[3]) * perAlpha + alphaLane);
}

// Premultiplied floats back to straight-alpha bytes: alpha rounded and
// clamped, colour divided back by the (clamped) alpha. A pixel whose alpha
// rounds to 0 is transparent black, whatever colour the filter left in it.
// All four lanes are clamped to 0..255 and rounded half up at once.
inline void StoreStraight(Vec4 premultiplied, uint8_t* bgra) {
    const float alpha = std::min(premultiplied[3], 255.0f);
    if (!(alpha >= 0.5f)) {  // also catches NaN
        bgra[0] = bgra[1] = bgra[2] = bgra[3] = 0;
        return;
    }
    const float unscale = 255.0f / alpha;
    Vec4 straight = premultiplied * Vec4{unscale, unscale, unscale, 0.0f} + Vec4{0.0f, 0.0f, 0.0f, alpha};
    const Vec4 zero = Splat(0.0f);
    const Vec4 top = Splat(255.0f);
    straight = straight < zero ? zero : straight;
    straight = straight > top ? top : straight;
    const Int4 rounded = __builtin_convertvector(straight + Splat(0.5f), Int4);
#if defined(__SSE2__)
    // Every lane is 0..255 already: saturating packs only narrow it.
    const __m128i words = _mm_packs_epi32(reinterpret_cast<__m128i>(rounded), reinterpret_cast<__m128i>(rounded));
    const int32_t packed = _mm_cvtsi128_si32(_mm_packus_epi16(words, words));
    std::memcpy(bgra, &packed, 4);
#else
    bgra[0] = static_cast<uint8_t>(rounded[0]);
    bgra[1] = static_cast<uint8_t>(rounded[1]);
    bgra[2] = static_cast<uint8_t>(rounded[2]);
    bgra[3] = static_cast<uint8_t>(rounded[3]);
#endif
}

} // namespace imaging
