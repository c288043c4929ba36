// What the converter says about folders it cannot read and names it cannot
// print as they are, and that no input makes it wait.

#include "png2ico/Console.h"
#include "png2ico/ConvertFolder.h"

#include "TestSupport.h"

#include <gtest/gtest.h>

#include <climits>
#include <csignal>
#include <fcntl.h>
#include <sstream>
#include <sys/stat.h>
#include <unistd.h>

namespace fs = std::filesystem;
using testsupport::RunProcess;
using testsupport::TempDir;
using testsupport::WritePicture;

namespace {

const std::vector<imaging::SizeSpec> kOneSize = {{16, 32}};

std::string Convert(const std::string& in, const std::string& out, bool silent = false) {
    std::ostringstream console;
    png2ico::ConvertFolder(in, out, kOneSize, silent, console);
    return console.str();
}

std::string NotRead(const std::string& path) {
    return "\nDirectory '" + path + "' could not be read.\n\n";
}

// Root reads every folder, so where the tests run as root the converter runs
// as an ordinary user instead.
testsupport::ProcessResult Png2icoUnprivileged(const std::vector<std::string>& args, const fs::path& cwd) {
    if (::geteuid() != 0)
        return RunProcess(PNG2ICO_PATH, args, cwd);
    std::vector<std::string> all = {"--reuid=65534", "--regid=65534", "--clear-groups", PNG2ICO_PATH};
    all.insert(all.end(), args.begin(), args.end());
    return RunProcess("setpriv", all, cwd);
}

} // namespace

// The folder that cannot be listed gets its line, in walk order, also when
// silent; the folders beside it are converted as usual.
TEST(FolderReport, UnreadableSubfolderIsSaidInItsPlace) {
    if (::geteuid() == 0 && !testsupport::HaveProgram("setpriv"))
        GTEST_SKIP() << "running as root without setpriv: every folder is readable";
    TempDir dir;
    fs::create_directories(dir / "in/locked");
    fs::create_directories(dir / "in/open");
    WritePicture(dir / "in/a.png", 8, 8, 0xff00ff00);
    WritePicture(dir / "in/locked/hidden.png", 8, 8, 0xff00ff00);
    WritePicture(dir / "in/open/b.png", 8, 8, 0xff00ff00);
    fs::permissions(dir.path(), fs::perms::all);  // the unprivileged run writes its output here
    fs::permissions(dir / "in/locked", fs::perms::none);
    const std::vector<std::string> args = {"-s", "16", "32bpp", "-i", "in", "-o", "out", "-noconfirm"};

    auto quiet = args;
    quiet.push_back("-silent");
    const auto silent = Png2icoUnprivileged(quiet, dir.path());
    EXPECT_EQ(silent.exitCode, 0);
    EXPECT_EQ(silent.out, NotRead("in/locked"));

    const auto r = Png2icoUnprivileged(args, dir.path());
    EXPECT_EQ(r.exitCode, 0);
    const std::string expected = "in/a.png ..[OK]\n" + NotRead("in/locked") + "in/open/b.png ..[OK]\n" +
                                 "\nDONE! The PNGs are converted to ICOns.\n";
    ASSERT_GE(r.out.size(), expected.size()) << r.out;
    EXPECT_EQ(r.out.substr(r.out.size() - expected.size()), expected);
    EXPECT_TRUE(fs::exists(dir / "out/open/b.ico"));
    EXPECT_FALSE(fs::exists(dir / "out/locked"));
}

TEST(FolderReport, MissingOrNonFolderInputIsSaid) {
    TempDir dir;
    testsupport::WriteText(dir / "file.png", "not a folder");
    const std::string missing = (dir / "missing").string();
    EXPECT_EQ(Convert(missing, (dir / "out").string(), true), NotRead(missing));
    const std::string file = (dir / "file.png").string();
    EXPECT_EQ(Convert(file, (dir / "out").string()), NotRead(file));
    EXPECT_FALSE(fs::exists(dir / "out"));
}

// A readable folder without pictures still gets nothing.
TEST(FolderReport, FolderWithoutPicturesStaysQuiet) {
    TempDir dir;
    fs::create_directories(dir / "in/empty");
    testsupport::WriteText(dir / "in/notes.txt", "");
    EXPECT_EQ(Convert((dir / "in").string(), (dir / "out").string()), "");
}

// Folders nested deeper than a path may be long: the walk reaches the first
// one whose path the system refuses, says so, and goes on.
TEST(FolderReport, PathTooLongIsSaid) {
    TempDir dir;
    fs::create_directories(dir / "in");
    WritePicture(dir / "in/top.png", 8, 8, 0xff000000);
    const std::string level(200, 'd');
    std::string path = (dir / "in").string();
    std::string firstTooLong;
    int fd = ::open(path.c_str(), O_RDONLY | O_DIRECTORY);
    std::vector<int> levels;
    for (int i = 0; i < 24; ++i) {  // about 4800 bytes
        ASSERT_EQ(::mkdirat(fd, level.c_str(), 0755), 0);
        const int next = ::openat(fd, level.c_str(), O_RDONLY | O_DIRECTORY);
        levels.push_back(fd);
        fd = next;
        path += "/" + level;
        if (firstTooLong.empty() && path.size() >= PATH_MAX)
            firstTooLong = path;
    }
    const int picture = ::openat(fd, "deep.png", O_WRONLY | O_CREAT, 0644);
    ::close(picture);
    ASSERT_FALSE(firstTooLong.empty());

    const std::string in = (dir / "in").string();
    EXPECT_EQ(Convert(in, (dir / "out").string()), in + "/top.png ..[OK]\n" + NotRead(firstTooLong));

    // The temporary folder's own removal cannot reach that deep: unwind by hand.
    levels.push_back(fd);
    ASSERT_EQ(::unlinkat(fd, "deep.png", 0), 0);
    for (size_t i = levels.size() - 1; i > 0; --i) {
        ::close(levels[i]);
        ::unlinkat(levels[i - 1], level.c_str(), AT_REMOVEDIR);
    }
    ::close(levels[0]);
}

// Control characters are written out so that no name can fake a line or
// reach the terminal; the markers still line up.
TEST(FolderReport, NamesAreShownWithControlCharactersEscaped) {
    TempDir dir;
    fs::create_directories(dir / "in");
    WritePicture(dir / "picture.png", 8, 8, 0xff0000ff);
    for (const char* name : {"a.png", "esc\x1b[31m.png", "evil\n[OK]\nname.png", "tab\there.png",
                             "\xc3\xbcn\xc3\xaf.png", "\xc2\x9b" "2J.png", "\xe2\x80\xaegnp.exe.png", "\x9d" "0;x.png"})
        fs::copy_file(dir / "picture.png", dir / "in" / name);  // by bytes: Qt would mend the raw 0x9D
    const std::string in = (dir / "in").string();
    EXPECT_EQ(Convert(in, (dir / "out").string()),
              in + "/a.png .................[OK]\n" +
              in + "/esc\\x1b[31m.png .......[OK]\n" +
              in + "/evil\\n[OK]\\nname.png ..[OK]\n" +
              in + "/tab\\there.png .........[OK]\n" +
              in + "/\\x9d0;x.png ...........[OK]\n" +
              in + "/\\u009b2J.png ..........[OK]\n" +
              in + "/\xc3\xbcn\xc3\xaf.png ...............[OK]\n" +
              in + "/\\u202egnp.exe.png .....[OK]\n");
    // The icons keep the real names.
    EXPECT_TRUE(fs::exists(dir / "out/evil\n[OK]\nname.ico"));
    EXPECT_TRUE(fs::exists(dir / "out/esc\x1b[31m.ico"));
}

// Each row: a name's bytes, what the console shows, and how many characters
// that takes (what the dots are counted by). Every range is pinned on both
// sides; malformed UTF-8 is read byte by byte.
TEST(FolderReport, VisibleNameEscapesControlsOnly) {
    const struct {
        std::string name;
        std::string shown;
        size_t width;
    } rows[] = {
        {std::string("\0", 1), "\\x00", 4},
        {"\x1f", "\\x1f", 4},
        {"\n\r\t", "\\n\\r\\t", 6},
        {" ~", " ~", 2},                                // U+0020, U+007E
        {"\x7f", "\\x7f", 4},                           // DEL
        {"\xc2\x80", "\\u0080", 6},                     // C1, as UTF-8
        {"\xc2\x9b", "\\u009b", 6},                     // CSI
        {"\xc2\x9f", "\\u009f", 6},
        {"\xc2\xa0", "\xc2\xa0", 1},                    // U+00A0: text again
        {"\x80", "\\x80", 4},                           // C1, a raw byte
        {"\x9b[31m", "\\x9b[31m", 8},
        {"\x9f", "\\x9f", 4},
        {"\xa0", "\xa0", 1},                            // a raw byte past C1: as it is
        {"\xff", "\xff", 1},
        {"\xe2\x80\xa9", "\xe2\x80\xa9", 1},            // U+2029
        {"\xe2\x80\xaa", "\\u202a", 6},                 // U+202A LRE
        {"\xe2\x80\xae", "\\u202e", 6},                 // U+202E RLO
        {"\xe2\x80\xaf", "\xe2\x80\xaf", 1},            // U+202F
        {"\xe2\x81\xa5", "\xe2\x81\xa5", 1},            // U+2065
        {"\xe2\x81\xa6", "\\u2066", 6},                 // U+2066 LRI
        {"\xe2\x81\xa9", "\\u2069", 6},                 // U+2069 PDI
        {"\xe2\x81\xaa", "\xe2\x81\xaa", 1},            // U+206A
        {"\xe4\xb8\xad\xf0\x9f\x98\x80", "\xe4\xb8\xad\xf0\x9f\x98\x80", 2},
        {"\xc1\x9b", "\xc1\\x9b", 5},                   // overlong: no C1 control hidden in it
        {"\xc0\x8a", "\xc0\\x8a", 5},                   // overlong line break
        {"\xe0\x82\x9b", "\xe0\\x82\\x9b", 9},          // overlong U+009B
        {"\xed\xa0\x80", "\xed\xa0\\x80", 6},           // a surrogate
        {"\xf4\x90\x80\x80", "\xf4\\x90\\x80\\x80", 13},  // past U+10FFFF
        {"\xe2\x80", "\xe2\\x80", 5},                   // cut short
        {"\xc2", "\xc2", 1},
    };
    for (const auto& row : rows) {
        const std::string shown = png2ico::VisibleName(row.name);
        EXPECT_EQ(shown, row.shown) << testing::PrintToString(row.name);
        EXPECT_EQ(png2ico::DisplayWidth(shown), row.width) << testing::PrintToString(row.name);
    }
    std::ostringstream console;
    png2ico::PrintFolderNotRead(console, "a\nb");
    png2ico::PrintFolderNotCreated(console, "c\x1b");
    EXPECT_EQ(console.str(), NotRead("a\\nb") + "\nDirectory 'c\\x1b' could not be created. Make sure you have the "
                                                "rights to create directories on this volume or check if the parent "
                                                "directory exists!\n\n");
}

// A pipe named like a picture fails at once instead of waiting for a writer.
TEST(FolderReport, PipeNamedLikeAPictureFailsWithoutWaiting) {
    TempDir dir;
    fs::create_directories(dir / "in");
    ASSERT_EQ(::mkfifo((dir / "in/pipe.png").c_str(), 0644), 0);
    WritePicture(dir / "in/z.png", 8, 8, 0xff000000);
    const auto r = RunProcess(PNG2ICO_PATH, {"-s", "16", "32bpp", "-i", "in", "-o", "out", "-noconfirm", "-silent"},
                              dir.path(), {}, 20000);
    EXPECT_FALSE(r.crashed) << "the converter hung";
    EXPECT_TRUE(fs::exists(dir / "out/z.ico"));
    EXPECT_FALSE(fs::exists(dir / "out/pipe.ico"));
}

// A plain file that another process holds a write lease on cannot be opened
// without waiting (up to the system's lease break time): the converter must
// not wait, and says [ERROR] for it.
TEST(FolderReport, FileThatWouldBlockFailsWithoutWaiting) {
    TempDir dir;
    fs::create_directories(dir / "in");
    WritePicture(dir / "in/held.png", 8, 8, 0xff000000);
    const int fd = ::open((dir / "in/held.png").c_str(), O_WRONLY);
    ASSERT_GE(fd, 0);
    std::signal(SIGIO, SIG_IGN);  // the lease break notice
    if (::fcntl(fd, F_SETLEASE, F_WRLCK) != 0) {
        ::close(fd);
        GTEST_SKIP() << "cannot take a write lease here";
    }
    const auto r = RunProcess(PNG2ICO_PATH, {"-s", "16", "32bpp", "-i", "in", "-o", "out", "-noconfirm"},
                              dir.path(), {}, 20000);
    ::fcntl(fd, F_SETLEASE, F_UNLCK);
    ::close(fd);
    EXPECT_FALSE(r.crashed) << "the converter waited";
    EXPECT_NE(r.out.find("in/held.png ..[ERROR]\n"), std::string::npos) << r.out;
}
