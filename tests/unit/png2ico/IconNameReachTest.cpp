// Which paths icons being written could change: those that, links followed,
// pass a name ending in ".ico".
#include "png2ico/IconNameReach.h"

#include "TestSupport.h"

#include <gtest/gtest.h>

namespace fs = std::filesystem;
using png2ico::LeadsThroughIconName;

TEST(LeadsThroughIconName, PlainFoldersDoNot) {
    testsupport::TempDir dir;
    fs::create_directories(dir / "in/sub");
    EXPECT_FALSE(LeadsThroughIconName((dir / "in/sub").string()));
    EXPECT_FALSE(LeadsThroughIconName((dir / "in//sub/").string()));
    EXPECT_FALSE(LeadsThroughIconName((dir / "in/./sub/..").string()));
    EXPECT_FALSE(LeadsThroughIconName(""));
    EXPECT_FALSE(LeadsThroughIconName("/"));
    // Only the exact ending icons are given.
    fs::create_directories(dir / "in/Big.ICO");
    EXPECT_FALSE(LeadsThroughIconName((dir / "in/Big.ICO").string()));
}

TEST(LeadsThroughIconName, IconNamesOnTheWayDo) {
    testsupport::TempDir dir;
    fs::create_directories(dir / "out/x.ico/sub");
    EXPECT_TRUE(LeadsThroughIconName((dir / "out/x.ico/sub").string()));
    EXPECT_TRUE(LeadsThroughIconName((dir / "out/y.ico").string()));  // not there yet: an icon may appear
    // Below a missing folder nothing can be written yet.
    EXPECT_FALSE(LeadsThroughIconName((dir / "out/new/z.ico").string()));
}

TEST(LeadsThroughIconName, LinksAreFollowed) {
    testsupport::TempDir dir;
    fs::create_directories(dir / "real/deep");
    fs::create_directories(dir / "out");
    fs::create_directory_symlink(dir / "real", dir / "out/x.ico");
    fs::create_directory_symlink("../out/x.ico/deep", dir / "real/through");  // relative, via an icon name
    fs::create_directory_symlink(dir / "real/deep", dir / "plain");
    fs::create_directory_symlink("plain", dir / "chain");
    EXPECT_TRUE(LeadsThroughIconName((dir / "real/through").string()));
    EXPECT_FALSE(LeadsThroughIconName((dir / "chain").string()));
    // ".." after a link leaves the link's target, not the link's folder.
    EXPECT_FALSE(LeadsThroughIconName((dir / "chain/..").string()));
    fs::create_symlink("x.ico", dir / "real/file-link");
    EXPECT_TRUE(LeadsThroughIconName((dir / "real/file-link").string()));

    const fs::path previous = fs::current_path();
    fs::current_path(dir / "real");
    EXPECT_TRUE(LeadsThroughIconName("through"));
    EXPECT_FALSE(LeadsThroughIconName("deep"));
    fs::current_path(previous);
}

TEST(LeadsThroughIconName, EndlessLinksAreTakenCarefully) {
    testsupport::TempDir dir;
    fs::create_symlink("b", dir / "a");
    fs::create_symlink("a", dir / "b");
    EXPECT_TRUE(LeadsThroughIconName((dir / "a/inside").string()));
    // A chain of 40 links is followed to its end, as the system does; 41 are too many.
    fs::create_directory(dir / "real");
    fs::create_directory_symlink("real", dir / "l40");
    for (int i = 39; i >= 0; --i)
        fs::create_directory_symlink("l" + std::to_string(i + 1), dir / ("l" + std::to_string(i)));
    EXPECT_FALSE(LeadsThroughIconName((dir / "l1").string()));
    EXPECT_TRUE(LeadsThroughIconName((dir / "l0").string()));
}
