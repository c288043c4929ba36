// Damaged, truncated and hostile files: every one gets a defined result,
// and the result tells a non-module from a module without icons.

#include "Fixtures.h"

#include "libs/exeicons/GroupDirectory.h"

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

// Section headers: 0 is the code at RVA 0x1000, 1 the resources at 0x2000.
uint64_t SectionField(const PeFile& f, int section, int field) { return f.sectionTable + 40 * section + field; }
uint32_t Peek32(const PeFile& f, uint64_t at) {
    return uint32_t{f.bytes.at(at)} | uint32_t{f.bytes.at(at + 1)} << 8 | uint32_t{f.bytes.at(at + 2)} << 16 |
           uint32_t{f.bytes.at(at + 3)} << 24;
}
// The last icon's data made to end `past` bytes after file offset `end`.
void EndLastIcon(PeFile& f, uint64_t end, uint32_t past) {
    Poke32(f.bytes, f.placements[2].dataEntry + 4, static_cast<uint32_t>(end - f.placements[2].data) + past);
}
// Resources mapped by the virtual size (below the raw size), or by the raw
// size (the virtual size above it, the file going on after the section).
void EndLastIconAtVirtualEnd(PeFile& f, uint32_t past) {
    const uint32_t virtualSize = Peek32(f, SectionField(f, 1, 8));
    if (virtualSize >= Peek32(f, SectionField(f, 1, 16)))
        ADD_FAILURE() << "the section needs raw bytes past its virtual end";
    EndLastIcon(f, f.resourceSection + virtualSize, past);
}
void EndLastIconAtRawEnd(PeFile& f, uint32_t past) {
    const uint32_t rawSize = Peek32(f, SectionField(f, 1, 16));
    Poke32(f.bytes, SectionField(f, 1, 8), rawSize + 0x100);
    f.bytes.resize(f.bytes.size() + 0x200, 0);
    EndLastIcon(f, f.resourceSection + rawSize, past);
}

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
        ResourceDamage{"IconTypeLoopsToRoot", [](PeFile& f) { Poke32(f.bytes, RootEntry(f, 0) + 4, kHighBit); }, 0},
        // Exactly at the end of what a section maps, and one byte past it.
        ResourceDamage{"IconDataEndsAtVirtualEnd", [](PeFile& f) { EndLastIconAtVirtualEnd(f, 0); }, 3},
        ResourceDamage{"IconDataOneBytePastVirtualEnd", [](PeFile& f) { EndLastIconAtVirtualEnd(f, 1); }, 2},
        ResourceDamage{"IconDataEndsAtRawEnd", [](PeFile& f) { EndLastIconAtRawEnd(f, 0); }, 3},
        ResourceDamage{"IconDataOneBytePastRawEnd", [](PeFile& f) { EndLastIconAtRawEnd(f, 1); }, 2},
        ResourceDamage{"CodeSectionEndsWhereResourcesStart", [](PeFile& f) { Poke32(f.bytes, SectionField(f, 0, 8), 0x1000); }, 3},
        ResourceDamage{"CodeSectionRunsIntoResources", [](PeFile& f) { Poke32(f.bytes, SectionField(f, 0, 8), 0x1001); }, 0}),
    [](const auto& p) { return std::string(p.param.label); });

// Entries read: the least of the declared count, the whole entries present
// and 256; each bound met exactly and passed by one.
TEST(GroupDirectory, EntriesAreTheLeastOfCountBytesAndLimit) {
    struct Row { uint16_t count; size_t entryBytes; size_t expected; };   // 0 expected: refused
    const Row rows[] = {{3, 3 * 14, 3},       {3, 3 * 14 - 1, 2},   {3, 4 * 14, 3},   {4, 3 * 14, 3},
                        {256, 257 * 14, 256}, {257, 257 * 14, 256}, {1, 13, 0},       {0, 14, 0}};
    for (const Row& r : rows) {
        std::vector<uint8_t> data(6 + r.entryBytes, 0);
        Poke16(data, 2, 1);
        Poke16(data, 4, r.count);
        for (size_t i = 0; i * 14 + 14 <= r.entryBytes; ++i)
            Poke16(data, 6 + i * 14 + 12, static_cast<uint32_t>(i + 1));   // the icon id
        const auto entries = ParseGroupDirectory(data);
        ASSERT_EQ(entries ? entries->size() : 0, r.expected) << r.count << " " << r.entryBytes;
        if (entries) {
            EXPECT_EQ(entries->back().id, r.expected);
        }
    }
}

TEST(DamagedNe, ResourceTableFaults) {
    struct Case { const char* label; void (*apply)(NeFile&); };
    const Case cases[] = {
        {"ShiftTooLarge", [](NeFile& f) { Poke16(f.bytes, f.resourceTable, 17); }},
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
    // The table is refused as a whole past the largest shift, not found empty.
    NeFile shifted = SmallNe();
    Poke16(shifted.bytes, shifted.resourceTable, 17);
    EXPECT_EQ(Read(shifted.bytes).error, ExeIconError::kDamagedResources);
    NeFile cut = SmallNe();
    cut.bytes.resize(cut.neHeader + 10);
    EXPECT_EQ(Read(cut.bytes).error, ExeIconError::kTruncatedHeader);
}

} // namespace
