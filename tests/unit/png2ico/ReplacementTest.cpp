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
#include <spawn.h>
#include <sys/mount.h>
#include <sys/wait.h>
#include <unistd.h>

#include <map>

extern char** environ;

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
// temporary icon file and names it on standard error.
class HeldConverter {
public:
    HeldConverter(const std::vector<std::string>& args, const fs::path& cwd) {
        int pipeFds[2];
        if (::pipe2(pipeFds, O_CLOEXEC) != 0)
            return;
        std::vector<std::string> env = {"PNG2ICO_HOLD_AFTER_TEMP_FILE=1"};
        for (char** e = environ; *e; ++e)
            env.emplace_back(*e);
        std::vector<char*> envp;
        for (auto& e : env)
            envp.push_back(e.data());
        envp.push_back(nullptr);
        std::vector<std::string> argStore = {PNG2ICO_PATH};
        argStore.insert(argStore.end(), args.begin(), args.end());
        std::vector<char*> argv;
        for (auto& a : argStore)
            argv.push_back(a.data());
        argv.push_back(nullptr);
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_adddup2(&actions, pipeFds[1], STDERR_FILENO);
        posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
        posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
        posix_spawn_file_actions_addchdir_np(&actions, cwd.c_str());
        if (posix_spawn(&pid_, PNG2ICO_PATH, &actions, nullptr, argv.data(), envp.data()) != 0)
            pid_ = -1;
        posix_spawn_file_actions_destroy(&actions);
        ::close(pipeFds[1]);
        stderr_ = pipeFds[0];
    }
    ~HeldConverter() {
        if (pid_ > 0) {
            ::kill(pid_, SIGKILL);
            ::waitpid(pid_, nullptr, 0);
        }
        if (stderr_ >= 0)
            ::close(stderr_);
    }

    // The temporary files named so far, once `count` are; empty when the
    // converter ends first. The minute's wait only keeps a broken converter
    // from hanging the test.
    std::vector<std::string> WaitForTempFiles(size_t count) {
        std::string said;
        std::vector<std::string> paths;
        const std::string marker = "png2ico: writing ";
        while (paths.size() < count) {
            pollfd p{stderr_, POLLIN, 0};
            if (::poll(&p, 1, 60000) <= 0)
                return {};
            char buffer[4096];
            const ssize_t n = ::read(stderr_, buffer, sizeof buffer);
            if (n <= 0)
                return {};
            said.append(buffer, static_cast<size_t>(n));
            for (size_t end; (end = said.find('\n')) != std::string::npos; said.erase(0, end + 1)) {
                if (said.rfind(marker, 0) == 0)
                    paths.push_back(said.substr(marker.size(), end - marker.size()));
            }
        }
        return paths;
    }

    // Signals the converter and returns its wait status.
    int Stop(int sig) {
        ::kill(pid_, sig);
        int status = 0;
        ::waitpid(pid_, &status, 0);
        pid_ = -1;
        return status;
    }

    bool started() const { return pid_ > 0; }

private:
    pid_t pid_ = -1;
    int stderr_ = -1;
};

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
                         ::testing::Values(Interrupt{SIGINT}, Interrupt{SIGTERM}, Interrupt{SIGHUP}));

// Three workers, each stopped with its icon half made: the interrupt removes
// all three temporary files.
TEST(Png2icoInterruptedWorkers, EveryTemporaryFileInFlightIsRemoved) {
    TempDir dir;
    fs::create_directories(dir / "in");
    for (int i = 0; i < 5; ++i)
        WriteDetailedPicture(dir / "in" / ("p" + std::to_string(i) + ".png"), 48, i);
    auto args = Args({"16 32bpp", "32 8bpp"}, "in", "out");
    args.insert(args.end(), {"-j", "3"});
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

// The same where no file system can be mounted: the file size limit cuts
// the second run's writes short.
TEST(Png2icoReplacement, WriteCutShortKeepsTheEarlierIcon) {
    TempDir dir;
    fs::create_directories(dir / "in");
    WriteDetailedPicture(dir / "in/a.png", 64, 4);
    Png2ico(Args({"16 32bpp"}, "in", "out"), dir.path());
    const std::vector<uint8_t> first = ReadBytes(dir / "out/a.ico");
    const std::string command = std::string("trap '' XFSZ; ulimit -f 8; exec '") + PNG2ICO_PATH +
                                "' -s 16 32bpp -s 128 32bpp -i in -o out -noconfirm";
    const auto r = RunProcess("/bin/sh", {"-c", command}, dir.path());
    EXPECT_EQ(r.exitCode, 0);
    EXPECT_NE(r.out.find("in/a.png ..[ERROR]\n"), std::string::npos) << r.out;
    EXPECT_EQ(Contents(dir / "out").size(), 1u);
    EXPECT_EQ(ReadBytes(dir / "out/a.ico"), first);
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
