// SPDX-License-Identifier: MIT
#include "journal/own_directory.h"

#include <array>
#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace journal {

namespace {

std::string ModeText(mode_t mode)
{
    std::array<char, 8> text{};
    std::snprintf(text.data(), text.size(), "%04o", unsigned(mode & 07777));
    return text.data();
}

// Why the directory described by `status` is not the user's own, if it is not.
std::string RefusalOf(const struct stat& status, const std::string& directory)
{
    if (status.st_uid != ::geteuid())
        return "katalog należy do innego użytkownika (uid " + std::to_string(status.st_uid) +
            "), a program działa jako uid " + std::to_string(::geteuid());
    if ((status.st_mode & 077) != 0)
        return "katalog jest dostępny dla innych użytkowników (uprawnienia " + ModeText(status.st_mode) +
            ", wymagane 0700); popraw poleceniem: chmod 700 " + directory;
    return {};
}

} // namespace

FileStatus OpenOwnDirectory(const std::string& directory, int& fd)
{
    fd = ::open(directory.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    if (fd < 0) {
        const int error = errno;
        struct stat link {};
        if (::lstat(directory.c_str(), &link) == 0 && S_ISLNK(link.st_mode))
            return {ELOOP, "w miejscu katalogu jest dowiązanie symboliczne", directory};
        return FailureOf(error, directory);
    }
    struct stat status {};
    std::string refusal;
    FileStatus result;
    if (::fstat(fd, &status) != 0)
        result = FailureOf(errno, directory);
    else if (refusal = RefusalOf(status, directory); !refusal.empty())
        result = {EPERM, refusal, directory};
    if (!result.Ok()) {
        ::close(fd);
        fd = -1;
    }
    return result;
}

} // namespace journal
