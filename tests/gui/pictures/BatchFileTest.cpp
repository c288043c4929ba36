// The batch file a PNG job writes, byte for byte: the size list for ticked
// options in index order, the paths as the converter must receive them,
// CR LF line ends, UTF-8. A stand-in converter that ends at once keeps
// these tests fast; the marker ends each job.

#include "PageFixture.h"

#include "app/pictures/JobBatchFile.h"
#include "libs/cmdline/CommandLine.h"

namespace fs = std::filesystem;

namespace {

std::vector<uint8_t> Bytes(const std::string& text) {
    return {text.begin(), text.end()};
}

} // namespace

class BatchFileTest : public PageTest {
protected:
    void SetUp() override {
        PageTest::SetUp();
        job = top / "job";
        fs::create_directories(job);
        testsupport::WriteText(top / "quick.sh", "#!/bin/sh\nexit 0\n");
        page().SetJobFolder(Q(job));
        page().SetConverterSource(Q(top / "quick.sh"));
    }

    // Starts a job from `source` to `target` and returns its batch file.
    std::string RunJob(const fs::path& source, const fs::path& target) {
        fs::create_directories(source);
        fs::create_directories(target);
        testsupport::WritePicture(source / "a.png", 4, 4, 0xFF000000u, "PNG");
        EXPECT_TRUE(page().dirPIC->SetPath(Q(source)));
        EXPECT_TRUE(page().dirICO->SetPath(Q(target)));
        page().cmdPIC2ICO->click();
        const std::string batch = testsupport::ReadText(job / "png2ico.bat");
        EXPECT_TRUE(WaitUntil([&] { return fs::exists(job / "overpng2ico.tmp") || !messages.empty(); }));
        page().Timer_Timer();
        EXPECT_EQ(messages.size(), 1u);
        return batch;
    }

    fs::path job;
};

struct SizeCase {
    const char* label;
    std::vector<int> ticked;  // in the order the user ticks them
    const char* sizes;
};

class SizeListTest : public BatchFileTest, public ::testing::WithParamInterface<SizeCase> {};

TEST_P(SizeListTest, LineOneHoldsTheTickedSizesInIndexOrder) {
    for (int i = 1; i <= PicturePage::kSizeOptions; ++i)
        page().chkPNG2ICOOption(i)->SetValue(0);
    for (int i : GetParam().ticked)
        page().chkPNG2ICOOption(i)->SetValue(1);
    const fs::path source = d / "pics", target = e / "icons";
    const std::string expected = std::string("png2ico") + GetParam().sizes + " -i " + source.string() + " -o " +
                                 target.string() + " -noconfirm -silent\r\nover>overpng2ico.tmp\r\n";
    EXPECT_TRUE(testsupport::BytesEqual(Bytes(expected), Bytes(RunJob(source, target)),
                                        std::string("batch-") + GetParam().label + ".bat"));
}

INSTANTIATE_TEST_SUITE_P(
    Ticks, SizeListTest,
    ::testing::Values(
        SizeCase{"all", {1, 2, 3, 4, 5, 6, 7},
                 " -s 16 32bpp -s 32 32bpp -s 48 32bpp -s 64 32bpp -s 72 32bpp -s 96 32bpp -s 128 32bpp"},
        SizeCase{"all_ticked_backwards", {7, 6, 5, 4, 3, 2, 1},
                 " -s 16 32bpp -s 32 32bpp -s 48 32bpp -s 64 32bpp -s 72 32bpp -s 96 32bpp -s 128 32bpp"},
        SizeCase{"only_128", {7}, " -s 128 32bpp"},
        SizeCase{"72_and_32", {5, 2}, " -s 32 32bpp -s 72 32bpp"},
        SizeCase{"none", {}, ""}),
    [](const auto& param_info) { return std::string(param_info.param.label); });

// The enabled state does not count: ticks made while BMP was chosen still
// give their sizes.
TEST_F(BatchFileTest, DisabledOptionsStillCountByTheirTicks) {
    page().cboPicType->setCurrentIndex(1);
    page().cboPicType_Click();
    page().cboPicType->setCurrentIndex(0);  // the text alone, no Click: boxes stay disabled
    for (int i = 1; i <= 6; ++i)
        page().chkPNG2ICOOption(i)->SetValue(0);
    ASSERT_FALSE(page().chkPNG2ICOOption(7)->isEnabled());
    const std::string batch = RunJob(d / "p", e / "i");
    EXPECT_EQ(batch.substr(0, 22), "png2ico -s 128 32bpp -");
}

struct PathCase {
    const char* label;
    const char* source;  // folder names under D and E
    const char* target;
    const char* sourceText;  // as line 1 writes them, after the volume's path
    const char* targetText;
};

class PathQuotingTest : public BatchFileTest, public ::testing::WithParamInterface<PathCase> {};

// Paths with blanks or quotes are quoted so that each reaches the converter
// whole; every other path stands as it is. The runner splits line 1 back
// into exactly the two folders.
TEST_P(PathQuotingTest, EachPathReachesTheConverterAsOneArgument) {
    const PathCase& c = GetParam();
    const fs::path source = d / c.source, target = e / c.target;
    const std::string batch = RunJob(source, target);
    const bool quoteSource = std::string(c.sourceText).front() == '"';
    const bool quoteTarget = std::string(c.targetText).front() == '"';
    const std::string sourceText = quoteSource ? "\"" + d.string() + "/" + (c.sourceText + 1) : d.string() + "/" + c.sourceText;
    const std::string targetText = quoteTarget ? "\"" + e.string() + "/" + (c.targetText + 1) : e.string() + "/" + c.targetText;
    const std::string expected = "png2ico -s 16 32bpp -s 32 32bpp -s 48 32bpp -s 64 32bpp -s 72 32bpp -s 96 32bpp "
                                 "-s 128 32bpp -i " + sourceText + " -o " + targetText +
                                 " -noconfirm -silent\r\nover>overpng2ico.tmp\r\n";
    EXPECT_TRUE(testsupport::BytesEqual(Bytes(expected), Bytes(batch), std::string("path-") + c.label + ".bat"));

    const std::vector<std::string> args = cmdline::SplitCommandLine(batch.substr(0, batch.find("\r\n")));
    ASSERT_EQ(args.size(), 28u);  // png2ico, 7 x (-s size 32bpp), -i, -o, two switches
    EXPECT_EQ(args[23], source.string());
    EXPECT_EQ(args[25], target.string());
}

INSTANTIATE_TEST_SUITE_P(
    Paths, PathQuotingTest,
    ::testing::Values(
        PathCase{"plain", "pics", "icons", "pics", "icons"},
        PathCase{"blank", "my pics", "new icons", "\"my pics\"", "\"new icons\""},
        PathCase{"quote_and_backslash", "say \"hi\\\"", "a\\b", "\"say \\\"hi\\\\\\\"\"", "a\\b"},
        PathCase{"shell_syntax", "x;rm -rf ~", "$(touch pwned)`id`", "\"x;rm -rf ~\"", "\"$(touch pwned)`id`\""},
        PathCase{"shell_syntax_no_blank", "$HOME;id>x", "a&b|c", "$HOME;id>x", "a&b|c"},
        PathCase{"chinese", "图片 一", "图标", "\"图片 一\"", "图标"}),
    [](const auto& param_info) { return std::string(param_info.param.label); });

TEST(JobBatchFile, APathWithALineBreakCannotBeWritten) {
    EXPECT_FALSE(JobBatchFile(QString(), QStringLiteral("/a\r\nover>x"), QStringLiteral("/b")));
    EXPECT_FALSE(JobBatchFile(QString(), QStringLiteral("/a"), QStringLiteral("/b\nc")));
    EXPECT_TRUE(JobBatchFile(QString(), QStringLiteral("/a"), QStringLiteral("/b")));
}
