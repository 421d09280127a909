// SPDX-License-Identifier: MIT
#include "cli/plan_source.h"

#include "cli/plan.h"
#include "cli/system_console.h"

#include <cerrno>
#include <cstring>
#include <unistd.h>

namespace cli {

PlanSource ReadPlanSource(const std::string& path)
{
    const bool standardInput = path == "-";
    const int fd = standardInput ? STDIN_FILENO : OpenForReading(path);
    if (fd < 0)
        return {{}, std::strerror(errno)};
    PlanSource source;
    source.Text.resize(kMaxPlanBytes + 1);
    std::size_t filled = 0;
    while (filled < source.Text.size()) {
        const ssize_t count = ::read(fd, source.Text.data() + filled, source.Text.size() - filled);
        if (count < 0 && errno == EINTR)
            continue;
        if (count < 0) {
            source.Error = std::strerror(errno);
            break;
        }
        if (count == 0)
            break;
        filled += static_cast<std::size_t>(count);
    }
    if (!standardInput)
        ::close(fd);
    source.Text.resize(filled);
    if (source.Error.empty() && filled > kMaxPlanBytes)
        source.Error = "plik większy niż 1 MiB to nie plan";
    if (!source.Error.empty())
        source.Text.clear();
    return source;
}

} // namespace cli
