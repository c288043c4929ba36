// One-image icon files: golden bytes for pictures of any shape, stored icon
// bytes written unchanged, independent readers, and saves that fail
// cleanly.

#include "platform/imagelist/ImageList.h"
#include "libs/icofile/SingleImageIcon.h"

#include "TestSupport.h"

#include <QImage>
#include <QImageReader>


namespace fs = std::filesystem;

namespace {

QString Q(const fs::path& p) {
    return QString::fromStdString(p.string());
}

std::vector<uint8_t> Le32(uint32_t v) {
    return {static_cast<uint8_t>(v), static_cast<uint8_t>(v >> 8), static_cast<uint8_t>(v >> 16),
            static_cast<uint8_t>(v >> 24)};
}

std::vector<uint8_t> Join(std::initializer_list<std::vector<uint8_t>> parts) {
    std::vector<uint8_t> all;
    for (const auto& part : parts)
        all.insert(all.end(), part.begin(), part.end());
    return all;
}

// The 40-byte header of a 32-bit icon image, height doubled.
std::vector<uint8_t> Header32(int width, int height) {
    return Join({{40, 0, 0, 0}, Le32(static_cast<uint32_t>(width)), Le32(static_cast<uint32_t>(2 * height)),
                 {1, 0, 32, 0}, std::vector<uint8_t>(24, 0)});
}

std::string Icotool(const fs::path& file) {
    const auto listing = testsupport::RunProcess("icotool", {"-l", file.string()}, file.parent_path());
    EXPECT_EQ(listing.exitCode, 0) << listing.err;
    EXPECT_EQ(listing.err, "");
    return listing.out;
}

} // namespace

// 2 x 1: an opaque pixel and a clear one; the clear one stores zeros and
// sets its mask bit.
TEST(SavePicture, WritesA32BitImageWithItsMask) {
    testsupport::TempDir dir;
    QImage image(2, 1, QImage::Format_ARGB32);
    image.setPixel(0, 0, 0xC0112233u);
    image.setPixel(1, 0, 0x00445566u);
    ASSERT_TRUE(platform::SavePicture({image, {}}, Q(dir / "two.ico")));
    const std::vector<uint8_t> expected = Join({
        {0, 0, 1, 0, 1, 0},
        {2, 1, 0, 0, 1, 0, 32, 0}, Le32(40 + 8 + 4), Le32(22),
        Header32(2, 1),
        {0x33, 0x22, 0x11, 0xC0, 0, 0, 0, 0},
        {0x40, 0, 0, 0},
    });
    EXPECT_TRUE(testsupport::BytesEqual(expected, testsupport::ReadBytes(dir / "two.ico"), "save-two.ico"));
}

struct Shape {
    int width, height;
    const char* listing;
};

class SaveShape : public ::testing::TestWithParam<Shape> {};

// Entry width and height bytes differ for non-square pictures (256 is 0);
// the readers agree on the size and the pixels.
TEST_P(SaveShape, NonSquarePicturesAreWrittenAsTheyAre) {
    const Shape s = GetParam();
    testsupport::TempDir dir;
    QImage image(s.width, s.height, QImage::Format_ARGB32);
    image.fill(0xFF804020u);
    image.setPixel(s.width - 1, s.height - 1, 0x00000000u);
    const fs::path file = dir / "shape.ico";
    ASSERT_TRUE(platform::SavePicture({image, {}}, Q(file)));

    const std::vector<uint8_t> bytes = testsupport::ReadBytes(file);
    ASSERT_GE(bytes.size(), 22u + 40u);
    EXPECT_EQ(bytes[6], static_cast<uint8_t>(s.width & 0xFF));
    EXPECT_EQ(bytes[7], static_cast<uint8_t>(s.height & 0xFF));
    const uint32_t maskRow = ((static_cast<uint32_t>(s.width) + 31) / 32) * 4;
    const uint32_t imageBytes = 40 + 4u * s.width * s.height + maskRow * s.height;
    EXPECT_EQ(bytes.size(), 22u + imageBytes);
    EXPECT_EQ(std::vector<uint8_t>(bytes.begin() + 22, bytes.begin() + 62), Header32(s.width, s.height));

    QImageReader reader(Q(file));
    EXPECT_EQ(reader.format(), "ico");
    const QImage back = reader.read();
    EXPECT_EQ(back.size(), QSize(s.width, s.height));
    EXPECT_EQ(back.pixel(0, 0), 0xFF804020u);
    EXPECT_EQ(qAlpha(back.pixel(s.width - 1, s.height - 1)), 0);
    if (testsupport::HaveProgram("icotool")) {
        EXPECT_NE(Icotool(file).find(s.listing), std::string::npos);
    }
}

INSTANTIATE_TEST_SUITE_P(Shapes, SaveShape,
                         ::testing::Values(Shape{1, 2, "--width=1 --height=2 --bit-depth=32"},
                                           Shape{256, 128, "--width=256 --height=128 --bit-depth=32"},
                                           Shape{17, 256, "--width=17 --height=256 --bit-depth=32"},
                                           Shape{33, 5, "--width=33 --height=5 --bit-depth=32"},
                                           Shape{256, 256, "--width=256 --height=256 --bit-depth=32"}));

// The stored image of an icon (here a 4-bit 32 x 32 DIB with its mask) is
// written unchanged behind a directory entry taken from its header.
TEST(SavePicture, WritesStoredIconBytesUnchanged) {
    icofile::ColourBitmap colour{32, 32, std::vector<uint8_t>(32 * 32 * 4, 0)};
    for (size_t i = 0; i < colour.bgra.size(); i += 4) {
        colour.bgra[i + 2] = static_cast<uint8_t>(i % 256 < 128 ? 255 : 0);
        colour.bgra[i + 3] = 255;
    }
    icofile::MaskBitmap mask{32, 32, std::vector<uint8_t>(32 * 32, 0)};
    mask.transparent[0] = 1;
    const std::vector<uint8_t> dib = icofile::EncodeImageData(colour, mask, icofile::kColours4Bit);
    ASSERT_EQ(dib.size(), 40u + 16 * 4 + 32 * 16 + 32 * 4);

    testsupport::TempDir dir;
    QImage shown(32, 32, QImage::Format_ARGB32);
    shown.fill(0xFFC0C0C0u);  // whatever the pixels: the bytes are what is saved
    ASSERT_TRUE(platform::SavePicture({shown, dib}, Q(dir / "stored.ico")));
    const std::vector<uint8_t> expected = Join({
        {0, 0, 1, 0, 1, 0},
        {32, 32, 16, 0, 1, 0, 4, 0}, Le32(static_cast<uint32_t>(dib.size())), Le32(22),
        dib,
    });
    EXPECT_TRUE(testsupport::BytesEqual(expected, testsupport::ReadBytes(dir / "stored.ico"), "save-stored.ico"));
    const QImage back(Q(dir / "stored.ico"));
    EXPECT_EQ(back.pixel(1, 0), 0xFFFF0000u);
    EXPECT_EQ(qAlpha(back.pixel(0, 0)), 0);
    if (testsupport::HaveProgram("icotool")) {
        EXPECT_NE(Icotool(dir / "stored.ico").find("--width=32 --height=32 --bit-depth=4 --palette-size=16"),
                  std::string::npos);
    }
}

// Stored bytes that are no icon image are not trusted: the picture's own
// pixels are written instead.
TEST(SavePicture, UnusableStoredBytesFallBackToThePixels) {
    testsupport::TempDir dir;
    QImage image(8, 8, QImage::Format_ARGB32);
    image.fill(0xFF00FF00u);
    ASSERT_TRUE(platform::SavePicture({image, {1, 2, 3, 4, 5}}, Q(dir / "x.ico")));
    const std::vector<uint8_t> bytes = testsupport::ReadBytes(dir / "x.ico");
    ASSERT_EQ(bytes.size(), 22u + 40 + 8 * 8 * 4 + 8 * 4);
    EXPECT_EQ(QImage(Q(dir / "x.ico")).pixel(3, 3), 0xFF00FF00u);
}

TEST(SavePicture, ReplacesAnExistingFile) {
    testsupport::TempDir dir;
    testsupport::WriteText(dir / "old.ico", std::string(5000, 'x'));
    QImage image(2, 2, QImage::Format_ARGB32);
    image.fill(0xFF000000u);
    ASSERT_TRUE(platform::SavePicture({image, {}}, Q(dir / "old.ico")));
    EXPECT_EQ(testsupport::ReadBytes(dir / "old.ico").size(), 22u + 40 + 16 + 8);
}

// A link where the icon goes is replaced; what it pointed to stays as it was.
TEST(SavePicture, ReplacesALinkInsteadOfFollowingIt) {
    testsupport::TempDir dir;
    testsupport::WriteText(dir / "victim.txt", "keep me");
    fs::create_symlink(dir / "victim.txt", dir / "a.ico");
    QImage image(2, 2, QImage::Format_ARGB32);
    image.fill(0xFF000000u);
    ASSERT_TRUE(platform::SavePicture({image, {}}, Q(dir / "a.ico")));
    EXPECT_FALSE(fs::is_symlink(dir / "a.ico"));
    EXPECT_EQ(fs::file_size(dir / "a.ico"), 22u + 40 + 16 + 8);
    EXPECT_EQ(testsupport::ReadText(dir / "victim.txt"), "keep me");
}

// A save cut short (the file size limit stands in for a full disk) keeps the
// earlier icon whole and leaves no temporary file.
TEST(SavePicture, FailedSaveKeepsTheEarlierIcon) {
    testsupport::TempDir dir;
    testsupport::WriteText(dir / "a.ico", "the earlier icon");
    EXPECT_EQ(testsupport::ExitCodeUnderFileSizeLimit(1000, [&] {
                  QImage image(64, 64, QImage::Format_ARGB32);  // 16 KiB of pixels
                  image.fill(0xFF102030u);
                  return platform::SavePicture({image, {}}, Q(dir / "a.ico")) ? 1 : 0;
              }),
              0);
    EXPECT_EQ(testsupport::ReadText(dir / "a.ico"), "the earlier icon");
    EXPECT_EQ(std::distance(fs::directory_iterator(dir.path()), fs::directory_iterator()), 1);
}

// Each refusal leaves nothing behind and an existing target untouched.
TEST(SavePicture, FailsCleanly) {
    testsupport::TempDir dir;
    QImage small(4, 4, QImage::Format_ARGB32);
    small.fill(0xFF000000u);
    QImage large(257, 4, QImage::Format_ARGB32);
    large.fill(0xFF000000u);
    fs::create_directories(dir / "folder.ico");
    testsupport::WriteText(dir / "plain", "a file");

    EXPECT_FALSE(platform::SavePicture({}, Q(dir / "null.ico")));
    EXPECT_FALSE(platform::SavePicture({large, {}}, Q(dir / "large.ico")));
    EXPECT_FALSE(platform::SavePicture({small, {}}, Q(dir / "missing" / "a.ico")));
    EXPECT_FALSE(platform::SavePicture({small, {}}, Q(dir / "plain" / "a.ico")));
    EXPECT_FALSE(platform::SavePicture({small, {}}, Q(dir / "folder.ico")));
    EXPECT_TRUE(fs::is_directory(dir / "folder.ico"));
    EXPECT_EQ(testsupport::ReadText(dir / "plain"), "a file");
    std::vector<std::string> left;
    for (const auto& entry : fs::directory_iterator(dir.path()))
        left.push_back(entry.path().filename().string());
    std::sort(left.begin(), left.end());
    EXPECT_EQ(left, (std::vector<std::string>{"folder.ico", "plain"}));
}

TEST(SingleImageIcon, RefusesEdgesADirectoryEntryCannotState) {
    std::vector<uint8_t> out = {1, 2, 3};
    const std::vector<uint8_t> data(10, 0);
    EXPECT_FALSE(icofile::EncodeStoredImageIcon({257, 10, 0, 32, data}, out));
    EXPECT_TRUE(out.empty());
    EXPECT_FALSE(icofile::EncodeStoredImageIcon({0, 10, 0, 32, data}, out));
    EXPECT_FALSE(icofile::EncodeStoredImageIcon({10, 10, 0, 32, {}}, out));
    ASSERT_TRUE(icofile::EncodeStoredImageIcon({256, 1, 0, 32, data}, out));
    EXPECT_EQ(out.size(), 22u + 10);
    EXPECT_EQ(out[6], 0);
    EXPECT_EQ(out[7], 1);
}
