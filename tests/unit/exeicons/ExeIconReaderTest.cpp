// Reading the first icon group of well-formed executables.

#include "Fixtures.h"

#include "TestSupport.h"
#include "libs/exeicons/DibDecoder.h"
#include "libs/exeicons/FileByteSource.h"
#include "libs/exeicons/LargeIcon.h"
#include "samples/exewriter/PngWriter.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

using namespace exeicons;
using namespace exeicons_test;
using namespace pewriter;

namespace {

std::vector<uint16_t> ImageIds(const IconGroup& g) {
    std::vector<uint16_t> ids;
    for (const IconImage& i : g.images)
        ids.push_back(i.entry.id);
    return ids;
}

class PeKinds : public ::testing::TestWithParam<PeKind> {
protected:
    PeOptions options() const { return PeOptions{GetParam()}; }
    IconGroupResult read(const std::vector<Resource>& r) const { return Read(BuildPe(r, options()).bytes); }
    IconGroupResult read(const std::vector<Resource>& r, PeOptions o) const {
        o.kind = GetParam();
        return Read(BuildPe(r, o).bytes);
    }
};

TEST_P(PeKinds, ReadsEveryImageOfTheGroupWithItsOwnBytes) {
    const auto resources = ThreeImageGroup(5);
    const auto result = read(resources);
    ASSERT_TRUE(result.ok()) << ErrorName(result.error);
    EXPECT_EQ(result.presence(), IconPresence::kHasIcons);
    EXPECT_FALSE(result.group.name.named);
    EXPECT_EQ(result.group.name.id, 5);
    ASSERT_EQ(result.group.images.size(), 3u);
    const int expected[3][3] = {{16, 16, 8}, {32, 32, 4}, {32, 32, 32}};
    for (size_t i = 0; i < 3; ++i) {
        const IconImage& image = result.group.images[i];
        EXPECT_EQ(image.entry.id, i + 1);
        EXPECT_EQ(image.info.format, ImageFormat::kDib);
        EXPECT_EQ(image.info.width, expected[i][0]);
        EXPECT_EQ(image.info.height, expected[i][1]);
        EXPECT_EQ(image.info.bitCount, expected[i][2]);
        EXPECT_EQ(image.data, resources[i].data);   // the RT_ICON resource's bytes, untouched
    }
}

TEST_P(PeKinds, TakesTheFirstGroupInStoredOrderAndItsImagesInGroupOrder) {
    std::vector<Resource> r;
    AddIconGroup(&r, ResId::Number(7), {{1, MakeSolidDib(16, 16, 4, 1)}});
    AddIconGroup(&r, ResId::Number(3), {{9, MakeSolidDib(32, 32, 8, 2)}, {2, MakeSolidDib(16, 16, 8, 3)}});
    // Stored as the format orders entries: group 3 before group 7.
    const auto sorted = read(r);
    ASSERT_TRUE(sorted.ok());
    EXPECT_EQ(sorted.group.name.id, 3);
    EXPECT_EQ(ImageIds(sorted.group), (std::vector<uint16_t>{9, 2}));
    // Stored in the order given: the stored order decides, not the ids.
    PeOptions unsorted;
    unsorted.sortEntries = false;
    const auto asStored = read(r, unsorted);
    ASSERT_TRUE(asStored.ok());
    EXPECT_EQ(asStored.group.name.id, 7);
    EXPECT_EQ(ImageIds(asStored.group), (std::vector<uint16_t>{1}));
}

TEST_P(PeKinds, NamedGroupsComeBeforeNumberedOnes) {
    std::vector<Resource> r;
    AddIconGroup(&r, ResId::Number(1), {{1, MakeSolidDib(16, 16, 4, 1)}});
    AddIconGroup(&r, ResId::Name(u"MAINICON"), {{2, MakeSolidDib(32, 32, 4, 1)}});
    AddIconGroup(&r, ResId::Name(u"ZED\u00e9"), {{3, MakeSolidDib(48, 48, 4, 1)}});
    const auto result = read(r);
    ASSERT_TRUE(result.ok());
    EXPECT_TRUE(result.group.name.named);
    EXPECT_EQ(result.group.name.text, "MAINICON");
    EXPECT_EQ(ImageIds(result.group), (std::vector<uint16_t>{2}));
}

TEST_P(PeKinds, OnlyNamedGroups) {
    std::vector<Resource> r;
    AddIconGroup(&r, ResId::Name(u"SECOND"), {{1, MakeSolidDib(16, 16, 4, 1)}});
    AddIconGroup(&r, ResId::Name(u"FIRST"), {{2, MakeSolidDib(32, 32, 4, 1)}});
    const auto result = read(r);
    ASSERT_TRUE(result.ok()) << ErrorName(result.error);
    EXPECT_EQ(result.group.name.text, "FIRST");
    EXPECT_EQ(ImageIds(result.group), (std::vector<uint16_t>{2}));
}

// Sixteen groups are tried: the sixteenth is found, the seventeenth is not.
TEST_P(PeKinds, GroupsTriedUpToTheLimit) {
    for (const uint16_t usable : {uint16_t{16}, uint16_t{17}}) {
        std::vector<Resource> r;
        AddIconGroup(&r, ResId::Number(usable), {{1, MakeSolidDib(16, 16, 4, 1)}});
        for (uint16_t id = 1; id < usable; ++id)
            r.push_back(Resource{ResId::Number(kRtGroupIcon), ResId::Number(id), kLangEnUs,
                                 MakeGroupDirectory({{99, r[0].data}})});
        const auto result = read(r);
        EXPECT_EQ(result.error, usable == 16 ? ExeIconError::kNone : ExeIconError::kNoIconImages) << usable;
    }
}

TEST_P(PeKinds, PngImageFirstIsReturnedAsPngBytesWithItsOwnSize) {
    const auto png = MakePng(256, 256, std::vector<uint32_t>(256 * 256, 0xFF336699));
    std::vector<Resource> r;
    AddIconGroup(&r, ResId::Number(1), {{1, png}, {2, MakeSolidDib(32, 32, 32, 0xFF000000)}});
    const auto result = read(r);
    ASSERT_TRUE(result.ok());
    ASSERT_EQ(result.group.images.size(), 2u);
    const IconImage& first = result.group.images[0];
    EXPECT_EQ(first.info.format, ImageFormat::kPng);
    EXPECT_EQ(first.entry.width, 0);   // the group's 0 stands for 256
    EXPECT_EQ(first.info.width, 256);
    EXPECT_EQ(first.info.height, 256);
    EXPECT_EQ(first.info.bitCount, 32);
    EXPECT_EQ(first.data, png);
}

TEST_P(PeKinds, SizesComeFromTheImageNotFromTheGroupEntry) {
    std::vector<Resource> r;
    GroupImage lying{1, MakeSolidDib(16, 16, 32, 0xFF000000)};
    lying.hintWidth = 48;
    lying.hintHeight = 32;
    lying.hintBitCount = 8;
    AddIconGroup(&r, ResId::Number(1), {lying});
    const auto result = read(r);
    ASSERT_TRUE(result.ok());
    const IconImage& image = result.group.images[0];
    EXPECT_EQ(image.entry.width, 48);
    EXPECT_EQ(image.entry.bitCount, 8);
    EXPECT_EQ(image.info.width, 16);
    EXPECT_EQ(image.info.height, 16);
    EXPECT_EQ(image.info.bitCount, 32);
}

TEST_P(PeKinds, EntriesNamingMissingIconsAreSkipped) {
    std::vector<Resource> r;
    AddIconGroup(&r, ResId::Number(1), {{1, MakeSolidDib(16, 16, 4, 1)}, {2, MakeSolidDib(32, 32, 4, 1)}});
    r.back().data = MakeGroupDirectory({{1, r[0].data}, {99, r[0].data}, {2, r[1].data}});
    const auto result = read(r);
    ASSERT_TRUE(result.ok());
    EXPECT_EQ(ImageIds(result.group), (std::vector<uint16_t>{1, 2}));
}

TEST_P(PeKinds, AGroupWithoutAnyImageGivesWayToTheNext) {
    std::vector<Resource> r;
    AddIconGroup(&r, ResId::Number(2), {{5, MakeSolidDib(32, 32, 8, 1)}});
    r.push_back(Resource{ResId::Number(kRtGroupIcon), ResId::Number(1), kLangEnUs,
                         MakeGroupDirectory({{40, r[0].data}, {41, r[0].data}})});
    const auto result = read(r);
    ASSERT_TRUE(result.ok());
    EXPECT_EQ(result.group.name.id, 2);
    // Only empty groups: a module without icons.
    r.erase(r.begin(), r.begin() + 2);
    const auto none = read(r);
    EXPECT_EQ(none.error, ExeIconError::kNoIconImages);
    EXPECT_EQ(none.presence(), IconPresence::kNoIcons);
}

TEST_P(PeKinds, TakesTheFirstStoredLanguage) {
    std::vector<Resource> r;
    AddIconGroup(&r, ResId::Number(1), {{1, MakeSolidDib(16, 16, 4, 1)}}, 0x0409);
    AddIconGroup(&r, ResId::Number(1), {{1, MakeSolidDib(48, 48, 4, 1)}}, 0x0407);
    const auto result = read(r);
    ASSERT_TRUE(result.ok());
    EXPECT_EQ(result.group.images[0].info.width, 48);   // 0x0407 is stored first
}

TEST_P(PeKinds, FindsResourcesThroughTheDataDirectoryNotTheSectionName) {
    PeOptions o;
    o.resourceSectionName = ".data";
    o.resourcePadding = 0x34;
    const auto result = read(ThreeImageGroup(), o);
    ASSERT_TRUE(result.ok()) << ErrorName(result.error);
    EXPECT_EQ(result.group.images.size(), 3u);
}

TEST_P(PeKinds, ModulesWithoutIconsAreToldFromNonModules) {
    PeOptions noSection;
    noSection.withResources = false;
    EXPECT_EQ(read({}, noSection).error, ExeIconError::kNoResources);
    PeOptions fewDirectories;
    fewDirectories.dataDirectoryCount = 2;
    EXPECT_EQ(read(ThreeImageGroup(), fewDirectories).error, ExeIconError::kNoResources);
    // The count alone decides, the resource entry being there in both: 3
    // directories hold it, 2 do not.
    PeFile pe = BuildPe(ThreeImageGroup(), options());
    const uint64_t countAt = pe.optionalHeader + (GetParam() == PeKind::kPe32Plus ? 108 : 92);
    Poke32(pe.bytes, countAt, 3);
    EXPECT_TRUE(Read(pe.bytes).ok());
    Poke32(pe.bytes, countAt, 2);
    EXPECT_EQ(Read(pe.bytes).error, ExeIconError::kNoResources);
    const std::vector<Resource> other{{ResId::Number(10), ResId::Number(1), kLangEnUs, {1, 2, 3}}};
    const auto result = read(other);
    EXPECT_EQ(result.error, ExeIconError::kNoIconGroup);
    EXPECT_EQ(result.presence(), IconPresence::kNoIcons);
}

// The way the executable page uses the reader: the large icon of the first
// group, decoded.
TEST_P(PeKinds, LargeIconOfTheFirstGroupDecodes) {
    std::vector<Resource> r;
    AddIconGroup(&r, ResId::Number(1), {{1, MakePng(256, 256, std::vector<uint32_t>(256 * 256, 0xFF0000FF))},
                                        {2, MakeSolidDib(16, 16, 32, 0xFF00FF00)},
                                        {3, MakeSolidDib(48, 48, 24, 0x102030)},
                                        {4, MakeSolidDib(64, 64, 32, 0xFFFFFFFF)}});
    const auto noLarge = read(r);
    ASSERT_TRUE(noLarge.ok());
    const auto pick = PickLargeIcon(noLarge.group);
    ASSERT_EQ(pick, 2u);   // no 32 x 32: the smallest larger one
    const auto decoded = DecodeDibIcon(noLarge.group.images[*pick].data);
    ASSERT_TRUE(decoded.ok());
    EXPECT_EQ(decoded.image.width, 48);
    EXPECT_EQ(std::vector<uint8_t>(decoded.image.bgra.begin(), decoded.image.bgra.begin() + 4),
              (std::vector<uint8_t>{0x30, 0x20, 0x10, 0xFF}));

    AddIconGroup(&r, ResId::Name(u"A"), {{5, MakeSolidDib(32, 32, 4, 0x808080)},
                                         {6, MakeSolidDib(32, 32, 32, 0x80C0FFEE)},
                                         {7, MakeSolidDib(32, 32, 8, 0x808080)}});
    const auto several = read(r);
    ASSERT_TRUE(several.ok());
    ASSERT_EQ(several.group.name.text, "A");
    const auto deepest = PickLargeIcon(several.group);
    ASSERT_EQ(deepest, 1u);
    const auto pixels = DecodeDibIcon(several.group.images[*deepest].data);
    ASSERT_TRUE(pixels.ok());
    EXPECT_EQ(std::vector<uint8_t>(pixels.image.bgra.end() - 4, pixels.image.bgra.end()),
              (std::vector<uint8_t>{0xEE, 0xFF, 0xC0, 0x80}));
}

INSTANTIATE_TEST_SUITE_P(Exe, PeKinds, ::testing::Values(PeKind::kPe32, PeKind::kPe32Plus),
                         [](const auto& p) { return p.param == PeKind::kPe32 ? "Pe32" : "Pe32Plus"; });

TEST(NeExecutable, ReadsTheFirstGroupOfA16BitExecutable) {
    std::vector<Resource> r;
    AddIconGroup(&r, ResId::Name(u"APPICON"), {{4, MakeSolidDib(32, 32, 4, 1)}, {9, MakeSolidDib(16, 16, 1, 1)}});
    AddIconGroup(&r, ResId::Number(1), {{2, MakeSolidDib(48, 48, 8, 1)}});
    for (uint16_t shift : {uint16_t{0}, uint16_t{4}, uint16_t{9}, uint16_t{16}}) {   // 16: the largest taken
        const NeFile ne = BuildNe(r, shift);
        const auto result = Read(ne.bytes);
        ASSERT_TRUE(result.ok()) << ErrorName(result.error) << " shift " << shift;
        EXPECT_EQ(result.group.name.text, "APPICON");
        EXPECT_EQ(ImageIds(result.group), (std::vector<uint16_t>{4, 9}));
        // Lengths are rounded to the alignment: the data starts with the image.
        EXPECT_TRUE(std::equal(r[0].data.begin(), r[0].data.end(), result.group.images[0].data.begin()));
        EXPECT_EQ(result.group.images[1].info.bitCount, 1);
    }
}

TEST(NeExecutable, WithoutResourcesOrIconsIsAModuleWithoutIcons) {
    const std::vector<Resource> other{{ResId::Number(10), ResId::Number(1), kLangEnUs, {1, 2, 3}}};
    EXPECT_EQ(Read(BuildNe(other).bytes).error, ExeIconError::kNoIconGroup);
    NeFile ne = SmallNe();
    Poke16(ne.bytes, ne.neHeader + 0x26, 0x40);   // resource table ends where it starts
    EXPECT_EQ(Read(ne.bytes).error, ExeIconError::kNoResources);
}

TEST(FileSource, ReadsAFileLikeMemory) {
    testsupport::TempDir dir;
    const auto bytes = BuildPe(ThreeImageGroup(), {PeKind::kPe32Plus}).bytes;
    testsupport::WriteBytes(dir / "app.exe", bytes);
    const auto fromFile = ReadFirstIconGroupFromFile(dir / "app.exe");
    const auto fromMemory = Read(bytes);
    ASSERT_TRUE(fromFile.ok());
    ASSERT_EQ(fromFile.group.images.size(), fromMemory.group.images.size());
    for (size_t i = 0; i < fromFile.group.images.size(); ++i)
        EXPECT_EQ(fromFile.group.images[i].data, fromMemory.group.images[i].data);

    const auto source = FileByteSource::Open(dir / "app.exe");
    ASSERT_TRUE(source);
    EXPECT_EQ(source->size(), bytes.size());
    EXPECT_FALSE(source->read(bytes.size() - 1, 2).has_value());
    EXPECT_FALSE(source->read(UINT64_MAX, 1).has_value());
    EXPECT_EQ(source->read(bytes.size(), 0).value().size(), 0u);
}

TEST(FileSource, RefusesMissingFilesFoldersAndPipes) {
    testsupport::TempDir dir;
    std::filesystem::create_directory(dir / "folder.exe");
    ASSERT_EQ(::mkfifo((dir / "pipe.exe").c_str(), 0600), 0);
    for (const char* name : {"missing.exe", "folder.exe", "pipe.exe"}) {
        const auto result = ReadFirstIconGroupFromFile(dir / name);
        EXPECT_EQ(result.error, ExeIconError::kCannotRead) << name;
        EXPECT_EQ(result.presence(), IconPresence::kNotAModule) << name;
    }
}

} // namespace
