// What a decodable PNG may hold: known pixel values for the conversions that
// the reference decoder could get wrong the same way, and the chunks that
// are skipped rather than refused.

#include "PngCorpus.h"
#include "PngTestDecode.h"
#include "SpngOracle.h"

#include "libs/imaging/png/PngUnfilter.h"

#include <gtest/gtest.h>

#include <random>

namespace {

using imaging::png::PngError;
using imaging::png::PngErrorName;
using pngtest::Chunk;
using pngtest::Inflate;
using pngtest::PngPlan;

PngPlan Plan(uint8_t type, uint8_t depth, uint32_t width, uint32_t height, std::vector<uint16_t> samples) {
    PngPlan s;
    s.colourType = type;
    s.depth = depth;
    s.width = width;
    s.height = height;
    s.samples = std::move(samples);
    return s;
}

std::vector<uint8_t> Trns16(std::initializer_list<uint16_t> values) {
    std::vector<uint8_t> out;
    for (uint16_t v : values)
        pngtest::PutBig16(&out, v);
    return out;
}

void ExpectPixels(const std::vector<uint8_t>& png, const std::vector<uint8_t>& bgra) {
    for (Inflate inflate : {Inflate::kWhole, Inflate::kWholeSeparate, Inflate::kStreaming})
        for (bool portable : {false, true}) {
            const pngtest::Decoded d = pngtest::DecodeOurs(png, inflate, portable);
            ASSERT_EQ(d.error, PngError::kOk) << PngErrorName(d.error);
            EXPECT_EQ(d.bgra, bgra) << "streaming " << (inflate == Inflate::kStreaming) << " portable " << portable;
        }
}

// The whole 16-bit sample decides: 0x1234 is transparent, 0x1235 and 0x12FF
// (the same or the next level at 8 bits) are not. Levels round: v * 255 / 65535.
TEST(PngPixels, SixteenBitGreyTransparencyComparesAllBits) {
    PngPlan s = Plan(0, 16, 4, 1, {0x1234, 0x1235, 0x12FF, 0xFFFF});
    s.trns = Trns16({0x1234});
    ExpectPixels(pngtest::EncodePng(s), {18, 18, 18, 0, 18, 18, 18, 255, 19, 19, 19, 255, 255, 255, 255, 255});
}

TEST(PngPixels, SixteenBitTruecolourTransparencyComparesAllBits) {
    PngPlan s = Plan(2, 16, 3, 1, {0x8080, 0x0000, 0xFFFF, 0x8081, 0x0000, 0xFFFF, 0x8080, 0x0001, 0xFFFF});
    s.interlaced = true;
    s.trns = Trns16({0x8080, 0x0000, 0xFFFF});
    ExpectPixels(pngtest::EncodePng(s), {255, 0, 128, 0, 255, 0, 128, 255, 255, 0, 128, 255});
}

TEST(PngPixels, LowDepthGreyScalesToFullRange) {
    ExpectPixels(pngtest::EncodePng(Plan(0, 2, 4, 1, {0, 1, 2, 3})),
                 {0, 0, 0, 255, 85, 85, 85, 255, 170, 170, 170, 255, 255, 255, 255, 255});
    PngPlan s = Plan(0, 4, 3, 1, {0, 7, 15});
    s.trns = Trns16({7});
    ExpectPixels(pngtest::EncodePng(s), {0, 0, 0, 255, 119, 119, 119, 0, 255, 255, 255, 255});
}

// Below 16 bits only the bits of the depth count, as libpng and libspng
// read such a tRNS.
TEST(PngPixels, TransparencyBeyondTheDepthKeepsItsLowBits) {
    PngPlan rgb = Plan(2, 8, 2, 1, {0x48, 0x72, 0x9F, 0x48, 0x72, 0x9E});
    rgb.trns = Trns16({0x0048, 0x0072, 0x209F});
    ExpectPixels(pngtest::EncodePng(rgb), {0x9F, 0x72, 0x48, 0, 0x9E, 0x72, 0x48, 255});
    PngPlan grey = Plan(0, 2, 2, 1, {2, 1});
    grey.trns = Trns16({0x0106});
    ExpectPixels(pngtest::EncodePng(grey), {170, 170, 170, 0, 85, 85, 85, 255});
}

// tRNS shorter than PLTE: the entries it leaves out stay opaque.
TEST(PngPixels, ShortPaletteTransparencyLeavesTheRestOpaque) {
    PngPlan s = Plan(3, 2, 4, 1, {0, 1, 2, 3});
    s.palette = {10, 20, 30, 40, 50, 60, 70, 80, 90, 100, 110, 120};
    s.trns = {0, 128};
    ExpectPixels(pngtest::EncodePng(s), {30, 20, 10, 0, 60, 50, 40, 128, 90, 80, 70, 255, 120, 110, 100, 255});
}

TEST(PngPixels, AlphaChannelsStayStraight) {
    ExpectPixels(pngtest::EncodePng(Plan(6, 8, 1, 1, {200, 100, 50, 0})), {50, 100, 200, 0});
    ExpectPixels(pngtest::EncodePng(Plan(4, 16, 1, 1, {0xFFFF, 0x8000})), {255, 255, 255, 128});
}

// Chunks that cannot apply are skipped, and the pixels come out as without them.
class PngSkipped : public ::testing::TestWithParam<Inflate> {
protected:
    PngPlan plan_ = [] {
        PngPlan s = pngtest::RandomPlan({2, 8}, 11, 7, false, 21);
        pngtest::AddTransparency(&s, 21);
        return s;
    }();
    std::vector<uint8_t> Expected() {
        const pngtest::Decoded d = pngtest::DecodeOurs(pngtest::EncodePng(plan_));
        EXPECT_EQ(d.error, PngError::kOk);
        return d.bgra;
    }
    void ExpectDecodes(const std::vector<Chunk>& chunks, const std::vector<uint8_t>& bgra) {
        const pngtest::Decoded d = pngtest::DecodeOurs(pngtest::Assemble(chunks), GetParam());
        ASSERT_EQ(d.error, PngError::kOk) << PngErrorName(d.error);
        EXPECT_EQ(d.bgra, bgra);
    }
};

TEST_P(PngSkipped, AncillaryChunksWithBadChecksums) {
    const std::vector<uint8_t> want = Expected();
    std::vector<Chunk> chunks = pngtest::EncodeChunks(plan_);
    chunks[1].badCrc = true;  // gAMA
    ExpectDecodes(chunks, want);
    // A damaged tRNS is not applied: the transparent pixel becomes opaque.
    chunks[2].badCrc = true;
    std::vector<uint8_t> opaque = want;
    ASSERT_EQ(opaque[3], 0);
    opaque[3] = 255;
    ExpectDecodes(chunks, opaque);
}

TEST_P(PngSkipped, UnknownAndMisplacedAncillaryChunks) {
    const std::vector<uint8_t> want = Expected();
    std::vector<Chunk> chunks = pngtest::EncodeChunks(plan_);
    chunks.insert(chunks.begin() + 1, Chunk{"prVt", {1, 2, 3}});
    chunks.insert(chunks.end() - 1, Chunk{"tRNS", {0, 0, 0, 0, 0, 0}});  // after the data: too late
    chunks.insert(chunks.begin() + 4, Chunk{"tRNS", {0, 1}});            // a second one, of the wrong size
    ExpectDecodes(chunks, want);
}

TEST_P(PngSkipped, EndAfterTheLastIdat) {
    const std::vector<uint8_t> want = Expected();
    std::vector<Chunk> chunks = pngtest::EncodeChunks(plan_);
    chunks.pop_back();  // no IEND
    ExpectDecodes(chunks, want);
    // Cut inside a chunk after the data.
    chunks.push_back(Chunk{"tEXt", std::vector<uint8_t>(40, 'a')});
    std::vector<uint8_t> png = pngtest::Assemble(chunks);
    png.resize(png.size() - 20);
    const pngtest::Decoded d = pngtest::DecodeOurs(png, GetParam());
    ASSERT_EQ(d.error, PngError::kOk) << PngErrorName(d.error);
    EXPECT_EQ(d.bgra, want);
}

INSTANTIATE_TEST_SUITE_P(EveryPath, PngSkipped,
                         ::testing::Values(Inflate::kWhole, Inflate::kWholeSeparate, Inflate::kStreaming));

// The vector unfilter against the portable one, on random rows of every
// pixel width and lengths around the vector widths.
TEST(PngUnfilter, VectorAndPortableAgree) {
    std::mt19937 random(5);
    for (size_t stride : {1, 2, 3, 4, 6, 8})
        for (size_t pixels : {1, 2, 5, 16, 17, 33}) {
            const size_t size = stride * pixels;
            std::vector<uint8_t> previous(size), row(size);
            for (uint8_t filter = 0; filter < imaging::png::kFilterCount; ++filter) {
                for (auto& v : previous)
                    v = static_cast<uint8_t>(random());
                for (auto& v : row)
                    v = static_cast<uint8_t>(random());
                std::vector<uint8_t> fast = row, portable = row;
                imaging::png::FastestUnfilter()(filter, fast.data(), previous.data(), size, stride);
                imaging::png::UnfilterPortable(filter, portable.data(), previous.data(), size, stride);
                EXPECT_EQ(fast, portable) << "filter " << int{filter} << " stride " << stride << " size " << size;
            }
        }
}

} // namespace

namespace {

// The plausible file size from the header: stored deflate blocks of 65535
// bytes (5 bytes each) and zlib's 6, 1/64 of that for IDAT chunks, 45 bytes
// of fixed chunks and 64 MiB. Worked by hand from the filtered sizes 2 and
// 8192 * (1 + 65536).
TEST(PngPlausibleSize, FollowsTheStoredSizeOfTheRows) {
    imaging::png::PngHeader grey;
    grey.width = grey.height = 1;
    grey.bitDepth = 8;
    grey.colourType = imaging::png::kGrey;
    EXPECT_EQ(imaging::png::PlausibleFileSize(grey), 67108922u);
    imaging::png::PngHeader deep;
    deep.width = deep.height = 8192;
    deep.bitDepth = 16;
    deep.colourType = imaging::png::kTruecolourAlpha;
    EXPECT_EQ(imaging::png::PlausibleFileSize(deep), 612418360u);
}

} // namespace
