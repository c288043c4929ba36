#pragma once
// SSE2 helpers shared by the SSE2 and AVX2 kernels (internal).

#include "libs/imaging/ResampleKernels.h"

#include <emmintrin.h>

#include <cstring>

namespace imaging {

// Two target pixels from their weighted sums (four 32-bit lanes each), as
// FinishPixel does each of them.
inline void FinishPairSse2(__m128i first, __m128i second, uint8_t* bgra) {
    const __m128i round = _mm_set1_epi32(kWeightOne / 2);
    const __m128i zero = _mm_setzero_si128();
    const __m128i alphaLanes = _mm_setr_epi16(0, 0, 0, -1, 0, 0, 0, -1);
    // Saturating to 16 bits changes nothing that the clamps below keep.
    const __m128i value = _mm_packs_epi32(_mm_srai_epi32(_mm_add_epi32(first, round), kWeightShift),
                                          _mm_srai_epi32(_mm_add_epi32(second, round), kWeightShift));
    __m128i alpha = _mm_shufflehi_epi16(_mm_shufflelo_epi16(value, 0xFF), 0xFF);
    alpha = _mm_min_epi16(_mm_max_epi16(alpha, zero), _mm_set1_epi16(kFixedOne));
    const __m128i colour = _mm_min_epi16(_mm_max_epi16(value, zero), alpha);
    const __m128i half = _mm_set1_epi16(1 << (kFixedShift - 1));
    const __m128i alpha8 = _mm_srli_epi16(_mm_add_epi16(alpha, half), kFixedShift);
    const __m128i visible = _mm_cmpgt_epi16(alpha8, zero);
    if (_mm_movemask_epi8(_mm_cmpeq_epi16(alpha, _mm_set1_epi16(kFixedOne))) == 0xFFFF ||
        _mm_movemask_epi8(visible) == 0) {
        // All opaque: colour times 255 over 16320 is colour over 64, exactly,
        // so the rounded division is a shift. All clear: zero.
        const __m128i straight = _mm_and_si128(_mm_srli_epi16(_mm_add_epi16(colour, half), kFixedShift), visible);
        _mm_storel_epi64(reinterpret_cast<__m128i*>(bgra), _mm_packus_epi16(straight, straight));
        return;
    }
    const __m128i divisor = _mm_max_epi16(alpha, _mm_set1_epi16(1));
    const auto divide = [](__m128i numerator, __m128i denominator) {
        const __m128 q = _mm_div_ps(_mm_mul_ps(_mm_cvtepi32_ps(numerator), _mm_set1_ps(255.0f)),
                                    _mm_cvtepi32_ps(denominator));
        return _mm_cvttps_epi32(_mm_add_ps(q, _mm_set1_ps(0.5f)));
    };
    const __m128i low = divide(_mm_unpacklo_epi16(colour, zero), _mm_unpacklo_epi16(divisor, zero));
    const __m128i high = divide(_mm_unpackhi_epi16(colour, zero), _mm_unpackhi_epi16(divisor, zero));
    __m128i straight = _mm_packs_epi32(low, high);
    straight = _mm_or_si128(_mm_andnot_si128(alphaLanes, straight), _mm_and_si128(alphaLanes, alpha8));
    straight = _mm_and_si128(straight, visible);
    const __m128i bytes = _mm_packus_epi16(straight, straight);
    _mm_storel_epi64(reinterpret_cast<__m128i*>(bgra), bytes);
}

} // namespace imaging
