#include "png2ico/Options.h"

#include <gtest/gtest.h>

using png2ico::Options;
using png2ico::ParseArguments;
using SizeList = std::vector<imaging::SizeSpec>;

namespace {

Options Parse(std::vector<std::string> args) {
    args.insert(args.begin(), "png2ico");
    return ParseArguments(args);
}

} // namespace

struct SizeCase {
    std::vector<std::string> args;
    SizeList expected;
};

class SizeSpecParsing : public ::testing::TestWithParam<SizeCase> {};

TEST_P(SizeSpecParsing, AddsOnlyValidSpecsInOrder) {
    EXPECT_EQ(Parse(GetParam().args).sizeSpecs, GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, SizeSpecParsing,
    ::testing::Values(
        SizeCase{{"-s", "48", "32bpp"}, {{48, 32}}},
        SizeCase{{"-s", "48", "foo"}, {{48, 32}}},             // no number: 32 bits
        SizeCase{{"-s", "48", "12bpp"}, {}},                   // invalid depth dropped
        SizeCase{{"-s", "0", "32bpp"}, {}},
        SizeCase{{"-s", "1", "32bpp"}, {{1, 32}}},
        SizeCase{{"-s", "256", "4bpp"}, {{256, 4}}},
        SizeCase{{"-s", "257", "32bpp"}, {}},                  // the directory cannot state an edge above 256
        SizeCase{{"-s", "1024", "32bpp", "-s", "32", "8"}, {{32, 8}}},
        SizeCase{{"-s", "-16", "32bpp"}, {}},
        SizeCase{{"-s", "abc", "32bpp"}, {}},
        SizeCase{{"-S", "48", "8BPP"}, {{48, 8}}},             // option letter case ignored
        SizeCase{{"-s", "48"}, {}},                            // too few values
        SizeCase{{"-s", " +24", "4"}, {{24, 4}}},              // stream-read rules: blanks, sign
        SizeCase{{"-s", "16x", "24bits"}, {{16, 24}}},         // digits up to the first non-digit
        SizeCase{{"-s", "99999999999", "32bpp"}, {}},          // does not fit: no number
        SizeCase{{"-s", "16", "32bpp", "-s", "16", "32bpp", "-s", "256", "16bpp"}, {{16, 32}, {16, 32}, {256, 16}}},
        // The values of -s are skipped: "-s" as a value does not start another size.
        SizeCase{{"-s", "-s", "32", "8"}, {}}));

TEST(ParseArguments, FoldersAreTakenVerbatimAndTheLastWins) {
    Options o = Parse({"-i", "first", "-I", "in dir", "-o", "-odd", "-O", "--out"});
    EXPECT_EQ(o.inputFolder, "in dir");
    EXPECT_EQ(o.outputFolder, "--out");
}

TEST(ParseArguments, HelpOnlyWhenAnotherArgumentFollows) {
    EXPECT_TRUE(Parse({"-s", "48", "32bpp", "-o", "out", "-?", "-i", "in"}).help);
    EXPECT_FALSE(Parse({"-s", "48", "32bpp", "-o", "out", "-i", "in", "-?"}).help);
    EXPECT_FALSE(Parse({"-?"}).help);
    EXPECT_FALSE(Parse({"-h", "x"}).help);
}

TEST(ParseArguments, FlagsIgnoreLetterCaseAndMayStandLast) {
    Options o = Parse({"-SILENT", "x", "-NoConfirm"});
    EXPECT_TRUE(o.silent);
    EXPECT_TRUE(o.noConfirm);
    EXPECT_FALSE(Parse({"-silentx", "-noconfirm2"}).silent);
}

TEST(ParseArguments, ProgramNameTakesPart) {
    Options o = ParseArguments({"-silent"});
    EXPECT_TRUE(o.silent);
    // The name at index 0 can also start an option that consumes the next argument.
    o = ParseArguments({"-o", "out"});
    EXPECT_EQ(o.outputFolder, "out");
}

TEST(ParseArguments, OptionAsLastArgumentIsIgnored) {
    Options o = Parse({"-o", "a", "-o"});
    EXPECT_EQ(o.outputFolder, "a");
    o = Parse({"-i"});
    EXPECT_EQ(o.inputFolder, "");
}

TEST(ParseArguments, UnquotedBlankSplitsTheFolder) {
    Options o = Parse({"-i", "D:/my", "pics", "-o", "out"});
    EXPECT_EQ(o.inputFolder, "D:/my");
    EXPECT_EQ(o.outputFolder, "out");
}

TEST(ReadLeadingInt, FollowsFormattedStreamRules) {
    int v = 0;
    EXPECT_TRUE(png2ico::ReadLeadingInt("  -7x", &v));
    EXPECT_EQ(v, -7);
    EXPECT_TRUE(png2ico::ReadLeadingInt("2147483647", &v));
    EXPECT_EQ(v, 2147483647);
    EXPECT_TRUE(png2ico::ReadLeadingInt("-2147483648", &v));
    EXPECT_EQ(v, -2147483648LL);
    EXPECT_FALSE(png2ico::ReadLeadingInt("2147483648", &v));
    EXPECT_FALSE(png2ico::ReadLeadingInt("-2147483649", &v));
    EXPECT_FALSE(png2ico::ReadLeadingInt("99999999999999999999", &v));
    EXPECT_FALSE(png2ico::ReadLeadingInt("", &v));
    EXPECT_FALSE(png2ico::ReadLeadingInt("+", &v));
    EXPECT_FALSE(png2ico::ReadLeadingInt("- 5", &v));
}

struct WorkerCase {
    std::vector<std::string> args;
    unsigned workers;
    std::string outputFolder;  // shows whether the value after -j was consumed
};

class WorkerParsing : public ::testing::TestWithParam<WorkerCase> {};

TEST_P(WorkerParsing, TakesOnlyAValidCount) {
    const Options o = Parse(GetParam().args);
    EXPECT_EQ(o.workers, GetParam().workers);
    EXPECT_EQ(o.outputFolder, GetParam().outputFolder);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, WorkerParsing,
    ::testing::Values(
        WorkerCase{{"-j", "4", "-o", "out"}, 4, "out"},
        WorkerCase{{"-J", "1"}, 1, ""},
        WorkerCase{{"-o", "out", "-j", "007"}, 7, "out"},
        WorkerCase{{"-j", "99999999999999", "-o", "out"}, png2ico::kMaxWorkers, "out"},
        WorkerCase{{"-j", "300"}, png2ico::kMaxWorkers, ""},
        WorkerCase{{"-j", "256"}, 256, ""},
        WorkerCase{{"-j", "257"}, 256, ""},
        WorkerCase{{"-j", "255"}, 255, ""},
        WorkerCase{{"-j", "1"}, 1, ""},
        WorkerCase{{"-j", "000000000000255"}, 255, ""},   // leading zeros are not digits that count
        WorkerCase{{"-j", "999999999"}, png2ico::kMaxWorkers, ""},
        // Not a count: -j is ignored and the next argument read as usual.
        WorkerCase{{"-j", "-o", "out"}, 0, "out"},
        WorkerCase{{"-j", "0", "-o", "out"}, 0, "out"},
        WorkerCase{{"-j", "3x", "-o", "out"}, 0, "out"},
        WorkerCase{{"-j", "+3", "-o", "out"}, 0, "out"},
        WorkerCase{{"-j", "", "-o", "out"}, 0, "out"},
        WorkerCase{{"-o", "out", "-j"}, 0, "out"},
        // -o takes "-j" as its folder; the 2 that follows is ignored.
        WorkerCase{{"-o", "-j", "2"}, 0, "-j"}));
