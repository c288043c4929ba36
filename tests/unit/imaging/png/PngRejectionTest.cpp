// Damaged PNGs: each kind of damage is refused with its own reason, on every
// inflate path, and libspng refuses the same files (so the damage is real),
// apart from the few it lets through: checksums of IDAT and IEND, PLTE
// repeated, misplaced or in a grey picture, surplus image data, and palette
// indices beyond PLTE.

#include "PngCorpus.h"
#include "PngTestDecode.h"
#include "SpngOracle.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <tuple>

namespace {

using imaging::png::PngError;
using imaging::png::PngErrorName;
using pngtest::Chunk;
using pngtest::Inflate;
using pngtest::PngPlan;

PngPlan Rgba() { return pngtest::RandomPlan({6, 8}, 13, 17, false, 7); }
PngPlan Palette() { return pngtest::RandomPlan({3, 8}, 9, 6, false, 8, 3); }
PngPlan Grey() { return pngtest::RandomPlan({0, 8}, 5, 4, true, 9); }

size_t IndexOf(const std::vector<Chunk>& chunks, const std::string& name) {
    const auto it = std::find_if(chunks.begin(), chunks.end(), [&](const Chunk& c) { return c.name == name; });
    if (it == chunks.end())
        throw std::logic_error("no " + name);
    return static_cast<size_t>(it - chunks.begin());
}

std::vector<uint8_t> WithChunks(const PngPlan& plan, const std::function<void(std::vector<Chunk>&)>& change) {
    std::vector<Chunk> chunks = pngtest::EncodeChunks(plan);
    change(chunks);
    return pngtest::Assemble(chunks);
}

std::vector<uint8_t> WithHeaderByte(size_t at, uint8_t value) {
    return WithChunks(Rgba(), [&](std::vector<Chunk>& c) { c[0].data.at(at) = value; });
}

std::vector<uint8_t> WithDimensions(uint32_t width, uint32_t height) {
    return WithChunks(Rgba(), [&](std::vector<Chunk>& c) {
        std::vector<uint8_t> d;
        pngtest::PutBig32(&d, width);
        pngtest::PutBig32(&d, height);
        std::copy(d.begin(), d.end(), c[0].data.begin());
    });
}

std::vector<uint8_t> WithDepthAndType(uint8_t depth, uint8_t type) {
    return WithChunks(Rgba(), [&](std::vector<Chunk>& c) {
        c[0].data[8] = depth;
        c[0].data[9] = type;
    });
}

// The filtered rows changed before compression.
std::vector<uint8_t> WithFiltered(const PngPlan& plan, const std::function<void(std::vector<uint8_t>&)>& change) {
    std::vector<uint8_t> rows = pngtest::FilteredRows(plan);
    change(rows);
    return pngtest::Assemble(pngtest::EncodeChunks(plan, pngtest::ZlibCompress(rows)));
}

// The compressed stream changed.
std::vector<uint8_t> WithStream(const PngPlan& plan, const std::function<void(std::vector<uint8_t>&)>& change) {
    std::vector<uint8_t> stream = pngtest::ZlibCompress(pngtest::FilteredRows(plan));
    change(stream);
    return pngtest::Assemble(pngtest::EncodeChunks(plan, stream));
}

struct Damage {
    const char* name;
    std::function<std::vector<uint8_t>()> make;
    PngError expected;
    bool libspngRefuses = true;  // false: a known difference, libspng decodes it
};

const std::vector<Damage>& Damages() {
    static const std::vector<Damage> damages = {
        {"IHDR checksum", [] { return WithChunks(Rgba(), [](auto& c) { c[0].badCrc = true; }); }, PngError::kBadCrc},
        {"PLTE checksum", [] { return WithChunks(Palette(), [](auto& c) { c[IndexOf(c, "PLTE")].badCrc = true; }); },
         PngError::kBadCrc},
        {"IDAT checksum", [] { return WithChunks(Rgba(), [](auto& c) { c[IndexOf(c, "IDAT")].badCrc = true; }); },
         PngError::kBadCrc, false},
        {"IEND checksum", [] { return WithChunks(Rgba(), [](auto& c) { c.back().badCrc = true; }); },
         PngError::kBadCrc, false},
        {"no IHDR", [] { return WithChunks(Rgba(), [](auto& c) { c.erase(c.begin()); }); }, PngError::kMissingChunk},
        {"IHDR not first", [] { return WithChunks(Rgba(), [](auto& c) { std::swap(c[0], c[1]); }); },
         PngError::kMissingChunk},
        {"IHDR twice", [] { return WithChunks(Rgba(), [](auto& c) { c.insert(c.begin() + 1, c[0]); }); },
         PngError::kMisplacedChunk},
        {"no PLTE", [] { return WithChunks(Palette(), [](auto& c) { c.erase(c.begin() + IndexOf(c, "PLTE")); }); },
         PngError::kMissingChunk},
        {"PLTE twice",
         [] { return WithChunks(Palette(), [](auto& c) { c.insert(c.begin() + IndexOf(c, "PLTE"), c[IndexOf(c, "PLTE")]); }); },
         PngError::kMisplacedChunk, false},
        {"PLTE after IDAT",
         [] {
             PngPlan s = Rgba();
             s.palette = {1, 2, 3};
             return WithChunks(s, [](auto& c) {
                 const Chunk plte = c[IndexOf(c, "PLTE")];
                 c.erase(c.begin() + IndexOf(c, "PLTE"));
                 c.insert(c.end() - 1, plte);
             });
         },
         PngError::kMisplacedChunk, false},
        {"PLTE in a grey picture",
         [] {
             PngPlan s = Grey();
             s.palette = {1, 2, 3};
             return pngtest::EncodePng(s);
         },
         PngError::kMisplacedChunk, false},
        {"PLTE of 3n+1 bytes",
         [] { return WithChunks(Palette(), [](auto& c) { c[IndexOf(c, "PLTE")].data.push_back(0); }); },
         PngError::kBadPalette},
        {"PLTE empty", [] { return WithChunks(Palette(), [](auto& c) { c[IndexOf(c, "PLTE")].data.clear(); }); },
         PngError::kBadPalette},
        {"PLTE of 257 entries",
         [] { return WithChunks(Palette(), [](auto& c) { c[IndexOf(c, "PLTE")].data.resize(257 * 3); }); },
         PngError::kBadPalette},
        {"no IDAT", [] { return WithChunks(Rgba(), [](auto& c) { c.erase(c.begin() + IndexOf(c, "IDAT")); }); },
         PngError::kMissingChunk},
        {"IDATs apart",
         [] {
             PngPlan s = Rgba();
             s.idatPiece = 16;
             return WithChunks(s, [](auto& c) { c.insert(c.begin() + IndexOf(c, "IDAT") + 1, Chunk{"tEXt", {'a', 0}}); });
         },
         PngError::kMisplacedChunk},
        {"zero width", [] { return WithDimensions(0, 17); }, PngError::kBadHeader},
        {"zero height", [] { return WithDimensions(13, 0); }, PngError::kBadHeader},
        {"width 2^31", [] { return WithDimensions(0x80000000u, 1); }, PngError::kBadHeader},
        {"height 2^31", [] { return WithDimensions(1, 0x80000000u); }, PngError::kBadHeader},
        {"truecolour at 4 bits", [] { return WithDepthAndType(4, 2); }, PngError::kBadHeader},
        {"grey at 3 bits", [] { return WithDepthAndType(3, 0); }, PngError::kBadHeader},
        {"palette at 16 bits", [] { return WithDepthAndType(16, 3); }, PngError::kBadHeader},
        {"colour type 1", [] { return WithDepthAndType(8, 1); }, PngError::kBadHeader},
        {"colour type 5", [] { return WithDepthAndType(8, 5); }, PngError::kBadHeader},
        {"compression method 1", [] { return WithHeaderByte(10, 1); }, PngError::kBadHeader},
        {"filter method 1", [] { return WithHeaderByte(11, 1); }, PngError::kBadHeader},
        {"interlace method 2", [] { return WithHeaderByte(12, 2); }, PngError::kBadHeader},
        {"IHDR of 14 bytes", [] { return WithChunks(Rgba(), [](auto& c) { c[0].data.push_back(0); }); },
         PngError::kBadChunk},
        {"unknown critical chunk",
         [] { return WithChunks(Rgba(), [](auto& c) { c.insert(c.begin() + 1, Chunk{"CRIT", {1}}); }); },
         PngError::kUnknownCritical},
        {"zlib method 7", [] { return WithStream(Rgba(), [](auto& s) { s[0] = 0x77, s[1] = 0x01; }); },
         PngError::kBadZlib},  // 0x7701 passes the header check value
        {"zlib header check", [] { return WithStream(Rgba(), [](auto& s) { s[1] ^= 1; }); }, PngError::kBadZlib},
        {"zlib preset dictionary", [] { return WithStream(Rgba(), [](auto& s) { s[0] = 0x78, s[1] = 0xBB; }); },
         PngError::kBadZlib},
        {"adler32", [] { return WithStream(Rgba(), [](auto& s) { s.back() ^= 0x40; }); }, PngError::kBadZlib},
        {"stream cut short", [] { return WithStream(Rgba(), [](auto& s) { s.resize(s.size() - 9); }); },
         PngError::kBadZlib},
        {"one byte too few", [] { return WithFiltered(Rgba(), [](auto& r) { r.pop_back(); }); },
         PngError::kWrongDataLength},
        {"one byte too many", [] { return WithFiltered(Rgba(), [](auto& r) { r.push_back(0); }); },
         PngError::kWrongDataLength, false},
        {"a row too many", [] { return WithFiltered(Grey(), [](auto& r) { r.insert(r.end(), 4, 0); }); },
         PngError::kWrongDataLength, false},
        {"filter type 5", [] { return WithFiltered(Rgba(), [](auto& r) { r[3 * (1 + 13 * 4)] = 5; }); },
         PngError::kBadFilter},
        {"filter type 255 in a pass",
         [] { return WithFiltered(Grey(), [](auto& r) { r.back() = 0, r[r.size() - 1 - 5] = 255; }); },
         PngError::kBadFilter},
        {"palette index beyond PLTE",
         [] {
             PngPlan s = Palette();
             s.samples[20] = 3;  // the palette has entries 0 to 2
             return pngtest::EncodePng(s);
         },
         PngError::kBadPaletteIndex, false},
        {"cut inside IDAT",
         [] {
             auto png = pngtest::EncodePng(Rgba());
             png.resize(png.size() - 12 - 30);
             return png;
         },
         PngError::kTruncated},
        {"signature only", [] { return pngtest::Assemble({}); }, PngError::kMissingChunk},
    };
    return damages;
}

class PngDamage : public ::testing::TestWithParam<std::tuple<size_t, Inflate>> {};

TEST_P(PngDamage, IsRefusedForItsReason) {
    const auto [index, inflate] = GetParam();
    const Damage& damage = Damages().at(index);
    SCOPED_TRACE(damage.name);
    const std::vector<uint8_t> png = damage.make();
    const pngtest::Decoded ours = pngtest::DecodeOurs(png, inflate);
    EXPECT_EQ(ours.error, damage.expected) << PngErrorName(ours.error);
    if (damage.libspngRefuses) {
        EXPECT_FALSE(pngtest::SpngDecode(png.data(), png.size(), uint64_t{1} << 26).ok);
    }
}

INSTANTIATE_TEST_SUITE_P(EachDamage, PngDamage,
                         ::testing::Combine(::testing::Range<size_t>(0, 43),
                                            ::testing::Values(Inflate::kWhole, Inflate::kWholeSeparate,
                                                              Inflate::kStreaming)));

TEST(PngDamage, EveryCaseIsListed) { EXPECT_EQ(Damages().size(), 43u); }

// Refused from IHDR alone: the image data here would take seconds to inflate.
TEST(PngDamage, TooManyPixelsBeforeAnyPixelMemory) {
    const std::vector<uint8_t> png = WithDimensions(100000, 100000);
    EXPECT_EQ(pngtest::DecodeOurs(png).error, PngError::kTooLarge);
    const std::vector<uint8_t> edge = WithDimensions(64, 64);
    EXPECT_EQ(pngtest::DecodeOurs(edge, Inflate::kWhole, false, 64 * 64 - 1).error, PngError::kTooLarge);
    // Exactly at the limit is taken.
    const std::vector<uint8_t> whole = pngtest::EncodePng(Rgba());
    EXPECT_EQ(pngtest::DecodeOurs(whole, Inflate::kWhole, false, 13 * 17).error, PngError::kOk);
    EXPECT_EQ(pngtest::DecodeOurs(whole, Inflate::kWhole, false, 13 * 17 - 1).error, PngError::kTooLarge);
}

// Chunks tolerated rather than refused, each row decided by one rule: the
// picture decodes, and its first pixel is transparent only where the tRNS
// applies (its colour is the first pixel's, or its palette alphas are 0).
struct Tolerance {
    const char* name;
    std::function<std::vector<uint8_t>()> make;
    bool transparent;
};

PngPlan RgbWithTrns() {
    PngPlan s = pngtest::RandomPlan({2, 8}, 11, 7, false, 21);
    pngtest::AddTransparency(&s, 21);
    return s;
}

PngPlan PaletteWithAlphas(size_t entries) {
    PngPlan s = Palette();
    s.trns.assign(entries, 0);
    return s;
}

void MoveTrnsBeforeIend(std::vector<Chunk>& c) {
    const Chunk trns = c[IndexOf(c, "tRNS")];
    c.erase(c.begin() + IndexOf(c, "tRNS"));
    c.insert(c.end() - 1, trns);
}

const std::vector<Tolerance>& Tolerances() {
    static const std::vector<Tolerance> rows = {
        {"tRNS before IDAT", [] { return pngtest::EncodePng(RgbWithTrns()); }, true},
        {"the only tRNS after IDAT", [] { return WithChunks(RgbWithTrns(), MoveTrnsBeforeIend); }, false},
        {"tRNS of 5 bytes", [] { return WithChunks(RgbWithTrns(), [](auto& c) { c[IndexOf(c, "tRNS")].data.pop_back(); }); },
         false},
        {"a second tRNS",
         [] {
             return WithChunks(RgbWithTrns(), [](auto& c) {
                 Chunk other = c[IndexOf(c, "tRNS")];
                 other.data[1] ^= 1;  // not the first pixel's colour
                 c.insert(c.begin() + IndexOf(c, "tRNS"), other);
             });
         },
         false},
        {"a wrong size before a right one",
         [] {
             return WithChunks(RgbWithTrns(), [](auto& c) { c.insert(c.begin() + IndexOf(c, "tRNS"), Chunk{"tRNS", {0, 1}}); });
         },
         true},
        {"palette alphas as many as PLTE", [] { return pngtest::EncodePng(PaletteWithAlphas(3)); }, true},
        {"palette alphas one more than PLTE", [] { return pngtest::EncodePng(PaletteWithAlphas(4)); }, false},
        {"PLTE of 256 entries",
         [] { return WithChunks(Palette(), [](auto& c) { c[IndexOf(c, "PLTE")].data.resize(256 * 3); }); }, false},
    };
    return rows;
}

class PngTolerance : public ::testing::TestWithParam<std::tuple<size_t, Inflate>> {};

TEST_P(PngTolerance, DecodesWithOrWithoutTransparency) {
    const auto [index, inflate] = GetParam();
    const Tolerance& row = Tolerances().at(index);
    SCOPED_TRACE(row.name);
    const pngtest::Decoded d = pngtest::DecodeOurs(row.make(), inflate);
    ASSERT_EQ(d.error, PngError::kOk) << PngErrorName(d.error);
    ASSERT_GE(d.bgra.size(), 4u);
    EXPECT_EQ(d.bgra[3], row.transparent ? 0 : 255);
}

INSTANTIATE_TEST_SUITE_P(EachRule, PngTolerance,
                         ::testing::Combine(::testing::Range<size_t>(0, 8),
                                            ::testing::Values(Inflate::kWhole, Inflate::kStreaming)));

TEST(PngTolerance, EveryRowIsListed) { EXPECT_EQ(Tolerances().size(), 8u); }

TEST(PngDamage, NotAPng) {
    std::vector<uint8_t> png = pngtest::EncodePng(Rgba());
    png[1] = 'p';
    EXPECT_EQ(pngtest::DecodeOurs(png).error, PngError::kNotPng);
    EXPECT_EQ(pngtest::DecodeOurs({}).error, PngError::kNotPng);
}

} // namespace
