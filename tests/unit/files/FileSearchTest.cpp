#include "libs/files/FileSearch.h"
#include "libs/files/IconNames.h"

#include "TestSupport.h"

#include <gtest/gtest.h>

using files::FindFiles;
using files::JoinPath;
using files::WildcardMatch;

TEST(WildcardMatch, IgnoresAsciiLetterCase) {
    EXPECT_TRUE(WildcardMatch("*.png", "a.png"));
    EXPECT_TRUE(WildcardMatch("*.png", "Photo.PNG"));
    EXPECT_TRUE(WildcardMatch("*.bmp", "x.Bmp"));
    EXPECT_TRUE(WildcardMatch("*.png", ".png"));
    EXPECT_TRUE(WildcardMatch("*.png", "a.b.png"));
    EXPECT_FALSE(WildcardMatch("*.png", "a.png.txt"));
    EXPECT_FALSE(WildcardMatch("*.png", "apng"));
    EXPECT_FALSE(WildcardMatch("*.exe", "a.exe "));
}

TEST(WildcardMatch, StarsAndQuestionMarks) {
    EXPECT_TRUE(WildcardMatch("*.*", "noextension"));
    EXPECT_TRUE(WildcardMatch("*", ""));
    EXPECT_TRUE(WildcardMatch("a?c*", "abcdef"));
    EXPECT_FALSE(WildcardMatch("a?c", "ac"));
    EXPECT_TRUE(WildcardMatch("*a*b*c", "xxaxxbxxbxc"));
    // Backtracking stays linear: a long name against a pathological pattern.
    EXPECT_FALSE(WildcardMatch("*a*a*a*a*a*b", std::string(5000, 'a')));
}

TEST(FindFiles, ListsMatchesOfAnyKindSortedByName) {
    testsupport::TempDir dir;
    testsupport::WriteText(dir / "b.PNG", "");
    testsupport::WriteText(dir / "a.png", "");
    testsupport::WriteText(dir / ".hidden.png", "");
    testsupport::WriteText(dir / "c.txt", "");
    std::filesystem::create_directory(dir / "folder.png");
    const auto found = FindFiles(dir.path().string(), "*.png");
    ASSERT_EQ(found.size(), 4u);
    EXPECT_EQ(found[0].name, ".hidden.png");
    EXPECT_EQ(found[1].name, "a.png");
    EXPECT_EQ(found[2].name, "b.PNG");
    EXPECT_EQ(found[3].name, "folder.png");
    EXPECT_TRUE(found[3].isDirectory);
    EXPECT_FALSE(found[1].isDirectory);
}

TEST(FindFiles, MissingFolderGivesNothing) {
    EXPECT_TRUE(FindFiles("/nonexistent/folder/for/sure", "*.*").empty());
}

TEST(JoinPath, ExactlyOneSeparator) {
    EXPECT_EQ(JoinPath("/pics", "a.png"), "/pics/a.png");
    EXPECT_EQ(JoinPath("/pics/", "a.png"), "/pics/a.png");
    EXPECT_EQ(JoinPath("/", "a.png"), "/a.png");
    EXPECT_EQ(JoinPath("", "a.png"), "a.png");
    EXPECT_EQ(JoinPath("rel//", "a"), "rel/a");
}

TEST(IconNameReplacingLastFour, KeepsTheBaseNameAndWritesLowerCase) {
    EXPECT_EQ(files::IconNameReplacingLastFour("SETUP.EXE"), "SETUP.ico");
    EXPECT_EQ(files::IconNameReplacingLastFour("/dir/Photo.Bmp"), "/dir/Photo.ico");
    EXPECT_EQ(files::IconNameReplacingLastFour("a.b.exe"), "a.b.ico");
    EXPECT_EQ(files::IconNameReplacingLastFour("exe"), ".ico");
    EXPECT_EQ(files::IconNameReplacingLastFour(".exe"), ".ico");   // exactly four characters
    EXPECT_EQ(files::IconNameReplacingLastFour("a.exe"), "a.ico");
}

TEST(IconNameReplacingExtension, ReplacesFromTheLastFullStop) {
    EXPECT_EQ(files::IconNameReplacingExtension("Flower.PNG"), "Flower.ico");
    EXPECT_EQ(files::IconNameReplacingExtension("a.b.png"), "a.b.ico");
    EXPECT_EQ(files::IconNameReplacingExtension(".png"), ".ico");
}

// What both rules make, and nothing else, counts as a possible icon name.
TEST(MayBeIconName, ExactlyTheEndingTheRulesWrite) {
    for (const std::string& made : {files::IconNameReplacingExtension("a.PNG"), files::IconNameReplacingLastFour("B.EXE"),
                                    files::IconNameReplacingExtension(".png")})
        EXPECT_TRUE(files::MayBeIconName(made)) << made;
    for (const char* other : {"a.ICO", "a.ico.bak", "ico", "", "a.icon"})
        EXPECT_FALSE(files::MayBeIconName(other)) << other;
}
