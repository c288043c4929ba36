// png2ico as a process: its whole console output byte for byte, its exit code
// and the files it leaves.

#include "TestSupport.h"

#include <gtest/gtest.h>

#include <sys/mount.h>

namespace fs = std::filesystem;
using testsupport::RunProcess;
using testsupport::TempDir;
using testsupport::WritePicture;

namespace {

const std::string kBanner =
    "png2ico V1.00 - converts PNG pictures to Windows icons\n"
    "Copyright (C) 2026 The Trevalo Project. png2ico is free software under the GPL, version 3 or later.\n"
    "Icon set copyright (C) 2026 The Trevalo Project.\n"
    "------------------------------------------------\n\n";

const std::string kUsage =
    "Commandline options:\n"
    "-? for help\n"
    "-i <dir>, specifies the input folder that contain the PNG files to convert\n"
    "-o <dir>, specifies the output folder for the new ICON files\n"
    "-s <size,bpp>, specifies a size of the ICON files. Use multiple -s <size><bpp>bpp for multiple sizes and bits "
    "per pixels\n"
    "-noconfirm, don't ask the user for confirmation\n"
    "-silent, no progress output\n"
    "\nExample: png2ico.exe -s 16 32bpp -s 32 32bpp -s 48 32bpp -i c:\\pngs\\ -o c:\\icons\\\n"
    "\nThis will convert all PNG files in c:\\pngs\\ to icons with 16x16, 32x32 and 48x48 (all in 32bits per pixel) "
    "icons and output them to c:\\icons\\\n";

const std::string kDone = "\nDONE! The PNGs are converted to ICOns.\n";
const std::string kQuestion = "Continue [yes/no]? ";

testsupport::ProcessResult Png2ico(const std::vector<std::string>& args, const fs::path& cwd,
                                   const std::string& input = {}) {
    auto r = RunProcess(PNG2ICO_PATH, args, cwd, input);
    EXPECT_FALSE(r.crashed);
    EXPECT_EQ(r.exitCode, 0);
    return r;
}

std::string Settings(const std::string& in, const std::string& out, const std::string& sizes) {
    return "Input  Directory:\t" + in + "\nOutput Directory:\t" + out + "\nOutput sizes:\t\t" + sizes +
           "\n\nConverting PNGS to ICOs:\n";
}

// A folder "pngs" with a.png and flower.png.
struct TwoPictures {
    TempDir dir;
    TwoPictures() {
        fs::create_directory(dir / "pngs");
        WritePicture(dir / "pngs/a.png", 30, 30, 0xff00ff00);
        WritePicture(dir / "pngs/flower.png", 30, 30, 0x7f0000ff);
    }
    std::string Progress() const {
        return "pngs/a.png .......[OK]\npngs/flower.png ..[OK]\n";
    }
};

} // namespace

TEST(Png2icoProcess, NoArgumentsGivesBannerAndUsage) {
    TempDir dir;
    EXPECT_EQ(Png2ico({}, dir.path()).out, kBanner + kUsage);
}

TEST(Png2icoProcess, SilentAloneGivesUsageOnly) {
    TempDir dir;
    EXPECT_EQ(Png2ico({"-silent"}, dir.path()).out, kUsage);
}

TEST(Png2icoProcess, HelpInTheMiddleConvertsNothing) {
    TwoPictures t;
    auto r = Png2ico({"-s", "48", "32bpp", "-o", "out", "-?", "-i", "pngs"}, t.dir.path());
    EXPECT_EQ(r.out, kBanner + kUsage);
    EXPECT_FALSE(fs::exists(t.dir / "out"));
}

TEST(Png2icoProcess, FinalHelpIsIgnored) {
    TwoPictures t;
    auto r = Png2ico({"-s", "48", "32bpp", "-o", "out", "-i", "pngs", "-noconfirm", "-?"}, t.dir.path());
    EXPECT_EQ(r.out, kBanner + Settings("pngs", "out", "48x48 32bpp") + t.Progress() + kDone);
    EXPECT_EQ(fs::file_size(t.dir / "out/a.ico"), 6u + 16 + 9640);
}

TEST(Png2icoProcess, NoValidSizeGivesUsage) {
    TwoPictures t;
    EXPECT_EQ(Png2ico({"-s", "48", "12bpp", "-o", "out", "-i", "pngs"}, t.dir.path()).out, kBanner + kUsage);
    EXPECT_EQ(Png2ico({"-s", "257", "32bpp", "-o", "out", "-i", "pngs"}, t.dir.path()).out, kBanner + kUsage);
    EXPECT_FALSE(fs::exists(t.dir / "out"));
    EXPECT_EQ(Png2ico({"-silent", "-s", "48", "32bpp", "-i", "pngs"}, t.dir.path()).out, kUsage);
}

struct Answer {
    std::string input;
    bool converts;
};

class Png2icoQuestion : public ::testing::TestWithParam<Answer> {};

TEST_P(Png2icoQuestion, ContinuesOnlyOnYes) {
    TwoPictures t;
    auto r = Png2ico({"-s", "16", "32bpp", "-s", "32", "8bpp", "-i", "pngs", "-o", "out"}, t.dir.path(),
                     GetParam().input);
    const std::string head = kBanner + Settings("pngs", "out", "16x16 32bpp, 32x32 8bpp") + kQuestion;
    if (GetParam().converts) {
        EXPECT_EQ(r.out, head + t.Progress() + kDone);
        EXPECT_EQ(fs::file_size(t.dir / "out/flower.ico"), 6u + 32 + 1128 + (1064 + 32 * 32 + 128));
    } else {
        EXPECT_EQ(r.out, head);
        EXPECT_FALSE(fs::exists(t.dir / "out"));
    }
}

INSTANTIATE_TEST_SUITE_P(Answers, Png2icoQuestion,
                         ::testing::Values(Answer{"yes\n", true}, Answer{"Yes\n", true}, Answer{"OK\n", true},
                                           Answer{"ja\n", true}, Answer{"1\n", true}, Answer{"01\n", false},
                                           Answer{"no\n", false}, Answer{"", false}));

TEST(Png2icoProcess, SilentStillAsksButPrintsNothingElse) {
    TwoPictures t;
    auto r = Png2ico({"-silent", "-s", "16", "32bpp", "-i", "pngs", "-o", "out"}, t.dir.path(), "y\n");
    EXPECT_EQ(r.out, kQuestion);
    EXPECT_TRUE(fs::exists(t.dir / "out/a.ico"));
}

TEST(Png2icoProcess, MissingInputFolderIsSaidAndConvertsNothing) {
    TempDir dir;
    auto r = Png2ico({"-s", "16", "32bpp", "-i", "nowhere", "-o", "out", "-noconfirm"}, dir.path());
    EXPECT_EQ(r.out, kBanner + Settings("nowhere", "out", "16x16 32bpp") +
                         "\nDirectory 'nowhere' could not be read.\n\n" + kDone);
    EXPECT_FALSE(fs::exists(dir / "out"));
}

TEST(Png2icoProcess, UnwritableOutputFolderGivesTheDirectoryMessage) {
    TwoPictures t;
    testsupport::WriteText(t.dir / "file", "");
    auto r = Png2ico({"-s", "16", "32bpp", "-i", "pngs", "-o", "file/icons", "-noconfirm"}, t.dir.path());
    EXPECT_EQ(r.out, kBanner + Settings("pngs", "file/icons", "16x16 32bpp") +
                         "\nDirectory 'file/' could not be created. Make sure you have the rights to create "
                         "directories on this volume or check if the parent directory exists!\n\n" +
                         kDone);
}

// A write that fails part way (the file size limit stands in for a full
// disk) must give [ERROR] and leave no short icon behind.
TEST(Png2icoProcess, FailedWritesAreErrorsAndLeaveNoFile) {
    TwoPictures t;
    const std::string command = std::string("trap '' XFSZ; ulimit -f 8; exec '") + PNG2ICO_PATH +
                                "' -s 16 32bpp -s 128 32bpp -i pngs -o out -noconfirm";
    auto r = RunProcess("/bin/sh", {"-c", command}, t.dir.path());
    EXPECT_EQ(r.exitCode, 0);
    EXPECT_NE(r.out.find("pngs/a.png .......[ERROR]\n"), std::string::npos) << r.out;
    EXPECT_FALSE(fs::exists(t.dir / "out/a.ico"));
    EXPECT_FALSE(fs::exists(t.dir / "out/flower.ico"));
}

// The same on a really full file system, where this machine lets us mount one.
TEST(Png2icoProcess, FullDiskIsAnError) {
    TwoPictures t;
    fs::create_directory(t.dir / "small");
    if (::mount("tmpfs", (t.dir / "small").c_str(), "tmpfs", 0, "size=64k") != 0)
        GTEST_SKIP() << "cannot mount a small file system here";
    auto r = Png2ico({"-s", "128", "32bpp", "-i", "pngs", "-o", "small", "-noconfirm", "-silent"}, t.dir.path());
    const bool aExists = fs::exists(t.dir / "small/a.ico");
    const bool flowerExists = fs::exists(t.dir / "small/flower.ico");
    ::umount((t.dir / "small").c_str());
    EXPECT_EQ(r.out, "");
    // 64 KiB hold neither icon of 67,646 bytes; nothing short may remain.
    EXPECT_FALSE(aExists);
    EXPECT_FALSE(flowerExists);
}

TEST(Png2icoProcess, FolderWithTrailingSeparatorJoinsWithOne) {
    TwoPictures t;
    auto r = Png2ico({"-s", "16", "32bpp", "-i", "pngs/", "-o", "out/"}, t.dir.path(), "ok");
    EXPECT_NE(r.out.find(kQuestion + "pngs/a.png .......[OK]\n"), std::string::npos) << r.out;
}
