#include "libs/imaging/ResampleKernels.h"

#include <algorithm>
#include <cstring>

#if defined(__SSE2__)
#include "libs/imaging/ResampleSse2.h"
#endif

namespace imaging {

#if defined(__x86_64__)
const ResampleKernels& Avx2Kernels();
#endif

void FinishPixel(const int32_t* sums, uint8_t* bgra) {
    int32_t value[4];
    for (int c = 0; c < 4; ++c)
        value[c] = (sums[c] + kWeightOne / 2) >> kWeightShift;
    const int32_t alpha = std::clamp(value[3], 0, kFixedOne);
    const int32_t alpha8 = (alpha + (1 << (kFixedShift - 1))) >> kFixedShift;
    if (alpha8 == 0) {
        std::memset(bgra, 0, 4);
        return;
    }
    for (int c = 0; c < 3; ++c) {
        const int32_t colour = std::clamp(value[c], 0, alpha);
        const float q = static_cast<float>(colour * 255) / static_cast<float>(alpha);
        bgra[c] = static_cast<uint8_t>(static_cast<int32_t>(q + 0.5f));
    }
    bgra[3] = static_cast<uint8_t>(alpha8);
}

namespace {

void PremultiplyPortable(const uint8_t* bgra, int32_t width, FixedPixel* out) {
    for (int32_t x = 0; x < width; ++x)
        out[x] = Premultiply(bgra + 4 * x);
}

// Rounded back to 14 bits and saturated to 16, as the vector packs do.
int16_t RoundSum(int32_t sum) {
    return static_cast<int16_t>(std::clamp((sum + kWeightOne / 2) >> kWeightShift, -32768, 32767));
}

void RowsPortable(const FixedPixel* const* rows, const int16_t* weights, int32_t taps, int32_t width,
                  FixedPixel* out) {
    for (int32_t x = 0; x < width; ++x)
        for (int c = 0; c < 4; ++c) {
            int32_t sum = 0;
            for (int32_t k = 0; k < taps; ++k)
                sum += rows[k][x].lane[c] * weights[k];
            out[x].lane[c] = RoundSum(sum);
        }
}

void MirroredRowsPortable(const FixedPixel* const* rows, const int16_t* weights, int32_t taps, int32_t width,
                          FixedPixel* out) {
    for (int32_t x = 0; x < width; ++x)
        for (int c = 0; c < 4; ++c) {
            int32_t sum = 0;
            for (int32_t k = 0; k < taps / 2; ++k)
                sum += (rows[k][x].lane[c] + rows[taps - 1 - k][x].lane[c]) * weights[k];
            out[x].lane[c] = RoundSum(sum);
        }
}

// One target pixel from `taps` pixels on, tap k weighing weightOf(k).
template <typename WeightOf>
void ColumnPixel(const FixedPixel* p, int32_t taps, WeightOf&& weightOf, uint8_t* bgra) {
    int32_t sums[4] = {0, 0, 0, 0};
    for (int32_t k = 0; k < taps; ++k)
        for (int c = 0; c < 4; ++c)
            sums[c] += p[k].lane[c] * weightOf(k);
    FinishPixel(sums, bgra);
}

void ColumnsPortable(const FixedPixel* in, const int32_t* first, const int16_t* pairs, int32_t taps,
                     int32_t width, uint8_t* out) {
    for (int32_t d = 0; d < width; ++d) {
        const int16_t* w = pairs + static_cast<size_t>(d) * taps * 4;
        ColumnPixel(in + first[d], taps, [w](int32_t k) { return w[(k / 2) * 8 + k % 2]; }, out + 4 * d);
    }
}

void HalvingColumnsPortable(const FixedPixel* in, const int16_t* weights, int32_t taps, int32_t width,
                            uint8_t* out) {
    for (int32_t d = 0; d < width; ++d)
        ColumnPixel(in + 2 * d, taps, [weights](int32_t k) { return weights[k]; }, out + 4 * d);
}

void HalvePortable(const FixedPixel* upper, const FixedPixel* lower, int32_t columns, FixedPixel* out) {
    const int32_t pairs = columns / 2;
    for (int32_t i = 0; i < pairs; ++i)
        for (int c = 0; c < 4; ++c)
            out[i].lane[c] = static_cast<int16_t>((upper[2 * i].lane[c] + upper[2 * i + 1].lane[c] +
                                                   lower[2 * i].lane[c] + lower[2 * i + 1].lane[c] + 2) >> 2);
    if (pairs * 2 < columns)
        for (int c = 0; c < 4; ++c)
            out[pairs].lane[c] = static_cast<int16_t>((upper[2 * pairs].lane[c] + lower[2 * pairs].lane[c] + 1) >> 1);
}

void MaskPortable(const uint8_t* bgra, size_t pixels, uint8_t opaqueFrom, uint8_t* transparent) {
    for (size_t i = 0; i < pixels; ++i)
        transparent[i] = bgra[4 * i + 3] < opaqueFrom ? 1 : 0;
}

constexpr ResampleKernels kPortable = {
    PremultiplyPortable, RowsPortable, MirroredRowsPortable, ColumnsPortable,
    HalvingColumnsPortable, HalvePortable, MaskPortable};

#if defined(__SSE2__)

// Two pixels of 16-bit lanes: colour times alpha, scaled as Premultiply does.
__m128i PremultiplyPair(__m128i straight) {
    const __m128i alphaLanes = _mm_setr_epi16(0, 0, 0, -1, 0, 0, 0, -1);
    const __m128i alpha = _mm_shufflehi_epi16(_mm_shufflelo_epi16(straight, 0xFF), 0xFF);
    const __m128i product = _mm_add_epi16(_mm_mullo_epi16(straight, alpha), _mm_set1_epi16(2));
    const __m128i colour = _mm_mulhi_epu16(product, _mm_set1_epi16(static_cast<int16_t>(kPremultiplyFactor)));
    return _mm_or_si128(_mm_andnot_si128(alphaLanes, colour),
                        _mm_and_si128(alphaLanes, _mm_slli_epi16(straight, kFixedShift)));
}

void PremultiplySse2(const uint8_t* bgra, int32_t width, FixedPixel* out) {
    const __m128i zero = _mm_setzero_si128();
    int32_t x = 0;
    for (; x + 4 <= width; x += 4) {
        const __m128i bytes = _mm_loadu_si128(reinterpret_cast<const __m128i*>(bgra + 4 * x));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(out + x), PremultiplyPair(_mm_unpacklo_epi8(bytes, zero)));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(out + x + 2), PremultiplyPair(_mm_unpackhi_epi8(bytes, zero)));
    }
    PremultiplyPortable(bgra + 4 * x, width - x, out + x);
}

int32_t PairOf(const int16_t* weights) {
    int32_t pair;
    std::memcpy(&pair, weights, 4);
    return pair;
}

// Taps in pairs: a pair's two rows interleaved lane by lane meet their two
// weights in one multiply-add; with `Mirrored` weights the rows of each
// mirrored pair are added first, and two such sums share one. Up to 16 taps
// the count is a constant of the loop, which is then unrolled with the rows
// and weights in registers; longer kernels (only without the box) take the
// portable loop, which gives the same sums.
template <int32_t Taps, bool Mirrored>
void RowsSse2Taps(const FixedPixel* const* rows, const int16_t* weights, int32_t width, FixedPixel* out) {
    constexpr int32_t kPairs = Mirrored ? Taps / 4 : Taps / 2;
    const FixedPixel* r[Taps];
    __m128i pairs[kPairs];
    for (int32_t k = 0; k < Taps; ++k)
        r[k] = rows[k];
    for (int32_t j = 0; j < kPairs; ++j)
        pairs[j] = _mm_set1_epi32(PairOf(weights + 2 * j));
    int32_t x = 0;
    for (; x + 2 <= width; x += 2) {
        __m128i low = _mm_set1_epi32(kWeightOne / 2);
        __m128i high = low;
        const auto at = [&r, x](int32_t row) { return _mm_loadu_si128(reinterpret_cast<const __m128i*>(r[row] + x)); };
#pragma GCC unroll 8
        for (int32_t j = 0; j < kPairs; ++j) {
            const __m128i a = Mirrored ? _mm_add_epi16(at(2 * j), at(Taps - 1 - 2 * j)) : at(2 * j);
            const __m128i b = Mirrored ? _mm_add_epi16(at(2 * j + 1), at(Taps - 2 - 2 * j)) : at(2 * j + 1);
            low = _mm_add_epi32(low, _mm_madd_epi16(_mm_unpacklo_epi16(a, b), pairs[j]));
            high = _mm_add_epi32(high, _mm_madd_epi16(_mm_unpackhi_epi16(a, b), pairs[j]));
        }
        _mm_storeu_si128(reinterpret_cast<__m128i*>(out + x),
                         _mm_packs_epi32(_mm_srai_epi32(low, kWeightShift), _mm_srai_epi32(high, kWeightShift)));
    }
    if (x < width) {
        const FixedPixel* tail[Taps];
        for (int32_t k = 0; k < Taps; ++k)
            tail[k] = r[k] + x;
        (Mirrored ? MirroredRowsPortable : RowsPortable)(tail, weights, Taps, width - x, out + x);
    }
}

// The unrolled loop for `taps` where there is one; mirrored weights come in
// multiples of four.
template <bool Mirrored>
void RowsSse2Unrolled(const FixedPixel* const* rows, const int16_t* weights, int32_t taps, int32_t width,
                      FixedPixel* out) {
    switch (taps) {
    case 4: return RowsSse2Taps<4, Mirrored>(rows, weights, width, out);
    case 8: return RowsSse2Taps<8, Mirrored>(rows, weights, width, out);
    case 12: return RowsSse2Taps<12, Mirrored>(rows, weights, width, out);
    case 16: return RowsSse2Taps<16, Mirrored>(rows, weights, width, out);
    }
    if constexpr (!Mirrored) {
        switch (taps) {
        case 2: return RowsSse2Taps<2, false>(rows, weights, width, out);
        case 6: return RowsSse2Taps<6, false>(rows, weights, width, out);
        case 10: return RowsSse2Taps<10, false>(rows, weights, width, out);
        case 14: return RowsSse2Taps<14, false>(rows, weights, width, out);
        }
    }
    (Mirrored ? MirroredRowsPortable : RowsPortable)(rows, weights, taps, width, out);
}

// Two pixels interleaved lane by lane, as a multiply-add takes two taps of
// four channels.
__m128i InterleavedPair(const FixedPixel* in) {
    const __m128i two = _mm_loadu_si128(reinterpret_cast<const __m128i*>(in));
    return _mm_unpacklo_epi16(two, _mm_srli_si128(two, 8));
}

// One target pixel's four sums, two taps per multiply-add.
__m128i ColumnSumSse2(const FixedPixel* in, const int16_t* pairs, int32_t taps) {
    __m128i sum = _mm_setzero_si128();
    for (int32_t k = 0; k < taps; k += 2) {
        const __m128i lanes = InterleavedPair(in + k);
        const __m128i weight = _mm_loadu_si128(reinterpret_cast<const __m128i*>(pairs + k * 4));
        sum = _mm_add_epi32(sum, _mm_madd_epi16(lanes, weight));
    }
    return sum;
}

// The sums of a stretch of target pixels first, then their finishing, so
// that the divisions of one pixel do not hold up the sums of the next.
constexpr int32_t kStretch = 64;

void ColumnsSse2(const FixedPixel* in, const int32_t* first, const int16_t* pairs, int32_t taps, int32_t width,
                 uint8_t* out) {
    const size_t stride = static_cast<size_t>(taps) * 4;
    __m128i sums[kStretch];
    for (int32_t start = 0; start < width; start += kStretch) {
        const int32_t n = std::min(kStretch, width - start);
        for (int32_t d = 0; d < n; ++d)
            sums[d] = ColumnSumSse2(in + first[start + d], pairs + (start + d) * stride, taps);
        int32_t d = 0;
        for (; d + 2 <= n; d += 2)
            FinishPairSse2(sums[d], sums[d + 1], out + 4 * (start + d));
        if (d < n) {
            int32_t last[4];
            std::memcpy(last, &sums[d], sizeof(last));
            FinishPixel(last, out + 4 * (start + d));
        }
    }
}

// Two target pixels at a time; each interleaved pair serves both: source
// pixels 2m and 2m + 1 are the taps 2j and 2j + 1 of target pixel m - j.
template <int32_t Pairs>
void HalvingColumnsSse2Taps(const FixedPixel* in, const int16_t* weights, int32_t width, uint8_t* out) {
    __m128i pairs[Pairs];
    for (int32_t j = 0; j < Pairs; ++j)
        pairs[j] = _mm_set1_epi32(PairOf(weights + 2 * j));
    int32_t d = 0;
    for (; d + 2 <= width; d += 2) {
        __m128i first = _mm_setzero_si128();
        __m128i second = _mm_setzero_si128();
#pragma GCC unroll 8
        for (int32_t m = 0; m <= Pairs; ++m) {
            const __m128i pair = InterleavedPair(in + 2 * (d + m));
            if (m < Pairs)
                first = _mm_add_epi32(first, _mm_madd_epi16(pair, pairs[m]));
            if (m > 0)
                second = _mm_add_epi32(second, _mm_madd_epi16(pair, pairs[m - 1]));
        }
        FinishPairSse2(first, second, out + 4 * d);
    }
    HalvingColumnsPortable(in + 2 * d, weights, 2 * Pairs, width - d, out + 4 * d);
}

void HalvingColumnsSse2(const FixedPixel* in, const int16_t* weights, int32_t taps, int32_t width, uint8_t* out) {
    switch (taps) {
    case 4: return HalvingColumnsSse2Taps<2>(in, weights, width, out);
    case 8: return HalvingColumnsSse2Taps<4>(in, weights, width, out);
    case 12: return HalvingColumnsSse2Taps<6>(in, weights, width, out);
    case 16: return HalvingColumnsSse2Taps<8>(in, weights, width, out);
    default: return HalvingColumnsPortable(in, weights, taps, width, out);
    }
}

// Two target pixels a step. Four lanes of 0 to 16320 add up within 16
// unsigned bits.
void HalveSse2(const FixedPixel* upper, const FixedPixel* lower, int32_t columns, FixedPixel* out) {
    const __m128i two = _mm_set1_epi16(2);
    int32_t i = 0;
    for (; 2 * i + 4 <= columns; i += 2) {
        const auto* u = reinterpret_cast<const __m128i*>(upper + 2 * i);
        const auto* l = reinterpret_cast<const __m128i*>(lower + 2 * i);
        const __m128i left = _mm_add_epi16(_mm_loadu_si128(u), _mm_loadu_si128(l));
        const __m128i right = _mm_add_epi16(_mm_loadu_si128(u + 1), _mm_loadu_si128(l + 1));
        const __m128i sum = _mm_add_epi16(_mm_unpacklo_epi64(left, right), _mm_unpackhi_epi64(left, right));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(out + i), _mm_srli_epi16(_mm_add_epi16(sum, two), 2));
    }
    HalvePortable(upper + 2 * i, lower + 2 * i, columns - 2 * i, out + i);
}

// Four pixels at a time: alpha below the threshold gives all ones in a lane,
// narrowed to one byte per pixel.
void MaskSse2(const uint8_t* bgra, size_t pixels, uint8_t opaqueFrom, uint8_t* transparent) {
    const __m128i threshold = _mm_set1_epi32(opaqueFrom);
    const __m128i one = _mm_set1_epi8(1);
    size_t i = 0;
    for (; i + 4 <= pixels; i += 4) {
        const __m128i alpha =
            _mm_srli_epi32(_mm_loadu_si128(reinterpret_cast<const __m128i*>(bgra + 4 * i)), 24);
        const __m128i below = _mm_cmplt_epi32(alpha, threshold);
        const __m128i words = _mm_packs_epi32(below, below);
        const int32_t bytes = _mm_cvtsi128_si32(_mm_and_si128(_mm_packs_epi16(words, words), one));
        std::memcpy(transparent + i, &bytes, 4);
    }
    MaskPortable(bgra + 4 * i, pixels - i, opaqueFrom, transparent + i);
}

constexpr ResampleKernels kSse2 = {
    PremultiplySse2, RowsSse2Unrolled<false>, RowsSse2Unrolled<true>, ColumnsSse2,
    HalvingColumnsSse2, HalveSse2, MaskSse2};

#endif

} // namespace

bool SimdPathAvailable(SimdPath path) {
    switch (path) {
    case SimdPath::kPortable: return true;
#if defined(__SSE2__)
    case SimdPath::kSse2: return true;
#endif
#if defined(__x86_64__)
    case SimdPath::kAvx2: return __builtin_cpu_supports("avx2");
#endif
    default: return false;
    }
}

SimdPath FastestSimdPath() {
    static const SimdPath fastest = SimdPathAvailable(SimdPath::kAvx2)   ? SimdPath::kAvx2
                                    : SimdPathAvailable(SimdPath::kSse2) ? SimdPath::kSse2
                                                                         : SimdPath::kPortable;
    return fastest;
}

const ResampleKernels& KernelsFor(SimdPath path) {
    if (!SimdPathAvailable(path))
        path = FastestSimdPath();
    switch (path) {
#if defined(__x86_64__)
    case SimdPath::kAvx2: return Avx2Kernels();
#endif
#if defined(__SSE2__)
    case SimdPath::kSse2: return kSse2;
#endif
    default: return kPortable;
    }
}

} // namespace imaging
