// SPDX-License-Identifier: MIT
#include "cli/output_stream.h"
#include "cli/system_console.h"

#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <poll.h>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <sys/sysmacros.h>

namespace cli {

std::optional<std::string> OutputUnusable(int fd)
{
    struct stat status {};
    if (fstat(fd, &status) != 0)
        return ErrorText(errno);
    if (S_ISFIFO(status.st_mode) || S_ISSOCK(status.st_mode)) {
        pollfd poll{fd, 0, 0};
        if (::poll(&poll, 1, 0) == 1 && (poll.revents & (POLLERR | POLLHUP)) != 0)
            return ErrorText(EPIPE); // the reader has gone
        return std::nullopt;
    }
    if (S_ISCHR(status.st_mode) && status.st_rdev == makedev(1, 7))
        return ErrorText(ENOSPC); // /dev/full
    if (S_ISREG(status.st_mode)) {
        struct statvfs space {};
        if (fstatvfs(fd, &space) == 0 && space.f_bavail == 0)
            return ErrorText(ENOSPC);
    }
    return std::nullopt;
}

int OpenForReading(const std::string& path) { return ::open(path.c_str(), O_RDONLY | O_CLOEXEC); }

// A reader that goes away is a failed write, never the end of a run in
// the middle of a change.
void PrepareConsole() { std::signal(SIGPIPE, SIG_IGN); }

} // namespace cli
