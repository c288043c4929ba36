#include "libs/imaging/ResampleKernels.h"

#include <algorithm>

namespace imaging {

#if defined(__x86_64__)
const ResampleKernels& Avx2Kernels();
#endif

namespace {

// Plain scalar code, lane by lane, in the order the vector versions use.

void PremultiplyPortable(const uint8_t* bgra, int32_t width, Vec4* out) {
    for (int32_t x = 0; x < width; ++x) {
        const uint8_t* in = bgra + 4 * x;
        const float alpha = in[3];
        for (int c = 0; c < 4; ++c) {
            const float perAlpha = c < 3 ? 1.0f / 255.0f : 0.0f;
            const float alphaLane = c < 3 ? 0.0f : 1.0f;
            out[x][c] = static_cast<float>(in[c]) * (alpha * perAlpha + alphaLane);
        }
    }
}

void RowGroupPortable(const Vec4* const* rows, const float* weights, int32_t width, bool accumulate, Vec4* out) {
    for (int32_t x = 0; x < width; ++x)
        for (int c = 0; c < 4; ++c) {
            const float near = rows[0][x][c] * weights[0] + rows[1][x][c] * weights[1];
            const float far = rows[2][x][c] * weights[2] + rows[3][x][c] * weights[3];
            out[x][c] = accumulate ? out[x][c] + (near + far) : near + far;
        }
}

void StoreStraightPortable(const float* premultiplied, uint8_t* bgra) {
    const float alpha = std::min(premultiplied[3], 255.0f);
    if (!(alpha >= 0.5f)) {
        bgra[0] = bgra[1] = bgra[2] = bgra[3] = 0;
        return;
    }
    const float unscale = 255.0f / alpha;
    for (int c = 0; c < 4; ++c) {
        float v = c < 3 ? premultiplied[c] * unscale + 0.0f : premultiplied[c] * 0.0f + alpha;
        v = v < 0.0f ? 0.0f : v;
        v = v > 255.0f ? 255.0f : v;
        bgra[c] = static_cast<uint8_t>(static_cast<int32_t>(v + 0.5f));
    }
}

void ColumnsPortable(const Vec4* in, const int32_t* first, const float* weights, int32_t taps, int32_t width,
                     uint8_t* out) {
    for (int32_t d = 0; d < width; ++d) {
        const Vec4* p = in + first[d];
        const float* w = weights + static_cast<size_t>(d) * taps;
        float even[4] = {0.0f, 0.0f, 0.0f, 0.0f};
        float odd[4] = {0.0f, 0.0f, 0.0f, 0.0f};
        int32_t k = 0;
        for (; k + 1 < taps; k += 2)
            for (int c = 0; c < 4; ++c) {
                even[c] += p[k][c] * w[k];
                odd[c] += p[k + 1][c] * w[k + 1];
            }
        if (k < taps)
            for (int c = 0; c < 4; ++c)
                even[c] += p[k][c] * w[k];
        float sum[4];
        for (int c = 0; c < 4; ++c)
            sum[c] = even[c] + odd[c];
        StoreStraightPortable(sum, out + 4 * d);
    }
}

void MaskPortable(const uint8_t* bgra, size_t pixels, uint8_t opaqueFrom, uint8_t* transparent) {
    for (size_t i = 0; i < pixels; ++i)
        transparent[i] = bgra[4 * i + 3] < opaqueFrom ? 1 : 0;
}

constexpr ResampleKernels kPortable = {PremultiplyPortable, RowGroupPortable, ColumnsPortable, MaskPortable};

#if defined(__SSE2__)

// One pixel per register: the compiler's vector extensions are SSE2 here.

void PremultiplySse2(const uint8_t* bgra, int32_t width, Vec4* out) {
    for (int32_t x = 0; x < width; ++x)
        out[x] = LoadPremultiplied(bgra + 4 * x);
}

template <bool Accumulate>
void RowGroupVec4(const Vec4* const* rows, const float* weights, int32_t width, Vec4* out) {
    const Vec4 w0 = Splat(weights[0]), w1 = Splat(weights[1]), w2 = Splat(weights[2]), w3 = Splat(weights[3]);
    for (int32_t x = 0; x < width; ++x) {
        const Vec4 sum = (rows[0][x] * w0 + rows[1][x] * w1) + (rows[2][x] * w2 + rows[3][x] * w3);
        out[x] = Accumulate ? out[x] + sum : sum;
    }
}

void RowGroupSse2(const Vec4* const* rows, const float* weights, int32_t width, bool accumulate, Vec4* out) {
    if (accumulate)
        RowGroupVec4<true>(rows, weights, width, out);
    else
        RowGroupVec4<false>(rows, weights, width, out);
}

void ColumnsSse2(const Vec4* in, const int32_t* first, const float* weights, int32_t taps, int32_t width,
                 uint8_t* out) {
    for (int32_t d = 0; d < width; ++d) {
        const Vec4* p = in + first[d];
        const float* w = weights + static_cast<size_t>(d) * taps;
        Vec4 even = Splat(0.0f);
        Vec4 odd = Splat(0.0f);
        int32_t k = 0;
        for (; k + 1 < taps; k += 2) {
            even += p[k] * Splat(w[k]);
            odd += p[k + 1] * Splat(w[k + 1]);
        }
        if (k < taps)
            even += p[k] * Splat(w[k]);
        StoreStraight(even + odd, out + 4 * d);
    }
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

constexpr ResampleKernels kSse2 = {PremultiplySse2, RowGroupSse2, ColumnsSse2, MaskSse2};

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
