#pragma once
// How many CPUs the converter may keep busy: not the machine's core count but
// what this process may run on (its affinity mask, as taskset or a cpuset
// sets it) and what its cgroup's CPU quota allows (a container limited to 2
// CPUs on a 64-core host gets 2).

#include <functional>
#include <optional>
#include <string>

namespace png2ico {

// At least 1.
unsigned UsableCpuCount();

// The count from what the system said: the online CPUs, the CPUs of the
// affinity mask (none when it could not be read) and the cgroup limit (none
// when there is no quota). At least 1.
unsigned CombineCpuCounts(long online, std::optional<int> affinity, std::optional<unsigned> cgroupLimit);

// The CPU limit of the cgroups a process is in, from the texts of
// /proc/self/mountinfo and /proc/self/cgroup, reading the limit files through
// `readFile` (empty when missing): the lowest quota of the process's cgroup
// and its ancestors, in whole CPUs rounded up; none when no quota is set.
// Both the unified (cpu.max) and the older cpu controller
// (cpu.cfs_quota_us, cpu.cfs_period_us) are read.
std::optional<unsigned> CgroupCpuLimit(const std::string& mountinfo, const std::string& cgroups,
                                       const std::function<std::string(const std::string&)>& readFile);

// Whole CPUs, rounded up, for a quota and period in microseconds; none for
// a quota that is no limit (negative, zero, or a period of zero).
std::optional<unsigned> CpusFromQuota(long long quota, long long period);

} // namespace png2ico
