// How many CPUs the converter uses by default: the affinity mask and the
// cgroup quota, read from the system's own files.
#include "png2ico/CpuCount.h"

#include "TestSupport.h"

#include <gtest/gtest.h>

#include <sched.h>
#include <sys/wait.h>
#include <unistd.h>

#include <map>

using png2ico::CgroupCpuLimit;
using png2ico::CpusFromQuota;

namespace {

// A file system of limit files: path to contents; missing files read empty.
struct FakeFiles {
    std::map<std::string, std::string> files;
    std::string operator()(const std::string& path) const {
        const auto it = files.find(path);
        return it == files.end() ? std::string() : it->second;
    }
};

const std::string kUnifiedMount =
    "30 25 0:26 / /sys/fs/cgroup rw,nosuid shared:4 - cgroup2 cgroup2 rw,nsdelegate\n";
const std::string kOlderCpuMount =
    "31 25 0:27 / /sys/fs/cgroup/cpu,cpuacct rw shared:5 - cgroup cgroup rw,cpu,cpuacct\n"
    "32 25 0:28 / /sys/fs/cgroup/memory rw shared:6 - cgroup cgroup rw,memory\n";

} // namespace

TEST(CpusFromQuota, RoundsUpAndKnowsNoLimit) {
    EXPECT_EQ(CpusFromQuota(200000, 100000), 2u);
    EXPECT_EQ(CpusFromQuota(150000, 100000), 2u);
    EXPECT_EQ(CpusFromQuota(50000, 100000), 1u);
    // Rounding up, on both sides of a whole CPU.
    EXPECT_EQ(CpusFromQuota(100000, 100000), 1u);
    EXPECT_EQ(CpusFromQuota(100001, 100000), 2u);
    EXPECT_EQ(CpusFromQuota(1, 100000), 1u);
    EXPECT_EQ(CpusFromQuota(7, 1), 7u);
    EXPECT_EQ(CpusFromQuota(0, 100000), std::nullopt);
    EXPECT_EQ(CpusFromQuota(-1, 100000), std::nullopt);
    EXPECT_EQ(CpusFromQuota(100000, 0), std::nullopt);
    EXPECT_EQ(CpusFromQuota(100000, -1), std::nullopt);
}

// Online CPUs, affinity, cgroup limit: the affinity replaces the online count
// when known, the limit caps it; the rows with both set disagree either way.
TEST(CombineCpuCounts, AffinityThenTheLowerOfItAndTheLimit) {
    struct Row { long online; std::optional<int> affinity; std::optional<unsigned> limit; unsigned expected; };
    const Row rows[] = {
        {8, std::nullopt, std::nullopt, 8}, {8, 3, std::nullopt, 3},  {8, 12, std::nullopt, 12},
        {8, 4, 2u, 2},                      {8, 2, 4u, 2},            {8, 3, 3u, 3},
        {64, std::nullopt, 2u, 2},          {2, std::nullopt, 6u, 2}, {8, 0, std::nullopt, 1},
        {0, std::nullopt, std::nullopt, 1}, {-1, std::nullopt, 4u, 1}, {-1, 5, std::nullopt, 5},
    };
    for (const Row& r : rows)
        EXPECT_EQ(png2ico::CombineCpuCounts(r.online, r.affinity, r.limit), r.expected)
            << r.online << " " << r.affinity.value_or(-9) << " " << r.limit.value_or(99);
}

TEST(CgroupCpuLimit, UnifiedHierarchyTakesTheLowestOnTheWayUp) {
    FakeFiles fs;
    fs.files["/sys/fs/cgroup/user.slice/job/cpu.max"] = "max 100000\n";
    fs.files["/sys/fs/cgroup/user.slice/cpu.max"] = "300000 100000\n";
    fs.files["/sys/fs/cgroup/cpu.max"] = "800000 100000\n";
    EXPECT_EQ(CgroupCpuLimit(kUnifiedMount, "0::/user.slice/job\n", fs), 3u);
    fs.files["/sys/fs/cgroup/user.slice/job/cpu.max"] = "50000 100000\n";
    EXPECT_EQ(CgroupCpuLimit(kUnifiedMount, "0::/user.slice/job\n", fs), 1u);
}

TEST(CgroupCpuLimit, OlderCpuControllerIsRead) {
    FakeFiles fs;
    fs.files["/sys/fs/cgroup/cpu,cpuacct/docker/abc/cpu.cfs_quota_us"] = "250000\n";
    fs.files["/sys/fs/cgroup/cpu,cpuacct/docker/abc/cpu.cfs_period_us"] = "100000\n";
    fs.files["/sys/fs/cgroup/cpu,cpuacct/cpu.cfs_quota_us"] = "-1\n";
    fs.files["/sys/fs/cgroup/cpu,cpuacct/cpu.cfs_period_us"] = "100000\n";
    const std::string cgroups = "5:memory:/docker/abc\n4:cpu,cpuacct:/docker/abc\n0::/\n";
    EXPECT_EQ(CgroupCpuLimit(kOlderCpuMount, cgroups, fs), 3u);
}

// Inside a container the mount shows only the container's part of the tree.
TEST(CgroupCpuLimit, MountOfASubtreeIsFollowedFromItsRoot) {
    FakeFiles fs;
    fs.files["/sys/fs/cgroup/cpu.max"] = "400000 100000";
    const std::string mount = "40 35 0:30 /kubepods/pod1 /sys/fs/cgroup ro - cgroup2 cgroup2 rw\n";
    EXPECT_EQ(CgroupCpuLimit(mount, "0::/kubepods/pod1\n", fs), 4u);
    // A group outside what is mounted tells nothing.
    EXPECT_EQ(CgroupCpuLimit(mount, "0::/elsewhere\n", fs), std::nullopt);
}

TEST(CgroupCpuLimit, NoQuotaNoLimit) {
    FakeFiles fs;
    fs.files["/sys/fs/cgroup/cpu.max"] = "max 100000\n";
    EXPECT_EQ(CgroupCpuLimit(kUnifiedMount, "0::/\n", fs), std::nullopt);
    EXPECT_EQ(CgroupCpuLimit("", "", fs), std::nullopt);
    EXPECT_EQ(CgroupCpuLimit("garbage\n- - -\n", "::\n", fs), std::nullopt);
}

// A process bound to one CPU (taskset) uses one.
TEST(UsableCpuCount, FollowsTheAffinityMask) {
    EXPECT_GE(png2ico::UsableCpuCount(), 1u);
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        cpu_set_t one;
        CPU_ZERO(&one);
        CPU_SET(static_cast<int>(sched_getcpu()), &one);
        if (sched_setaffinity(0, sizeof one, &one) != 0)
            _exit(2);
        _exit(png2ico::UsableCpuCount() == 1 ? 0 : 1);
    }
    const int status = testsupport::WaitWithin(child, 30000);
    ASSERT_TRUE(WIFEXITED(status)) << status;
    EXPECT_EQ(WEXITSTATUS(status), 0);
}
