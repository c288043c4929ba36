// Icons replaced whole or not at all, on the real converter: interrupted runs,
// full disks, failing replacements, concurrent runs into one folder, links in
// the output folder.

#include "TestSupport.h"

#include <QImage>
#include <QProcess>

#include <gtest/gtest.h>

#include <csignal>
#include <fcntl.h>
#include <poll.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <map>

namespace fs = std::filesystem;
using testsupport::ReadBytes;
using testsupport::RunProcess;
using testsupport::TempDir;

namespace {

// Pictures with some detail, so that every size and depth has work to do.
void WriteDetailedPicture(const fs::path& file, int edge, int seed) {
    QImage image(edge, edge, QImage::Format_ARGB32);
    for (int y = 0; y < edge; ++y)
        for (int x = 0; x < edge; ++x)
            image.setPixel(x, y, qRgba((x * 7 + seed * 31) & 0xFF, (y * 5 + seed) & 0xFF, ((x ^ y) + seed) & 0xFF,
                                       (x + y * 3 + seed * 17) & 0xFF));
    ASSERT_TRUE(image.save(QString::fromStdString(file.string())));
}

testsupport::ProcessResult Png2ico(const std::vector<std::string>& args, const fs::path& cwd) {
    auto r = RunProcess(PNG2ICO_PATH, args, cwd);
    EXPECT_FALSE(r.crashed);
    EXPECT_EQ(r.exitCode, 0);
    return r;
}

std::vector<std::string> Args(const std::vector<std::string>& sizes, const std::string& in, const std::string& out) {
    std::vector<std::string> args;
    for (const auto& s : sizes) {
        args.push_back("-s");
        args.push_back(s.substr(0, s.find(' ')));
        args.push_back(s.substr(s.find(' ') + 1));
    }
    for (const std::string& a : {std::string("-i"), in, std::string("-o"), out, std::string("-noconfirm")})
        args.push_back(a);
    return args;
}

// Every entry of a folder, file names to bytes (links and folders by kind).
std::map<std::string, std::vector<uint8_t>> Contents(const fs::path& folder) {
    std::map<std::string, std::vector<uint8_t>> all;
    for (const auto& entry : fs::directory_iterator(folder)) {
        const std::string name = entry.path().filename().string();
        all[name] = entry.is_symlink() ? std::vector<uint8_t>{'L'} : ReadBytes(entry.path());
    }
    return all;
}

// A small file system, full up to `freeBytes` or so; unmounted when done.
class SmallDisk {
public:
    SmallDisk(const fs::path& at, const char* size) : at_(at) {
        fs::create_directory(at);
        mounted_ = ::mount("tmpfs", at.c_str(), "tmpfs", 0, (std::string("size=") + size).c_str()) == 0;
    }
    ~SmallDisk() {
        if (mounted_)
            ::umount(at_.c_str());
    }
    bool mounted() const { return mounted_; }
    // Takes every free block.
    void Fill() {
        const int fd = ::open((at_ / "filler").c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        ASSERT_GE(fd, 0);
        const std::vector<char> block(4096, 'f');
        while (::write(fd, block.data(), block.size()) > 0) {
        }
        ::close(fd);
    }

private:
    fs::path at_;
    bool mounted_ = false;
};

// A converter started with the test hook: it stops after creating each
// temporary icon file and names it on standard error; with `untilInput` it
// goes on at each byte sent.
class HeldConverter : public testsupport::Child {
public:
    HeldConverter(const std::vector<std::string>& args, const fs::path& cwd, bool untilInput = false)
        : Child(PNG2ICO_PATH, args, cwd,
                {{std::string("PNG2ICO_HOLD_AFTER_TEMP_FILE=") + (untilInput ? "input" : "1")}, 0, untilInput}) {}

    // The temporary files named so far, once `count` are; fewer when the
    // converter ends first.
    std::vector<std::string> WaitForTempFiles(size_t count) { return WaitForErrorLines("png2ico: writing ", count); }

    // Signals the converter and returns its wait status.
    int Stop(int sig) {
        Signal(sig);
        return Finish();
    }
};

// Whether one of the files comes to exist (icons appear whole, by rename).
bool AppearsWithinAMinute(const std::vector<fs::path>& files) {
    for (int tries = 0; tries < 6000; ++tries) {
        for (const auto& file : files)
            if (fs::exists(file))
                return true;
        ::poll(nullptr, 0, 10);
    }
    return false;
}

struct Interrupt {
    int signal;
};

} // namespace

class Png2icoInterrupted : public ::testing::TestWithParam<Interrupt> {};

// Stopped while an icon is written: the temporary file goes, the earlier icon
// stays, and the converter ends by the signal.
TEST_P(Png2icoInterrupted, LeavesTheEarlierIconAndNoTemporaryFile) {
    TempDir dir;
    fs::create_directories(dir / "in");
    fs::create_directories(dir / "out");
    WriteDetailedPicture(dir / "in/a.png", 64, 1);
    testsupport::WriteText(dir / "out/a.ico", "the earlier icon");
    HeldConverter converter(Args({"16 32bpp", "48 8bpp"}, "in", "out"), dir.path());
    ASSERT_TRUE(converter.started());
    const std::vector<std::string> temps = converter.WaitForTempFiles(1);
    ASSERT_EQ(temps.size(), 1u);
    EXPECT_TRUE(fs::exists(dir / temps[0])) << temps[0];

    const int status = converter.Stop(GetParam().signal);
    ASSERT_TRUE(WIFSIGNALED(status)) << status;
    EXPECT_EQ(WTERMSIG(status), GetParam().signal);
    EXPECT_FALSE(fs::exists(dir / temps[0]));
    const auto left = Contents(dir / "out");
    ASSERT_EQ(left.size(), 1u);
    EXPECT_EQ(left.begin()->second, std::vector<uint8_t>({'t', 'h', 'e', ' ', 'e', 'a', 'r', 'l', 'i', 'e', 'r', ' ',
                                                           'i', 'c', 'o', 'n'}));
}

INSTANTIATE_TEST_SUITE_P(Signals, Png2icoInterrupted,
                         ::testing::Values(Interrupt{SIGINT}, Interrupt{SIGTERM}, Interrupt{SIGHUP},
                                           Interrupt{SIGQUIT}));

// Five pictures in "in" and the arguments that convert them into "out" on
// three workers.
std::vector<std::string> FivePicturesOnThreeWorkers(const TempDir& dir) {
    fs::create_directories(dir / "in");
    for (int i = 0; i < 5; ++i)
        WriteDetailedPicture(dir / "in" / ("p" + std::to_string(i) + ".png"), 48, i);
    auto args = Args({"16 32bpp", "32 8bpp"}, "in", "out");
    args.insert(args.end(), {"-j", "3"});
    return args;
}

// Three workers, each stopped with its icon half made: the interrupt removes
// all three temporary files.
TEST(Png2icoInterruptedWorkers, EveryTemporaryFileInFlightIsRemoved) {
    TempDir dir;
    const auto args = FivePicturesOnThreeWorkers(dir);
    HeldConverter converter(args, dir.path());
    ASSERT_TRUE(converter.started());
    const std::vector<std::string> temps = converter.WaitForTempFiles(3);
    ASSERT_EQ(temps.size(), 3u);
    for (const auto& temp : temps)
        EXPECT_TRUE(fs::exists(dir / temp)) << temp;

    const int status = converter.Stop(SIGTERM);
    ASSERT_TRUE(WIFSIGNALED(status)) << status;
    EXPECT_EQ(WTERMSIG(status), SIGTERM);
    EXPECT_TRUE(Contents(dir / "out").empty());
}

// The disk is full before the first byte: "[ERROR]", and not even an empty
// icon remains.
TEST(Png2icoReplacement, FullDiskLeavesNoEmptyIcon) {
    TempDir dir;
    fs::create_directories(dir / "in");
    WriteDetailedPicture(dir / "in/a.png", 32, 2);
    SmallDisk disk(dir / "disk", "64k");
    if (!disk.mounted())
        GTEST_SKIP() << "cannot mount a small file system here (needs root)";
    disk.Fill();
    const auto r = Png2ico(Args({"16 32bpp"}, "in", "disk"), dir.path());
    EXPECT_NE(r.out.find("in/a.png ..[ERROR]\n"), std::string::npos) << r.out;
    const auto left = Contents(dir / "disk");
    EXPECT_EQ(left.size(), 1u);  // the filler alone
    EXPECT_EQ(left.count("a.ico"), 0u);
}

// Converted once, then again with other sizes onto a disk that has filled up
// meanwhile: the second run fails and the first icon stays whole.
TEST(Png2icoReplacement, FailedReplacementKeepsTheEarlierIcon) {
    TempDir dir;
    fs::create_directories(dir / "in");
    WriteDetailedPicture(dir / "in/a.png", 64, 3);
    SmallDisk disk(dir / "disk", "64k");
    if (!disk.mounted())
        GTEST_SKIP() << "cannot mount a small file system here (needs root)";
    Png2ico(Args({"16 32bpp", "32 8bpp"}, "in", "disk"), dir.path());
    const std::vector<uint8_t> first = ReadBytes(dir / "disk/a.ico");
    ASSERT_EQ(first.size(), 6u + 2 * 16 + 1128 + (1064 + 32 * 32 + 128));
    disk.Fill();
    const auto r = Png2ico(Args({"48 32bpp", "64 32bpp"}, "in", "disk"), dir.path());
    EXPECT_NE(r.out.find("in/a.png ..[ERROR]\n"), std::string::npos) << r.out;
    const auto left = Contents(dir / "disk");
    EXPECT_EQ(left.size(), 2u);  // the icon and the filler
    EXPECT_TRUE(testsupport::BytesEqual(first, ReadBytes(dir / "disk/a.ico"), "kept-a.ico"));
}

// A file size limit, with SIGXFSZ at its default action: each write past it
// fails (EFBIG) instead of ending the run. Both icons are too large, so each
// picture is "[ERROR]", the earlier icon stays, no temporary file is left
// and the run goes on to its end.
TEST(Png2icoReplacement, FileSizeLimitFailsEachPictureAndTheRunGoesOn) {
    TempDir dir;
    fs::create_directories(dir / "in");
    WriteDetailedPicture(dir / "in/a.png", 64, 4);
    WriteDetailedPicture(dir / "in/b.png", 64, 5);
    Png2ico(Args({"16 32bpp"}, "in", "out"), dir.path());
    const std::vector<uint8_t> first = ReadBytes(dir / "out/a.ico");
    fs::remove(dir / "out/b.ico");
    ASSERT_EQ(first.size(), 6u + 16 + 1128);
    // 4096 bytes hold the earlier icon but not the 16 and 128 one.
    testsupport::Child run(PNG2ICO_PATH, Args({"16 32bpp", "128 32bpp"}, "in", "out"), dir.path(), {{}, 4096});
    const int status = run.Finish();
    ASSERT_TRUE(WIFEXITED(status)) << status;
    EXPECT_EQ(WEXITSTATUS(status), 0);
    EXPECT_TRUE(run.out().ends_with("in/a.png ..[ERROR]\nin/b.png ..[ERROR]\n\nDONE! The PNGs are converted to ICOns.\n"))
        << run.out();
    EXPECT_EQ(Contents(dir / "out").size(), 1u);
    EXPECT_EQ(ReadBytes(dir / "out/a.ico"), first);
}

// Nobody reads the output (`png2ico ... | head` once head has quit), with
// SIGPIPE at its default action: the printing stops, the conversion goes on
// to the end, exit code 0.
TEST(Png2icoReplacement, ClosedOutputStopsThePrintingNotTheRun) {
    TempDir dir;
    const auto args = FivePicturesOnThreeWorkers(dir);
    testsupport::Child run(PNG2ICO_PATH, args, dir.path());
    run.CloseOutput();  // before the banner: its first line already meets a closed pipe
    const int status = run.Finish();
    ASSERT_TRUE(WIFEXITED(status)) << status;
    EXPECT_EQ(WEXITSTATUS(status), 0);
    EXPECT_EQ(run.err(), "");
    const auto out = Contents(dir / "out");
    ASSERT_EQ(out.size(), 5u);  // every icon, no temporary file
    for (const auto& [name, bytes] : out)
        EXPECT_EQ(bytes.size(), 6u + 2 * 16 + 1128 + (1064 + 32 * 32 + 128)) << name;
}

// The output folder is moved away while two icons are being written into
// it: one is then completed, the other interrupted. The completed icon
// lands in the folder where it now is, the interrupted one's temporary file
// is removed from there, and nothing is left anywhere.
TEST(Png2icoReplacement, FolderMovedDuringTheRunKeepsNothingBehind) {
    TempDir dir;
    fs::create_directories(dir / "in/a");
    WriteDetailedPicture(dir / "in/a/p0.png", 32, 6);
    WriteDetailedPicture(dir / "in/a/p1.png", 32, 7);
    auto args = Args({"16 32bpp"}, "in", "out");
    args.insert(args.end(), {"-j", "2"});
    HeldConverter converter(args, dir.path(), /*untilInput=*/true);
    ASSERT_TRUE(converter.started());
    ASSERT_EQ(converter.WaitForTempFiles(2).size(), 2u);
    fs::create_directories(dir / "elsewhere");
    fs::rename(dir / "out/a", dir / "elsewhere/moved");
    converter.Send("x");  // one of the two goes on and is renamed into place
    ASSERT_TRUE(AppearsWithinAMinute({dir / "elsewhere/moved/p0.ico", dir / "elsewhere/moved/p1.ico"}));
    const int status = converter.Stop(SIGTERM);
    ASSERT_TRUE(WIFSIGNALED(status)) << status;
    EXPECT_EQ(WTERMSIG(status), SIGTERM);
    EXPECT_TRUE(Contents(dir / "out").empty());
    const auto moved = Contents(dir / "elsewhere/moved");
    ASSERT_EQ(moved.size(), 1u);
    EXPECT_TRUE(moved.begin()->first == "p0.ico" || moved.begin()->first == "p1.ico") << moved.begin()->first;
    EXPECT_EQ(moved.begin()->second.size(), 6u + 16 + 1128);
}

// A run killed outright leaves its temporary file; the next run writing that
// icon removes it, but not the temporary file of a run still writing (its
// lock is held across processes), nor a name just off the pattern (the
// pattern and the kinds of entry left alone are the clean-up's unit tests').
TEST(Png2icoReplacement, StaleTemporaryFilesGoButLiveOnesAndLookalikesStay) {
    TempDir dir;
    fs::create_directories(dir / "in");
    fs::create_directories(dir / "out");
    WriteDetailedPicture(dir / "in/a.png", 32, 8);
    const auto args = Args({"16 32bpp"}, "in", "out");
    HeldConverter alive(args, dir.path());
    const auto aliveTemps = alive.WaitForTempFiles(1);
    ASSERT_EQ(aliveTemps.size(), 1u);
    std::string staleTemp;
    {
        HeldConverter killed(args, dir.path());
        const auto temps = killed.WaitForTempFiles(1);
        ASSERT_EQ(temps.size(), 1u);
        staleTemp = temps[0];
        const int status = killed.Stop(SIGKILL);
        ASSERT_TRUE(WIFSIGNALED(status)) << status;
    }
    ASSERT_TRUE(fs::exists(dir / staleTemp));
    ASSERT_TRUE(fs::exists(dir / aliveTemps[0])) << "the killed run removed a live temporary file";
    const std::vector<std::string> lookalikes = {".a.ico.abcdefg", ".b.ico.abcdefgh"};
    for (const auto& name : lookalikes)
        testsupport::WriteText(dir / "out" / name, "keep");

    const auto r = Png2ico(args, dir.path());
    EXPECT_NE(r.out.find("in/a.png ..[OK]\n"), std::string::npos) << r.out;
    EXPECT_FALSE(fs::exists(dir / staleTemp));
    EXPECT_TRUE(fs::exists(dir / aliveTemps[0]));
    for (const auto& name : lookalikes)
        EXPECT_EQ(testsupport::ReadText(dir / "out" / name), "keep") << name;
    EXPECT_EQ(fs::file_size(dir / "out/a.ico"), 6u + 16 + 1128);
}

// Two converters into one folder at once, with different sizes: whichever
// renames last wins, and every icon is exactly what one of them makes alone.
TEST(Png2icoReplacement, ConcurrentRunsLeaveOnlyWholeIcons) {
    TempDir dir;
    fs::create_directories(dir / "in");
    for (int i = 0; i < 6; ++i)
        WriteDetailedPicture(dir / "in" / ("p" + std::to_string(i) + ".png"), 96, i);
    const auto first = Args({"16 32bpp", "32 8bpp", "48 4bpp", "256 32bpp"}, "in", "out");
    const auto second = Args({"24 24bpp", "64 32bpp"}, "in", "out");
    auto solo = [&](std::vector<std::string> args, const char* folder) {
        args[args.size() - 2] = folder;
        Png2ico(args, dir.path());
        return Contents(dir / folder);
    };
    const auto alone1 = solo(first, "alone1");
    const auto alone2 = solo(second, "alone2");
    ASSERT_EQ(alone1.size(), 6u);

    for (int round = 0; round < 8; ++round) {
        QProcess a, b;
        for (auto [process, args] : {std::pair{&a, &first}, std::pair{&b, &second}}) {
            QStringList qargs;
            for (const auto& arg : *args)
                qargs << QString::fromStdString(arg);
            process->setWorkingDirectory(QString::fromStdString(dir.path().string()));
            process->start(PNG2ICO_PATH, qargs);
        }
        ASSERT_TRUE(a.waitForFinished(60000) && b.waitForFinished(60000));
        EXPECT_EQ(a.exitCode() + b.exitCode(), 0);
        const auto out = Contents(dir / "out");
        ASSERT_EQ(out.size(), 6u) << "round " << round;  // no temporary file left
        for (const auto& [name, bytes] : out)
            EXPECT_TRUE(bytes == alone1.at(name) || bytes == alone2.at(name)) << "round " << round << ": " << name;
    }
}

// A link named like an icon is replaced by the icon; what it pointed to stays.
TEST(Png2icoReplacement, LinkInTheOutputFolderIsNotFollowed) {
    TempDir dir;
    fs::create_directories(dir / "in");
    fs::create_directories(dir / "out");
    WriteDetailedPicture(dir / "in/a.png", 32, 5);
    testsupport::WriteText(dir / "victim.txt", "not an icon");
    fs::create_symlink(dir / "victim.txt", dir / "out/a.ico");
    Png2ico(Args({"16 32bpp"}, "in", "out"), dir.path());
    EXPECT_EQ(testsupport::ReadText(dir / "victim.txt"), "not an icon");
    EXPECT_FALSE(fs::is_symlink(dir / "out/a.ico"));
    EXPECT_EQ(fs::file_size(dir / "out/a.ico"), 6u + 16 + 1128);
}
