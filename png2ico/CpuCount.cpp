#include "png2ico/CpuCount.h"

#include <sched.h>
#include <unistd.h>

#include <algorithm>
#include <fstream>
#include <sstream>
#include <vector>

namespace png2ico {
namespace {

std::string ReadWhole(const std::string& path) {
    std::ifstream in(path);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

std::vector<std::string> Split(const std::string& text, char separator) {
    std::vector<std::string> parts;
    std::string part;
    std::istringstream in(text);
    while (std::getline(in, part, separator))
        parts.push_back(part);
    return parts;
}

bool IsOctal(char c) {
    return c >= '0' && c <= '7';
}

// Mount points write blanks and the like as octal escapes ("\040").
std::string Unescape(const std::string& field) {
    std::string plain;
    for (size_t i = 0; i < field.size(); ++i) {
        if (field[i] == '\\' && i + 3 < field.size() && IsOctal(field[i + 1]) && IsOctal(field[i + 2]) &&
            IsOctal(field[i + 3])) {
            plain += static_cast<char>((field[i + 1] - '0') * 64 + (field[i + 2] - '0') * 8 + (field[i + 3] - '0'));
            i += 3;
        } else {
            plain += field[i];
        }
    }
    return plain;
}

struct CgroupMount {
    std::string root;        // the part of the hierarchy mounted there
    std::string mountPoint;
    bool unified = false;    // cgroup2, else the cpu controller of the older kind
};

std::vector<CgroupMount> CgroupMounts(const std::string& mountinfo) {
    std::vector<CgroupMount> mounts;
    for (const std::string& line : Split(mountinfo, '\n')) {
        const std::vector<std::string> fields = Split(line, ' ');
        const auto dash = std::find(fields.begin(), fields.end(), "-");
        if (fields.size() < 6 || dash == fields.end() || fields.end() - dash < 4)
            continue;
        const std::string& type = *(dash + 1);
        const std::vector<std::string> options = Split(*(dash + 3), ',');
        const bool cpu = std::find(options.begin(), options.end(), "cpu") != options.end();
        if (type == "cgroup2" || (type == "cgroup" && cpu))
            mounts.push_back({Unescape(fields[3]), Unescape(fields[4]), type == "cgroup2"});
    }
    return mounts;
}

std::optional<unsigned> LimitIn(const std::string& folder, bool unified,
                                const std::function<std::string(const std::string&)>& readFile) {
    long long quota = -1;
    long long period = 0;
    if (unified) {
        std::istringstream line(readFile(folder + "/cpu.max"));
        std::string quotaText;
        if (!(line >> quotaText >> period) || quotaText == "max")
            return std::nullopt;
        std::istringstream(quotaText) >> quota;
    } else {
        std::istringstream(readFile(folder + "/cpu.cfs_quota_us")) >> quota;
        std::istringstream(readFile(folder + "/cpu.cfs_period_us")) >> period;
    }
    return CpusFromQuota(quota, period);
}

} // namespace

std::optional<unsigned> CpusFromQuota(long long quota, long long period) {
    if (quota <= 0 || period <= 0)
        return std::nullopt;
    return static_cast<unsigned>(std::max<long long>(1, (quota + period - 1) / period));
}

std::optional<unsigned> CgroupCpuLimit(const std::string& mountinfo, const std::string& cgroups,
                                       const std::function<std::string(const std::string&)>& readFile) {
    std::string unifiedPath, cpuPath;
    bool haveUnified = false, haveCpu = false;
    for (const std::string& line : Split(cgroups, '\n')) {
        const size_t first = line.find(':');
        const size_t second = line.find(':', first == std::string::npos ? first : first + 1);
        if (first == std::string::npos || second == std::string::npos)
            continue;
        const std::string controllers = line.substr(first + 1, second - first - 1);
        const std::vector<std::string> names = Split(controllers, ',');
        if (line.compare(0, first, "0") == 0 && controllers.empty()) {
            unifiedPath = line.substr(second + 1);
            haveUnified = true;
        } else if (std::find(names.begin(), names.end(), "cpu") != names.end()) {
            cpuPath = line.substr(second + 1);
            haveCpu = true;
        }
    }
    std::optional<unsigned> lowest;
    for (const CgroupMount& mount : CgroupMounts(mountinfo)) {
        const std::string& path = mount.unified ? unifiedPath : cpuPath;
        if (!(mount.unified ? haveUnified : haveCpu) || path.compare(0, mount.root.size(), mount.root) != 0)
            continue;
        // The process's own group, then each ancestor up to the mount point:
        // a parent's quota caps its children too.
        std::string relative = mount.root == "/" ? path : path.substr(mount.root.size());
        for (;;) {
            while (!relative.empty() && relative.back() == '/')
                relative.pop_back();
            if (const auto limit = LimitIn(mount.mountPoint + relative, mount.unified, readFile))
                lowest = std::min(lowest.value_or(*limit), *limit);
            if (relative.empty())
                break;
            relative.erase(relative.rfind('/') == std::string::npos ? 0 : relative.rfind('/'));
        }
    }
    return lowest;
}

unsigned CombineCpuCounts(long online, std::optional<int> affinity, std::optional<unsigned> cgroupLimit) {
    unsigned count = static_cast<unsigned>(std::max(1L, online));
    if (affinity)
        count = static_cast<unsigned>(std::max(1, *affinity));
    return std::max(1u, cgroupLimit ? std::min(count, *cgroupLimit) : count);
}

unsigned UsableCpuCount() {
    // Machines with more CPUs than a cpu_set_t holds refuse the fixed-size
    // query; the online count stands in there.
    cpu_set_t set;
    CPU_ZERO(&set);
    std::optional<int> affinity;
    if (sched_getaffinity(0, sizeof set, &set) == 0)
        affinity = CPU_COUNT(&set);
    return CombineCpuCounts(sysconf(_SC_NPROCESSORS_ONLN), affinity,
                            CgroupCpuLimit(ReadWhole("/proc/self/mountinfo"), ReadWhole("/proc/self/cgroup"), ReadWhole));
}

} // namespace png2ico
