#include "libs/imaging/Resampler.h"

#include "libs/imaging/BicubicWeights.h"
#include "libs/imaging/ResampleKernels.h"
#include "libs/imaging/RowWindow.h"

#include <algorithm>
#include <cstring>
#include <new>

namespace imaging {

namespace {

// Shrinking by this factor or more halves the picture with a box first: the
// box is far cheaper per source pixel than the widened kernel, and what is
// left for the kernel to do stays between 1.5 and 3.
constexpr double kPrereduceFactor = 3.0;

// Rows of premultiplied floats made from the full-size picture on the way
// are kept up to about this many bytes; past that (only for extreme
// reductions of one axis) rows are made again when needed.
constexpr size_t kWindowBytes = size_t{8} << 20;
// The vertical pass needs this many rows at a time.
constexpr int32_t kRowsPerGroup = 4;
// Below this many bytes of floats the full-size picture is premultiplied
// once and shared by every size that filters it unhalved (a 512 x 512
// picture at most): a small constant next to the decoded picture.
constexpr size_t kFullLevelBytes = size_t{4} << 20;

// One target row's worth of the vertical pass: the weighted sum of `taps`
// source rows from `first` on, fetched with `rowAt` four at a time. Each
// pixel of the row in between is stored once per four rows rather than once
// per row; the taps of weight 0 at the ends (the picture's edges) are skipped.
template <typename RowAt>
void VerticalPass(const ResampleKernels& kernels, RowAt&& rowAt, int32_t first, const float* weights, int32_t taps,
                  int32_t width, Vec4* out) {
    int32_t begin = 0;
    int32_t end = taps;
    while (end > 1 && weights[end - 1] == 0.0f)
        --end;
    while (begin < end - 1 && weights[begin] == 0.0f)
        ++begin;
    for (int32_t k = begin; k < end; k += kRowsPerGroup) {
        // A short last group repeats its first row with weight 0.
        const Vec4* r[kRowsPerGroup];
        float w[kRowsPerGroup];
        for (int32_t i = 0; i < kRowsPerGroup; ++i) {
            r[i] = k + i < end ? rowAt(first + k + i) : r[0];
            w[i] = k + i < end ? weights[k + i] : 0.0f;
        }
        kernels.rowGroup(r, w, width, k != begin, out);
    }
}

// Halvings of one axis while what is left to shrink is 3 or more.
int32_t AxisHalvings(double extent, int32_t target) {
    int32_t halvings = 0;
    for (; extent >= kPrereduceFactor * target; extent /= 2.0)
        ++halvings;
    return halvings;
}

} // namespace

Resampler::Resampler(PixelView source) : Resampler(source, Options{}) {}

Resampler::Resampler(PixelView source, Options options)
    : source_(source), options_(options), kernels_(&KernelsFor(options.path)) {}

bool Resampler::Resample(const PixelTarget& target) {
    if (source_.bgra == nullptr || source_.width <= 0 || source_.height <= 0 || target.bgra == nullptr ||
        target.width <= 0 || target.height <= 0)
        return false;
    if (target.width == source_.width && target.height == source_.height) {
        Copy(target);
        return true;
    }
    const Reduction reduction = options_.boxPrereduce
                                    ? PlanReduction(source_.width, source_.height, target.width, target.height)
                                    : Reduction{};
    try {
        Filter(target, reduction);
    } catch (const std::bad_alloc&) {
        return false;
    }
    return true;
}

size_t Resampler::levelBytes() const {
    size_t bytes = full_.pixels ? full_.bytes() : 0;
    for (const auto& level : levels_)
        bytes += level.bytes();
    for (const auto& one : oneAxis_)
        bytes += one.level.bytes();
    return bytes;
}

Resampler::Reduction Resampler::PlanReduction(int32_t sourceWidth, int32_t sourceHeight, int32_t targetWidth,
                                              int32_t targetHeight) {
    return Reduction{AxisHalvings(sourceWidth, targetWidth), AxisHalvings(sourceHeight, targetHeight)};
}

// Unscaled: the pixels as they are, but fully transparent ones cleared, as
// every filtered size has them.
void Resampler::Copy(const PixelTarget& target) const {
    for (int32_t y = 0; y < target.height; ++y) {
        uint8_t* out = target.row(y);
        std::memcpy(out, source_.row(y), static_cast<size_t>(target.width) * 4);
        for (int32_t x = 0; x < target.width; ++x)
            if (out[4 * x + 3] == 0)
                std::memset(out + 4 * x, 0, 4);
    }
}

const PremultipliedLevel& Resampler::Level(int32_t halvings) {
    const size_t index = static_cast<size_t>(halvings) - 1;
    if (levels_.size() <= index)
        levels_.resize(index + 1);
    if (!levels_[index].pixels) {
        PremultipliedLevel level;
        if (halvings == 1)
            level = FullLevel() ? HalveLevel(*FullLevel()) : HalveStraight(source_);
        else if (halvings == 2 && !levels_[0].pixels && !FullLevel())
            level = QuarterStraight(source_);  // the first halving is not wanted itself
        else
            level = HalveLevel(Level(halvings - 1));
        levels_[index] = std::move(level);
    }
    return levels_[index];
}

const PremultipliedLevel* Resampler::FullLevel() {
    const size_t bytes = static_cast<size_t>(source_.width) * static_cast<size_t>(source_.height) * sizeof(Vec4);
    if (bytes > kFullLevelBytes)
        return nullptr;
    if (!full_.pixels)
        full_ = PremultiplyStraight(source_, *kernels_);
    return &full_;
}

const PremultipliedLevel& Resampler::OneAxisLevel(const Reduction& reduction) {
    for (const auto& one : oneAxis_)
        if (one.reduction.halvingsX == reduction.halvingsX && one.reduction.halvingsY == reduction.halvingsY)
            return one.level;
    const int32_t both = std::min(reduction.halvingsX, reduction.halvingsY);
    const bool acrossX = reduction.halvingsX > reduction.halvingsY;
    const int32_t more = acrossX ? reduction.halvingsX - both : reduction.halvingsY - both;
    const PremultipliedLevel* base = both > 0 ? &Level(both) : FullLevel();
    PremultipliedLevel level =
        base ? ReduceAxisLevel(*base, acrossX, more) : ReduceAxisStraight(source_, acrossX, more);
    oneAxis_.push_back(OneAxis{reduction, std::move(level)});
    return oneAxis_.back().level;
}

void Resampler::Filter(const PixelTarget& target, const Reduction& reduction) {
    const PremultipliedLevel* level = reduction.halvingsX != reduction.halvingsY ? &OneAxisLevel(reduction)
                                      : reduction.halvingsX > 0                 ? &Level(reduction.halvingsX)
                                                                                : FullLevel();
    const int32_t width = level ? level->width : source_.width;
    const int32_t height = level ? level->height : source_.height;
    const AxisWeights columns =
        MakeAxisWeights(width, level ? level->extentX : source_.width, target.width);
    const AxisWeights rows = MakeAxisWeights(height, level ? level->extentY : source_.height, target.height);

    std::vector<Vec4> between(width);
    const float* weights = rows.weights.data();
    if (level) {
        const auto rowAt = [level](int32_t y) { return level->row(y); };
        for (int32_t y = 0; y < target.height; ++y, weights += rows.taps) {
            VerticalPass(*kernels_, rowAt, rows.first[y], weights, rows.taps, width, between.data());
            kernels_->columns(between.data(), columns.first.data(), columns.weights.data(), columns.taps, target.width,
                           target.row(y));
        }
        return;
    }
    // Consecutive target rows share most of their source rows: a ring of
    // premultiplied rows, at least one group and at most a full window.
    const size_t rowBytes = static_cast<size_t>(width) * sizeof(Vec4);
    const auto budget = static_cast<int32_t>(std::min<size_t>(kWindowBytes / rowBytes, rows.taps));
    RowWindow window(source_, std::max(budget, std::min(kRowsPerGroup, rows.taps)), *kernels_);
    const auto rowAt = [&window](int32_t y) { return window.row(y); };
    for (int32_t y = 0; y < target.height; ++y, weights += rows.taps) {
        VerticalPass(*kernels_, rowAt, rows.first[y], weights, rows.taps, width, between.data());
        kernels_->columns(between.data(), columns.first.data(), columns.weights.data(), columns.taps, target.width,
                           target.row(y));
    }
}

} // namespace imaging
