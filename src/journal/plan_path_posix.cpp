// SPDX-License-Identifier: MIT
#include "journal/plan_path.h"

#include "journal/durable_file.h"

#include <cerrno>
#include <fcntl.h>
#include <fstream>
#include <sys/stat.h>
#include <unistd.h>

namespace journal {

namespace {

bool Writable(const std::string& path, int mode) { return ::faccessat(AT_FDCWD, path.c_str(), mode, AT_EACCESS) == 0; }

bool SameFile(const struct stat& file, const std::string& other)
{
    struct stat status {};
    return !other.empty() && ::stat(other.c_str(), &status) == 0 && status.st_dev == file.st_dev &&
        status.st_ino == file.st_ino;
}

// Why the file at `path` must not be replaced by an undo plan, if it must not.
std::string KeptFileRefusal(const std::string& path, const struct stat& file, const std::vector<std::string>& kept)
{
    for (const std::string& other : kept)
        if (SameFile(file, other))
            return SameFileRefusal(other);
    std::ifstream stream(path);
    std::string first;
    if (S_ISREG(file.st_mode) && file.st_size > 0 && (!std::getline(stream, first) || first != kUndoPlanHeader))
        return NotAnUndoPlanRefusal();
    return {};
}

} // namespace

FileStatus CheckPlanPath(const std::string& path, const std::vector<std::string>& kept)
{
    if (path.empty())
        return FailureOf(ENOENT, path);
    struct stat existing {};
    const bool exists = ::stat(path.c_str(), &existing) == 0;
    if (!exists && errno != ENOENT)
        return FailureOf(errno, path);
    if (exists && S_ISDIR(existing.st_mode))
        return FailureOf(EISDIR, path);
    if (const std::string refusal = exists ? KeptFileRefusal(path, existing, kept) : ""; !refusal.empty())
        return {EEXIST, refusal, path};
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
