#include "libs/imaging/Resampler.h"

#include "libs/imaging/BicubicWeights.h"
#include "libs/imaging/ResampleKernels.h"
#include "libs/imaging/RowWindow.h"

#include <algorithm>
#include <cstring>
#include <iterator>
#include <memory>
#include <new>

namespace imaging {

namespace {

// Shrinking by this factor or more halves the picture with a box first: the
// box is far cheaper per source pixel than the widened kernel, and what is
// left for the kernel to do stays between 1.5 and 3.
constexpr double kPrereduceFactor = 3.0;

// Below this many bytes the full-size picture is premultiplied once and
// shared by every size that filters it unhalved (a 512 x 512 picture at
// most): a small constant next to the decoded picture.
constexpr size_t kFullLevelBytes = size_t{2} << 20;

// Block sums of the picture itself are taken as coarse as a target of this
// size along that axis allows, so that one pass serves every icon size.
constexpr int32_t kLargestSharedTarget = 256;

// One target row's worth of the vertical pass: the weighted sum of the
// source rows from `first` on, fetched with `rowAt`. The taps of weight 0 at
// the ends (the picture's edges, the padding) are skipped; an odd count is
// made even with a row of weight 0. Weights that mirror about their middle
// take the loop that adds the mirrored rows first.
template <typename RowAt>
void VerticalPass(const ResampleKernels& kernels, RowAt&& rowAt, int32_t first, const int16_t* weights, int32_t taps,
                  int32_t width, std::vector<const FixedPixel*>& rows, std::vector<int16_t>& oddWeights,
                  FixedPixel* out) {
    int32_t begin = 0;
    int32_t end = taps;
    while (end > 1 && weights[end - 1] == 0)
        --end;
    while (begin < end - 1 && weights[begin] == 0)
        ++begin;
    const int32_t count = end - begin;
    rows.resize(static_cast<size_t>(count + count % 2));
    for (int32_t k = 0; k < count; ++k)
        rows[k] = rowAt(first + begin + k);
    const int16_t* used = weights + begin;
    if (count % 4 == 0 && std::equal(used, used + count / 2, std::reverse_iterator(used + count))) {
        kernels.mirroredRows(rows.data(), used, count, width, out);
        return;
    }
    if (count % 2 != 0) {
        rows[count] = rows[0];
        // The weight after the last is 0 where the table has room for it.
        if (end == taps) {
            oddWeights.assign(used, used + count);
            oddWeights.push_back(0);
            used = oddWeights.data();
        }
    }
    kernels.rows(rows.data(), used, count + count % 2, width, out);
}

// One target row from a row of the vertical pass. Where the weights have a
// halving run, its pixels are made in one go and the few outside it in
// another, through `outside` (four bytes for each of them).
void HorizontalPass(const ResampleKernels& kernels, const FixedPixel* in, const FixedAxisWeights& columns,
                    int32_t width, uint8_t* outside, uint8_t* out) {
    if (columns.halvingBegin == columns.halvingEnd) {
        kernels.columns(in, columns.first.data(), columns.pairs.data(), columns.taps, width, out);
        return;
    }
    const auto count = static_cast<int32_t>(columns.outside.size());
    kernels.columns(in, columns.outsideFirst.data(), columns.outsidePairs.data(), columns.taps, count, outside);
    for (int32_t i = 0; i < count; ++i)
        std::memcpy(out + 4 * columns.outside[i], outside + 4 * i, 4);
    const int32_t begin = columns.halvingBegin;
    kernels.halvingColumns(in + columns.first[begin], columns.weights.data() + static_cast<size_t>(begin) * columns.taps,
                           columns.taps, columns.halvingEnd - begin, out + 4 * begin);
}

// Icons of one set are made from pictures of a few sizes: the weight tables
// of the last few axes a thread filtered are kept for the next picture.
constexpr size_t kCachedTables = 8;
constexpr size_t kLargestCachedTable = size_t{64} << 10;

std::shared_ptr<const FixedAxisWeights> WeightsFor(int32_t pixels, double extent, int32_t target) {
    struct Entry {
        int32_t pixels;
        double extent;
        int32_t target;
        std::shared_ptr<const FixedAxisWeights> table;
    };
    thread_local std::vector<Entry> cache;
    thread_local size_t next = 0;
    for (const Entry& entry : cache)
        if (entry.pixels == pixels && entry.extent == extent && entry.target == target)
            return entry.table;
    auto table = std::make_shared<const FixedAxisWeights>(MakeFixedAxisWeights(pixels, extent, target));
    if (table->pairs.size() * sizeof(int16_t) > kLargestCachedTable)
        return table;
    Entry entry{pixels, extent, target, table};
    if (cache.size() < kCachedTables)
        cache.push_back(std::move(entry));
    else
        cache[next++ % kCachedTables] = std::move(entry);
    return table;
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
    for (const auto& sums : straightSums_)
        bytes += sums.sums.size() * sizeof(uint32_t);
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
        if (halvings == 1 && !KeepsFullLevel())
            level = HalveStraight(source_, *kernels_);
        else if (halvings == 1)
            level = full_.pixels ? HalveLevel(full_, *kernels_) : PremultiplyAndHalve(source_, *kernels_, &full_);
        else if (halvings == 2 && !levels_[0].pixels && !KeepsFullLevel())
            level = QuarterStraight(source_, *kernels_);  // the first halving is not wanted itself
        else
            level = HalveLevel(Level(halvings - 1), *kernels_);
        levels_[index] = std::move(level);
    }
    return levels_[index];
}

bool Resampler::KeepsFullLevel() const {
    return static_cast<size_t>(source_.width) * static_cast<size_t>(source_.height) * sizeof(FixedPixel) <=
           kFullLevelBytes;
}

const PremultipliedLevel* Resampler::FullLevel() {
    if (!KeepsFullLevel())
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
    PremultipliedLevel level = base ? ReduceSums(SumLevel(*base, acrossX, std::min(more, kMaxBlockLog)), more)
                                    : ReduceSums(StraightSums(acrossX, more), more);
    oneAxis_.push_back(OneAxis{reduction, std::move(level)});
    return oneAxis_.back().level;
}

const AxisSums& Resampler::StraightSums(bool acrossX, int32_t halvings) {
    for (const auto& sums : straightSums_)
        if (sums.acrossX == acrossX && sums.blockLog <= halvings)
            return sums;
    const int32_t extent = acrossX ? source_.width : source_.height;
    const int32_t shared = AxisHalvings(extent, kLargestSharedTarget);
    const int32_t blockLog = std::min({halvings, kMaxBlockLog, std::max(shared, 1)});
    straightSums_.push_back(SumStraight(source_, acrossX, blockLog, *kernels_));
    return straightSums_.back();
}

void Resampler::Filter(const PixelTarget& target, const Reduction& reduction) {
    const PremultipliedLevel* level = reduction.halvingsX != reduction.halvingsY ? &OneAxisLevel(reduction)
                                      : reduction.halvingsX > 0                 ? &Level(reduction.halvingsX)
                                                                                : FullLevel();
    const int32_t width = level ? level->width : source_.width;
    const int32_t height = level ? level->height : source_.height;
    const auto columnTable = WeightsFor(width, level ? level->extentX : source_.width, target.width);
    const auto rowTable = WeightsFor(height, level ? level->extentY : source_.height, target.height);
    const FixedAxisWeights& columns = *columnTable;
    const FixedAxisWeights& rows = *rowTable;

    // The horizontal pass reads up to three padding pixels past the row.
    std::vector<FixedPixel> between(static_cast<size_t>(width) + 3, FixedPixel{});
    std::vector<uint8_t> outside(columns.outside.size() * 4);
    std::vector<const FixedPixel*> taps;
    std::vector<int16_t> oddWeights;
    const auto run = [&](auto&& rowAt) {
        const int16_t* weights = rows.weights.data();
        for (int32_t y = 0; y < target.height; ++y, weights += rows.taps) {
            VerticalPass(*kernels_, rowAt, rows.first[y], weights, rows.taps, width, taps, oddWeights,
                         between.data());
            HorizontalPass(*kernels_, between.data(), columns, target.width, outside.data(), target.row(y));
        }
    };
    if (level) {
        run([level](int32_t y) { return level->row(y); });
        return;
    }
    // Consecutive target rows share most of their source rows: a ring of
    // premultiplied rows, as many as one target row reads (after the box at
    // most 13 of them).
    RowWindow window(source_, std::min(rows.taps, height), *kernels_);
    run([&window](int32_t y) { return window.row(y); });
}

} // namespace imaging
