// Choosing the large icon among a group's images.

#include "libs/exeicons/LargeIcon.h"

#include <gtest/gtest.h>

#include <string>

using namespace exeicons;

namespace {

struct Size { int32_t width; int32_t height; uint16_t bits; };

struct PickCase {
    const char* label;
    std::vector<Size> images;
    std::optional<size_t> expected;
};

void PrintTo(const PickCase& c, std::ostream* os) { *os << c.label; }

class PickLarge : public ::testing::TestWithParam<PickCase> {};

TEST_P(PickLarge, ChoosesByTheImagesOwnSizes) {
    IconGroup group;
    for (const Size& s : GetParam().images) {
        IconImage image;
        image.info = ImageInfo{ImageFormat::kDib, s.width, s.height, s.bits};
        image.entry.width = 32;   // group entries claim 32 x 32 throughout: never trusted
        image.entry.height = 32;
        image.entry.bitCount = 32;
        group.images.push_back(image);
    }
    EXPECT_EQ(PickLargeIcon(group), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Groups, PickLarge,
    ::testing::Values(
        PickCase{"DeepestOfSeveral32", {{16, 16, 32}, {32, 32, 4}, {32, 32, 32}, {32, 32, 8}, {48, 48, 32}}, 2},
        PickCase{"First32OfEqualDepth", {{32, 32, 8}, {32, 32, 8}}, 0},
        PickCase{"Png256FirstThen32", {{256, 256, 32}, {48, 48, 32}, {32, 32, 32}, {16, 16, 32}}, 2},
        PickCase{"SmallestLargerWithoutA32", {{16, 16, 32}, {256, 256, 32}, {48, 48, 8}, {64, 64, 32}, {48, 48, 32}}, 4},
        PickCase{"NonSquare32IsNot32", {{32, 16, 32}, {24, 24, 32}}, 0},
        // An edge of 32 is not larger than 32: 33 x 33 is the smallest larger one.
        PickCase{"ThirtyThreeIsLargerAnEdgeOf32IsNot", {{32, 16, 8}, {33, 33, 8}, {31, 31, 8}}, 1},
        PickCase{"LargestWhenAllAreSmaller", {{16, 16, 32}, {24, 24, 4}, {24, 24, 8}, {20, 20, 32}}, 2},
        PickCase{"SingleImage", {{1, 1, 1}}, 0},
        PickCase{"EmptyGroup", {}, std::nullopt}),
    [](const auto& p) { return std::string(p.param.label); });

} // namespace
