#include "libs/imaging/PremultipliedLevel.h"

#include <algorithm>
#include <vector>

namespace imaging {

namespace {

const Vec4 kQuarter = {0.25f, 0.25f, 0.25f, 0.25f};
const Vec4 kHalf = {0.5f, 0.5f, 0.5f, 0.5f};

// One row of 2 x 2 box averages from two source rows (the same row twice for
// an odd last row, which averages it alone); an odd last column is averaged
// on its own too. `load(row, x)` yields a premultiplied source pixel.
template <typename Row, typename Load>
void HalveRows(Row upper, Row lower, int32_t columns, Load load, Vec4* out) {
    const int32_t pairs = columns / 2;
    for (int32_t i = 0; i < pairs; ++i)
        out[i] = (load(upper, 2 * i) + load(upper, 2 * i + 1) + load(lower, 2 * i) + load(lower, 2 * i + 1)) *
                 kQuarter;
    if (pairs * 2 < columns)
        out[pairs] = (load(upper, 2 * pairs) + load(lower, 2 * pairs)) * kHalf;
}

// Function objects rather than functions, so that the loads are inlined.
constexpr auto LoadStraight = [](const uint8_t* row, int32_t x) { return LoadPremultiplied(row + 4 * x); };
constexpr auto LoadFloat = [](const Vec4* row, int32_t x) { return row[x]; };

PremultipliedLevel HalfOf(int32_t columns, int32_t rows, double extentX, double extentY) {
    PremultipliedLevel out;
    out.width = (columns + 1) / 2;
    out.height = (rows + 1) / 2;
    out.extentX = extentX / 2.0;
    out.extentY = extentY / 2.0;
    out.pixels.reset(new Vec4[static_cast<size_t>(out.width) * out.height]);
    return out;
}

Vec4* RowOf(PremultipliedLevel& level, int32_t y) { return level.pixels.get() + static_cast<size_t>(y) * level.width; }

// The rows of the next level down: 2y and 2y + 1, or 2y twice at an odd end.
int32_t LowerRow(int32_t y, int32_t rows) { return 2 * y + 1 < rows ? 2 * y + 1 : 2 * y; }

// Box averages of `block` consecutive pixels of one axis; `rowAt(y)` gives a
// row and `load(row, x)` a premultiplied pixel of the picture being reduced.
template <typename RowAt, typename Load>
PremultipliedLevel ReduceAxis(RowAt rowAt, Load load, int32_t columns, int32_t rows, double extentX,
                              double extentY, bool acrossX, int32_t halvings) {
    const int64_t block = int64_t{1} << halvings;
    const auto reduced = [block](int32_t pixels) { return static_cast<int32_t>((pixels + block - 1) / block); };
    PremultipliedLevel out;
    out.width = acrossX ? reduced(columns) : columns;
    out.height = acrossX ? rows : reduced(rows);
    out.extentX = acrossX ? extentX / static_cast<double>(block) : extentX;
    out.extentY = acrossX ? extentY : extentY / static_cast<double>(block);
    out.pixels.reset(new Vec4[static_cast<size_t>(out.width) * out.height]);
    if (acrossX) {
        for (int32_t y = 0; y < rows; ++y) {
            const auto in = rowAt(y);
            Vec4* row = RowOf(out, y);
            for (int32_t i = 0; i < out.width; ++i) {
                const int64_t start = i * block;
                const int64_t end = std::min<int64_t>(start + block, columns);
                Vec4 sum = load(in, static_cast<int32_t>(start));
                for (int64_t x = start + 1; x < end; ++x)
                    sum += load(in, static_cast<int32_t>(x));
                row[i] = sum * Splat(1.0f / static_cast<float>(end - start));
            }
        }
        return out;
    }
    for (int32_t i = 0; i < out.height; ++i) {
        const int64_t start = i * block;
        const int64_t end = std::min<int64_t>(start + block, rows);
        Vec4* row = RowOf(out, i);
        const auto first = rowAt(static_cast<int32_t>(start));
        for (int32_t x = 0; x < columns; ++x)
            row[x] = load(first, x);
        for (int64_t y = start + 1; y < end; ++y) {
            const auto in = rowAt(static_cast<int32_t>(y));
            for (int32_t x = 0; x < columns; ++x)
                row[x] += load(in, x);
        }
        const Vec4 scale = Splat(1.0f / static_cast<float>(end - start));
        for (int32_t x = 0; x < columns; ++x)
            row[x] *= scale;
    }
    return out;
}

} // namespace

PremultipliedLevel ReduceAxisStraight(const PixelView& source, bool acrossX, int32_t halvings) {
    return ReduceAxis([&source](int32_t y) { return source.row(y); }, LoadStraight, source.width, source.height,
                      source.width, source.height, acrossX, halvings);
}

PremultipliedLevel ReduceAxisLevel(const PremultipliedLevel& level, bool acrossX, int32_t halvings) {
    return ReduceAxis([&level](int32_t y) { return level.row(y); }, LoadFloat, level.width, level.height,
                      level.extentX, level.extentY, acrossX, halvings);
}

PremultipliedLevel HalveStraight(const PixelView& source) {
    PremultipliedLevel out = HalfOf(source.width, source.height, source.width, source.height);
    for (int32_t y = 0; y < out.height; ++y)
        HalveRows(source.row(2 * y), source.row(LowerRow(y, source.height)), source.width, LoadStraight,
                  RowOf(out, y));
    return out;
}

PremultipliedLevel QuarterStraight(const PixelView& source) {
    const int32_t halfWidth = (source.width + 1) / 2;
    const int32_t halfHeight = (source.height + 1) / 2;
    PremultipliedLevel out = HalfOf(halfWidth, halfHeight, source.width / 2.0, source.height / 2.0);
    std::vector<Vec4> upper(halfWidth), lower(halfWidth);
    for (int32_t y = 0; y < out.height; ++y) {
        const int32_t r0 = 2 * y;
        const int32_t r1 = LowerRow(y, halfHeight);
        HalveRows(source.row(2 * r0), source.row(LowerRow(r0, source.height)), source.width, LoadStraight,
                  upper.data());
        if (r1 != r0)
            HalveRows(source.row(2 * r1), source.row(LowerRow(r1, source.height)), source.width, LoadStraight,
                      lower.data());
        const Vec4* second = r1 != r0 ? lower.data() : upper.data();
        HalveRows(static_cast<const Vec4*>(upper.data()), second, halfWidth, LoadFloat, RowOf(out, y));
    }
    return out;
}

PremultipliedLevel HalveLevel(const PremultipliedLevel& level) {
    PremultipliedLevel out = HalfOf(level.width, level.height, level.extentX, level.extentY);
    for (int32_t y = 0; y < out.height; ++y)
        HalveRows(level.row(2 * y), level.row(LowerRow(y, level.height)), level.width, LoadFloat, RowOf(out, y));
    return out;
}

PremultipliedLevel PremultiplyStraight(const PixelView& source, const ResampleKernels& kernels) {
    PremultipliedLevel out;
    out.width = source.width;
    out.height = source.height;
    out.extentX = source.width;
    out.extentY = source.height;
    out.pixels.reset(new Vec4[static_cast<size_t>(out.width) * out.height]);
    for (int32_t y = 0; y < source.height; ++y)
        kernels.premultiply(source.row(y), source.width, RowOf(out, y));
    return out;
}

} // namespace imaging
