#pragma once
#include <string>

namespace corvane {

/// The CPUs this process may run on: those of its affinity mask (taskset, a batch system's CPU
/// binding), fewer when its control group's CPU quota allows less (a container or a cluster task
/// given a share of a node), at least 1. The machine's core count only when neither can be read.
int AvailableCpus();

/// Number of CPUs in a list as the kernel writes it ("0-3,8,10-11" has 7); 0 when it cannot be read.
int CountCpuList(const std::string& list);

/// Whole CPUs a quota allows, rounded up ("250000 100000" allows 3); 0 for no limit ("max ...") or
/// text that cannot be read.
int QuotaCpus(const std::string& quotaAndPeriod);

} // namespace corvane
