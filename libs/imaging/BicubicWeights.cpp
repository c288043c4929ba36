#include "libs/imaging/BicubicWeights.h"

#include <algorithm>
#include <cmath>
#include <cstddef>

namespace imaging {

namespace {

constexpr double kKeysA = -0.5;
constexpr double kKernelRadius = 2.0;
// Below this sum the taps inside the picture carry no usable weight.
constexpr double kSmallestWeightSum = 1e-9;
constexpr int32_t kFixedWeightOne = 1 << 14;

} // namespace

double KeysKernel(double x) {
    x = std::fabs(x);
    if (x < 1.0)
        return ((kKeysA + 2.0) * x - (kKeysA + 3.0)) * x * x + 1.0;
    if (x < 2.0)
        return ((kKeysA * x - 5.0 * kKeysA) * x + 8.0 * kKeysA) * x - 4.0 * kKeysA;
    return 0.0;
}

AxisWeights MakeAxisWeights(int32_t sourcePixels, double sourceExtent, int32_t targetPixels) {
    const double scale = sourceExtent / targetPixels;
    const double widen = std::max(scale, 1.0);
    const double support = kKernelRadius * widen;

    AxisWeights table;
    table.taps = static_cast<int32_t>(2.0 * std::ceil(support)) + 1;
    table.taps = std::min(table.taps, sourcePixels);
    table.first.resize(targetPixels);
    table.weights.assign(static_cast<size_t>(targetPixels) * table.taps, 0.0f);

    std::vector<double> w(static_cast<size_t>(table.taps) + 2);
    for (int32_t d = 0; d < targetPixels; ++d) {
        const double centre = (d + 0.5) * scale - 0.5;
        int32_t lo = static_cast<int32_t>(std::floor(centre - support)) + 1;
        int32_t hi = static_cast<int32_t>(std::ceil(centre + support)) - 1;
        lo = std::max(lo, 0);
        hi = std::min(hi, sourcePixels - 1);
        int32_t n = std::max(hi - lo + 1, 0);
        n = std::min(n, table.taps);
        double sum = 0.0;
        for (int32_t k = 0; k < n; ++k) {
            w[k] = KeysKernel((lo + k - centre) / widen);
            sum += w[k];
        }
        if (n == 0 || sum < kSmallestWeightSum) {
            // Cannot happen for centres inside the picture; take the nearest pixel.
            lo = std::clamp(static_cast<int32_t>(std::lround(centre)), 0, sourcePixels - 1);
            n = 1;
            w[0] = sum = 1.0;
        }
        // Keep the window inside the picture so that all taps can be read.
        const int32_t start = std::min(lo, sourcePixels - table.taps);
        table.first[d] = start;
        float* out = &table.weights[static_cast<size_t>(d) * table.taps];
        for (int32_t k = 0; k < n; ++k)
            out[lo - start + k] = static_cast<float>(w[k] / sum);
    }
    return table;
}

// Runs of fewer target pixels than this are made pixel by pixel.
constexpr int32_t kShortestHalvingRun = 16;

FixedAxisWeights MakeFixedAxisWeights(int32_t sourcePixels, double sourceExtent, int32_t targetPixels) {
    const AxisWeights exact = MakeAxisWeights(sourcePixels, sourceExtent, targetPixels);
    std::vector<int16_t> rounded(exact.weights.size());
    // The widest run of nonzero weights decides the taps, not the kernel's
    // bound, which leaves zeros at the ends of most windows.
    int32_t used = 1;
    for (int32_t d = 0; d < targetPixels; ++d) {
        const float* in = &exact.weights[static_cast<size_t>(d) * exact.taps];
        int16_t* out = &rounded[static_cast<size_t>(d) * exact.taps];
        int32_t sum = 0;
        int32_t largest = 0;
        for (int32_t k = 0; k < exact.taps; ++k) {
            out[k] = static_cast<int16_t>(std::floor(static_cast<double>(in[k]) * kFixedWeightOne + 0.5));
            sum += out[k];
            largest = out[k] > out[largest] ? k : largest;
        }
        // What rounding lost or gained goes to the largest weight, where it
        // matters least.
        out[largest] = static_cast<int16_t>(out[largest] + kFixedWeightOne - sum);
        int32_t begin = 0, end = exact.taps;
        while (out[begin] == 0)
            ++begin;
        while (out[end - 1] == 0)
            --end;
        used = std::max(used, end - begin);
    }
    FixedAxisWeights table;
    table.taps = (used + 3) / 4 * 4;
    table.first.resize(targetPixels);
    table.weights.assign(static_cast<size_t>(targetPixels) * table.taps, 0);
    table.pairs.assign(static_cast<size_t>(targetPixels) * table.taps * 4, 0);
    for (int32_t d = 0; d < targetPixels; ++d) {
        const int16_t* in = &rounded[static_cast<size_t>(d) * exact.taps];
        int32_t begin = 0;
        while (in[begin] == 0)
            ++begin;
        // The window stays inside the picture as far as the used taps go.
        const int32_t start = std::min(exact.first[d] + begin, sourcePixels - used);
        table.first[d] = start;
        int16_t* out = &table.weights[static_cast<size_t>(d) * table.taps];
        for (int32_t k = begin; k < exact.taps; ++k)
            if (in[k] != 0)
                out[exact.first[d] + k - start] = in[k];
        int16_t* pairs = &table.pairs[static_cast<size_t>(d) * table.taps * 4];
        for (int32_t k = 0; k < table.taps; ++k)
            for (int32_t copy = 0; copy < 4; ++copy)
                pairs[(k / 2) * 8 + copy * 2 + k % 2] = out[k];
    }
    // The longest run of target pixels that step two source pixels with the
    // weights of the run's first.
    const auto same = [&table](int32_t a, int32_t b) {
        return table.first[b] == table.first[a] + 2 * (b - a) &&
               std::equal(&table.weights[static_cast<size_t>(a) * table.taps],
                          &table.weights[static_cast<size_t>(a + 1) * table.taps],
                          &table.weights[static_cast<size_t>(b) * table.taps]);
    };
    for (int32_t begin = 0, end = 0; begin < targetPixels; begin = end) {
        for (end = begin + 1; end < targetPixels && same(begin, end); ++end) {
        }
        if (end - begin > table.halvingEnd - table.halvingBegin) {
            table.halvingBegin = begin;
            table.halvingEnd = end;
        }
    }
    // A short run saves less than making the pixels around it apart costs.
    if (table.halvingEnd - table.halvingBegin < kShortestHalvingRun)
        table.halvingBegin = table.halvingEnd = 0;
    const size_t pairsPerPixel = static_cast<size_t>(table.taps) * 4;
    for (int32_t d = 0; d < targetPixels; ++d)
        if (d < table.halvingBegin || d >= table.halvingEnd) {
            table.outside.push_back(d);
            table.outsideFirst.push_back(table.first[d]);
            const auto pairs = table.pairs.begin() + static_cast<std::ptrdiff_t>(d * pairsPerPixel);
            table.outsidePairs.insert(table.outsidePairs.end(), pairs, pairs + static_cast<std::ptrdiff_t>(pairsPerPixel));
        }
    return table;
}

} // namespace imaging
