// Reading picture files: whole regular files only, never waiting on a pipe
// or a device, refused above the size limit.

#include "TestSupport.h"

#include "libs/imaging/Imaging.h"
#include "libs/imaging/PictureFile.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

#include <fcntl.h>
#include <unistd.h>

namespace {

using imaging::ReadPictureFile;

TEST(PictureFile, ReadsARegularFileWhole) {
    testsupport::TempDir dir;
    std::vector<uint8_t> content(70000);
    for (size_t i = 0; i < content.size(); ++i)
        content[i] = static_cast<uint8_t>(i * 7);
    testsupport::WriteBytes(dir / "a.png", content);
    imaging::PictureBytes read;
    ASSERT_TRUE(ReadPictureFile((dir / "a.png").string(), &read));
    EXPECT_EQ(std::vector<uint8_t>(read.begin(), read.end()), content);
    testsupport::WriteBytes(dir / "empty.png", {});
    EXPECT_TRUE(ReadPictureFile((dir / "empty.png").string(), &read));
    EXPECT_TRUE(read.empty());
}

TEST(PictureFile, OverTheLimitIsRefusedUnread) {
    testsupport::TempDir dir;
    testsupport::WriteBytes(dir / "a.png", std::vector<uint8_t>(1001, 1));
    imaging::PictureBytes read;
    EXPECT_FALSE(ReadPictureFile((dir / "a.png").string(), &read, 1000));
    EXPECT_TRUE(ReadPictureFile((dir / "a.png").string(), &read, 1001));
}

// A FIFO named like a picture, with no writer: opening it to read would wait
// for one forever; it is refused at once, by LoadPicture too.
TEST(PictureFile, PipesFoldersAndDevicesAreRefusedWithoutWaiting) {
    testsupport::TempDir dir;
    ASSERT_EQ(::mkfifo((dir / "x.png").c_str(), 0600), 0);
    imaging::PictureBytes read;
    EXPECT_FALSE(ReadPictureFile((dir / "x.png").string(), &read));
    EXPECT_FALSE(imaging::LoadPicture((dir / "x.png").string()));
    EXPECT_FALSE(ReadPictureFile(dir.path().string(), &read));
    EXPECT_FALSE(ReadPictureFile("/dev/zero", &read));  // a device that never ends
    EXPECT_FALSE(ReadPictureFile((dir / "missing.png").string(), &read));
}

// A FIFO with a writer that never writes would block a read too.
TEST(PictureFile, PipeWithAWriterIsStillRefused) {
    testsupport::TempDir dir;
    ASSERT_EQ(::mkfifo((dir / "y.png").c_str(), 0600), 0);
    const int reader = ::open((dir / "y.png").c_str(), O_RDONLY | O_NONBLOCK);
    ASSERT_GE(reader, 0);
    const int writer = ::open((dir / "y.png").c_str(), O_WRONLY | O_NONBLOCK);
    ASSERT_GE(writer, 0);
    imaging::PictureBytes read;
    EXPECT_FALSE(ReadPictureFile((dir / "y.png").string(), &read));
    ::close(writer);
    ::close(reader);
}

} // namespace
