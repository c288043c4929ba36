// Creating, writing and closing icon files: refusals that write nothing,
// replaced files, and write errors that must not pass as success.
#include "IconTestImages.h"

#include "libs/icofile/FileSink.h"
#include "TestSupport.h"

#include <gtest/gtest.h>

#include <filesystem>

using namespace icofile;
using namespace icotest;
namespace fs = std::filesystem;

namespace {

struct BadCase {
    const char* name;
    IconError expected;
    void (*spoil)(IconFile& file, IconImage& image, TestImage& pictures);
};

class RefusedImage : public ::testing::TestWithParam<BadCase> {};

TEST_P(RefusedImage, FailsAndWritesNothing) {
    TestImage pictures = GradientImage(8);
    IconFile file;
    file.imageCount = 2;
    std::vector<uint8_t> icon;
    ASSERT_TRUE(CreateIconBuffer(file, icon));
    IconImage image = pictures.at(1, kColours8Bit);
    GetParam().spoil(file, image, pictures);
    const std::vector<uint8_t> before = icon;

    EXPECT_EQ(ValidateIconWrite(file, image), GetParam().expected) << IconErrorText(GetParam().expected);
    EXPECT_EQ(WriteIconImage(file, image).error(), GetParam().expected);
    EXPECT_EQ(icon, before);
    EXPECT_FALSE(file.writeFailed);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, RefusedImage,
    ::testing::Values(
        BadCase{"IndexEqualsCount", IconError::kBadIndex, [](IconFile&, IconImage& i, TestImage&) { i.index = 2; }},
        BadCase{"IndexHuge", IconError::kBadIndex, [](IconFile&, IconImage& i, TestImage&) { i.index = 0xFFFFFFFFu; }},
        BadCase{"MaskSmaller", IconError::kSizeMismatch,
                [](IconFile&, IconImage&, TestImage& p) { p.mask.width = p.mask.height = 7; }},
        BadCase{"NotSquare", IconError::kNotSquare,
                [](IconFile&, IconImage&, TestImage& p) { p.colour.height = p.mask.height = 4; }},
        BadCase{"EdgeZero", IconError::kBadEdgeLength,
                [](IconFile&, IconImage&, TestImage& p) { p.colour = {}; p.mask = {}; }},
        BadCase{"EdgeNegative", IconError::kBadEdgeLength,
                [](IconFile&, IconImage&, TestImage& p) {
                    p.colour.width = p.colour.height = p.mask.width = p.mask.height = -8;
                }},
        BadCase{"EdgeTooLarge", IconError::kBadEdgeLength,
                [](IconFile&, IconImage&, TestImage& p) {
                    p.colour.width = p.colour.height = p.mask.width = p.mask.height = kMaxEdgeLength + 1;
                }},
        // At the largest edge the size is taken and the (8 x 8) pixels are wrong.
        BadCase{"EdgeAtTheLimit", IconError::kBadPixelData,
                [](IconFile&, IconImage&, TestImage& p) {
                    p.colour.width = p.colour.height = p.mask.width = p.mask.height = kMaxEdgeLength;
                }},
        BadCase{"ShortColour", IconError::kBadPixelData,
                [](IconFile&, IconImage&, TestImage& p) { p.colour.bgra.pop_back(); }},
        BadCase{"LongMask", IconError::kBadPixelData,
                [](IconFile&, IconImage&, TestImage& p) { p.mask.transparent.push_back(0); }},
        BadCase{"NotOpen", IconError::kNotOpen,
                [](IconFile& f, IconImage&, TestImage&) { (void)CloseIconFile(f); }}),
    [](const auto& test) { return std::string(test.param.name); });

TEST(IconFileCalls, StatesOfTheRecord) {
    IconFile file;
    file.imageCount = 1;
    EXPECT_EQ(CloseIconFile(file).error(), IconError::kNotOpen);  // never opened
    std::vector<uint8_t> icon;
    ASSERT_TRUE(CreateIconBuffer(file, icon));
    EXPECT_EQ(CreateIconBuffer(file, icon).error(), IconError::kAlreadyOpen);
    EXPECT_TRUE(CloseIconFile(file));
    EXPECT_EQ(CloseIconFile(file).error(), IconError::kNotOpen);  // already closed
    file.imageCount = kMaxImageCount + 1;
    EXPECT_EQ(CreateIconBuffer(file, icon).error(), IconError::kTooManyImages);
    EXPECT_EQ(file.handle, nullptr);
    file.imageCount = 0xFFFF;
    ASSERT_TRUE(CreateIconBuffer(file, icon));
    EXPECT_EQ(icon.size(), 6u + 16u * 0xFFFF);
}

TEST(IconFileOnDisk, SameBytesAsMemoryAndReplacesExistingFile) {
    testsupport::TempDir dir;
    const fs::path path = dir / "pic.ico";
    testsupport::WriteBytes(path, std::vector<uint8_t>(100000, 0xAB));
    const TestImage pictures = GradientImage(16);

    IconFile file;
    file.path = path.string();
    file.imageCount = 2;
    ASSERT_TRUE(CreateIconFile(file));
    for (uint32_t i = 0; i < 2; ++i)
        ASSERT_TRUE(WriteIconImage(file, pictures.at(i, i == 0 ? kColours32Bit : kColours4Bit)));
    ASSERT_TRUE(CloseIconFile(file));
    EXPECT_EQ(file.handle, nullptr);
    const std::vector<uint8_t> onDisk = testsupport::ReadBytes(path);
    EXPECT_EQ(onDisk.size(), 38u + 1128u + 296u);
    EXPECT_TRUE(testsupport::BytesEqual(IconBytes(pictures, {kColours32Bit, kColours4Bit}), onDisk, "replaced.ico"));
}

TEST(IconFileOnDisk, MissingFolderFails) {
    testsupport::TempDir dir;
    IconFile file;
    file.path = (dir / "missing" / "pic.ico").string();
    file.imageCount = 1;
    EXPECT_EQ(CreateIconFile(file).error(), IconError::kCannotCreate);
    EXPECT_EQ(file.handle, nullptr);
    EXPECT_FALSE(fs::exists(dir / "missing"));
}

// A device is never replaced, nor written into.
TEST(IconFileOnDisk, DeviceIsRefusedAtCreation) {
    if (!fs::exists("/dev/full"))
        GTEST_SKIP() << "no /dev/full";
    EXPECT_EQ(FileSink::Create("/dev/full"), nullptr);

    IconFile file;
    file.path = "/dev/full";
    file.imageCount = 1;
    EXPECT_EQ(CreateIconFile(file).error(), IconError::kCannotCreate);
    EXPECT_EQ(file.handle, nullptr);
    EXPECT_TRUE(fs::is_character_file("/dev/full"));
}

// Runs under a file size limit of 1500 bytes, which lets the header (22) and
// one 16-pixel image (1128) through, then cuts the second image short.
int WriteBeyondSizeLimit(const std::string& path) {
    const TestImage pictures = GradientImage(16);
    IconFile file;
    file.path = path;
    file.imageCount = 2;
    if (!CreateIconFile(file))
        return 11;
    if (!WriteIconImage(file, pictures.at(0, kColours32Bit)) || file.writeFailed)
        return 12;
    if (WriteIconImage(file, pictures.at(1, kColours32Bit)).error() != IconError::kWriteFailed || !file.writeFailed)
        return 13;
    if (CloseIconFile(file).error() != IconError::kWriteFailed)
        return 14;
    return 0;
}

TEST(IconFileOnDisk, ShortWriteReportedAsFailure) {
    testsupport::TempDir dir;
    const fs::path path = dir / "short.ico";
    EXPECT_EQ(testsupport::ExitCodeUnderFileSizeLimit(1500, [&] { return WriteBeyondSizeLimit(path.string()); }), 0);
    EXPECT_TRUE(fs::is_empty(dir.path()));  // neither the short icon nor its temporary file
}

// Counts bytes; fails writes into the directory.
class DirectoryFailsSink : public ByteSink {
public:
    explicit DirectoryFailsSink(uint64_t size = 0) : size_(size) {}
    bool append(std::span<const uint8_t> bytes) override {
        size_ += bytes.size();
        return true;
    }
    bool writeAt(uint64_t offset, std::span<const uint8_t>) override { return offset == 0; }
    uint64_t size() const override { return size_; }
    bool close() override { return true; }

private:
    uint64_t size_;
};

// The image's last byte must lie at an offset of 32 bits: met exactly, it is
// written (here the directory then fails), one byte later it is refused.
TEST(IconFileCalls, OffsetsPastThirtyTwoBitsRefused) {
    const TestImage pictures = GradientImage(4);
    const IconImage image = pictures.at(0, kColours32Bit);
    const uint64_t imageBytes = 40 + 4 * 4 * 4 + 4 * 4;   // header, colour rows, mask rows of 4 bytes
    for (const uint64_t past : {0u, 1u}) {
        IconFile file;
        file.imageCount = 1;
        const uint64_t start = 0xFFFFFFFFull - imageBytes + past;
        file.handle = std::make_unique<DirectoryFailsSink>(start);
        EXPECT_EQ(ValidateIconWrite(file, image), IconError::kNone);
        if (past == 0) {
            EXPECT_EQ(WriteIconImage(file, image).error(), IconError::kWriteFailed);
            EXPECT_EQ(file.handle->size(), 0xFFFFFFFFull);
        } else {
            EXPECT_EQ(WriteIconImage(file, image).error(), IconError::kFileTooLarge);
            EXPECT_EQ(file.handle->size(), start);  // nothing appended
        }
    }
}

TEST(IconFileCalls, FailedEntryWriteMakesCloseFail) {
    const TestImage pictures = GradientImage(4);
    IconFile file;
    file.imageCount = 1;
    file.handle = std::make_unique<DirectoryFailsSink>();
    const IconImage image = pictures.at(0, kColours24Bit);
    EXPECT_EQ(WriteIconImage(file, image).error(), IconError::kWriteFailed);
    EXPECT_TRUE(file.writeFailed);
    EXPECT_EQ(CloseIconFile(file).error(), IconError::kWriteFailed);
    EXPECT_EQ(file.handle, nullptr);
}

} // namespace
