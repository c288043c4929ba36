#include "libs/imaging/PremultipliedLevel.h"

#include <algorithm>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace imaging {

namespace {

// Pixels premultiplied or summed at a time along a row: call overhead
// spread thin, the scratch row small.
constexpr int32_t kChunk = 2048;

PremultipliedLevel Allocate(int32_t width, int32_t height, double extentX, double extentY) {
    PremultipliedLevel out;
    out.width = width;
    out.height = height;
    out.extentX = extentX;
    out.extentY = extentY;
    out.pixels.reset(new FixedPixel[static_cast<size_t>(width) * height]);
    return out;
}

PremultipliedLevel HalfOf(int32_t columns, int32_t rows, double extentX, double extentY) {
    return Allocate((columns + 1) / 2, (rows + 1) / 2, extentX / 2.0, extentY / 2.0);
}

FixedPixel* RowOf(PremultipliedLevel& level, int32_t y) {
    return level.pixels.get() + static_cast<size_t>(y) * level.width;
}

// The rows of the next level down: 2y and 2y + 1, or 2y twice at an odd end.
int32_t LowerRow(int32_t y, int32_t rows) { return 2 * y + 1 < rows ? 2 * y + 1 : 2 * y; }

// Source rows 2y and the one below halved into `out`, premultiplied on the way
// into `upper` and `lower` (scratch rows, or the full level's own).
void HalveStraightRow(const PixelView& source, int32_t y, const ResampleKernels& kernels, FixedPixel* upper,
                      FixedPixel* lower, FixedPixel* out) {
    kernels.premultiply(source.row(2 * y), source.width, upper);
    const int32_t below = LowerRow(y, source.height);
    if (below != 2 * y)
        kernels.premultiply(source.row(below), source.width, lower);
    kernels.halve(upper, below != 2 * y ? lower : upper, source.width, out);
}

// `n` consecutive pixels added to one block's four sums.
void SumRun(const FixedPixel* pixels, int32_t n, uint32_t* sums) {
    uint32_t total[4] = {0, 0, 0, 0};
    int32_t i = 0;
#if defined(__SSE2__)
    const __m128i zero = _mm_setzero_si128();
    __m128i even = zero;
    __m128i odd = zero;
    for (; i + 2 <= n; i += 2) {
        const __m128i two = _mm_loadu_si128(reinterpret_cast<const __m128i*>(pixels + i));
        even = _mm_add_epi32(even, _mm_unpacklo_epi16(two, zero));
        odd = _mm_add_epi32(odd, _mm_unpackhi_epi16(two, zero));
    }
    _mm_storeu_si128(reinterpret_cast<__m128i*>(total), _mm_add_epi32(even, odd));
#endif
    for (; i < n; ++i)
        for (int c = 0; c < 4; ++c)
            total[c] += static_cast<uint32_t>(pixels[i].lane[c]);
    for (int c = 0; c < 4; ++c)
        sums[c] += total[c];
}

// Each of `n` pixels added to its own four sums.
void AddRow(const FixedPixel* pixels, int32_t n, uint32_t* sums) {
    for (int32_t i = 0; i < n; ++i)
        for (int c = 0; c < 4; ++c)
            sums[4 * i + c] += static_cast<uint32_t>(pixels[i].lane[c]);
}

// `fetch(y, x, n, scratch)` gives pixels x .. x + n - 1 of row y, premultiplied.
template <typename Fetch>
AxisSums Sum(Fetch fetch, int32_t columns, int32_t rows, double extentX, double extentY, bool acrossX,
             int32_t blockLog) {
    AxisSums out;
    out.acrossX = acrossX;
    out.blockLog = blockLog;
    out.length = acrossX ? columns : rows;
    out.across = acrossX ? rows : columns;
    out.blocks = static_cast<int32_t>((int64_t{out.length} + (int64_t{1} << blockLog) - 1) >> blockLog);
    out.extentX = extentX;
    out.extentY = extentY;
    out.sums.assign(static_cast<size_t>(out.blocks) * out.across * 4, 0);
    std::vector<FixedPixel> scratch(std::min(columns, kChunk));
    for (int32_t y = 0; y < rows; ++y)
        for (int32_t x = 0; x < columns; x += kChunk) {
            const int32_t n = std::min(kChunk, columns - x);
            const FixedPixel* pixels = fetch(y, x, n, scratch.data());
            if (!acrossX) {
                AddRow(pixels, n, out.at(x, y >> blockLog));
                continue;
            }
            for (int32_t at = x; at < x + n;) {
                const int32_t block = at >> blockLog;
                const int32_t end = std::min(x + n, static_cast<int32_t>(std::min<int64_t>(
                                                        (int64_t{block} + 1) << blockLog, columns)));
                SumRun(pixels + (at - x), end - at, out.at(y, block));
                at = end;
            }
        }
    return out;
}

// A picture one pixel wide, its rows one after another, is summed down its
// column as a single row: runs of pixels instead of a pass per row.
template <typename Fetch>
AxisSums SumAxis(Fetch fetch, bool contiguousColumn, int32_t columns, int32_t rows, double extentX, double extentY,
                 bool acrossX, int32_t blockLog) {
    if (acrossX || columns != 1 || !contiguousColumn)
        return Sum(fetch, columns, rows, extentX, extentY, acrossX, blockLog);
    const auto down = [&fetch](int32_t, int32_t x, int32_t n, FixedPixel* scratch) {
        return fetch(-1, x, n, scratch);
    };
    AxisSums out = Sum(down, rows, 1, extentX, extentY, true, blockLog);
    out.acrossX = false;  // one column: both layouts are the same
    return out;
}

} // namespace

PremultipliedLevel HalveStraight(const PixelView& source, const ResampleKernels& kernels) {
    PremultipliedLevel out = HalfOf(source.width, source.height, source.width, source.height);
    std::vector<FixedPixel> upper(source.width), lower(source.width);
    for (int32_t y = 0; y < out.height; ++y)
        HalveStraightRow(source, y, kernels, upper.data(), lower.data(), RowOf(out, y));
    return out;
}

PremultipliedLevel QuarterStraight(const PixelView& source, const ResampleKernels& kernels) {
    const int32_t halfWidth = (source.width + 1) / 2;
    const int32_t halfHeight = (source.height + 1) / 2;
    PremultipliedLevel out = HalfOf(halfWidth, halfHeight, source.width / 2.0, source.height / 2.0);
    std::vector<FixedPixel> upper(source.width), lower(source.width);
    std::vector<FixedPixel> halfUpper(halfWidth), halfLower(halfWidth);
    for (int32_t y = 0; y < out.height; ++y) {
        const int32_t r0 = 2 * y;
        const int32_t r1 = LowerRow(y, halfHeight);
        HalveStraightRow(source, r0, kernels, upper.data(), lower.data(), halfUpper.data());
        if (r1 != r0)
            HalveStraightRow(source, r1, kernels, upper.data(), lower.data(), halfLower.data());
        kernels.halve(halfUpper.data(), r1 != r0 ? halfLower.data() : halfUpper.data(), halfWidth, RowOf(out, y));
    }
    return out;
}

PremultipliedLevel HalveLevel(const PremultipliedLevel& level, const ResampleKernels& kernels) {
    PremultipliedLevel out = HalfOf(level.width, level.height, level.extentX, level.extentY);
    for (int32_t y = 0; y < out.height; ++y)
        kernels.halve(level.row(2 * y), level.row(LowerRow(y, level.height)), level.width, RowOf(out, y));
    return out;
}

PremultipliedLevel PremultiplyStraight(const PixelView& source, const ResampleKernels& kernels) {
    PremultipliedLevel out = Allocate(source.width, source.height, source.width, source.height);
    for (int32_t y = 0; y < source.height; ++y)
        kernels.premultiply(source.row(y), source.width, RowOf(out, y));
    return out;
}

PremultipliedLevel PremultiplyAndHalve(const PixelView& source, const ResampleKernels& kernels,
                                       PremultipliedLevel* full) {
    *full = Allocate(source.width, source.height, source.width, source.height);
    PremultipliedLevel out = HalfOf(source.width, source.height, source.width, source.height);
    for (int32_t y = 0; y < out.height; ++y)
        HalveStraightRow(source, y, kernels, RowOf(*full, 2 * y), RowOf(*full, LowerRow(y, source.height)),
                         RowOf(out, y));
    return out;
}

AxisSums SumStraight(const PixelView& source, bool acrossX, int32_t blockLog, const ResampleKernels& kernels) {
    const auto fetch = [&source, &kernels](int32_t y, int32_t x, int32_t n, FixedPixel* scratch) {
        // y < 0: the picture's one column, rows read as one run.
        kernels.premultiply(y < 0 ? source.bgra + 4 * static_cast<ptrdiff_t>(x) : source.row(y) + 4 * x, n, scratch);
        return static_cast<const FixedPixel*>(scratch);
    };
    return SumAxis(fetch, source.stride == 4, source.width, source.height, source.width, source.height, acrossX,
                   blockLog);
}

AxisSums SumLevel(const PremultipliedLevel& level, bool acrossX, int32_t blockLog) {
    const auto fetch = [&level](int32_t y, int32_t x, int32_t, FixedPixel*) {
        return y < 0 ? level.pixels.get() + x : level.row(y) + x;
    };
    return SumAxis(fetch, true, level.width, level.height, level.extentX, level.extentY, acrossX, blockLog);
}

PremultipliedLevel ReduceSums(const AxisSums& sums, int32_t halvings) {
    const int64_t block = int64_t{1} << halvings;
    const int64_t group = int64_t{1} << (halvings - sums.blockLog);
    const auto reduced = static_cast<int32_t>((sums.length + block - 1) / block);
    const double scale = static_cast<double>(block);
    PremultipliedLevel out = sums.acrossX
                                 ? Allocate(reduced, sums.across, sums.extentX / scale, sums.extentY)
                                 : Allocate(sums.across, reduced, sums.extentX, sums.extentY / scale);
    for (int32_t line = 0; line < sums.across; ++line)
        for (int32_t i = 0; i < reduced; ++i) {
            uint64_t total[4] = {0, 0, 0, 0};
            const int64_t end = std::min<int64_t>((i + 1) * group, sums.blocks);
            for (int64_t b = i * group; b < end; ++b) {
                const uint32_t* s = sums.at(line, static_cast<int32_t>(b));
                for (int c = 0; c < 4; ++c)
                    total[c] += s[c];
            }
            const int64_t count = std::min<int64_t>(block, sums.length - i * block);
            FixedPixel& pixel = sums.acrossX ? RowOf(out, line)[i] : RowOf(out, i)[line];
            for (int c = 0; c < 4; ++c)
                pixel.lane[c] = static_cast<int16_t>(count == block ? (total[c] + block / 2) >> halvings
                                                                    : (total[c] + count / 2) / count);
        }
    return out;
}

} // namespace imaging
