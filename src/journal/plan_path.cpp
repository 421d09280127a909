// SPDX-License-Identifier: MIT
#include "journal/plan_path.h"

#include "journal/durable_file.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace journal {

namespace {

bool Writable(const std::string& path, int mode) { return ::faccessat(AT_FDCWD, path.c_str(), mode, AT_EACCESS) == 0; }

} // namespace

FileStatus CheckPlanPath(const std::string& path)
{
    if (path.empty())
        return FailureOf(ENOENT, path);
    struct stat existing {};
    const bool exists = ::stat(path.c_str(), &existing) == 0;
    if (!exists && errno != ENOENT)
        return FailureOf(errno, path);
    if (exists && S_ISDIR(existing.st_mode))
        return FailureOf(EISDIR, path);
    if (exists && !S_ISREG(existing.st_mode))
        return Writable(path, W_OK) ? FileStatus{} : FailureOf(errno, path);
    const std::string directory = DirectoryOf(path);
    struct stat folder {};
    if (::stat(directory.c_str(), &folder) != 0)
        return FailureOf(errno, directory);
    if (!S_ISDIR(folder.st_mode))
        return FailureOf(ENOTDIR, directory);
    if (!Writable(directory, W_OK | X_OK))
        return FailureOf(errno, directory);
    const uid_t user = ::geteuid();
    if (exists && (folder.st_mode & S_ISVTX) && user != 0 && existing.st_uid != user && folder.st_uid != user)
        return FailureOf(EPERM, path);
    return {};
}

} // namespace journal
