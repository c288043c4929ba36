#include "png2ico/Console.h"

#include <gtest/gtest.h>

#include <iterator>
#include <sstream>

using namespace png2ico;

TEST(Console, SettingsLinesWithTabs) {
    Options o;
    o.inputFolder = "/pics";
    o.outputFolder = "/icons";
    o.sizeSpecs = {{16, 32}, {48, 8}};
    std::ostringstream out;
    PrintSettings(out, o);
    EXPECT_EQ(out.str(),
              "Input  Directory:\t/pics\n"
              "Output Directory:\t/icons\n"
              "Output sizes:\t\t16x16 32bpp, 48x48 8bpp\n");
}

TEST(Console, BannerEndsWithRuleAndEmptyLine) {
    std::ostringstream out;
    PrintBanner(out);
    const std::string text = out.str();
    EXPECT_EQ(std::count(text.begin(), text.end(), '\n'), 5);
    EXPECT_TRUE(text.ends_with("\n" + std::string(48, '-') + "\n\n"));
    EXPECT_TRUE(text.starts_with("png2ico V1.00"));
}

TEST(Console, UsageHasNineLines) {
    std::ostringstream out;
    PrintUsage(out);
    const std::string text = out.str();
    EXPECT_TRUE(text.starts_with("Commandline options:\n-? for help\n"));
    EXPECT_TRUE(text.ends_with("and output them to c:\\icons\\\n"));
    // Nine printed lines, two of which start with a line break of their own.
    EXPECT_EQ(std::count(text.begin(), text.end(), '\n'), 11);
}

struct AnswerCase {
    std::string input;
    bool yes;
};

class Answers : public ::testing::TestWithParam<AnswerCase> {};

TEST_P(Answers, ContinueOnlyOnYes) {
    std::istringstream in(GetParam().input);
    std::ostringstream out;
    EXPECT_EQ(AskToContinue(out, in), GetParam().yes) << "input: " << GetParam().input;
    EXPECT_EQ(out.str(), "Continue [yes/no]? ");
}

INSTANTIATE_TEST_SUITE_P(Cases, Answers,
                         ::testing::Values(AnswerCase{"yes\n", true}, AnswerCase{"Yes", true},
                                           AnswerCase{"  oK  \n", true}, AnswerCase{"JA\n", true},
                                           AnswerCase{"y", true}, AnswerCase{"TRUE", true}, AnswerCase{"1", true},
                                           AnswerCase{"01", false}, AnswerCase{"no", false},
                                           AnswerCase{"yes!", false}, AnswerCase{"", false},
                                           AnswerCase{"   \n", false}, AnswerCase{"n yes", false}));

// An endless answer without blanks (a stream of NUL bytes) is read only up to
// a bounded length and counts as no; the rest stays unread.
TEST(Console, OverlongAnswerIsReadOnlyInPart) {
    std::istringstream in(std::string(1 << 20, '\0'));
    std::ostringstream out;
    EXPECT_FALSE(AskToContinue(out, in));
    const std::string rest{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    EXPECT_GE(rest.size(), (size_t{1} << 20) - kMaxAnswerChars);
    std::istringstream longYes("yes" + std::string(1 << 20, 's'));
    EXPECT_FALSE(AskToContinue(out, longYes));
}
