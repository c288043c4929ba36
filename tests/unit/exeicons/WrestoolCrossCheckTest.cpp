// An independent reader (wrestool of icoutils) lists the same icon group and
// icon ids in the fixture executables as this reader finds.

#include "Fixtures.h"

#include "TestSupport.h"

#include <gtest/gtest.h>

#include <regex>
#include <sstream>

using namespace exeicons;
using namespace exeicons_test;
using namespace pewriter;

namespace {

struct Listed { std::string type; std::string name; };

std::vector<Listed> WrestoolList(const std::filesystem::path& file) {
    const auto run = testsupport::RunProcess("wrestool", {"-l", file.string()}, file.parent_path());
    EXPECT_EQ(run.exitCode, 0) << run.err;
    std::vector<Listed> listed;
    std::istringstream lines(run.out);
    const std::regex line("--type=(\\d+) --name=(\\S+)");
    for (std::string l; std::getline(lines, l);)
        if (std::smatch m; std::regex_search(l, m, line))
            listed.push_back({m[1], m[2]});
    return listed;
}

std::string WrestoolName(const ResourceName& n) {
    return n.named ? "'" + n.text + "'" : std::to_string(n.id);
}

void CrossCheck(const std::vector<uint8_t>& bytes) {
    testsupport::TempDir dir;
    testsupport::WriteBytes(dir / "fixture.exe", bytes);
    const auto listed = WrestoolList(dir / "fixture.exe");
    const auto ours = Read(bytes);
    ASSERT_TRUE(ours.ok());
    std::vector<std::string> groups, icons;
    for (const Listed& l : listed)
        (l.type == "14" ? groups : icons).push_back(l.name);
    ASSERT_FALSE(groups.empty());
    EXPECT_EQ(groups.front(), WrestoolName(ours.group.name));
    for (const IconImage& image : ours.group.images)
        EXPECT_NE(std::find(icons.begin(), icons.end(), std::to_string(image.entry.id)), icons.end())
            << image.entry.id;
}

TEST(WrestoolCrossCheck, ListsTheSameGroupsAndIcons) {
    if (!testsupport::HaveProgram("wrestool"))
        GTEST_SKIP() << "wrestool (icoutils) is not installed";
    std::vector<Resource> r = ThreeImageGroup(9);
    AddIconGroup(&r, ResId::Number(4), {{20, MakeSolidDib(48, 48, 8, 1)}, {21, MakeSolidDib(16, 16, 4, 1)}});
    CrossCheck(BuildPe(r, {PeKind::kPe32Plus}).bytes);
    AddIconGroup(&r, ResId::Name(u"APP"), {{30, MakeSolidDib(32, 32, 24, 1)}});
    CrossCheck(BuildPe(r).bytes);
    CrossCheck(BuildNe(r).bytes);
}

} // namespace
