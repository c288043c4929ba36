// AVX2 versions of the resampler's loops: twice the SSE2 version's pixels or
// taps per instruction. Only the functions below are built for AVX2; they
// run where the processor has it. The sums are exact integers, so adding
// them in another grouping than the other paths changes nothing.

#include "libs/imaging/ResampleKernels.h"

#if defined(__x86_64__)

#include "libs/imaging/ResampleSse2.h"

#include <immintrin.h>

#include <algorithm>
#include <cstring>

namespace imaging {

namespace {

__attribute__((target("avx2"))) void PremultiplyAvx2(const uint8_t* bgra, int32_t width, FixedPixel* out) {
    // Each pixel's alpha word into all four of its lanes.
    const __m256i alphaOfPixel = _mm256_setr_epi8(6, 7, 6, 7, 6, 7, 6, 7, 14, 15, 14, 15, 14, 15, 14, 15, 6, 7,
                                                  6, 7, 6, 7, 6, 7, 14, 15, 14, 15, 14, 15, 14, 15);
    const __m256i two = _mm256_set1_epi16(2);
    const __m256i factor = _mm256_set1_epi16(static_cast<int16_t>(kPremultiplyFactor));
    int32_t x = 0;
    for (; x + 4 <= width; x += 4) {
        const __m256i straight =
            _mm256_cvtepu8_epi16(_mm_loadu_si128(reinterpret_cast<const __m128i*>(bgra + 4 * x)));
        const __m256i alpha = _mm256_shuffle_epi8(straight, alphaOfPixel);
        const __m256i colour = _mm256_mulhi_epu16(_mm256_add_epi16(_mm256_mullo_epi16(straight, alpha), two), factor);
        // Alpha is the fourth word of each pixel: 0x88 takes words 3 and 7 of each half.
        const __m256i pixels = _mm256_blend_epi16(colour, _mm256_slli_epi16(straight, kFixedShift), 0x88);
        _mm256_storeu_si256(reinterpret_cast<__m256i*>(out + x), pixels);
    }
    for (; x < width; ++x)
        out[x] = Premultiply(bgra + 4 * x);
}

int32_t PairOf(const int16_t* weights) {
    int32_t pair;
    std::memcpy(&pair, weights, 4);
    return pair;
}

// Four pixels per step; each 128-bit half does what the SSE2 loop does,
// mirrored weights as it takes them.
template <int32_t Taps, bool Mirrored>
__attribute__((target("avx2"))) void RowsAvx2Taps(const FixedPixel* const* rows, const int16_t* weights,
                                                  int32_t width, FixedPixel* out) {
    constexpr int32_t kPairs = Mirrored ? Taps / 4 : Taps / 2;
    const FixedPixel* r[Taps];
    __m256i pairs[kPairs];
    for (int32_t k = 0; k < Taps; ++k)
        r[k] = rows[k];
    for (int32_t j = 0; j < kPairs; ++j)
        pairs[j] = _mm256_set1_epi32(PairOf(weights + 2 * j));
    int32_t x = 0;
    for (; x + 4 <= width; x += 4) {
        __m256i low = _mm256_set1_epi32(kWeightOne / 2);
        __m256i high = low;
        const auto at = [&r, x](int32_t row) __attribute__((target("avx2"))) {
            return _mm256_loadu_si256(reinterpret_cast<const __m256i*>(r[row] + x));
        };
#pragma GCC unroll 8
        for (int32_t j = 0; j < kPairs; ++j) {
            const __m256i a = Mirrored ? _mm256_add_epi16(at(2 * j), at(Taps - 1 - 2 * j)) : at(2 * j);
            const __m256i b = Mirrored ? _mm256_add_epi16(at(2 * j + 1), at(Taps - 2 - 2 * j)) : at(2 * j + 1);
            low = _mm256_add_epi32(low, _mm256_madd_epi16(_mm256_unpacklo_epi16(a, b), pairs[j]));
            high = _mm256_add_epi32(high, _mm256_madd_epi16(_mm256_unpackhi_epi16(a, b), pairs[j]));
        }
        _mm256_storeu_si256(reinterpret_cast<__m256i*>(out + x),
                            _mm256_packs_epi32(_mm256_srai_epi32(low, kWeightShift), _mm256_srai_epi32(high, kWeightShift)));
    }
    if (x < width) {
        const FixedPixel* tail[Taps];
        for (int32_t k = 0; k < Taps; ++k)
            tail[k] = r[k] + x;
        const ResampleKernels& sse2 = KernelsFor(SimdPath::kSse2);
        (Mirrored ? sse2.mirroredRows : sse2.rows)(tail, weights, Taps, width - x, out + x);
    }
}

// The unrolled loop for `taps` where there is one; mirrored weights come in
// multiples of four.
template <bool Mirrored>
void RowsAvx2Unrolled(const FixedPixel* const* rows, const int16_t* weights, int32_t taps, int32_t width,
                      FixedPixel* out) {
    switch (taps) {
    case 4: return RowsAvx2Taps<4, Mirrored>(rows, weights, width, out);
    case 8: return RowsAvx2Taps<8, Mirrored>(rows, weights, width, out);
    case 12: return RowsAvx2Taps<12, Mirrored>(rows, weights, width, out);
    case 16: return RowsAvx2Taps<16, Mirrored>(rows, weights, width, out);
    }
    if constexpr (!Mirrored) {
        switch (taps) {
        case 2: return RowsAvx2Taps<2, false>(rows, weights, width, out);
        case 6: return RowsAvx2Taps<6, false>(rows, weights, width, out);
        case 10: return RowsAvx2Taps<10, false>(rows, weights, width, out);
        case 14: return RowsAvx2Taps<14, false>(rows, weights, width, out);
        }
    }
    const ResampleKernels& sse2 = KernelsFor(SimdPath::kSse2);
    (Mirrored ? sse2.mirroredRows : sse2.rows)(rows, weights, taps, width, out);
}

// Four pixels, each 128-bit half's two interleaved lane by lane, as a
// multiply-add takes two taps of four channels.
__attribute__((target("avx2"), always_inline)) inline __m256i InterleavedPairs(const FixedPixel* in) {
    const __m256i interleave = _mm256_setr_epi8(0, 1, 8, 9, 2, 3, 10, 11, 4, 5, 12, 13, 6, 7, 14, 15, 0, 1, 8,
                                                9, 2, 3, 10, 11, 4, 5, 12, 13, 6, 7, 14, 15);
    return _mm256_shuffle_epi8(_mm256_loadu_si256(reinterpret_cast<const __m256i*>(in)), interleave);
}

// One target pixel's four sums, four taps per multiply-add: the low half
// holds taps k and k + 1 interleaved lane by lane, the high half k + 2 and
// k + 3, so the pixel's sums are the two halves added. `Taps` 0 means `taps`.
template <int32_t Taps>
__attribute__((target("avx2"), always_inline)) inline __m256i ColumnHalves(const FixedPixel* in,
                                                                            const int16_t* pairs, int32_t taps) {
    if (Taps != 0)
        taps = Taps;
    __m256i sum = _mm256_setzero_si256();
#pragma GCC unroll 4
    for (int32_t k = 0; k < taps; k += 4) {
        const __m256i lanes = InterleavedPairs(in + k);
        const __m256i weight = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(pairs + k * 4));
        sum = _mm256_add_epi32(sum, _mm256_madd_epi16(lanes, weight));
    }
    return sum;
}

// The sums of two pixels from their halves, one pixel per 128-bit half.
__attribute__((target("avx2"), always_inline)) inline __m256i TwoColumnSums(__m256i first, __m256i second) {
    return _mm256_add_epi32(_mm256_permute2x128_si256(first, second, 0x20),
                            _mm256_permute2x128_si256(first, second, 0x31));
}

// Colour times 255 over alpha, rounded half up, in eight 32-bit lanes.
__attribute__((target("avx2"), always_inline)) inline __m256i Divide(__m256i numerator, __m256i denominator) {
    const __m256 q = _mm256_div_ps(_mm256_mul_ps(_mm256_cvtepi32_ps(numerator), _mm256_set1_ps(255.0f)),
                                   _mm256_cvtepi32_ps(denominator));
    return _mm256_cvttps_epi32(_mm256_add_ps(q, _mm256_set1_ps(0.5f)));
}

// FinishPixel for four pixels at once, each step as FinishPairSse2 takes it
// (which is FinishPixel's own, lane by lane): the sums of the first two
// pixels in `low`, one per 128-bit half, of the other two in `high`.
__attribute__((target("avx2"), always_inline)) inline void FinishFourAvx2(__m256i low, __m256i high,
                                                                           uint8_t* bgra) {
    const __m256i round = _mm256_set1_epi32(kWeightOne / 2);
    const __m256i zero = _mm256_setzero_si256();
    const __m256i first = _mm256_srai_epi32(_mm256_add_epi32(low, round), kWeightShift);
    const __m256i second = _mm256_srai_epi32(_mm256_add_epi32(high, round), kWeightShift);
    // The packs interleave the halves: put the pixels back in order.
    const __m256i value = _mm256_permute4x64_epi64(_mm256_packs_epi32(first, second), 0xD8);
    __m256i alpha = _mm256_shufflehi_epi16(_mm256_shufflelo_epi16(value, 0xFF), 0xFF);
    alpha = _mm256_min_epi16(_mm256_max_epi16(alpha, zero), _mm256_set1_epi16(kFixedOne));
    const __m256i colour = _mm256_min_epi16(_mm256_max_epi16(value, zero), alpha);
    const __m256i half = _mm256_set1_epi16(1 << (kFixedShift - 1));
    const __m256i alpha8 = _mm256_srli_epi16(_mm256_add_epi16(alpha, half), kFixedShift);
    const __m256i visible = _mm256_cmpgt_epi16(alpha8, zero);
    const int opaque = _mm256_movemask_epi8(_mm256_cmpeq_epi16(alpha, _mm256_set1_epi16(kFixedOne)));
    if (opaque == -1 || _mm256_movemask_epi8(visible) == 0) {
        // All opaque: colour times 255 over 16320 is colour over 64, exactly,
        // so the rounded division is a shift. All clear: zero.
        __m256i straight = _mm256_and_si256(_mm256_srli_epi16(_mm256_add_epi16(colour, half), kFixedShift), visible);
        straight = _mm256_permute4x64_epi64(_mm256_packus_epi16(straight, straight), 0x08);
        _mm_storeu_si128(reinterpret_cast<__m128i*>(bgra), _mm256_castsi256_si128(straight));
        return;
    }
    const __m256i divisor = _mm256_max_epi16(alpha, _mm256_set1_epi16(1));
    const __m256i lowQuotients =
        Divide(_mm256_unpacklo_epi16(colour, zero), _mm256_unpacklo_epi16(divisor, zero));
    const __m256i highQuotients =
        Divide(_mm256_unpackhi_epi16(colour, zero), _mm256_unpackhi_epi16(divisor, zero));
    __m256i straight = _mm256_packs_epi32(lowQuotients, highQuotients);
    straight = _mm256_blend_epi16(straight, alpha8, 0x88);  // each pixel's fourth word is its alpha
    straight = _mm256_and_si256(straight, visible);
    const __m256i bytes = _mm256_permute4x64_epi64(_mm256_packus_epi16(straight, straight), 0x08);
    _mm_storeu_si128(reinterpret_cast<__m128i*>(bgra), _mm256_castsi256_si128(bytes));
}

// Four target pixels a step, their halves added in pairs and finished
// together; the last few one at a time.
template <int32_t Taps>
__attribute__((target("avx2"))) void ColumnsAvx2Taps(const FixedPixel* in, const int32_t* first,
                                                     const int16_t* pairs, int32_t taps, int32_t width,
                                                     uint8_t* out) {
    const size_t stride = static_cast<size_t>(taps) * 4;
    const auto halves = [&](int32_t d) __attribute__((target("avx2"))) {
        return ColumnHalves<Taps>(in + first[d], pairs + static_cast<size_t>(d) * stride, taps);
    };
    int32_t d = 0;
    for (; d + 4 <= width; d += 4)
        FinishFourAvx2(TwoColumnSums(halves(d), halves(d + 1)), TwoColumnSums(halves(d + 2), halves(d + 3)),
                       out + 4 * d);
    for (; d < width; ++d) {
        const __m256i sum = halves(d);
        alignas(16) int32_t sums[4];
        _mm_store_si128(reinterpret_cast<__m128i*>(sums),
                        _mm_add_epi32(_mm256_castsi256_si128(sum), _mm256_extracti128_si256(sum, 1)));
        FinishPixel(sums, out + 4 * d);
    }
}

__attribute__((target("avx2"))) void ColumnsAvx2(const FixedPixel* in, const int32_t* first, const int16_t* pairs,
                                                 int32_t taps, int32_t width, uint8_t* out) {
    switch (taps) {
    case 4: return ColumnsAvx2Taps<4>(in, first, pairs, taps, width, out);
    case 8: return ColumnsAvx2Taps<8>(in, first, pairs, taps, width, out);
    case 12: return ColumnsAvx2Taps<12>(in, first, pairs, taps, width, out);
    case 16: return ColumnsAvx2Taps<16>(in, first, pairs, taps, width, out);
    default: return ColumnsAvx2Taps<0>(in, first, pairs, taps, width, out);
    }
}

// Four target pixels at a time: the pairs of pixels d and d + 1 are those of
// d + 2 and d + 3 two taps on, so each is interleaved once for both.
template <int32_t Pairs>
__attribute__((target("avx2"))) void HalvingColumnsAvx2Taps(const FixedPixel* in, const int16_t* weights,
                                                            int32_t width, uint8_t* out) {
    __m256i pairs[Pairs];
    for (int32_t j = 0; j < Pairs; ++j)
        pairs[j] = _mm256_set1_epi32(PairOf(weights + 2 * j));
    int32_t d = 0;
    for (; d + 4 <= width; d += 4) {
        __m256i low = _mm256_setzero_si256();
        __m256i high = _mm256_setzero_si256();
#pragma GCC unroll 10
        for (int32_t m = 0; m < Pairs + 2; ++m) {
            const __m256i two = InterleavedPairs(in + 2 * (d + m));
            if (m < Pairs)
                low = _mm256_add_epi32(low, _mm256_madd_epi16(two, pairs[m]));
            if (m >= 2)
                high = _mm256_add_epi32(high, _mm256_madd_epi16(two, pairs[m - 2]));
        }
        FinishFourAvx2(low, high, out + 4 * d);
    }
    if (d < width)
        KernelsFor(SimdPath::kSse2).halvingColumns(in + 2 * d, weights, 2 * Pairs, width - d, out + 4 * d);
}

void HalvingColumnsAvx2(const FixedPixel* in, const int16_t* weights, int32_t taps, int32_t width,
                        uint8_t* out) {
    switch (taps) {
    case 4: return HalvingColumnsAvx2Taps<2>(in, weights, width, out);
    case 8: return HalvingColumnsAvx2Taps<4>(in, weights, width, out);
    case 12: return HalvingColumnsAvx2Taps<6>(in, weights, width, out);
    case 16: return HalvingColumnsAvx2Taps<8>(in, weights, width, out);
    default: return KernelsFor(SimdPath::kSse2).halvingColumns(in, weights, taps, width, out);
    }
}

// Four target pixels a step, as HalveSse2 takes two.
__attribute__((target("avx2"))) void HalveAvx2(const FixedPixel* upper, const FixedPixel* lower, int32_t columns,
                                               FixedPixel* out) {
    const __m256i two = _mm256_set1_epi16(2);
    int32_t i = 0;
    for (; 2 * i + 8 <= columns; i += 4) {
        const auto* u = reinterpret_cast<const __m256i*>(upper + 2 * i);
        const auto* l = reinterpret_cast<const __m256i*>(lower + 2 * i);
        const __m256i left = _mm256_add_epi16(_mm256_loadu_si256(u), _mm256_loadu_si256(l));
        const __m256i right = _mm256_add_epi16(_mm256_loadu_si256(u + 1), _mm256_loadu_si256(l + 1));
        // Pixels 0, 2 in the low half and 1, 3 in the high one: put them in order.
        const __m256i sum = _mm256_add_epi16(_mm256_unpacklo_epi64(left, right), _mm256_unpackhi_epi64(left, right));
        _mm256_storeu_si256(reinterpret_cast<__m256i*>(out + i),
                            _mm256_permute4x64_epi64(_mm256_srli_epi16(_mm256_add_epi16(sum, two), 2), 0xD8));
    }
    KernelsFor(SimdPath::kSse2).halve(upper + 2 * i, lower + 2 * i, columns - 2 * i, out + i);
}

// Thirty-two pixels at a time, narrowed in three packs; the eight-pixel
// loop and then the plain one take the rest.
__attribute__((target("avx2"))) void MaskAvx2(const uint8_t* bgra, size_t pixels, uint8_t opaqueFrom,
                                              uint8_t* transparent) {
    const __m256i threshold = _mm256_set1_epi32(opaqueFrom);
    const __m256i one = _mm256_set1_epi8(1);
    const auto below = [&](size_t at) __attribute__((target("avx2"))) {
        const __m256i alpha =
            _mm256_srli_epi32(_mm256_loadu_si256(reinterpret_cast<const __m256i*>(bgra + 4 * at)), 24);
        return _mm256_cmpgt_epi32(threshold, alpha);
    };
    // The packs work within 128-bit halves: byte group k of the result holds
    // pixels 8 (k % 4) + 4 (k / 4) onwards; this puts the groups in order.
    const __m256i order = _mm256_setr_epi32(0, 4, 1, 5, 2, 6, 3, 7);
    size_t i = 0;
    for (; i + 32 <= pixels; i += 32) {
        const __m256i words = _mm256_packs_epi32(below(i), below(i + 8));
        const __m256i moreWords = _mm256_packs_epi32(below(i + 16), below(i + 24));
        const __m256i bytes = _mm256_permutevar8x32_epi32(_mm256_packs_epi16(words, moreWords), order);
        _mm256_storeu_si256(reinterpret_cast<__m256i*>(transparent + i), _mm256_and_si256(bytes, one));
    }
    for (; i + 8 <= pixels; i += 8) {
        const __m256i below8 = below(i);
        const __m256i words = _mm256_packs_epi32(below8, below8);
        const __m256i bytes = _mm256_and_si256(_mm256_packs_epi16(words, words), one);
        // Each 128-bit half holds its four pixels in its lowest four bytes.
        const int32_t low = _mm_cvtsi128_si32(_mm256_castsi256_si128(bytes));
        const int32_t high = _mm_cvtsi128_si32(_mm256_extracti128_si256(bytes, 1));
        std::memcpy(transparent + i, &low, 4);
        std::memcpy(transparent + i + 4, &high, 4);
    }
    for (; i < pixels; ++i)
        transparent[i] = bgra[4 * i + 3] < opaqueFrom ? 1 : 0;
}

} // namespace

const ResampleKernels& Avx2Kernels() {
    static constexpr ResampleKernels kAvx2 = {
        PremultiplyAvx2, RowsAvx2Unrolled<false>, RowsAvx2Unrolled<true>, ColumnsAvx2,
        HalvingColumnsAvx2, HalveAvx2, MaskAvx2};
    return kAvx2;
}

} // namespace imaging

#endif
