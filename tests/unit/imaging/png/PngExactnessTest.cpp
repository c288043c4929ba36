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

} // namespace
