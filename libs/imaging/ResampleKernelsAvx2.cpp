// AVX2 versions of the resampler's loops: two pixels per register. Only the
// functions below are built for AVX2; they run where the processor has it.
// Each lane does what the SSE2 version does, in the same order, and nothing
// here may be contracted into fused multiply-adds (the library is built
// with -ffp-contract=off, and AVX2 alone does not include FMA anyway).

#include "libs/imaging/ResampleKernels.h"

#if defined(__x86_64__)

#include <immintrin.h>

#include <cstring>

namespace imaging {

namespace {

// Two pixels per register: each lane times its pixel's alpha / 255, the
// alpha lane times exactly 1, as LoadPremultiplied does.
__attribute__((target("avx2"))) void PremultiplyAvx2(const uint8_t* bgra, int32_t width, Vec4* out) {
    const __m256i alphas = _mm256_setr_epi32(3, 3, 3, 3, 7, 7, 7, 7);
    const __m256 perAlpha = _mm256_setr_ps(1.0f / 255.0f, 1.0f / 255.0f, 1.0f / 255.0f, 0.0f, 1.0f / 255.0f,
                                           1.0f / 255.0f, 1.0f / 255.0f, 0.0f);
    const __m256 alphaLane = _mm256_setr_ps(0.0f, 0.0f, 0.0f, 1.0f, 0.0f, 0.0f, 0.0f, 1.0f);
    auto* o = reinterpret_cast<float*>(out);
    int32_t x = 0;
    for (; x + 2 <= width; x += 2) {
        const __m128i bytes = _mm_loadl_epi64(reinterpret_cast<const __m128i*>(bgra + 4 * x));
        const __m256 straight = _mm256_cvtepi32_ps(_mm256_cvtepu8_epi32(bytes));
        const __m256 alpha = _mm256_permutevar8x32_ps(straight, alphas);
        const __m256 factor = _mm256_add_ps(_mm256_mul_ps(alpha, perAlpha), alphaLane);
        _mm256_storeu_ps(o + 4 * static_cast<size_t>(x), _mm256_mul_ps(straight, factor));
    }
    if (x < width)
        out[x] = LoadPremultiplied(bgra + 4 * x);
}

template <bool Accumulate>
__attribute__((target("avx2"))) void RowGroupWide(const Vec4* const* rows, const float* weights, int32_t width,
                                                  Vec4* out) {
    const __m256 w0 = _mm256_set1_ps(weights[0]), w1 = _mm256_set1_ps(weights[1]);
    const __m256 w2 = _mm256_set1_ps(weights[2]), w3 = _mm256_set1_ps(weights[3]);
    const auto* r0 = reinterpret_cast<const float*>(rows[0]);
    const auto* r1 = reinterpret_cast<const float*>(rows[1]);
    const auto* r2 = reinterpret_cast<const float*>(rows[2]);
    const auto* r3 = reinterpret_cast<const float*>(rows[3]);
    auto* o = reinterpret_cast<float*>(out);
    int32_t x = 0;
    for (; x + 2 <= width; x += 2) {
        const size_t i = static_cast<size_t>(x) * 4;
        const __m256 near = _mm256_add_ps(_mm256_mul_ps(_mm256_loadu_ps(r0 + i), w0),
                                          _mm256_mul_ps(_mm256_loadu_ps(r1 + i), w1));
        const __m256 far = _mm256_add_ps(_mm256_mul_ps(_mm256_loadu_ps(r2 + i), w2),
                                         _mm256_mul_ps(_mm256_loadu_ps(r3 + i), w3));
        __m256 sum = _mm256_add_ps(near, far);
        if (Accumulate)
            sum = _mm256_add_ps(_mm256_loadu_ps(o + i), sum);
        _mm256_storeu_ps(o + i, sum);
    }
    if (x < width) {
        const Vec4 sum = (rows[0][x] * Splat(weights[0]) + rows[1][x] * Splat(weights[1])) +
                         (rows[2][x] * Splat(weights[2]) + rows[3][x] * Splat(weights[3]));
        out[x] = Accumulate ? out[x] + sum : sum;
    }
}

__attribute__((target("avx2"))) void RowGroupAvx2(const Vec4* const* rows, const float* weights, int32_t width,
                                                  bool accumulate, Vec4* out) {
    if (accumulate)
        RowGroupWide<true>(rows, weights, width, out);
    else
        RowGroupWide<false>(rows, weights, width, out);
}

// The weighted sum of one target pixel: the even taps in the low half of one
// register and the odd taps in the high half, one load, one multiply and one
// add for two taps; then the two halves added.
__attribute__((target("avx2"))) __m128 ColumnSum(const Vec4* in, const float* w, int32_t taps) {
    const __m256i spread = _mm256_setr_epi32(0, 0, 0, 0, 1, 1, 1, 1);
    const auto* p = reinterpret_cast<const float*>(in);
    __m256 sums = _mm256_setzero_ps();
    int32_t k = 0;
    for (; k + 1 < taps; k += 2) {
        const __m128 pair = _mm_castsi128_ps(_mm_loadl_epi64(reinterpret_cast<const __m128i*>(w + k)));
        const __m256 weight = _mm256_permutevar8x32_ps(_mm256_castps128_ps256(pair), spread);
        sums = _mm256_add_ps(sums, _mm256_mul_ps(_mm256_loadu_ps(p + 4 * k), weight));
    }
    __m128 even = _mm256_castps256_ps128(sums);
    const __m128 odd = _mm256_extractf128_ps(sums, 1);
    if (k < taps)
        even = _mm_add_ps(even, _mm_mul_ps(_mm_loadu_ps(p + 4 * k), _mm_set1_ps(w[k])));
    return _mm_add_ps(even, odd);
}

// StoreStraight for two pixels at once, every step as it does it per lane.
__attribute__((target("avx2"))) void StoreStraightPair(__m256 premultiplied, uint8_t* bgra) {
    const __m256 zero = _mm256_setzero_ps();
    const __m256 top = _mm256_set1_ps(255.0f);
    const __m256 alphaOnly = _mm256_castsi256_ps(_mm256_setr_epi32(0, 0, 0, -1, 0, 0, 0, -1));
    // min(alpha, 255) as std::min takes it: 255 only where 255 < alpha.
    const __m256 alpha = _mm256_min_ps(
        top, _mm256_permutevar8x32_ps(premultiplied, _mm256_setr_epi32(3, 3, 3, 3, 7, 7, 7, 7)));
    const __m256 visible = _mm256_cmp_ps(alpha, _mm256_set1_ps(0.5f), _CMP_GE_OQ);
    const __m256 unscale = _mm256_div_ps(top, alpha);
    const __m256 scale = _mm256_blendv_ps(unscale, zero, alphaOnly);
    const __m256 offset = _mm256_blendv_ps(zero, alpha, alphaOnly);
    __m256 straight = _mm256_add_ps(_mm256_mul_ps(premultiplied, scale), offset);
    straight = _mm256_blendv_ps(straight, zero, _mm256_cmp_ps(straight, zero, _CMP_LT_OQ));
    straight = _mm256_blendv_ps(straight, top, _mm256_cmp_ps(straight, top, _CMP_GT_OQ));
    const __m256i rounded = _mm256_and_si256(_mm256_cvttps_epi32(_mm256_add_ps(straight, _mm256_set1_ps(0.5f))),
                                             _mm256_castps_si256(visible));
    const __m256i words = _mm256_packs_epi32(rounded, rounded);
    const __m256i bytes = _mm256_packus_epi16(words, words);
    const int32_t first = _mm_cvtsi128_si32(_mm256_castsi256_si128(bytes));
    const int32_t second = _mm_cvtsi128_si32(_mm256_extracti128_si256(bytes, 1));
    std::memcpy(bgra, &first, 4);
    std::memcpy(bgra + 4, &second, 4);
}

__attribute__((target("avx2"))) void ColumnsAvx2(const Vec4* in, const int32_t* first, const float* weights,
                                                 int32_t taps, int32_t width, uint8_t* out) {
    int32_t d = 0;
    for (; d + 2 <= width; d += 2) {
        const __m128 a = ColumnSum(in + first[d], weights + static_cast<size_t>(d) * taps, taps);
        const __m128 b = ColumnSum(in + first[d + 1], weights + static_cast<size_t>(d + 1) * taps, taps);
        StoreStraightPair(_mm256_setr_m128(a, b), out + 4 * d);
    }
    if (d < width)
        StoreStraight(Vec4(ColumnSum(in + first[d], weights + static_cast<size_t>(d) * taps, taps)), out + 4 * d);
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
    static constexpr ResampleKernels kAvx2 = {PremultiplyAvx2, RowGroupAvx2, ColumnsAvx2, MaskAvx2};
    return kAvx2;
}

} // namespace imaging

#endif
