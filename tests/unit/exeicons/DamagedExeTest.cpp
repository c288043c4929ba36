// Damaged, truncated and hostile files: every one gets a defined result,
// and the result tells a non-module from a module without icons.

#include "Fixtures.h"

#include <gtest/gtest.h>

#include <string>

using namespace exeicons;
using namespace exeicons_test;
using namespace pewriter;

namespace {

constexpr uint32_t kHighBit = 0x80000000u;

// Every prefix of a small file: headers cut short are not a module, a cut in
// the resource area leaves a module without icons, the whole file has icons.
TEST(Truncation, EveryPrefixOfAPeHasADefinedResult) {
    for (PeKind kind : {PeKind::kPe32, PeKind::kPe32Plus}) {
        const PeFile pe = BuildPe(ThreeImageGroup(), {kind});
        const uint64_t headersEnd = pe.sectionTable + 2 * 40;
        for (size_t length = 0; length <= pe.bytes.size(); ++length) {
            const std::vector<uint8_t> prefix(pe.bytes.begin(), pe.bytes.begin() + static_cast<long>(length));
            const auto result = Read(prefix);
            if (length < headersEnd) {
                ASSERT_EQ(result.presence(), IconPresence::kNotAModule) << length;
            } else if (length < pe.placements.back().data) {
                ASSERT_EQ(result.presence(), IconPresence::kNoIcons) << length;
            }
            for (const IconImage& image : result.group.images)
                ASSERT_FALSE(image.data.empty());
        }
        EXPECT_TRUE(Read(pe.bytes).ok());
    }
}

TEST(Truncation, EveryPrefixOfANeHasADefinedResult) {
    const NeFile ne = SmallNe();
    size_t withIcons = 0;
    for (size_t length = 0; length <= ne.bytes.size(); ++length) {
        const std::vector<uint8_t> prefix(ne.bytes.begin(), ne.bytes.begin() + static_cast<long>(length));
        const auto result = Read(prefix);
        if (length < ne.neHeader + 64) {
            ASSERT_EQ(result.presence(), IconPresence::kNotAModule) << length;
        }
        withIcons += result.ok();
    }
    EXPECT_GT(withIcons, 0u);
    EXPECT_TRUE(Read(ne.bytes).ok());
}

struct HeaderDamage {
    const char* label;
    void (*apply)(PeFile&);
    ExeIconError expected;
};

void PrintTo(const HeaderDamage& c, std::ostream* os) { *os << c.label; }

class DamagedHeaders : public ::testing::TestWithParam<HeaderDamage> {};

TEST_P(DamagedHeaders, AreNotModules) {
    PeFile pe = BuildPe(ThreeImageGroup());
    GetParam().apply(pe);
    const auto result = Read(pe.bytes);
    EXPECT_EQ(result.error, GetParam().expected) << ErrorName(result.error);
    EXPECT_EQ(result.presence(), IconPresence::kNotAModule);
}

INSTANTIATE_TEST_SUITE_P(
    Pe, DamagedHeaders,
    ::testing::Values(
        HeaderDamage{"BadMz", [](PeFile& f) { f.bytes[1] = 'X'; }, ExeIconError::kNotExecutable},
        HeaderDamage{"NewHeaderPastEnd", [](PeFile& f) { Poke32(f.bytes, 0x3C, static_cast<uint32_t>(f.bytes.size())); },
                     ExeIconError::kBadHeaderOffset},
        HeaderDamage{"NewHeaderHuge", [](PeFile& f) { Poke32(f.bytes, 0x3C, 0xFFFFFFFF); }, ExeIconError::kBadHeaderOffset},
        HeaderDamage{"BadPeSignature", [](PeFile& f) { f.bytes[f.peHeader + 2] = 'X'; }, ExeIconError::kUnknownFormat},
        HeaderDamage{"LeSignature", [](PeFile& f) { f.bytes[f.peHeader] = 'L'; f.bytes[f.peHeader + 1] = 'E'; },
                     ExeIconError::kUnknownFormat},
        HeaderDamage{"BadMagic", [](PeFile& f) { Poke16(f.bytes, f.optionalHeader, 0x10C); }, ExeIconError::kBadOptionalHeader},
        HeaderDamage{"OptionalHeaderTooSmall", [](PeFile& f) { Poke16(f.bytes, f.peHeader + 20, 90); },
                     ExeIconError::kBadOptionalHeader},
        HeaderDamage{"OptionalHeaderPastEnd", [](PeFile& f) { Poke16(f.bytes, f.peHeader + 20, 0xFFFF);
                                                               f.bytes.resize(0x8000); }, ExeIconError::kTruncatedHeader},
        HeaderDamage{"SectionTablePastEnd", [](PeFile& f) { Poke16(f.bytes, f.peHeader + 6, 0xFFFF); },
                     ExeIconError::kTruncatedHeader}),
    [](const auto& p) { return std::string(p.param.label); });

TEST(NotAModule, EmptyTextAndElfFiles) {
    const std::string text = "MZ is how this line starts, but it is only text.\n";
    std::vector<uint8_t> elf{0x7F, 'E', 'L', 'F', 2, 1, 1, 0};
    elf.resize(64, 0);
    const std::vector<std::vector<uint8_t>> files{{}, {'M'}, {'M', 'Z'}, std::vector<uint8_t>(text.begin(), text.end()), elf};
    for (const auto& f : files) {
        const auto result = Read(f);
        EXPECT_EQ(result.presence(), IconPresence::kNotAModule) << f.size();
        EXPECT_FALSE(result.ok());
    }
    EXPECT_EQ(Read(elf).error, ExeIconError::kNotExecutable);
}

// Damage inside the resource area: the module stays a module, without icons
// when the damage reaches the only group, with the images left when it only
// reaches some of them.
struct ResourceDamage {
    const char* label;
    void (*apply)(PeFile&);
    size_t imagesLeft;   // 0: no icons at all
};

void PrintTo(const ResourceDamage& c, std::ostream* os) { *os << c.label; }

class DamagedResources : public ::testing::TestWithParam<ResourceDamage> {};

TEST_P(DamagedResources, GiveADefinedResult) {
    PeFile pe = BuildPe(ThreeImageGroup());
    GetParam().apply(pe);
    const auto result = Read(pe.bytes);
    if (GetParam().imagesLeft == 0) {
        EXPECT_EQ(result.presence(), IconPresence::kNoIcons) << ErrorName(result.error);
    } else {
        ASSERT_TRUE(result.ok()) << ErrorName(result.error);
        EXPECT_EQ(result.group.images.size(), GetParam().imagesLeft);
    }
}

// Placements: 0-2 are the icons, 3 the group. Root entries: type 3, then 14.
uint64_t RootEntry(const PeFile& f, int i) { return f.resourceRoot + 16 + 8 * static_cast<uint64_t>(i); }
uint64_t GroupDataEntry(const PeFile& f) { return f.placements[3].dataEntry; }

INSTANTIATE_TEST_SUITE_P(
    Pe, DamagedResources,
    ::testing::Values(
        ResourceDamage{"DirectoryOutsideSections", [](PeFile& f) { Poke32(f.bytes, f.optionalHeader + 96 + 16, 0x90000); }, 0},
        ResourceDamage{"RootCountsPastSection", [](PeFile& f) { Poke32(f.bytes, f.resourceRoot + 12, 0xFFFFFFFF); }, 0},
        ResourceDamage{"TypeDirectoryOutOfBounds", [](PeFile& f) { Poke32(f.bytes, RootEntry(f, 1) + 4, kHighBit | 0x7FFFFF00); }, 0},
        ResourceDamage{"TypeEntryLoopsToRoot", [](PeFile& f) { Poke32(f.bytes, RootEntry(f, 1) + 4, kHighBit); }, 0},
        ResourceDamage{"NameEntryLoopsToItsDirectory", [](PeFile& f) {
            Poke32(f.bytes, f.placements[3].nameDirectory + 16 + 4,
                   kHighBit | static_cast<uint32_t>(f.placements[3].nameDirectory - f.resourceRoot)); }, 0},
        ResourceDamage{"LanguageEntryLoopsToItsDirectory", [](PeFile& f) {
            Poke32(f.bytes, f.placements[3].languageDirectory + 16 + 4,
                   kHighBit | static_cast<uint32_t>(f.placements[3].languageDirectory - f.resourceRoot)); }, 0},
        ResourceDamage{"GroupDataOutOfBounds", [](PeFile& f) { Poke32(f.bytes, GroupDataEntry(f), 0x7FFFFFF0); }, 0},
        ResourceDamage{"GroupDataHuge", [](PeFile& f) { Poke32(f.bytes, GroupDataEntry(f) + 4, 0xFFFFFFFF); }, 0},
        ResourceDamage{"GroupOfCursors", [](PeFile& f) { Poke16(f.bytes, f.placements[3].data + 2, 2); }, 0},
        ResourceDamage{"GroupReservedSet", [](PeFile& f) { Poke16(f.bytes, f.placements[3].data, 1); }, 0},
        ResourceDamage{"GroupCountZero", [](PeFile& f) { Poke16(f.bytes, f.placements[3].data + 4, 0); }, 0},
        ResourceDamage{"GroupCountTooLarge", [](PeFile& f) { Poke16(f.bytes, f.placements[3].data + 4, 0xFFFF); }, 3},
        ResourceDamage{"IconDataOutOfBounds", [](PeFile& f) { Poke32(f.bytes, f.placements[1].dataEntry, 0xFFFFFFF0); }, 2},
        ResourceDamage{"IconDataRunsPastSection", [](PeFile& f) { Poke32(f.bytes, f.placements[0].dataEntry + 4, 0x100000); }, 2},
        ResourceDamage{"IconNotAnImage", [](PeFile& f) { Poke32(f.bytes, f.placements[2].data, 0x12345678); }, 2},
        ResourceDamage{"IconLanguageIsADirectory", [](PeFile& f) { Poke32(f.bytes, f.placements[0].languageDirectory + 16 + 4,
                                                                          kHighBit | 0); }, 2},
        ResourceDamage{"IconTypeLoopsToRoot", [](PeFile& f) { Poke32(f.bytes, RootEntry(f, 0) + 4, kHighBit); }, 0}),
    [](const auto& p) { return std::string(p.param.label); });

TEST(DamagedNe, ResourceTableFaults) {
    struct Case { const char* label; void (*apply)(NeFile&); };
    const Case cases[] = {
        {"ShiftTooLarge", [](NeFile& f) { Poke16(f.bytes, f.resourceTable, 40); }},
        {"TableEndsBeforeItStarts", [](NeFile& f) { Poke16(f.bytes, f.neHeader + 0x26, 0x20); }},
        {"TablePastEnd", [](NeFile& f) { Poke16(f.bytes, f.neHeader + 0x26, 0xFFFF); }},
        {"GroupPastEnd", [](NeFile& f) { Poke16(f.bytes, f.resourceTable + 2 + 8 + 2 * 12 + 8, 0xFFFF); }},
        {"CountsPastTable", [](NeFile& f) { Poke16(f.bytes, f.resourceTable + 2 + 2, 0xFFFF); }},
    };
    for (const Case& c : cases) {
        NeFile ne = SmallNe();
        c.apply(ne);
        const auto result = Read(ne.bytes);
        EXPECT_EQ(result.presence(), IconPresence::kNoIcons) << c.label << ": " << ErrorName(result.error);
    }
    NeFile cut = SmallNe();
    cut.bytes.resize(cut.neHeader + 10);
    EXPECT_EQ(Read(cut.bytes).error, ExeIconError::kTruncatedHeader);
}

} // namespace
