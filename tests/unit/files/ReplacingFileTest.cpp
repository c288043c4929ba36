// Files written whole or not at all: the target keeps its earlier bytes until
// the new ones are complete, links are replaced rather than followed, and
// interrupted processes leave no temporary file.
#include "libs/files/ReplacingFile.h"
#include "libs/files/StaleTempFiles.h"
#include "libs/files/TempFileRegistry.h"

#include "TestSupport.h"

#include <gtest/gtest.h>

#include <climits>
#include <csignal>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace fs = std::filesystem;
using files::ReplacingFile;

namespace {

std::vector<uint8_t> Bytes(const std::string& text) {
    return {text.begin(), text.end()};
}

size_t EntryCount(const fs::path& folder) {
    return static_cast<size_t>(std::distance(fs::directory_iterator(folder), fs::directory_iterator()));
}

// Runs `body` in a forked child, with the signals it relies on at their
// defaults whatever this process inherited, and returns its wait status.
template <typename Body>
int InChild(Body body) {
    const pid_t child = fork();
    if (child == 0) {
        testsupport::ResetSignalsInChild();
        body();
        _exit(0);
    }
    return testsupport::WaitWithin(child, 60000);
}

} // namespace

TEST(ReplacingFile, TargetKeepsItsBytesUntilCommit) {
    testsupport::TempDir dir;
    testsupport::WriteText(dir / "a.ico", "earlier");
    auto file = ReplacingFile::Create((dir / "a.ico").string());
    ASSERT_NE(file, nullptr);
    ASSERT_TRUE(file->WriteAt(0, Bytes("new and longer")));
    ASSERT_TRUE(file->WriteAt(4, Bytes("AND")));
    EXPECT_EQ(testsupport::ReadText(dir / "a.ico"), "earlier");
    // The temporary file is a hidden sibling of the target.
    const fs::path temp = file->tempPath();
    EXPECT_EQ(temp.parent_path(), dir.path());
    EXPECT_EQ(temp.filename().string().rfind(".a.ico.", 0), 0u) << temp;
    EXPECT_TRUE(fs::is_regular_file(temp));

    ASSERT_TRUE(file->Commit());
    EXPECT_EQ(testsupport::ReadText(dir / "a.ico"), "new AND longer");
    EXPECT_FALSE(fs::exists(temp));
    EXPECT_EQ(EntryCount(dir.path()), 1u);
}

TEST(ReplacingFile, DroppedOrDiscardedLeavesTheTargetAndNoTemporaryFile) {
    testsupport::TempDir dir;
    testsupport::WriteText(dir / "a.ico", "earlier");
    {
        auto dropped = ReplacingFile::Create((dir / "a.ico").string());
        ASSERT_NE(dropped, nullptr);
        ASSERT_TRUE(dropped->WriteAt(0, Bytes("half")));
    }
    auto discarded = ReplacingFile::Create((dir / "a.ico").string());
    ASSERT_NE(discarded, nullptr);
    discarded->Discard();
    EXPECT_FALSE(discarded->Commit());
    auto fresh = ReplacingFile::Create((dir / "new.ico").string());
    ASSERT_NE(fresh, nullptr);
    fresh.reset();
    EXPECT_EQ(testsupport::ReadText(dir / "a.ico"), "earlier");
    EXPECT_EQ(EntryCount(dir.path()), 1u);
}

TEST(ReplacingFile, LinkAtTheTargetIsReplacedNotFollowed) {
    testsupport::TempDir dir;
    testsupport::WriteText(dir / "victim.txt", "keep me");
    fs::create_symlink(dir / "victim.txt", dir / "a.ico");
    fs::create_symlink(dir / "nowhere", dir / "dangling.ico");
    for (const char* name : {"a.ico", "dangling.ico"}) {
        auto file = ReplacingFile::Create((dir / name).string());
        ASSERT_NE(file, nullptr) << name;
        ASSERT_TRUE(file->WriteAt(0, Bytes("icon")));
        ASSERT_TRUE(file->Commit());
        EXPECT_FALSE(fs::is_symlink(dir / name));
        EXPECT_EQ(testsupport::ReadText(dir / name), "icon");
    }
    EXPECT_EQ(testsupport::ReadText(dir / "victim.txt"), "keep me");
    EXPECT_FALSE(fs::exists(dir / "nowhere"));
}

TEST(ReplacingFile, LongNamesGetATemporaryNameWithinTheLimit) {
    testsupport::TempDir dir;
    const std::string name = std::string(NAME_MAX - 4, 'n') + ".ico";
    EXPECT_EQ(fs::path(files::TempPathFor("/x/" + name, "12345678")).filename().string().size(),
              static_cast<size_t>(NAME_MAX));
    EXPECT_EQ(files::TempPathFor("a.ico", "XY"), ".a.ico.XY");
    EXPECT_EQ(files::TempPathFor("/a.ico", "XY"), "/.a.ico.XY");
    EXPECT_EQ(files::TempPathFor("x/y/a.ico", "XY"), "x/y/.a.ico.XY");
    auto file = ReplacingFile::Create((dir / name).string());
    ASSERT_NE(file, nullptr);
    ASSERT_TRUE(file->WriteAt(0, Bytes("long")));
    ASSERT_TRUE(file->Commit());
    EXPECT_EQ(testsupport::ReadText(dir / name), "long");
}

// A folder appearing where the icon goes is left alone, and so is the folder
// that was to hold the temporary file.
TEST(ReplacingFile, TargetTurnedFolderBeforeCommitFails) {
    testsupport::TempDir dir;
    auto file = ReplacingFile::Create((dir / "a.ico").string());
    ASSERT_NE(file, nullptr);
    fs::create_directory(dir / "a.ico");
    testsupport::WriteText(dir / "a.ico/inside", "x");
    EXPECT_FALSE(file->Commit());
    EXPECT_TRUE(fs::exists(dir / "a.ico/inside"));
    EXPECT_EQ(EntryCount(dir.path()), 1u);
}

// Many writers at once each get a temporary file of their own.
TEST(ReplacingFile, ManyOpenAtOnceAreDistinct) {
    testsupport::TempDir dir;
    std::vector<std::unique_ptr<ReplacingFile>> open;
    for (int i = 0; i < 200; ++i) {
        open.push_back(ReplacingFile::Create((dir / "same.ico").string()));
        ASSERT_NE(open.back(), nullptr) << i;
    }
    EXPECT_EQ(EntryCount(dir.path()), 200u);
    ASSERT_TRUE(open[7]->WriteAt(0, Bytes("seventh")));
    ASSERT_TRUE(open[7]->Commit());
    open.clear();
    EXPECT_EQ(EntryCount(dir.path()), 1u);
    EXPECT_EQ(testsupport::ReadText(dir / "same.ico"), "seventh");
}

struct Interrupt {
    int signal;
};

class InterruptedWrite : public ::testing::TestWithParam<Interrupt> {};

// The handler removes the files in flight, then the process ends by the
// signal itself, as a caller waiting for it expects.
TEST_P(InterruptedWrite, RemovesTheTemporaryFilesAndEndsByTheSignal) {
    testsupport::TempDir dir;
    testsupport::WriteText(dir / "a.ico", "earlier");
    const int sig = GetParam().signal;
    const int status = InChild([&] {
        files::RemoveTempFilesOnInterrupt();
        auto first = ReplacingFile::Create((dir / "a.ico").string());
        auto second = ReplacingFile::Create((dir / "b.ico").string());
        auto done = ReplacingFile::Create((dir / "c.ico").string());
        if (!first || !second || !done || !first->WriteAt(0, Bytes("half")) || !done->Commit())
            _exit(3);
        raise(sig);
        _exit(4);  // not reached
    });
    ASSERT_TRUE(WIFSIGNALED(status)) << status;
    EXPECT_EQ(WTERMSIG(status), sig);
    EXPECT_EQ(testsupport::ReadText(dir / "a.ico"), "earlier");
    EXPECT_TRUE(fs::exists(dir / "c.ico"));
    EXPECT_EQ(EntryCount(dir.path()), 2u);
}

INSTANTIATE_TEST_SUITE_P(Signals, InterruptedWrite,
                         ::testing::Values(Interrupt{SIGINT}, Interrupt{SIGTERM}, Interrupt{SIGHUP},
                                           Interrupt{SIGQUIT}));

// A signal the process was started to ignore (SIGHUP under nohup) stays
// ignored: the run goes on.
TEST(InterruptedWrite, IgnoredSignalStaysIgnored) {
    testsupport::TempDir dir;
    const int status = InChild([&] {
        std::signal(SIGHUP, SIG_IGN);
        files::RemoveTempFilesOnInterrupt();
        auto file = ReplacingFile::Create((dir / "a.ico").string());
        raise(SIGHUP);
        _exit(file && file->WriteAt(0, Bytes("whole")) && file->Commit() ? 0 : 5);
    });
    ASSERT_TRUE(WIFEXITED(status)) << status;
    EXPECT_EQ(WEXITSTATUS(status), 0);
    EXPECT_EQ(testsupport::ReadText(dir / "a.ico"), "whole");
}

// Moving the folder (or one above it) while the file is written: the file is
// completed in the folder where it now is, and a discarded one leaves nothing
// there either.
TEST(ReplacingFile, FolderMovedBeforeCommitKeepsNothingBehind) {
    testsupport::TempDir dir;
    fs::create_directories(dir / "up/out");
    auto kept = ReplacingFile::Create((dir / "up/out/a.ico").string());
    auto dropped = ReplacingFile::Create((dir / "up/out/b.ico").string());
    ASSERT_NE(kept, nullptr);
    ASSERT_NE(dropped, nullptr);
    ASSERT_TRUE(kept->WriteAt(0, Bytes("icon")));
    fs::rename(dir / "up", dir / "moved");
    ASSERT_TRUE(kept->Commit());
    dropped->Discard();
    EXPECT_EQ(testsupport::ReadText(dir / "moved/out/a.ico"), "icon");
    EXPECT_EQ(EntryCount(dir / "moved/out"), 1u);
    EXPECT_FALSE(fs::exists(dir / "up"));
}

// The pattern a stale temporary file must have, exactly: a full stop, the
// target's name (cut where TempNameFor cuts it), a full stop, and eight
// letters or digits.
TEST(StaleTempFiles, OnlyTheExactPatternIsATemporaryName) {
    const std::string cut(NAME_MAX - 10, 'n');  // what is left of a long name
    const struct {
        std::string entry;
        std::string target;
        bool temp;
    } cases[] = {
        {".a.ico.abcdefgh", "a.ico", true},
        {".a.ico.AZaz0099", "a.ico", true},
        {".a.ico.abcdefg", "a.ico", false},      // seven letters
        {".a.ico.abcdefghi", "a.ico", false},    // nine
        {".a.ico.abcd-fgh", "a.ico", false},     // not a letter or digit
        {".a.ico.abcd_fgh", "a.ico", false},
        {".a.ico.abcdefg\xc3\xa9", "a.ico", false},
        {"a.ico.abcdefgh", "a.ico", false},      // no leading full stop
        {"..a.ico.abcdefgh", "a.ico", false},
        {".a.ico_abcdefgh", "a.ico", false},     // no full stop before the suffix
        {".b.ico.abcdefgh", "a.ico", false},     // another target's
        {".A.ico.abcdefgh", "a.ico", false},
        {".a.icoabcdefgh", "a.ico", false},
        {"." + cut + ".abcdefgh", cut + "tail.ico", true},
        {"." + cut + "t.abcdefgh", cut + "tail.ico", false},
        {"." + cut.substr(1) + ".abcdefgh", cut + "tail.ico", false},
    };
    for (const auto& c : cases)
        EXPECT_EQ(files::IsTempNameFor(c.entry, c.target), c.temp) << c.entry << " for " << c.target;
    EXPECT_EQ(files::TempNameFor(cut + "tail.ico", "abcdefgh").size(), static_cast<size_t>(NAME_MAX));
}

// A temporary file whose lock someone holds is being written: it stays. Let
// go, it is removed; something other than a plain file never is.
TEST(StaleTempFiles, OnlyAnUnlockedPlainFileIsRemoved) {
    testsupport::TempDir dir;
    const int folder = ::open(dir.path().c_str(), O_PATH | O_DIRECTORY);
    ASSERT_GE(folder, 0);
    testsupport::WriteText(dir / ".a.ico.lockedAA", "in flight");
    const int holder = ::open((dir / ".a.ico.lockedAA").c_str(), O_RDONLY);
    ASSERT_EQ(::flock(holder, LOCK_EX), 0);
    EXPECT_FALSE(files::RemoveIfStale(folder, ".a.ico.lockedAA"));
    EXPECT_TRUE(fs::exists(dir / ".a.ico.lockedAA"));
    ::close(holder);
    EXPECT_TRUE(files::RemoveIfStale(folder, ".a.ico.lockedAA"));
    EXPECT_FALSE(fs::exists(dir / ".a.ico.lockedAA"));

    ASSERT_EQ(::mkfifo((dir / ".a.ico.fifoAAAA").c_str(), 0644), 0);
    fs::create_directory(dir / ".a.ico.folderAA");
    fs::create_symlink(dir / "gone", dir / ".a.ico.linkAAAA");
    for (const char* name : {".a.ico.fifoAAAA", ".a.ico.folderAA", ".a.ico.linkAAAA", ".a.ico.missingA"})
        EXPECT_FALSE(files::RemoveIfStale(folder, name)) << name;
    EXPECT_EQ(EntryCount(dir.path()), 3u);
    ::close(folder);
}
