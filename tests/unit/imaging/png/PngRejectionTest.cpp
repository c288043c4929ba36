// Damaged PNGs: each kind of damage is refused with its own reason, on every
// inflate path, and libspng refuses the same files (so the damage is real),
// apart from the few it lets through: checksums of IDAT and IEND, PLTE
// repeated, misplaced or in a grey picture, surplus image data, and palette
// indices beyond PLTE.

#include "PngCorpus.h"
#include "PngTestDecode.h"
#include "SpngOracle.h"

#include <gtest/gtest.h>
#include <zlib.h>

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

// Deflate written bit by bit, to use codes no encoder emits. Every stream
// below inflates to kZeroRows zero bytes: the rows of a 300x1 grey picture.
constexpr size_t kZeroRows = 301;

class BitWriter {
public:
    void Bits(uint32_t value, int count) {  // lowest bit first
        for (int i = 0; i < count; ++i)
            Bit((value >> i) & 1u);
    }
    void Code(uint32_t code, int length) {  // Huffman codes go highest bit first
        for (int i = length - 1; i >= 0; --i)
            Bit((code >> i) & 1u);
    }
    std::vector<uint8_t> ZlibStream() const {
        std::vector<uint8_t> s = {0x78, 0x01};
        s.insert(s.end(), bytes_.begin(), bytes_.end());
        const std::vector<uint8_t> zeros(kZeroRows, 0);
        pngtest::PutBig32(&s, static_cast<uint32_t>(adler32(1, zeros.data(), kZeroRows)));
        return s;
    }

private:
    void Bit(uint32_t b) {
        if (used_ % 8 == 0)
            bytes_.push_back(0);
        bytes_.back() |= static_cast<uint8_t>(b << (used_++ % 8));
    }
    std::vector<uint8_t> bytes_;
    int used_ = 0;
};

// The fixed code of a literal/length symbol (the format's table of four ranges).
void FixedSymbol(BitWriter* w, uint32_t s) {
    if (s < 144)
        w->Code(0x30 + s, 8);
    else if (s < 256)
        w->Code(0x190 + s - 144, 9);
    else if (s < 280)
        w->Code(s - 256, 7);
    else
        w->Code(0xC0 + s - 280, 8);
}

// One fixed block: two zeros, `symbol` (285 is length 258; 286 and 287 are
// reserved) at distance 1, 41 zeros.
std::vector<uint8_t> FixedStream(uint32_t symbol) {
    BitWriter w;
    w.Bits(1, 1);
    w.Bits(1, 2);
    FixedSymbol(&w, 0);
    FixedSymbol(&w, 0);
    FixedSymbol(&w, symbol);
    w.Code(0, 5);
    for (int i = 0; i < 41; ++i)
        FixedSymbol(&w, 0);
    FixedSymbol(&w, 256);
    return w.ZlibStream();
}

// One dynamic block declaring `lengthCodes` (at most 286 defined) and
// `distanceCodes` (at most 30) codes; it uses only the literal 0 and the end.
std::vector<uint8_t> DynamicStream(uint32_t lengthCodes, uint32_t distanceCodes) {
    BitWriter w;
    w.Bits(1, 1);
    w.Bits(2, 2);
    w.Bits(lengthCodes - 257, 5);
    w.Bits(distanceCodes - 1, 5);
    w.Bits(14, 4);  // 18 code length codes, up to the one for length 1
    // Code length codes in their stored order 16, 17, 18, 0, 8, ...: 18 (a run
    // of zeros) gets code 0, length 0 code 10, length 1 code 11.
    constexpr uint32_t kOrder[18] = {16, 17, 18, 0, 8, 7, 9, 6, 10, 5, 11, 4, 12, 3, 13, 2, 14, 1};
    for (const uint32_t s : kOrder)
        w.Bits(s == 18 ? 1 : s == 0 || s == 1 ? 2 : 0, 3);
    const auto zeros = [&](uint32_t n) {
        for (; n > 0;) {
            const uint32_t run = std::min<uint32_t>(n, 138);
            if (run < 11) {
                for (uint32_t i = 0; i < run; ++i)
                    w.Code(2, 2);
            } else {
                w.Code(0, 1);
                w.Bits(run - 11, 7);
            }
            n -= run;
        }
    };
    w.Code(3, 2);  // literal 0: length 1
    zeros(255);
    w.Code(3, 2);  // end of block: length 1
    zeros(lengthCodes - 257);
    w.Code(3, 2);  // one distance code
    zeros(distanceCodes - 1);
    for (size_t i = 0; i < kZeroRows; ++i)
        w.Code(0, 1);
    w.Code(1, 1);
    return w.ZlibStream();
}

PngPlan ZeroRowsPlan() { return pngtest::RandomPlan({0, 8}, kZeroRows - 1, 1, false, 3); }

std::vector<uint8_t> WithOwnStream(const std::vector<uint8_t>& stream) {
    return pngtest::Assemble(pngtest::EncodeChunks(ZeroRowsPlan(), stream));
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
        {"IDATs apart, the chunk between them damaged",
         [] {
             PngPlan s = Rgba();
             s.idatPiece = 16;
             return WithChunks(s, [](auto& c) {
                 Chunk between{"tEXt", {'a', 0}};
                 between.badCrc = true;
                 c.insert(c.begin() + IndexOf(c, "IDAT") + 1, between);
             });
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
        {"zlib window of 64 KiB", [] { return WithStream(Rgba(), [](auto& s) { s[0] = 0x88, s[1] = 0x1C; }); },
         PngError::kBadZlib},  // passes the header check value; 32 KiB is the largest window
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
        {"filter type 5 in the last row of a column",
         [] { return WithFiltered(pngtest::RandomPlan({0, 8}, 1, 40, false, 10), [](auto& r) { r[r.size() - 2] = 5; }); },
         PngError::kBadFilter},
        {"palette index beyond PLTE in the last row of a column",
         [] {
             PngPlan s = pngtest::RandomPlan({3, 8}, 1, 40, false, 11, 3);
             s.samples.back() = 3;
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
        {"fixed length code 286", [] { return WithOwnStream(FixedStream(286)); }, PngError::kBadZlib},
        {"fixed length code 287", [] { return WithOwnStream(FixedStream(287)); }, PngError::kBadZlib},
        {"287 length codes declared", [] { return WithOwnStream(DynamicStream(287, 30)); }, PngError::kBadZlib},
        {"288 length codes declared", [] { return WithOwnStream(DynamicStream(288, 1)); }, PngError::kBadZlib},
        {"31 distance codes declared", [] { return WithOwnStream(DynamicStream(286, 31)); }, PngError::kBadZlib},
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
                         ::testing::Combine(::testing::Range<size_t>(0, 52),
                                            ::testing::Values(Inflate::kWhole, Inflate::kWholeSeparate,
                                                              Inflate::kStreaming)));

TEST(PngDamage, EveryCaseIsListed) { EXPECT_EQ(Damages().size(), 52u); }

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

// The other side of the reserved codes: the largest defined ones decode, on
// every path, to the zeros they stand for.
TEST(PngDamage, LargestDefinedCodesDecode) {
    for (const auto& stream : {FixedStream(285), DynamicStream(286, 30)}) {
        for (const Inflate inflate : {Inflate::kWhole, Inflate::kWholeSeparate, Inflate::kStreaming}) {
            const pngtest::Decoded d = pngtest::DecodeOurs(WithOwnStream(stream), inflate);
            ASSERT_EQ(d.error, PngError::kOk) << PngErrorName(d.error);
            std::vector<uint8_t> black;
            for (size_t i = 0; i + 1 < kZeroRows; ++i)
                black.insert(black.end(), {0, 0, 0, 255});
            EXPECT_EQ(d.bgra, black);
        }
    }
}

TEST(PngDamage, NotAPng) {
    std::vector<uint8_t> png = pngtest::EncodePng(Rgba());
    png[1] = 'p';
    EXPECT_EQ(pngtest::DecodeOurs(png).error, PngError::kNotPng);
    EXPECT_EQ(pngtest::DecodeOurs({}).error, PngError::kNotPng);
}

} // namespace
