// AVX2 versions of the resampler's loops: twice the SSE2 version's pixels or
// taps per instruction. Only the functions below are built for AVX2; they
// run where the processor has it. The sums are exact integers, so adding
// them in another grouping than the other paths changes nothing.

#include "libs/imaging/ResampleKernels.h"

#if defined(__x86_64__)

#include "libs/imaging/ResampleSse2.h"

#include <immintrin.h>

#include <cstring>

namespace imaging {

namespace {

__attribute__((target("avx2"))) void PremultiplyAvx2(const uint8_t* bgra, int32_t width, FixedPixel* out) {
    const __m256i alphaLanes = _mm256_setr_epi16(0, 0, 0, -1, 0, 0, 0, -1, 0, 0, 0, -1, 0, 0, 0, -1);
    const __m256i two = _mm256_set1_epi16(2);
    const __m256i factor = _mm256_set1_epi16(static_cast<int16_t>(kPremultiplyFactor));
    int32_t x = 0;
    for (; x + 4 <= width; x += 4) {
        const __m256i straight =
            _mm256_cvtepu8_epi16(_mm_loadu_si128(reinterpret_cast<const __m128i*>(bgra + 4 * x)));
        const __m256i alpha = _mm256_shufflehi_epi16(_mm256_shufflelo_epi16(straight, 0xFF), 0xFF);
        const __m256i colour = _mm256_mulhi_epu16(_mm256_add_epi16(_mm256_mullo_epi16(straight, alpha), two), factor);
        const __m256i pixels = _mm256_or_si256(_mm256_andnot_si256(alphaLanes, colour),
                                               _mm256_and_si256(alphaLanes, _mm256_slli_epi16(straight, kFixedShift)));
        _mm256_storeu_si256(reinterpret_cast<__m256i*>(out + x), pixels);
    }
    for (; x < width; ++x)
        out[x] = Premultiply(bgra + 4 * x);
}

constexpr int32_t kRegisterTaps = 64;

int32_t PairOf(const int16_t* weights) {
    int32_t pair;
    std::memcpy(&pair, weights, 4);
    return pair;
}

// Four pixels per step; each 128-bit half does what the SSE2 loop does.
__attribute__((target("avx2"))) void RowsAvx2(const FixedPixel* const* rows, const int16_t* weights, int32_t taps,
                                              int32_t width, FixedPixel* out) {
    const ResampleKernels& sse2 = KernelsFor(SimdPath::kSse2);
    if (taps > kRegisterTaps || width < 4) {
        sse2.rows(rows, weights, taps, width, out);
        return;
    }
    __m256i pairs[kRegisterTaps / 2];
    for (int32_t k = 0; k < taps; k += 2)
        pairs[k / 2] = _mm256_set1_epi32(PairOf(weights + k));
    const __m256i round = _mm256_set1_epi32(kWeightOne / 2);
    int32_t x = 0;
    for (; x + 4 <= width; x += 4) {
        __m256i low = _mm256_setzero_si256();
        __m256i high = _mm256_setzero_si256();
        for (int32_t k = 0; k < taps; k += 2) {
            const __m256i a = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(rows[k] + x));
            const __m256i b = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(rows[k + 1] + x));
            low = _mm256_add_epi32(low, _mm256_madd_epi16(_mm256_unpacklo_epi16(a, b), pairs[k / 2]));
            high = _mm256_add_epi32(high, _mm256_madd_epi16(_mm256_unpackhi_epi16(a, b), pairs[k / 2]));
        }
        low = _mm256_srai_epi32(_mm256_add_epi32(low, round), kWeightShift);
        high = _mm256_srai_epi32(_mm256_add_epi32(high, round), kWeightShift);
        _mm256_storeu_si256(reinterpret_cast<__m256i*>(out + x), _mm256_packs_epi32(low, high));
    }
    if (x < width) {
        const FixedPixel* tail[kRegisterTaps];
        for (int32_t k = 0; k < taps; ++k)
            tail[k] = rows[k] + x;
        sse2.rows(tail, weights, taps, width - x, out + x);
    }
}

// One target pixel's four sums, four taps per multiply-add: the low half
// holds taps k and k + 1 interleaved lane by lane, the high half k + 2 and
// k + 3; the halves are added at the end.
__attribute__((target("avx2"))) __m128i ColumnSum(const FixedPixel* in, const int16_t* w, int32_t taps) {
    const __m256i spread = _mm256_setr_epi32(0, 0, 0, 0, 1, 1, 1, 1);
    __m256i sum = _mm256_setzero_si256();
    for (int32_t k = 0; k < taps; k += 4) {
        const __m256i four = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(in + k));
        const __m256i lanes = _mm256_unpacklo_epi16(four, _mm256_srli_si256(four, 8));
        const __m256i weight = _mm256_permutevar8x32_epi32(
            _mm256_castsi128_si256(_mm_loadl_epi64(reinterpret_cast<const __m128i*>(w + k))), spread);
        sum = _mm256_add_epi32(sum, _mm256_madd_epi16(lanes, weight));
    }
    return _mm_add_epi32(_mm256_castsi256_si128(sum), _mm256_extracti128_si256(sum, 1));
}

__attribute__((target("avx2"))) void ColumnsAvx2(const FixedPixel* in, const int32_t* first, const int16_t* weights,
                                                 int32_t taps, int32_t width, uint8_t* out) {
    int32_t d = 0;
    for (; d + 2 <= width; d += 2) {
        const int16_t* w = weights + static_cast<size_t>(d) * taps;
        FinishPairSse2(ColumnSum(in + first[d], w, taps), ColumnSum(in + first[d + 1], w + taps, taps), out + 4 * d);
    }
    if (d < width) {
        alignas(16) int32_t sums[4];
        _mm_store_si128(reinterpret_cast<__m128i*>(sums),
                        ColumnSum(in + first[d], weights + static_cast<size_t>(d) * taps, taps));
        FinishPixel(sums, out + 4 * d);
    }
}

// Eight pixels at a time, as the SSE2 version does four.
__attribute__((target("avx2"))) void MaskAvx2(const uint8_t* bgra, size_t pixels, uint8_t opaqueFrom,
                                              uint8_t* transparent) {
    const __m256i threshold = _mm256_set1_epi32(opaqueFrom);
    const __m256i one = _mm256_set1_epi8(1);
    size_t i = 0;
    for (; i + 8 <= pixels; i += 8) {
        const __m256i alpha =
            _mm256_srli_epi32(_mm256_loadu_si256(reinterpret_cast<const __m256i*>(bgra + 4 * i)), 24);
        const __m256i below = _mm256_cmpgt_epi32(threshold, alpha);
        const __m256i words = _mm256_packs_epi32(below, below);
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
    static constexpr ResampleKernels kAvx2 = {PremultiplyAvx2, RowsAvx2, ColumnsAvx2, MaskAvx2};
    return kAvx2;
}

} // namespace imaging

#endif
