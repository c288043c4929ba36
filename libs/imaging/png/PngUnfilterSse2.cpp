// SSE2 unfiltering. Sub, Average and Paeth depend on the pixel to the left,
// so they go one pixel at a time with all its bytes in one register; Up has
// no such chain and goes 16 bytes at a time.

#include "libs/imaging/png/PngUnfilter.h"

#if defined(__SSE2__)

#include <emmintrin.h>

#include <cstring>

namespace imaging::png {

namespace {

template <size_t N>
__m128i LoadPixel(const uint8_t* p) {
    if constexpr (N == 4) {
        int32_t v;
        std::memcpy(&v, p, 4);
        return _mm_cvtsi32_si128(v);
    } else {
        int64_t v = 0;
        std::memcpy(&v, p, N);
        return _mm_cvtsi64_si128(v);
    }
}

template <size_t N>
void StorePixel(uint8_t* p, __m128i v) {
    if constexpr (N == 4) {
        const int32_t x = _mm_cvtsi128_si32(v);
        std::memcpy(p, &x, 4);
    } else {
        const int64_t x = _mm_cvtsi128_si64(v);
        std::memcpy(p, &x, N);
    }
}

void Up(uint8_t* row, const uint8_t* previous, size_t size) {
    size_t i = 0;
    for (; i + 16 <= size; i += 16) {
        const __m128i x = _mm_loadu_si128(reinterpret_cast<const __m128i*>(row + i));
        const __m128i b = _mm_loadu_si128(reinterpret_cast<const __m128i*>(previous + i));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(row + i), _mm_add_epi8(x, b));
    }
    for (; i < size; ++i)
        row[i] = static_cast<uint8_t>(row[i] + previous[i]);
}

template <size_t N>
void Sub(uint8_t* row, size_t size) {
    __m128i a = _mm_setzero_si128();
    for (size_t i = 0; i < size; i += N) {
        a = _mm_add_epi8(LoadPixel<N>(row + i), a);
        StorePixel<N>(row + i, a);
    }
}

template <size_t N>
void Average(uint8_t* row, const uint8_t* previous, size_t size) {
    const __m128i ones = _mm_set1_epi8(1);
    __m128i a = _mm_setzero_si128();
    for (size_t i = 0; i < size; i += N) {
        const __m128i b = LoadPixel<N>(previous + i);
        // The rounding-up average less the bit it rounded: (a + b) >> 1.
        const __m128i mean = _mm_sub_epi8(_mm_avg_epu8(a, b), _mm_and_si128(_mm_xor_si128(a, b), ones));
        a = _mm_add_epi8(LoadPixel<N>(row + i), mean);
        StorePixel<N>(row + i, a);
    }
}

__m128i Abs16(__m128i x) { return _mm_max_epi16(x, _mm_sub_epi16(_mm_setzero_si128(), x)); }

__m128i Select(__m128i mask, __m128i yes, __m128i no) {
    return _mm_or_si128(_mm_and_si128(mask, yes), _mm_andnot_si128(mask, no));
}

template <size_t N>
void Paeth(uint8_t* row, const uint8_t* previous, size_t size) {
    const __m128i zero = _mm_setzero_si128();
    __m128i a = zero, c = zero;  // 16-bit lanes
    for (size_t i = 0; i < size; i += N) {
        const __m128i b = _mm_unpacklo_epi8(LoadPixel<N>(previous + i), zero);
        const __m128i bc = _mm_sub_epi16(b, c), ac = _mm_sub_epi16(a, c);
        const __m128i pa = Abs16(bc), pb = Abs16(ac), pc = Abs16(_mm_add_epi16(bc, ac));
        const __m128i least = _mm_min_epi16(_mm_min_epi16(pa, pb), pc);
        // Ties go to a, then b, then c.
        const __m128i nearest =
            Select(_mm_cmpeq_epi16(least, pa), a, Select(_mm_cmpeq_epi16(least, pb), b, c));
        const __m128i x = _mm_add_epi8(LoadPixel<N>(row + i), _mm_packus_epi16(nearest, nearest));
        StorePixel<N>(row + i, x);
        a = _mm_unpacklo_epi8(x, zero);
        c = b;
    }
}

template <size_t N>
void UnfilterPixels(uint8_t filter, uint8_t* row, const uint8_t* previous, size_t size) {
    switch (filter) {
    case 1: Sub<N>(row, size); break;
    case 2: Up(row, previous, size); break;
    case 3: Average<N>(row, previous, size); break;
    case 4: Paeth<N>(row, previous, size); break;
    default: break;
    }
}

} // namespace

void UnfilterSse2(uint8_t filter, uint8_t* row, const uint8_t* previous, size_t size, size_t stride) {
    switch (stride) {
    case 3: UnfilterPixels<3>(filter, row, previous, size); break;
    case 4: UnfilterPixels<4>(filter, row, previous, size); break;
    case 6: UnfilterPixels<6>(filter, row, previous, size); break;
    case 8: UnfilterPixels<8>(filter, row, previous, size); break;
    default:
        if (filter == 2)
            Up(row, previous, size);
        else
            UnfilterPortable(filter, row, previous, size, stride);
        break;
    }
}

} // namespace imaging::png

#endif
