// Our decoder against libspng on the generated set: every colour type and
// depth, interlaced or not, every filter, tRNS of each kind, small and empty
// IDATs, chunks after the data. The pixels must agree byte for byte, on
// every inflate path, with and without vector code.

#include "PngCorpus.h"
#include "PngTestDecode.h"
#include "SpngOracle.h"

#include <gtest/gtest.h>

#include <cstring>
#include <tuple>

namespace {

using imaging::png::PngError;
using imaging::png::PngErrorName;
using pngtest::Inflate;

// First differing pixel, for a readable failure.
std::string FirstDifference(const std::vector<uint8_t>& ours, const std::vector<uint8_t>& theirs, uint32_t width) {
    for (size_t i = 0; i + 4 <= ours.size() && i + 4 <= theirs.size(); i += 4)
        if (std::memcmp(&ours[i], &theirs[i], 4) != 0) {
            const size_t pixel = i / 4;
            char text[160];
            std::snprintf(text, sizeof text, "pixel (%zu, %zu): ours B%u G%u R%u A%u, libspng B%u G%u R%u A%u",
                          pixel % width, pixel / width, ours[i], ours[i + 1], ours[i + 2], ours[i + 3], theirs[i],
                          theirs[i + 1], theirs[i + 2], theirs[i + 3]);
            return text;
        }
    return "sizes differ";
}

class PngExactness : public ::testing::TestWithParam<std::tuple<int, Inflate, bool>> {};

TEST_P(PngExactness, SameRgbaAsLibspng) {
    const auto [formatIndex, inflate, portable] = GetParam();
    const pngtest::PngFormat format = pngtest::AllFormats().at(static_cast<size_t>(formatIndex));
    for (const pngtest::NamedPlan& named : pngtest::PngSetFor(format)) {
        SCOPED_TRACE(named.name);
        const std::vector<uint8_t> png = pngtest::EncodePng(named.plan);
        const pngtest::OracleResult theirs = pngtest::SpngDecode(png.data(), png.size(), uint64_t{1} << 26);
        ASSERT_TRUE(theirs.ok) << pngtest::SpngErrorText(theirs.error);
        const pngtest::Decoded ours = pngtest::DecodeOurs(png, inflate, portable);
        ASSERT_EQ(ours.error, PngError::kOk) << PngErrorName(ours.error);
        ASSERT_EQ(ours.header.width, named.plan.width);
        ASSERT_EQ(ours.header.height, named.plan.height);
        ASSERT_TRUE(ours.bgra == theirs.bgra) << FirstDifference(ours.bgra, theirs.bgra, ours.header.width);
    }
}

INSTANTIATE_TEST_SUITE_P(AllFormats, PngExactness,
                         ::testing::Combine(::testing::Range(0, 15),
                                            ::testing::Values(Inflate::kWhole, Inflate::kWholeSeparate,
                                                              Inflate::kStreaming),
                                            /*portable=*/::testing::Bool()));

// Tall narrow pictures, rows many to a call: across batches and blocks of
// rows, and in place up to the row where the pixels would overtake the
// filtered rows (or from the row where they stop doing so), copied there.
class PngTallExactness : public ::testing::TestWithParam<std::tuple<Inflate, bool>> {};

TEST_P(PngTallExactness, SameRgbaAsLibspng) {
    struct Tall {
        pngtest::PngFormat format;
        uint32_t width, height;
        bool interlaced;
        const char* why;
    };
    const Tall kTall[] = {
        {{0, 8}, 1, 20000, false, "2-byte rows in ten batches, the last row alone copied"},
        {{0, 1}, 3, 20000, false, "one byte a row below 8 bits, the last row alone copied"},
        {{2, 8}, 2, 3003, false, "in place to row 2996, the rows after it filtered Up and Average"},
        {{6, 8}, 1, 9000, false, "the first four rows overtaken, the rest in place"},
        {{6, 16}, 1, 4000, false, "rows longer than their pixels: only the first overtaken"},
        {{6, 8}, 64, 200, false, "every row overtaken, copied in blocks"},
        {{3, 4}, 1, 40000, true, "interlaced passes of one pixel or none"},
        {{4, 16}, 5, 3000, true, "interlaced, narrow rows spread in batches"},
    };
    const auto [inflate, portable] = GetParam();
    uint32_t seed = 77;
    for (const Tall& tall : kTall) {
        SCOPED_TRACE(pngtest::FormatName(tall.format) + " " + std::to_string(tall.width) + "x" +
                     std::to_string(tall.height) + ": " + tall.why);
        const std::vector<uint8_t> png =
            pngtest::EncodePng(pngtest::RandomPlan(tall.format, tall.width, tall.height, tall.interlaced, ++seed));
        const pngtest::OracleResult theirs = pngtest::SpngDecode(png.data(), png.size(), uint64_t{1} << 26);
        ASSERT_TRUE(theirs.ok) << pngtest::SpngErrorText(theirs.error);
        const pngtest::Decoded ours = pngtest::DecodeOurs(png, inflate, portable);
        ASSERT_EQ(ours.error, PngError::kOk) << PngErrorName(ours.error);
        ASSERT_TRUE(ours.bgra == theirs.bgra) << FirstDifference(ours.bgra, theirs.bgra, ours.header.width);
    }
}

INSTANTIATE_TEST_SUITE_P(AllPaths, PngTallExactness,
                         ::testing::Combine(::testing::Values(Inflate::kWhole, Inflate::kWholeSeparate,
                                                              Inflate::kStreaming),
                                            /*portable=*/::testing::Bool()));

} // namespace
