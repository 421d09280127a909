// SPDX-License-Identifier: MIT
#include "conflicts/descriptor_budget.h"

#include <algorithm>
#include <dirent.h>
#include <fcntl.h>
#include <limits>
#include <sys/resource.h>

namespace conflicts {

namespace {

constexpr int kHeldPerProbe = 4;
constexpr int kNeededToStart = kHeldPerProbe + 4;
constexpr int kLeftForTheProgram = 32;

int OpenDescriptors(int limit)
{
    if (DIR* directory = ::opendir("/proc/self/fd")) {
        int entries = 0;
        while (::readdir(directory) != nullptr)
            ++entries;
        ::closedir(directory);
        return entries - 3; // ".", ".." and the directory's own descriptor
    }
    int open = 0;
    for (int fd = 0; fd < limit && fd < 65536; ++fd)
        open += ::fcntl(fd, F_GETFD) != -1 ? 1 : 0;
    return open;
}

} // namespace

DescriptorBudget CurrentDescriptorBudget()
{
    rlimit limit{};
    if (::getrlimit(RLIMIT_NOFILE, &limit) != 0 || limit.rlim_cur > rlim_t(std::numeric_limits<int>::max()))
        limit.rlim_cur = rlim_t(std::numeric_limits<int>::max());
    const int soft = int(limit.rlim_cur);
    return {soft, soft - OpenDescriptors(soft)};
}

int ProbesThatFit(const DescriptorBudget& budget)
{
    if (TooFewToStart(budget))
        return 0;
    return std::max(budget.Free - kLeftForTheProgram - kNeededToStart, 0) / kHeldPerProbe + 1;
}

bool TooFewToStart(const DescriptorBudget& budget) { return budget.Free < kNeededToStart; }

} // namespace conflicts
