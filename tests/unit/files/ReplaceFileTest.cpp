#include "libs/files/ReplaceFile.h"

#include "TestSupport.h"

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

namespace fs = std::filesystem;
using files::ReplaceFile;

TEST(ReplaceFile, ReplacesTheWholeFile) {
    testsupport::TempDir dir;
    testsupport::WriteText(dir / "a.ico", std::string(1000, 'x'));
    const std::vector<uint8_t> bytes = {1, 2, 3};
    ASSERT_TRUE(ReplaceFile((dir / "a.ico").string(), bytes));
    EXPECT_EQ(testsupport::ReadBytes(dir / "a.ico"), bytes);
}

// A program's file carries its run bits from the moment it has its name.
TEST(ReplaceFile, GivesTheModeAskedFor) {
    testsupport::TempDir dir;
    const std::vector<uint8_t> bytes = {'#', '!'};
    ASSERT_TRUE(ReplaceFile((dir / "tool").string(), bytes, 0755));
    EXPECT_EQ(fs::status(dir / "tool").permissions(), fs::perms(0755));
    ASSERT_TRUE(ReplaceFile((dir / "tool").string(), bytes, 0600));
    EXPECT_EQ(fs::status(dir / "tool").permissions(), fs::perms(0600));
}

TEST(ReplaceFile, RefusesWhatIsNoPlainFile) {
    testsupport::TempDir dir;
    fs::create_directory(dir / "folder.ico");
    const std::vector<uint8_t> bytes = {1};
    EXPECT_FALSE(ReplaceFile((dir / "folder.ico").string(), bytes));
    EXPECT_FALSE(ReplaceFile((dir / "missing/a.ico").string(), bytes));
    ASSERT_EQ(::mkfifo((dir / "pipe.ico").c_str(), 0600), 0);
    EXPECT_FALSE(ReplaceFile((dir / "pipe.ico").string(), bytes));  // neither blocks nor removes it
    EXPECT_TRUE(fs::is_fifo(dir / "pipe.ico"));
    EXPECT_FALSE(ReplaceFile("/dev/full", bytes));
    EXPECT_TRUE(fs::exists("/dev/full"));
}

// A write cut short (the file size limit stands in for a full disk) leaves
// the earlier file as it was and no partial file.
TEST(ReplaceFile, FailedWriteKeepsTheEarlierFile) {
    testsupport::TempDir dir;
    const std::string path = (dir / "big.ico").string();
    testsupport::WriteText(path, "earlier");
    const std::vector<uint8_t> bytes(5000, 7);
    EXPECT_EQ(testsupport::ExitCodeUnderFileSizeLimit(1000, [&] { return ReplaceFile(path, bytes) ? 1 : 0; }), 0);
    EXPECT_EQ(testsupport::ReadText(path), "earlier");
    EXPECT_EQ(std::distance(fs::directory_iterator(dir.path()), fs::directory_iterator()), 1);
}
