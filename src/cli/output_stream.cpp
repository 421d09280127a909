// SPDX-License-Identifier: MIT
#include "cli/output_stream.h"

#include <cerrno>
#include <poll.h>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <sys/sysmacros.h>
#include <system_error>

namespace cli {

namespace {

std::string ErrorText(int number)
{
    return std::system_category().message(number) + " (błąd " + std::to_string(number) + ")";
}

} // namespace

bool Output(std::FILE* stream, const std::string& text, std::string& error)
{
    errno = 0;
    const bool written = std::fwrite(text.data(), 1, text.size(), stream) == text.size();
    const bool flushed = std::fflush(stream) == 0;
    if (written && flushed && std::ferror(stream) == 0)
        return true;
    error = ErrorText(errno != 0 ? errno : EIO);
    return false;
}

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

OutputFailure::OutputFailure(const std::string& error)
    : std::runtime_error("nie zapisano wyniku na standardowe wyjście: " + error)
{
}

} // namespace cli
