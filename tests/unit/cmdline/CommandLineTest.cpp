#include "libs/cmdline/CommandLine.h"

#include <gtest/gtest.h>

using cmdline::QuoteArgument;
using cmdline::SplitCommandLine;
using Args = std::vector<std::string>;

TEST(SplitCommandLine, WindowsRules) {
    EXPECT_EQ(SplitCommandLine("png2ico -s 16 32bpp  -i D:\\my pics"),
              (Args{"png2ico", "-s", "16", "32bpp", "-i", "D:\\my", "pics"}));
    EXPECT_EQ(SplitCommandLine("a \"b c\" d"), (Args{"a", "b c", "d"}));
    EXPECT_EQ(SplitCommandLine("\"a\"b\" c\""), (Args{"ab c"}));
    EXPECT_EQ(SplitCommandLine("a\\\\\"b c\""), (Args{"a\\b c"}));     // 2n backslashes: n, quote groups
    EXPECT_EQ(SplitCommandLine("a\\\"b"), (Args{"a\"b"}));             // 2n+1: n and a literal quote
    EXPECT_EQ(SplitCommandLine("a\\b\\\\c"), (Args{"a\\b\\\\c"}));    // backslashes not before a quote
    EXPECT_EQ(SplitCommandLine("\"a\"\"b\""), (Args{"a\"b"}));         // "" inside a group
    EXPECT_EQ(SplitCommandLine("\"\""), (Args{""}));
    EXPECT_EQ(SplitCommandLine("\t \t"), Args{});
    EXPECT_EQ(SplitCommandLine("\"unterminated group"), (Args{"unterminated group"}));
}

class QuoteRoundTrip : public ::testing::TestWithParam<std::string> {};

TEST_P(QuoteRoundTrip, SplitGivesTheArgumentBack) {
    const std::string line = "png2ico -i " + QuoteArgument(GetParam()) + " -o " + QuoteArgument(GetParam());
    EXPECT_EQ(SplitCommandLine(line), (Args{"png2ico", "-i", GetParam(), "-o", GetParam()})) << line;
}

INSTANTIATE_TEST_SUITE_P(Paths, QuoteRoundTrip,
                         ::testing::Values("/home/u/my pics", "/tmp/x;rm -rf ~", "/tmp/$(touch pwned)",
                                           "/tmp/a\"b", "/tmp/tab\there", "/tmp/ends with\\", "C:\\dir with\\",
                                           "/tmp/\\\"q\\\"", "/tmp/`id`", "/tmp/图片 文件夹", "", "\"", "\\\\ \\"));

TEST(QuoteArgument, PlainPathsStandAsTheyAre) {
    EXPECT_EQ(QuoteArgument("/home/u/pics"), "/home/u/pics");
    EXPECT_EQ(QuoteArgument("D:\\pics"), "D:\\pics");
    EXPECT_EQ(QuoteArgument("/tmp/x;y$(z)"), "/tmp/x;y$(z)");  // no shell ever sees it
    EXPECT_EQ(QuoteArgument("/my pics"), "\"/my pics\"");
}
