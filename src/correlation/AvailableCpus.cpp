#include "correlation/AvailableCpus.h"

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <thread>

namespace corvane {

namespace {

std::string FirstLine(const std::string& name) {
    std::ifstream in(name);
    std::string line;
    std::getline(in, line);
    return line;
}

/// CPUs of the affinity mask, from the process's status file; 0 when it cannot be read.
int AffinityCpus() {
    std::ifstream in("/proc/self/status");
    const std::string key = "Cpus_allowed_list:";
    for (std::string line; std::getline(in, line);)
        if (line.compare(0, key.size(), key) == 0) return CountCpuList(line.substr(key.size()));
    return 0;
}

/// The smallest quota on the way from the process's control group up to the root; 0 for none.
int CgroupCpus() {
    std::ifstream in("/proc/self/cgroup");
    int best = 0;
    auto take = [&](int cpus) {
        if (cpus > 0) best = best == 0 ? cpus : std::min(best, cpus);
    };
    for (std::string line; std::getline(in, line);) {
        // "0::/path" (one unified hierarchy) or "N:cpu,cpuacct:/path" (separate hierarchies).
        const std::size_t a = line.find(':'), b = line.find(':', a + 1);
        if (a == std::string::npos || b == std::string::npos) continue;
        const std::string controllers = line.substr(a + 1, b - a - 1);
        std::string path = line.substr(b + 1);
        if (controllers.empty()) {
            for (;;) {
                take(QuotaCpus(FirstLine("/sys/fs/cgroup" + path + "/cpu.max")));
                if (path.empty() || path == "/") break;
                path = path.substr(0, path.rfind('/'));
            }
        } else if (("," + controllers + ",").find(",cpu,") != std::string::npos) {
            for (const char* root : {"/sys/fs/cgroup/cpu,cpuacct", "/sys/fs/cgroup/cpu"}) {
                const std::string folder = root + path;
                take(QuotaCpus(FirstLine(folder + "/cpu.cfs_quota_us") + " " +
                               FirstLine(folder + "/cpu.cfs_period_us")));
            }
        }
    }
    return best;
}

} // namespace

int CountCpuList(const std::string& list) {
    std::istringstream in(list);
    int count = 0;
    for (std::string range; std::getline(in, range, ',');) {
        const char* p = range.c_str();
        char* end = nullptr;
        const long first = std::strtol(p, &end, 10);
        if (end == p) return 0;
        long last = first;
        if (*end == '-') {
            p = end + 1;
            last = std::strtol(p, &end, 10);
            if (end == p) return 0;
        }
        while (*end == ' ' || *end == '\t' || *end == '\n')
            ++end;
        if (*end != '\0' || first < 0 || last < first) return 0;
        count += static_cast<int>(last - first + 1);
    }
    return count;
}

int QuotaCpus(const std::string& quotaAndPeriod) {
    std::istringstream in(quotaAndPeriod);
    long long quota = 0, period = 0;
    if (!(in >> quota >> period) || quota <= 0 || period <= 0) return 0;
    return static_cast<int>(std::max<long long>(1, (quota + period - 1) / period));
}

int AvailableCpus() {
    int cpus = AffinityCpus();
    if (cpus <= 0) cpus = static_cast<int>(std::thread::hardware_concurrency());
    const int quota = CgroupCpus();
    if (quota > 0) cpus = cpus > 0 ? std::min(cpus, quota) : quota;
    return std::max(cpus, 1);
}

} // namespace corvane
