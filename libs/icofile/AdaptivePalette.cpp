#include "libs/icofile/AdaptivePalette.h"

#include "libs/icofile/QuantiserLibrary.h"

#include <algorithm>
#include <memory>

namespace icofile {
namespace {

// libimagequant splits its k-means passes over OpenMP threads and adds up
// floating-point partial sums per thread, so the palette could depend on the
// number of cores. One thread (for this calling thread only) keeps the output
// the same everywhere.
class SingleThreadScope {
public:
    explicit SingleThreadScope(const QuantiserLibrary& q) : q_(q) {
        if (q_.ompSetNumThreads != nullptr) {
            saved_ = q_.ompGetMaxThreads();
            q_.ompSetNumThreads(1);
        }
    }
    ~SingleThreadScope() {
        if (q_.ompSetNumThreads != nullptr)
            q_.ompSetNumThreads(saved_);
    }
    SingleThreadScope(const SingleThreadScope&) = delete;
    SingleThreadScope& operator=(const SingleThreadScope&) = delete;

private:
    const QuantiserLibrary& q_;
    int saved_ = 1;
};

template <typename T>
struct Deleter {
    void (*destroy)(T*) = nullptr;
    void operator()(T* p) const { destroy(p); }
};
template <typename T>
using Owned = std::unique_ptr<T, Deleter<T>>;

uint8_t Channel(Rgb colour, int shift) {
    return static_cast<uint8_t>((colour >> shift) & 0xFF);
}

// libimagequant slows down badly on millions of colours (a large photo); so
// many are first merged into buckets, each the weighted mean of its colours,
// dropping low bits until few enough are left.
constexpr size_t kMaxQuantiserColours = 1 << 16;

std::vector<HistogramEntry> Coarsen(std::span<const HistogramEntry> histogram, int dropBits) {
    const Rgb lowBits = (1u << dropBits) - 1;
    const Rgb keep = ~(lowBits << 16 | lowBits << 8 | lowBits) & 0xFFFFFF;
    std::vector<HistogramEntry> byBucket(histogram.begin(), histogram.end());
    std::stable_sort(byBucket.begin(), byBucket.end(), [keep](const HistogramEntry& a, const HistogramEntry& b) {
        return (a.colour & keep) < (b.colour & keep);
    });
    std::vector<HistogramEntry> merged;
    for (size_t i = 0; i < byBucket.size();) {
        uint64_t sum[3] = {0, 0, 0};
        uint64_t count = 0;
        size_t j = i;
        for (; j < byBucket.size() && (byBucket[j].colour & keep) == (byBucket[i].colour & keep); ++j) {
            for (int c = 0; c < 3; ++c)
                sum[c] += uint64_t{(byBucket[j].colour >> (16 - 8 * c)) & 0xFF} * byBucket[j].count;
            count += byBucket[j].count;
        }
        Rgb mean = 0;
        for (int c = 0; c < 3; ++c)
            mean |= static_cast<Rgb>((sum[c] + count / 2) / count) << (16 - 8 * c);
        merged.push_back({mean, static_cast<uint32_t>(count)});
        i = j;
    }
    return merged;
}

// Empty when libimagequant fails (out of memory, a bad argument).
std::vector<Rgb> RunQuantiser(std::span<const HistogramEntry> histogram, uint32_t maxColours) {
    const QuantiserLibrary* q = Quantiser();
    if (q == nullptr)
        return {};
    SingleThreadScope oneThread(*q);
    Owned<liq_attr> attr(q->attrCreate(), {q->attrDestroy});
    if (!attr || q->setMaxColors(attr.get(), static_cast<int>(maxColours)) != LIQ_OK)
        return {};
    Owned<liq_histogram> hist(q->histogramCreate(attr.get()), {q->histogramDestroy});
    if (!hist)
        return {};
    std::vector<liq_histogram_entry> entries;
    entries.reserve(histogram.size());
    for (const HistogramEntry& e : histogram)
        entries.push_back({{Channel(e.colour, 16), Channel(e.colour, 8), Channel(e.colour, 0), 255}, e.count});
    if (q->histogramAddColors(hist.get(), attr.get(), entries.data(), static_cast<int>(entries.size()), 0) !=
        LIQ_OK)
        return {};
    liq_result* raw = nullptr;
    if (q->histogramQuantize(hist.get(), attr.get(), &raw) != LIQ_OK || !raw)
        return {};
    Owned<liq_result> result(raw, {q->resultDestroy});
    const liq_palette* palette = q->getPalette(result.get());
    std::vector<Rgb> colours;
    const unsigned count = std::min<unsigned>(palette->count, maxColours);
    for (unsigned i = 0; i < count; ++i) {
        const liq_color& c = palette->entries[i];
        colours.push_back(Rgb{c.r} << 16 | Rgb{c.g} << 8 | Rgb{c.b});
    }
    return colours;
}

} // namespace

std::vector<Rgb> MostFrequentColours(std::span<const HistogramEntry> histogram, uint32_t maxColours) {
    std::vector<HistogramEntry> byCount(histogram.begin(), histogram.end());
    std::sort(byCount.begin(), byCount.end(), [](const HistogramEntry& a, const HistogramEntry& b) {
        return a.count != b.count ? a.count > b.count : a.colour < b.colour;
    });
    std::vector<Rgb> colours;
    for (size_t i = 0; i < byCount.size() && i < maxColours; ++i)
        colours.push_back(byCount[i].colour);
    return colours;
}

std::vector<Rgb> QuantisePalette(std::span<const HistogramEntry> histogram, uint32_t maxColours) {
    // libimagequant makes palettes of 2 to 256 colours.
    if (maxColours >= 2 && maxColours <= 256 && !histogram.empty()) {
        // Each round merges the previous one's buckets, one more bit lower.
        std::vector<HistogramEntry> coarse;
        std::span<const HistogramEntry> input = histogram;
        for (int drop = 1; input.size() > kMaxQuantiserColours && drop < 8; ++drop) {
            coarse = Coarsen(input, drop);
            input = coarse;
        }
        std::vector<Rgb> colours = RunQuantiser(input, maxColours);
        if (!colours.empty())
            return colours;
    }
    return MostFrequentColours(histogram, maxColours);
}

} // namespace icofile
