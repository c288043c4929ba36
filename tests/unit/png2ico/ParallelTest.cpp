// The converter on several workers: the same console, byte for byte, and the
// same files as one at a time, on a tree with failing pictures, nested
// folders, a folder that cannot be created and icons that must wait for one
// another.

#include "TestSupport.h"

#include <QImage>

#include <gtest/gtest.h>

#include <map>

namespace fs = std::filesystem;
using testsupport::TempDir;

namespace {

void WritePicture(const fs::path& file, int width, int height, int seed) {
    QImage image(width, height, QImage::Format_ARGB32);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            image.setPixel(x, y, qRgba((x * 13 + seed * 29) & 0xFF, (y * 7 + seed * 3) & 0xFF,
                                       ((x * y) / 3 + seed) & 0xFF, (x * 5 + y + seed * 41) & 0xFF));
    ASSERT_TRUE(image.save(QString::fromStdString(file.string()), "png"));
}

// About fifty pictures: a few fail to load, one cannot be written, one
// folder's output cannot be created, and a.png / a.PNG write the same icon.
void WriteTree(const fs::path& in) {
    int seed = 0;
    auto pictures = [&](const fs::path& folder, int count) {
        fs::create_directories(folder);
        for (int i = 0; i < count; ++i, ++seed)
            WritePicture(folder / ("pic" + std::to_string(i) + ".png"), 20 + (seed * 37) % 90, 20 + (seed * 53) % 70,
                         seed);
    };
    pictures(in, 10);
    pictures(in / "sub", 9);
    pictures(in / "sub/deep", 8);
    pictures(in / "sub/deep/deeper", 3);
    pictures(in / "other", 6);
    pictures(in / "nocreate/child", 3);  // out/nocreate is a file: its child folder cannot be made
    pictures(in / "nocreate/child/grandchild", 2);
    fs::create_directories(in / "empty");
    WritePicture(in / "a.PNG", 33, 33, 100);
    WritePicture(in / "a.png", 40, 20, 101);
    WritePicture(in / "blocked.png", 16, 16, 102);
    WritePicture(in / "1x1.png", 1, 1, 103);
    testsupport::WriteText(in / "text.png", "not a picture");
    testsupport::WriteText(in / "sub/empty.png", "");
    const std::vector<uint8_t> whole = testsupport::ReadBytes(in / "pic3.png");
    testsupport::WriteBytes(in / "sub/truncated.png", {whole.begin(), whole.begin() + whole.size() / 2});
    fs::create_directories(in / "folder.png");
    pictures(in / "folder.png", 2);
    // y.png makes out/y.ico, which the folder y.ico then finds as a file.
    WritePicture(in / "y.png", 24, 24, 104);
    pictures(in / "y.ico", 2);
    // out/zalias is a link to out/sub: these icons replace some of sub's.
    pictures(in / "zalias", 3);
}

// Everything below a folder, by relative path; folders as "dir", links as "link".
std::map<std::string, std::vector<uint8_t>> Tree(const fs::path& root) {
    std::map<std::string, std::vector<uint8_t>> all;
    for (auto it = fs::recursive_directory_iterator(root); it != fs::recursive_directory_iterator(); ++it) {
        const std::string name = fs::relative(it->path(), root).string();
        if (it->is_symlink())
            all[name] = {'l', 'i', 'n', 'k'};
        else if (it->is_directory())
            all[name] = {'d', 'i', 'r'};
        else
            all[name] = testsupport::ReadBytes(it->path());
    }
    return all;
}

// "[OK]" or "[ERROR]" from the progress line of `path`; empty when it has none.
std::string ResultOf(const std::string& console, const std::string& path) {
    const size_t start = console.find("\n" + path + " ");
    if (start == std::string::npos)
        return {};
    const size_t end = console.find('\n', start + 1);
    const size_t bracket = console.rfind('[', end);
    return console.substr(bracket, end - bracket);
}

struct Outcome {
    std::string console;
    std::map<std::string, std::vector<uint8_t>> files;
};

// Runs in a folder of its own that sees the shared input tree as "in".
Outcome Convert(const fs::path& base, const fs::path& input, const std::string& workers,
            const std::vector<std::string>& extra = {}) {
    const fs::path here = base / ("j" + workers);
    fs::create_directories(here / "out/blocked.ico");  // the icon of blocked.png cannot be written
    testsupport::WriteText(here / "out/nocreate", "a file where a folder should go");
    fs::create_directory_symlink("sub", here / "out/zalias");
    fs::create_directory_symlink(input, here / "in");
    std::vector<std::string> args = {"-s", "16", "32bpp", "-s", "32", "8bpp", "-s", "24", "4bpp", "-s", "20", "24bpp",
                                     "-s", "18", "16bpp", "-i", "in", "-o", "out", "-noconfirm", "-j", workers};
    args.insert(args.end(), extra.begin(), extra.end());
    const auto r = testsupport::RunProcess(PNG2ICO_PATH, args, here);
    EXPECT_EQ(r.exitCode, 0);
    EXPECT_FALSE(r.crashed) << workers << "\n" << r.err << "\n" << r.out;
    return {r.out, Tree(here / "out")};
}

} // namespace

TEST(Png2icoWorkers, SameConsoleAndFilesForAnyNumberOfWorkers) {
    TempDir dir;
    WriteTree(dir / "input");
    const Outcome one = Convert(dir.path(), dir / "input", "1");
    // The run really meets what it is meant to.
    for (const char* failed : {"in/text.png", "in/blocked.png", "in/sub/truncated.png", "in/sub/empty.png",
                               "in/folder.png", "in/y.ico/pic0.png"})
        EXPECT_EQ(ResultOf(one.console, failed), "[ERROR]") << failed << "\n" << one.console;
    for (const char* converted : {"in/a.PNG", "in/a.png", "in/1x1.png", "in/y.png", "in/sub/deep/deeper/pic2.png"})
        EXPECT_EQ(ResultOf(one.console, converted), "[OK]") << converted << "\n" << one.console;
    EXPECT_NE(one.console.find("\nDirectory 'out/nocreate/' could not be created."), std::string::npos);
    EXPECT_EQ(ResultOf(one.console, "in/nocreate/child/pic0.png"), "");
    EXPECT_EQ(ResultOf(one.console, "in/nocreate/child/grandchild/pic0.png"), "");
    EXPECT_EQ(one.files.count("folder.png/pic1.ico"), 1u);
    EXPECT_EQ(ResultOf(one.console, "in/zalias/pic2.png"), "[OK]");
    ASSERT_GT(one.files.size(), 40u);

    for (const char* workers : {"2", "8"}) {
        const Outcome many = Convert(dir.path(), dir / "input", workers);
        EXPECT_EQ(many.console, one.console) << workers << " workers";
        EXPECT_EQ(many.files.size(), one.files.size()) << workers << " workers";
        for (const auto& [name, bytes] : one.files) {
            const auto it = many.files.find(name);
            ASSERT_NE(it, many.files.end()) << name;
            EXPECT_TRUE(it->second == bytes) << workers << " workers: " << name;
        }
    }
}

TEST(Png2icoWorkers, SilentRunsWriteTheSameFiles) {
    TempDir dir;
    WriteTree(dir / "input");
    const Outcome one = Convert(dir.path(), dir / "input", "1", {"-silent"});
    const Outcome many = Convert(dir.path(), dir / "input", "3", {"-silent"});
    EXPECT_EQ(many.console, one.console);
    EXPECT_NE(one.console.find("could not be created"), std::string::npos);
    EXPECT_TRUE(many.files == one.files);
}

// Two folders whose icons land in one output folder (out/b is a link to
// out/a): b's icons, written after a's one at a time, must be the ones left.
TEST(Png2icoWorkers, IconReachedTwoWaysEndsAsTheLaterOne) {
    TempDir dir;
    for (const char* folder : {"in/a", "in/b"}) {
        fs::create_directories(dir / folder);
        for (int i = 0; i < 8; ++i)
            WritePicture(dir / folder / ("p" + std::to_string(i) + ".png"), 48 + 8 * i, 48, folder[3] * 10 + i);
    }
    std::map<std::string, std::vector<uint8_t>> first;
    for (const char* workers : {"1", "2", "8", "8", "8"}) {
        const fs::path out = dir / (std::string("out") + workers);
        fs::remove_all(out);
        fs::create_directories(out);
        fs::create_directory_symlink("a", out / "b");
        const auto r = testsupport::RunProcess(
            PNG2ICO_PATH, {"-s", "32", "8bpp", "-s", "64", "32bpp", "-i", "in", "-o", out.filename().string(),
                           "-noconfirm", "-silent", "-j", workers}, dir.path());
        EXPECT_EQ(r.exitCode, 0);
        const auto files = Tree(out / "a");
        ASSERT_EQ(files.size(), 8u);
        if (first.empty())
            first = files;
        EXPECT_TRUE(files == first) << workers << " workers";
    }
}

// A folder reached through a link to a link named like an icon, which an
// icon of the folder before replaces: the walk finds what it finds one
// picture at a time (by then no folder there).
TEST(Png2icoWorkers, PathThroughAnIconNameWaitsForTheIcons) {
    TempDir dir;
    fs::create_directories(dir / "real");
    WritePicture(dir / "real/inside.png", 30, 30, 7);
    std::string first;
    for (const char* workers : {"1", "2", "8"}) {
        const fs::path here = dir / (std::string("j") + workers);
        fs::create_directories(here / "in/a");
        for (int i = 0; i < 6; ++i)
            WritePicture(here / "in/a" / ("a" + std::to_string(i) + ".png"), 64, 64, i);
        WritePicture(here / "in/a/x.png", 64, 64, 9);
        fs::create_directories(here / "o/a");
        fs::create_directory_symlink(dir / "real", here / "o/a/x.ico");
        fs::create_directory_symlink("../o/a/x.ico", here / "in/b");
        const auto r = testsupport::RunProcess(
            PNG2ICO_PATH, {"-s", "48", "32bpp", "-i", "in", "-o", "o", "-noconfirm", "-j", workers}, here);
        EXPECT_EQ(r.exitCode, 0);
        EXPECT_TRUE(fs::is_regular_file(here / "o/a/x.ico"));
        EXPECT_FALSE(fs::exists(here / "o/b"));
        if (first.empty())
            first = r.out;
        EXPECT_EQ(r.out, first) << workers << " workers";
    }
    EXPECT_NE(first.find("\nDirectory 'in/b' could not be read.\n"), std::string::npos) << first;
}

// An input folder reached through a link in the output folder: the icon of
// x.png replaces that link, so the pictures after it can no longer be read,
// as when they come one at a time.
TEST(Png2icoWorkers, IconReplacingTheWayInIsWrittenAlone) {
    TempDir dir;
    fs::create_directories(dir / "real");
    for (const char* name : {"x.png", "y.png", "z.png"})
        WritePicture(dir / "real" / name, 40, 40, name[0]);
    std::string first;
    for (const char* workers : {"1", "2", "4"}) {
        const fs::path here = dir / (std::string("j") + workers);
        fs::create_directories(here / "o");
        fs::create_directory_symlink(dir / "real", here / "o/x.ico");
        const auto r = testsupport::RunProcess(
            PNG2ICO_PATH, {"-s", "48", "32bpp", "-i", "o/x.ico", "-o", "o", "-noconfirm", "-silent", "-j", workers},
            here);
        EXPECT_EQ(r.exitCode, 0);
        EXPECT_TRUE(fs::is_regular_file(here / "o/x.ico"));
        EXPECT_FALSE(fs::exists(here / "o/y.ico"));
        EXPECT_EQ(Tree(here / "o").size(), 1u);  // x.ico alone
        if (first.empty())
            first = r.out;
        EXPECT_EQ(r.out, first);
    }
    EXPECT_EQ(first, "\nDirectory 'o/x.ico' could not be read.\n\n");
}
