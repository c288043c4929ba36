#include "png2ico/ConvertFolder.h"

#include "TestSupport.h"

#include <QImage>
#include <QImageReader>

#include <gtest/gtest.h>

#include <sstream>

namespace fs = std::filesystem;
using png2ico::ConvertFolder;
using testsupport::TempDir;
using testsupport::WritePicture;

namespace {

const std::vector<imaging::SizeSpec> kTwoSizes = {{16, 32}, {32, 32}};

std::string Convert(const fs::path& in, const fs::path& out, const std::vector<imaging::SizeSpec>& sizeSpecs = kTwoSizes,
                    bool silent = false) {
    std::ostringstream console;
    ConvertFolder(in.string(), out.string(), sizeSpecs, silent, console);
    return console.str();
}

} // namespace

TEST(ConvertFolder, ProgressMarkersLineUpPerFolder) {
    TempDir dir;
    fs::create_directory(dir / "in");
    WritePicture(dir / "in/a.png", 20, 20, 0xff2040c0);
    WritePicture(dir / "in/flower.png", 40, 10, 0x80ff0000);
    const std::string in = (dir / "in").string();
    EXPECT_EQ(Convert(dir / "in", dir / "out"),
              in + "/a.png .......[OK]\n" + in + "/flower.png ..[OK]\n");
    EXPECT_TRUE(fs::exists(dir / "out/a.ico"));
    EXPECT_TRUE(fs::exists(dir / "out/flower.ico"));
}

TEST(ConvertFolder, MirrorsTheTreeAndMakesFoldersOnlyWherePicturesAre) {
    TempDir dir;
    fs::create_directories(dir / "in/a/b");
    fs::create_directories(dir / "in/empty");
    WritePicture(dir / "in/a/b/Flower.PNG", 8, 8, 0xffffffff);
    WritePicture(dir / "in/a/b/x.y.png", 8, 8, 0xff000000);
    testsupport::WriteText(dir / "in/a/notes.txt", "not a picture");
    Convert(dir / "in", dir / "out", kTwoSizes, true);
    EXPECT_TRUE(fs::exists(dir / "out/a/b/Flower.ico"));
    EXPECT_TRUE(fs::exists(dir / "out/a/b/x.y.ico"));
    EXPECT_TRUE(fs::is_empty(dir / "out/a/b") == false);
    EXPECT_EQ(std::distance(fs::directory_iterator(dir / "out"), fs::directory_iterator()), 1);  // only a/
    EXPECT_EQ(std::distance(fs::directory_iterator(dir / "out/a"), fs::directory_iterator()), 1);  // only b/
    EXPECT_FALSE(fs::exists(dir / "out/empty"));
}

TEST(ConvertFolder, PicturesComeBeforeSubfoldersDepthFirst) {
    TempDir dir;
    fs::create_directories(dir / "in/a/deep");
    fs::create_directories(dir / "in/b");
    for (const char* p : {"in/z.png", "in/a/deep/1.png", "in/a/m.png", "in/b/2.png"})
        WritePicture(dir / p, 4, 4, 0xff102030);
    const std::string out = Convert(dir / "in", dir / "out");
    const std::string in = (dir / "in").string();
    std::vector<size_t> at;
    for (const char* p : {"/z.png", "/a/m.png", "/a/deep/1.png", "/b/2.png"})
        at.push_back(out.find(in + p + " "));
    for (size_t i = 0; i < at.size(); ++i)
        ASSERT_NE(at[i], std::string::npos) << i;
    EXPECT_TRUE(std::is_sorted(at.begin(), at.end())) << out;
}

TEST(ConvertFolder, FolderNamedLikeAPictureFailsAndIsSearched) {
    TempDir dir;
    fs::create_directories(dir / "in/x.png");
    WritePicture(dir / "in/x.png/inner.png", 4, 4, 0xff000000);
    const std::string in = (dir / "in").string();
    EXPECT_EQ(Convert(dir / "in", dir / "out"),
              in + "/x.png ..[ERROR]\n" + in + "/x.png/inner.png ..[OK]\n");
    EXPECT_FALSE(fs::exists(dir / "out/x.ico"));
    EXPECT_TRUE(fs::exists(dir / "out/x.png/inner.ico"));
}

TEST(ConvertFolder, DamagedPicturesFailWithoutLeavingFiles) {
    TempDir dir;
    fs::create_directory(dir / "in");
    testsupport::WriteText(dir / "in/text.png", "this is not a picture");
    auto png = [&] {
        WritePicture(dir / "whole.png", 64, 64, 0xff808080);
        return testsupport::ReadBytes(dir / "whole.png");
    }();
    png.resize(png.size() / 2);
    testsupport::WriteBytes(dir / "in/truncated.png", png);
    testsupport::WriteBytes(dir / "in/empty.png", {});
    const std::string console = Convert(dir / "in", dir / "out");
    EXPECT_EQ(std::count(console.begin(), console.end(), '\n'), 3);
    EXPECT_EQ(console.find("[OK]"), std::string::npos) << console;
    EXPECT_TRUE(fs::is_empty(dir / "out"));
}

TEST(ConvertFolder, FailedSizeGivesErrorAndKeepsTheEarlierIcon) {
    TempDir dir;
    fs::create_directory(dir / "in");
    fs::create_directory(dir / "out");
    WritePicture(dir / "in/a.png", 8, 8, 0xff000000);
    testsupport::WriteText(dir / "out/a.ico", "an older icon");
    // The second size is beyond what an icon image may be.
    const std::string console = Convert(dir / "in", dir / "out", {{16, 32}, {1 << 20, 32}});
    EXPECT_NE(console.find("[ERROR]"), std::string::npos);
    EXPECT_EQ(testsupport::ReadText(dir / "out/a.ico"), "an older icon");
    EXPECT_EQ(std::distance(fs::directory_iterator(dir / "out"), fs::directory_iterator()), 1);
}

TEST(ConvertFolder, ExistingIconIsReplacedAndReadableByOthers) {
    TempDir dir;
    fs::create_directory(dir / "in");
    fs::create_directory(dir / "out");
    WritePicture(dir / "in/a.png", 100, 50, 0xc0ff8000);
    testsupport::WriteText(dir / "out/a.ico", std::string(500000, 'x'));
    Convert(dir / "in", dir / "out", {{48, 32}, {16, 8}, {32, 24}});
    const auto bytes = testsupport::ReadBytes(dir / "out/a.ico");
    // 6 + 3 x 16, then 48 px at 32 bits, 16 px at 8 bits, 32 px at 24 bits.
    EXPECT_EQ(bytes.size(), 54u + 9640u + 1384u + (40u + 96u * 32u + 4u * 32u));

    QImageReader reader(QString::fromStdString((dir / "out/a.ico").string()), "ico");
    ASSERT_EQ(reader.imageCount(), 3);
    QImage first = reader.read();
    ASSERT_FALSE(first.isNull());
    EXPECT_EQ(first.size(), QSize(48, 48));
    // Stretched, not letter-boxed: the corners are the picture's colour.
    EXPECT_EQ(first.pixelColor(0, 0).red(), 255);
    EXPECT_EQ(first.pixelColor(47, 47).alpha(), 0xc0);

    if (testsupport::HaveProgram("icotool")) {
        auto r = testsupport::RunProcess("icotool", {"-l", (dir / "out/a.ico").string()}, dir.path());
        EXPECT_EQ(r.exitCode, 0) << r.err;
        EXPECT_NE(r.out.find("--width=48 --height=48 --bit-depth=32"), std::string::npos) << r.out;
        EXPECT_NE(r.out.find("--width=16 --height=16 --bit-depth=8"), std::string::npos) << r.out;
        EXPECT_NE(r.out.find("--width=32 --height=32 --bit-depth=24"), std::string::npos) << r.out;
    }
}

TEST(ConvertFolder, OutputFolderThatCannotBeMadeSkipsThatTree) {
    TempDir dir;
    fs::create_directories(dir / "in/sub");
    WritePicture(dir / "in/a.png", 4, 4, 0xff000000);
    WritePicture(dir / "in/sub/b.png", 4, 4, 0xff000000);
    testsupport::WriteText(dir / "blocker", "a file where a folder should go");
    const fs::path out = dir / "blocker/icons";
    EXPECT_EQ(Convert(dir / "in", out, kTwoSizes, true),
              "\nDirectory '" + (dir / "blocker/").string() +
                  "' could not be created. Make sure you have the rights to create directories on this volume or "
                  "check if the parent directory exists!\n\n");
}

TEST(ConvertFolder, LinkBackToAnAncestorIsVisitedOnce) {
    TempDir dir;
    fs::create_directories(dir / "in/sub");
    WritePicture(dir / "in/sub/a.png", 4, 4, 0xff000000);
    fs::create_directory_symlink(dir / "in", dir / "in/sub/loop");
    const std::string console = Convert(dir / "in", dir / "out");
    EXPECT_EQ(std::count(console.begin(), console.end(), '\n'), 1) << console;
    EXPECT_TRUE(fs::exists(dir / "out/sub/a.ico"));
}

TEST(ConvertFolder, PathsLongerThanTheOldLimitWork) {
    TempDir dir;
    fs::path in = dir / "in";
    for (int i = 0; i < 6; ++i)
        in /= std::string(60, static_cast<char>('a' + i));
    fs::create_directories(in);
    WritePicture(in / "deep.png", 4, 4, 0xff000000);
    fs::path out = dir / std::string(200, 'o');
    Convert(dir / "in", out, kTwoSizes, true);
    const fs::path icon = out / fs::relative(in, dir / "in") / "deep.ico";
    ASSERT_GT(icon.string().size(), 500u);
    EXPECT_EQ(fs::file_size(icon), 6u + 2 * 16 + 1128 + 4264);
}

TEST(ConvertFolder, EmptyInputFolderMeansTheCurrentFolder) {
    TempDir dir;
    WritePicture(dir / "here.png", 4, 4, 0xff000000);
    const fs::path previous = fs::current_path();
    fs::current_path(dir.path());
    std::ostringstream console;
    ConvertFolder("", "out", kTwoSizes, false, console);
    fs::current_path(previous);
    EXPECT_EQ(console.str(), "here.png ..[OK]\n");
    EXPECT_TRUE(fs::exists(dir / "out/here.ico"));
}
